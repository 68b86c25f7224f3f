// TScriptlink: the plug-in's controller, created by a successful start-up and
// destroyed at unload. It owns the command table, the wait thread (station
// only), the busy flag, the announcement mapping and the notify window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <platform/named_mapping.h>
#include <zentrella/plugin_abi.h>

#include "channel/station_claim.h"
#include "channel/wait_thread.h"
#include "commands/command_table.h"
#include "controller/notify_window.h"

namespace scriptlink {

class CommandListDialog;
class TCommToRuby;

class TScriptlink {
 public:
  // station: whether the host reported itself as the station. It becomes one
  // (external scripts can connect through the wait thread) unless a live host
  // of the namespace is the station already; then it says so on stderr and
  // serves only the scripts it starts.
  explicit TScriptlink(bool station);
  ~TScriptlink();
  TScriptlink(const TScriptlink&) = delete;
  TScriptlink& operator=(const TScriptlink&) = delete;

  // Runs host command n; params is the host's optional run parameter block.
  // Always returns false (the host ignores the result).
  bool RunCommand(std::uint32_t n, const ZtlRunParams* params);

  // Runs the command list dialog on a fresh read of the command file; after
  // OK saves the list and, when no restart is needed, updates the live table.
  void EditCommands(CommandListDialog& dialog);
  // The same with the command list dialog (TCommandListForm), which offers
  // to close the host when a change needs a restart.
  void EditCommands();

  const CommandRecord* FindCommand(std::uint32_t number) const {
    return commands_.FindCommand(number);
  }
  const TCommandArray& Commands() const noexcept { return commands_; }
  bool Busy() const noexcept { return busy_; }
  // Null unless the host is the station.
  TWaitThread* WaitThread() const noexcept { return wait_thread_.get(); }
  bool IsStation() const noexcept { return station_claim_ && station_claim_->held(); }
  TNotifyWindowForm& NotifyWindow() const noexcept { return *notify_window_; }

  // Called on the main thread when the notify window receives the
  // external-script message.
  void ServeExternalScript();
  // The channel object of the run in progress, or null.
  TCommToRuby* CurrentChannel() const noexcept { return current_channel_; }
  // Null unless the host is the station (only the station announces its
  // channels), or when the mapping could not be made at start-up; a run of the
  // station reports that.
  const platform::NamedMapping* AnnouncementMapping() const noexcept {
    return announcement_ ? &*announcement_ : nullptr;
  }

 private:
  class ChannelScope;

  void RunUserCommand(std::uint32_t n);
  void RunScriptCommand(const ZtlRunParams* params);
  struct ScriptChoice;
  // The script list; nullopt unless it closed with Run.
  std::optional<ScriptChoice> ChooseScript();
  void RunChosenScript();
  // The busy question; on "Yes" the running script is terminated.
  void AskToTerminateRunningScript();

  TCommandArray commands_;
  std::optional<TStationClaim> station_claim_;
  std::unique_ptr<TWaitThread> wait_thread_;
  bool busy_ = false;
  std::optional<platform::NamedMapping> announcement_;
  std::unique_ptr<TNotifyWindowForm> notify_window_;
  TCommToRuby* current_channel_ = nullptr;
};

// The dialog side of EditCommands; the real dialog shows widgets, tests
// script it.
class CommandListDialog {
 public:
  virtual ~CommandListDialog() = default;
  // Shows the dialog over the working list (user commands only, in file
  // order); true when it was closed with OK.
  virtual bool ShowModal(TCommandArray& working) = 0;
  // True when a command was added, or an edit changed a number, caption,
  // type or icon: what the host only learns at its next start.
  virtual bool NeedsRestart() const = 0;
  // Called once the working list is saved (so a host closed for the restart
  // finds the new commands at its next start).
  virtual void Saved() {}
};

}  // namespace scriptlink
