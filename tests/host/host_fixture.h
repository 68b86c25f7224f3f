// A fresh session and record ledger for every test, with a small tree:
// project P { folder F { task A, task B, task C }, task D }.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/exported.h"
#include "model/record_ledger.h"
#include "model/session.h"

namespace zentrella::testing {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_session();
    reset_record_ledger();
    ItemTree project;
    project.fields.kind = ItemKind::project;
    project.fields.title = "P";
    ItemTree folder;
    folder.fields.kind = ItemKind::folder;
    folder.fields.title = "F";
    for (const char* title : {"A", "B", "C"}) {
      ItemTree task;
      task.fields.title = title;
      folder.children.push_back(task);
    }
    ItemTree d;
    d.fields.title = "D";
    project.children = {folder, d};
    P = session().add_project(project, "/tmp/none.json");
    F = child(P, 0);
    A = child(F, 0);
    B = child(F, 1);
    C = child(F, 2);
    D = child(P, 1);
  }

  void TearDown() override { EXPECT_EQ(release_errors(), 0u); }

  static Handle child(Handle parent, std::size_t index) { return session().store().item(parent)->children.at(index); }

  static std::vector<Handle> take_list(ZtlHandle* list) {
    std::vector<Handle> result;
    for (std::size_t i = 0; list != nullptr && list[i] != 0; ++i) result.push_back(list[i]);
    ZTLPlugin_FreeItemEntries(list);
    return result;
  }

  static std::string title(Handle item) {
    ZtlItemInfo* info = ZTLPlugin_GetItemInfo(item);
    std::string text = info != nullptr ? info->title : "";
    ZTLPlugin_FreeItemInfo(info);
    return text;
  }

  Handle P = 0, F = 0, A = 0, B = 0, C = 0, D = 0;
};

}  // namespace zentrella::testing
