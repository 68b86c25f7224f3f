#include "controller/scriptlink.h"

#include <cstdio>
#include <exception>
#include <string>

#include <ztl/channel.h>

#include "commands/command_file.h"
#include "controller/help_launcher.h"
#include "controller/plugin_globals.h"
#include "controller/report_error.h"

namespace scriptlink {

namespace {

// The user commands of the command file; an unreadable file is reported and
// the plug-in starts with the built-ins alone rather than not at all.
void LoadUserCommands(TCommandArray& table) {
  try {
    LoadCommandFile(CommandFilePath(), table);
  } catch (const std::exception& error) {
    ReportError(error.what());
  }
}

std::optional<platform::NamedMapping> CreateAnnouncementMapping() {
  try {
    return platform::NamedMapping::create_or_open(ZTL_ANNOUNCE_MAPPING_NAME,
                                                  ZTL_ANNOUNCE_MAPPING_SIZE);
  } catch (const std::exception&) {
    // Reported only when a run needs it ("共有メモリを開けません").
    return std::nullopt;
  }
}

std::optional<TStationClaim> ClaimStation() {
  try {
    TStationClaim claim = TStationClaim::Claim();
    if (!claim.held()) {
      std::fprintf(stderr,
                   "Scriptlink: another host (process %d) is the station of this namespace; this one serves only "
                   "the scripts it starts\n",
                   static_cast<int>(claim.holder()));
    }
    return claim;
  } catch (const std::exception& error) {
    ReportError(std::string("The station could not be claimed: ") + error.what());
    return std::nullopt;
  }
}

}  // namespace

TScriptlink::TScriptlink(bool station)
    : commands_(TCommandArray::WithBuiltins()), station_claim_(station ? ClaimStation() : std::nullopt) {
  LoadUserCommands(commands_);
  // The notify window comes before the wait thread: the thread is given the
  // window it posts to, so the window must exist when the first script knocks.
  // The message arrives inside the host's message processing: a failure is
  // reported here, never thrown into the host.
  notify_window_ = std::make_unique<TNotifyWindowForm>([this] {
    try {
      ServeExternalScript();
    } catch (const std::exception& error) {
      ReportError(error.what());
    }
  });
  if (!IsStation()) return;
  wait_thread_ = std::make_unique<TWaitThread>(notify_window_->handle());
  announcement_ = CreateAnnouncementMapping();
}

TScriptlink::~TScriptlink() {
  // Shut-down order: stop and join the wait thread (it closes its events),
  // close the announcement mapping, free the notify window.
  wait_thread_.reset();
  announcement_.reset();
  station_claim_.reset();
  notify_window_.reset();
}

}  // namespace scriptlink
