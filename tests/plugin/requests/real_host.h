// Handler tests against the real host, linked into the test: each test starts
// a fresh session with the tree project P { folder F { task A, task B, task C },
// task D } and a fresh record ledger, and ends by proving that every record
// and list the handlers took from the host went back exactly once.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <platform/codepage.h>

#include "api/exported.h"
#include "channel_test_support.h"
#include "host_binding/host_api_table.h"
#include "model/record_ledger.h"
#include "model/session.h"
#include "requests/request_context.h"

namespace request_test {

using W = std::vector<std::int32_t>;
using channel_test::Bytes;
using channel_test::ToWords;
using channel_test::Words;

// The host's own exported functions, bound without a lookup by name.
inline scriptlink::HostApi RealHostApi() {
  scriptlink::HostApi api;
#define ZTL_BIND_REAL_HOST(ret, name, params) api.name = &ZTLPlugin_##name;
  ZENTRELLA_HOST_API(ZTL_BIND_REAL_HOST)
#undef ZTL_BIND_REAL_HOST
  return api;
}

inline std::vector<std::uint8_t> Text(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

class RealHostTest : public ::testing::Test {
 protected:
  using Handle = zentrella::Handle;

  void SetUp() override {
    platform::codepage::set_current(platform::codepage::CodePage::utf8);
    zentrella::reset_session();
    zentrella::reset_record_ledger();
    P = zentrella::session().add_project(Tree(), "/tmp/none.json");
    F = Child(P, 0);
    A = Child(F, 0);
    B = Child(F, 1);
    C = Child(F, 2);
    D = Child(P, 1);
  }
  void TearDown() override {
    EXPECT_EQ(zentrella::outstanding_records(), 0u) << "a host record or list was not given back";
    EXPECT_EQ(zentrella::release_errors(), 0u);
    platform::codepage::set_current(platform::codepage::CodePage::utf8);
  }

  static zentrella::ItemTree Tree() {
    zentrella::ItemTree project;
    project.fields.kind = zentrella::ItemKind::project;
    project.fields.title = "P";
    zentrella::ItemTree folder;
    folder.fields.kind = zentrella::ItemKind::folder;
    folder.fields.title = "F";
    for (const char* title : {"A", "B", "C"}) {
      zentrella::ItemTree task;
      task.fields.title = title;
      folder.children.push_back(task);
    }
    zentrella::ItemTree d;
    d.fields.title = "D";
    project.children = {folder, d};
    return project;
  }
  static Handle Child(Handle parent, std::size_t index) {
    return zentrella::session().store().item(parent)->children.at(index);
  }
  static zentrella::Session& Host() { return zentrella::session(); }
  static zentrella::ItemFields& Fields(Handle item) { return zentrella::session().store().item(item)->fields; }

  std::vector<std::uint8_t> Request(std::uint32_t code, std::uint32_t value,
                                    const std::vector<std::uint8_t>& payload = {}) {
    return link.Request(code, payload, env, value);
  }
  W RequestWords(std::uint32_t code, std::uint32_t value, const std::vector<std::uint8_t>& payload = {}) {
    return ToWords(Request(code, value, payload));
  }
  std::string RequestText(std::uint32_t code, std::uint32_t value, const std::vector<std::uint8_t>& payload = {}) {
    const auto bytes = Request(code, value, payload);
    return {bytes.begin(), bytes.end()};
  }
  // How many replies the last request published (a reply always publishes at least one chunk).
  std::size_t Published() const { return link.transport.published().size(); }
  std::int32_t Remakes() const { return zentrella::session().remake_count; }
  // Removes an item for good, so its handle goes stale.
  static void DeleteForGood(Handle item) { ASSERT_NE(ZTLPlugin_DeleteItem(item, 0), 0); }

  scriptlink::HostApi host = RealHostApi();
  std::vector<ZtlWindow> locks;
  scriptlink::HandlerEnv env{&host, [this](ZtlWindow window) { locks.push_back(window); },
                             [] { return platform::FileVersion{(2u << 16) | 7u, (30u << 16) | 9u}; }};
  channel_test::ScriptedChannel link;
  Handle P = 0, F = 0, A = 0, B = 0, C = 0, D = 0;
};

}  // namespace request_test
