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

}  // namespace scriptlink
