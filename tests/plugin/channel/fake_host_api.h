// A HostApi of fake functions for the handler tests: answers come from one
// global state that each test resets, and every handed-out list is counted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "requests/request_context.h"
#include "host_binding/host_api_table.h"

namespace channel_test {

struct FakeHostState {
  ZtlHandle current_item = 0, current_project = 0, current_folder = 0, recycled = 0, find_project = 0,
            template_project = 0, scrap_project = 0, current_document = 0;
  // A has_... of false makes the host hand out a null list.
  std::vector<ZtlHandle> selected, list_view, loaded;
  bool has_selected = true, has_list_view = true, has_loaded = true;
  std::uint32_t version_high = 0, version_low = 0;
  std::string user_folder;
  std::int32_t active_control = 0;

  int lists_handed_out = 0;
  int lists_released = 0;
  int foreign_releases = 0;  // releases of null or of something never handed out
  int remakes = 0;
  std::vector<std::int32_t> set_active_control_calls;
  std::vector<ZtlWindow> lock_calls;
  struct Command {
    std::string name;
    std::int32_t target, param, shift;
    std::vector<std::string> arguments;
    bool null_terminated;
  };
  std::vector<Command> commands;
};

inline constexpr ZtlWindow kClientWindow = 0x5106;

FakeHostState& Fake();
// Resets the state and returns a HostApi bound to the fakes.
const scriptlink::HostApi& ResetFakeHost();
// An environment over the fake host whose window locks are recorded in Fake().lock_calls.
scriptlink::HandlerEnv FakeEnv(platform::FileVersion plugin_version = {});

}  // namespace channel_test
