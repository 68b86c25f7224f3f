// TCommToRuby: the channel object, one per served script. It owns the channel's
// named objects, serves requests through the dispatch table, and carries the
// run's settings and the served script's process.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

#include <platform/named_event.h>
#include <platform/named_mapping.h>
#include <platform/named_mutex.h>
#include <platform/process.h>

#include <ztl/channel.h>

#include "channel/channel_error.h"
#include "channel/frame_channel.h"
#include "channel/request_server.h"

namespace scriptlink {

// The name of a per-channel object: the prefix and the decimal channel number.
std::string ChannelObjectName(const char* prefix, std::int32_t channel_number);

// The objects of a channel number are still held by a client of an earlier
// channel; the number cannot be used now.
class StaleChannelObjects : public ChannelError {
 public:
  StaleChannelObjects() : ChannelError(kCannotOpenSharedMemory) {}
};

class TCommToRuby {
 public:
  // Creates channel N: its two events, mapping and view and the client lock,
  // then announces N in the announcement mapping (which must outlive this
  // object; null: a host that is not the station announces nothing). Throws
  // ChannelError "共有メモリを開けません" when any of it fails, and
  // StaleChannelObjects when N's objects are still held from an earlier channel.
  // The server answers the requests and lets the host process its messages.
  TCommToRuby(std::int32_t channel_number, const platform::NamedMapping* announcement,
              std::unique_ptr<RequestServer> server);
  TCommToRuby(std::int32_t channel_number, const platform::NamedMapping& announcement,
              std::unique_ptr<RequestServer> server)
      : TCommToRuby(channel_number, &announcement, std::move(server)) {}
  // A channel on the first of a few numbers from channel_number whose objects
  // are new: a client that still holds an earlier channel's objects must never
  // meet the next channel in them.
  static std::unique_ptr<TCommToRuby> CreateFresh(std::int32_t channel_number,
                                                  const platform::NamedMapping* announcement,
                                                  const std::function<std::unique_ptr<RequestServer>()>& make_server);
  TCommToRuby(const TCommToRuby&) = delete;
  TCommToRuby& operator=(const TCommToRuby&) = delete;
  // Runs Close() if it has not run; its failures are lost here, so call Close()
  // to see them.
  ~TCommToRuby();

  // Withdraws the announcement (writes 0), marks the channel closed and wakes
  // a client waiting on it (which then fails rather than waits for ever),
  // carries out a pending task list remake and terminates a held script
  // process. Runs once.
  void Close();

  // Serves requests until 100 ms pass without one, or a stop is requested
  // (looked at between requests). A failed exchange (the script died inside
  // it, or sent malformed frames) throws ChannelError; a stop requested while
  // an exchange waits on the client throws RunStopped within a second.
  void DispatchRequests();
  // Serves the process until it ends or TerminateScript drops it, then as long
  // as another client registered on the channel lives (a script that joined
  // it meanwhile); a requested stop ends it at once and leaves the process
  // alone. Returns at once when the process cannot be opened.
  void ServeProcess(pid_t process_id);

  // Asks the run to stop: the dispatcher serves no further request. Thread-safe.
  void RequestStop();
  // This run's stop, or the process-wide stop request (the host is ending).
  bool StopRequested() const noexcept;

  // The served script's process, watched during exchanges and terminated with
  // the channel object if still held.
  void AttachProcess(platform::ProcessHandle process);
  bool HasProcess() const noexcept { return process_.has_value(); }
  // Forgets the held process without touching it (it has ended).
  void DetachProcess() noexcept;
  // Ends a DispatchRequests that waits for a request now, or the next one,
  // without serving anything. Thread-safe: the run's watcher calls it when the
  // script's output or end wants attention.
  void InterruptDispatch();
  // Terminates the held process (exit code 0) and forgets it.
  void TerminateScript();

  std::int32_t channel_number() const noexcept { return channel_number_; }
  RequestServer& server() noexcept { return *server_; }
  FrameChannel& channel() noexcept { return channel_; }

  // Settings of the run, filled and read by the launcher.
  std::string interpreter;
  bool copy_to_clipboard = false;
  std::string options;
  std::string output_file;
  bool hide_console = false;
  // The user chose to end the script (the busy question's Yes).
  bool cancelled = false;

 private:
  class MappingTransport;

  void Announce(std::uint32_t value);
  ZtlChannelControl& Control() const noexcept;
  // Marks the channel closed unless a registered client still lives; false
  // (and the channel open again) when one does.
  bool CloseIfUnused();
  bool RegisteredClientAlive();
  void ExecMessageProc();
  pid_t ScriptProcessId() const noexcept;

  std::int32_t channel_number_;
  const platform::NamedMapping* announcement_;
  std::unique_ptr<RequestServer> server_;
  platform::NamedEvent host_event_;
  platform::NamedEvent client_event_;
  platform::NamedMapping mapping_;
  platform::MappedView view_;
  platform::NamedMutex client_lock_;
  std::unique_ptr<MappingTransport> transport_;
  FrameChannel channel_;
  std::optional<platform::ProcessHandle> process_;
  std::atomic<bool> stop_{false};
  bool closed_ = false;
};

}  // namespace scriptlink
