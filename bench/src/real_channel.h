// The channel as shipped: the extension's client (SendRequest) in one process
// and the plug-in's channel object with its dispatch loop in another, the host
// behind it faked by a few constant answers.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "process_pair.h"

namespace bench {

// Empty when the real channel can be measured, else why not.
std::string real_channel_missing();

// The host side in a process of its own: the plug-in's channel object serving
// requests until stopped. One at a time: it owns the announcement.
class RealHost {
 public:
  // With bulk_bytes > 0 the host also has an item list of that many bytes
  // (bulk_bytes / 4 - 1 selected items and the closing 0) and the same bytes
  // as a prepared reply for the bulk request.
  RealHost(const CpuSet& cpus, std::size_t bulk_bytes);
  ~RealHost();
  RealHost(const RealHost&) = delete;
  RealHost& operator=(const RealHost&) = delete;
  // Ends the serve loop and waits for it; throws when the host failed.
  void stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The extension's client. It connects once per process, so each measurement
// makes it in a fresh process (see child_sample.h).
class RealClient {
 public:
  RealClient();  // connects; throws with the connection's message
  ~RealClient();
  RealClient(const RealClient&) = delete;
  RealClient& operator=(const RealClient&) = delete;

  // Request 1, selector 0 (4 bytes each way); every answer is checked.
  void round_trips(std::size_t n);
  // The prepared bulk reply, straight through the channel's reply path.
  void bulk_replies(std::size_t n);
  // The selected items (request 1, selector 9): the handler builds the reply.
  void item_lists(std::size_t n);
  // Whether the last reply of each bulk kind was the host's item list.
  bool bulk_replies_intact(std::size_t bytes) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace bench
