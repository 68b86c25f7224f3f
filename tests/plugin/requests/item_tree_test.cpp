// The item tree requests against the real host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <ztl/payloads.h>
#include <ztl/request_codes.h>

#include "real_host.h"

namespace {

using request_test::W;
using request_test::Words;

class ItemTreeTest : public request_test::RealHostTest {
 protected:
  static std::int32_t I(zentrella::Handle handle) { return static_cast<std::int32_t>(handle); }
  W Ask(std::uint32_t code, zentrella::Handle item, const std::vector<std::uint8_t>& payload = {}) {
    return RequestWords(code, item, payload);
  }
  void Select(std::vector<ZtlHandle> items) {
    items.push_back(0);
    ASSERT_NE(ZTLPlugin_SelectItems(items.data()), 0);
  }
};

// Handle 0 answers the fixed defaults without a host call: the host table here
// is empty, so any call would crash the test.
TEST_F(ItemTreeTest, HandleZeroAnswersItsDefaultWithoutAskingTheHost) {
  const scriptlink::HostApi no_host{};
  env.host = &no_host;
  for (std::uint32_t code : {2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 13u, 51u, 52u, 72u})
    EXPECT_EQ(Ask(code, 0), W{0}) << code;
  for (std::uint32_t code : {15u, 16u, 17u}) EXPECT_EQ(Ask(code, 0), W{-1}) << code;
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ADD, 0, Words({ZTL_KIND_TASK})), W{0});  // only a project at the top level
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_INSERT, 0, Words({0, ZTL_KIND_TASK})), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ASSIGN, 0, Words({1, 0})), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SELECTED_SET, 0, Words({1})), W{0});
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_PROJECT_FILENAME, 0), std::string(1, '\0'));
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_CHILDREN, 0).empty());
  EXPECT_EQ(Published(), 1u);  // the empty reply still goes out
}

TEST_F(ItemTreeTest, RelativesAndTheHostsOrder) {
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PARENT, A), W{I(F)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PARENT, P), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PROJECT, A), W{I(P)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_FIRST_CHILD, F), W{I(A)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_FIRST_CHILD, A), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT, C), W{I(D)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PREV, D), W{I(C)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_CHILDREN, F), (W{I(A), I(B), I(C), 0}));
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_CHILDREN, A), W{0});  // only the terminator
}

TEST_F(ItemTreeTest, SiblingsStopAtTheEnds) {
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT_SIBLING, A), W{I(B)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PREV_SIBLING, B), W{I(A)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PREV_SIBLING, A), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT_SIBLING, C), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT_SIBLING, F), W{I(D)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT_SIBLING, P), W{0});  // a project has no parent to ask
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PREV_SIBLING, P), W{0});
}

TEST_F(ItemTreeTest, SelectionWalksInSelectionOrderFromAnyItem) {
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT_SELECTED, B), W{0});  // nothing selected
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PREV_SELECTED, B), W{0});
  Select({C, D, A});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT_SELECTED, B), W{I(C)});  // not selected: the first
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PREV_SELECTED, B), W{I(A)});  // not selected: the last
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT_SELECTED, C), W{I(D)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT_SELECTED, A), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PREV_SELECTED, D), W{I(C)});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PREV_SELECTED, C), W{0});
}

TEST_F(ItemTreeTest, AddingMakesOnlyWhatTheKindAllowsAndRefreshes) {
  const auto projects = Host().loaded_projects().size();
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ADD, 0, Words({ZTL_KIND_FOLDER})), W{0});
  EXPECT_EQ(Host().loaded_projects().size(), projects);
  const W project = Ask(ZTL_REQ_ITEM_ADD, 0, Words({ZTL_KIND_PROJECT}));
  ASSERT_EQ(project.size(), 1u);
  EXPECT_EQ(Host().loaded_projects().back(), static_cast<zentrella::Handle>(project[0]));
  EXPECT_EQ(Remakes(), 1);

  const W task = Ask(ZTL_REQ_ITEM_ADD, F, Words({ZTL_KIND_TASK}));
  ASSERT_NE(task, W{0});
  EXPECT_EQ(Host().store().item(F)->children.back(), static_cast<zentrella::Handle>(task[0]));
  EXPECT_EQ(Remakes(), 2);
  for (std::int32_t kind : {-1, 4, 0x10000}) EXPECT_EQ(Ask(ZTL_REQ_ITEM_ADD, F, Words({kind})), W{0}) << kind;
  EXPECT_EQ(Host().store().item(F)->children.size(), 4u);
  EXPECT_EQ(Remakes(), 2);  // nothing made, nothing to show

  Request(ZTL_REQ_UPDATE_BRACKET, 0, Words({1}));
  Ask(ZTL_REQ_ITEM_ADD, F, Words({ZTL_KIND_TASK}));
  EXPECT_EQ(Remakes(), 2);
  EXPECT_TRUE(link.state.task_list_remake_pending);
  Request(ZTL_REQ_UPDATE_BRACKET, 0, Words({0}));
  EXPECT_EQ(Remakes(), 3);
}

TEST_F(ItemTreeTest, InsertingPutsTheItemAtItsPosition) {
  const W first = Ask(ZTL_REQ_ITEM_INSERT, F, Words({0, ZTL_KIND_FOLDER}));
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(Host().store().item(F)->children.front(), static_cast<zentrella::Handle>(first[0]));
  EXPECT_EQ(Fields(first[0]).kind, zentrella::ItemKind::folder);
  EXPECT_EQ(Remakes(), 1);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_INSERT, F, Words({1, 9})), W{0});
  EXPECT_NE(Ask(ZTL_REQ_ITEM_INSERT, F, Words({1})), W{0});  // a missing kind reads 0: a task
  EXPECT_EQ(Host().store().item(F)->children.size(), 5u);
}

TEST_F(ItemTreeTest, DeletingAndCopying) {
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ASSIGN, A, Words({I(B), 0})), W{ZTL_TRUE});
  EXPECT_EQ(Fields(A).title, "B");
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ASSIGN, A, Words({0, 0})), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ASSIGN, D, Words({I(F), 1})), W{ZTL_TRUE});
  EXPECT_EQ(Host().store().item(D)->children.size(), 3u);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ASSIGN, F, Words({I(F), 1})), W{0});  // into itself with children: refused

  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DELETE, C), W{ZTL_TRUE});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PROJECT, C), W{static_cast<std::int32_t>(ZTLPlugin_GetRecycled())});
}

TEST_F(ItemTreeTest, KindLevelAndListRow) {
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_KIND, F), W{ZTL_KIND_FOLDER});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_KIND, P), W{ZTL_KIND_PROJECT});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_LEVEL, P), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_LEVEL, F), W{1});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_LEVEL, B), W{2});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_LISTITEM_INDEX, B), W{-1});  // not shown
  ASSERT_NE(ZTLPlugin_SetCurrentFolder(F), 0);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_LISTITEM_INDEX, B), W{1});
}

TEST_F(ItemTreeTest, SelectionMarkTakesOnlyTheLowByteOfTheFlag) {
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SELECTED_GET, B), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SELECTED_SET, B, Words({1})), W{1});
  EXPECT_TRUE(Host().is_selected(B));
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SELECTED_GET, B), W{ZTL_TRUE});  // the record's word as it is
  // The script's `selected = 1` sends 0 (only true is true): the mark goes.
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SELECTED_SET, B, Words({0})), W{1});
  EXPECT_FALSE(Host().is_selected(B));
  Ask(ZTL_REQ_ITEM_SELECTED_SET, B, Words({1}));
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SELECTED_SET, B, Words({0x100})), W{1});
  EXPECT_FALSE(Host().is_selected(B));
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SELECTED_SET, B), W{1});  // no flag at all clears too
  EXPECT_FALSE(Host().is_selected(B));
}

TEST_F(ItemTreeTest, MakingCurrentGivesTheTaskListTheFocusEvenWhenRefused) {
  Host().active_control = ZTL_AC_EDIT;
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SET_FOCUS, B), W{1});
  EXPECT_EQ(Host().current_item(), B);
  EXPECT_EQ(Host().active_control, ZTL_AC_TASKLISTVIEW);
  Host().active_control = ZTL_AC_EDIT;
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SET_CURRENT_FOLDER, A), W{0});  // a task holds no list
  EXPECT_EQ(Host().active_control, ZTL_AC_TASKLISTVIEW);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SET_CURRENT_FOLDER, F), W{1});
  EXPECT_EQ(Host().current_folder(), F);
}

TEST_F(ItemTreeTest, ProjectFileName) {
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_PROJECT_FILENAME, B), std::string("/tmp/none.json\0", 15));
}

// A deleted item answers what no item answers, never as if it were a project
// of its own (level 0) or a success.
TEST_F(ItemTreeTest, DeletedItemAnswersLikeNoItem) {
  const zentrella::Handle gone = B;
  DeleteForGood(gone);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PARENT, gone), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_NEXT_SIBLING, gone), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_FIRST_CHILD, gone), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_KIND, gone), W{-1});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_LEVEL, gone), W{-1});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_LISTITEM_INDEX, gone), W{-1});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SELECTED_GET, gone), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SELECTED_SET, gone, Words({1})), W{0});
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_CHILDREN, gone).empty());
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ADD, gone, Words({ZTL_KIND_TASK})), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DELETE, gone), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_SET_FOCUS, gone), W{0});
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_PROJECT_FILENAME, gone), std::string(1, '\0'));
  EXPECT_EQ(Remakes(), 0);
}

}  // namespace
