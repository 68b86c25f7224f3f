// Failures of the channel: each ends the exchange (and the run) with a fixed text.
#pragma once

#include <stdexcept>

namespace scriptlink {

inline constexpr const char* kCannotOpenSharedMemory = "共有メモリを開けません";
inline constexpr const char* kScriptEndedMidExchange = "スクリプトがやり取りの途中で終了しました";
inline constexpr const char* kMalformedFrame = "スクリプトから不正なデータを受け取りました";
inline constexpr const char* kPayloadTooLarge = "スクリプトの要求が大きすぎます";

class ChannelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};


// The run was asked to stop (cancelled, or the host is ending) while an
// exchange waited on its client; the exchange is abandoned, nothing is reported.
class RunStopped : public std::runtime_error {
 public:
  RunStopped() : std::runtime_error("the run was asked to stop") {}
};

}  // namespace scriptlink
