// What a window showing the session relies on: moving items, the count of
// changes it redraws on, and the hooks through which the exported API
// reaches it.
#include "host_fixture.h"
#include "model/view_hooks.h"

namespace zentrella::testing {
namespace {

class ViewsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ItemTree q;
    q.fields.kind = ItemKind::project;
    q.fields.title = "Q";
    q.categories = {{"担当", ""}};
    Q = session().add_project(q, "/tmp/q.json");
    session().special_file = "/tmp/special.json";
    session().clear_dirty();
  }
  Handle Q = 0;
};

TEST_F(ViewsTest, MovedItemsKeepTheirHandlesAndJoinTheNewProject) {
  Session& s = session();
  s.set_current_item(A);
  ASSERT_TRUE(s.move_item(F, Q));
  EXPECT_EQ(child(Q, 0), F);
  EXPECT_EQ(child(F, 0), A) << "the subtree moves with it";
  EXPECT_EQ(s.store().item(P)->children, std::vector<Handle>{D});
  EXPECT_EQ(s.dirty_files(), (std::set<std::string>{"/tmp/none.json", "/tmp/q.json"}));
  ASSERT_EQ(s.store().item(A)->categories.size(), 1u) << "the new project's categories";
  EXPECT_EQ(s.store().category(s.store().item(A)->categories[0])->data.name, "担当");
  EXPECT_EQ(s.current_item(), A);
  EXPECT_EQ(s.current_folder(), F);
  EXPECT_EQ(s.list_item_index(A), 0);
}

TEST_F(ViewsTest, MovesThatWouldBreakTheTreeAreRefused) {
  Session& s = session();
  EXPECT_FALSE(s.move_item(F, F));
  EXPECT_FALSE(s.move_item(F, A)) << "below itself";
  EXPECT_FALSE(s.move_item(P, Q)) << "projects stay at the top";
  EXPECT_FALSE(s.move_item(s.special(SpecialProject::scrap), Q));
  EXPECT_FALSE(s.move_item(A, 999999));
  EXPECT_TRUE(s.dirty_files().empty());
  EXPECT_EQ(s.store().item(F)->children.size(), 3u);
}

TEST_F(ViewsTest, AnItemMovesOutOfTheRecycleBinAgain) {
  Session& s = session();
  ASSERT_TRUE(s.delete_item(B, true));
  s.clear_dirty();
  ASSERT_TRUE(s.move_item(B, Q));
  EXPECT_EQ(s.project_of(B), Q);
  EXPECT_TRUE(s.store().item(s.special(SpecialProject::recycle_bin))->children.empty());
  EXPECT_EQ(s.dirty_files().size(), 2u) << "the bin's file and the project's";
}

TEST_F(ViewsTest, TheRevisionMovesWithChangesAndWhatIsCurrentNotWithReading) {
  Session& s = session();
  std::uint64_t seen = s.revision;
  const auto moved = [&] {
    const bool changed = s.revision != seen;
    seen = s.revision;
    return changed;
  };
  take_list(ZTLPlugin_GetListViewItems());
  EXPECT_EQ(title(A), "A");
  EXPECT_FALSE(moved()) << "reading";
  s.set_current_folder(F);
  EXPECT_TRUE(moved());
  s.set_current_item(B);
  EXPECT_TRUE(moved());
  s.set_selected(C, true);
  EXPECT_TRUE(moved());
  s.set_selected(C, true);
  EXPECT_FALSE(moved()) << "already selected";
  s.touch(D);
  EXPECT_TRUE(moved());
  s.delete_item(D, true);
  EXPECT_TRUE(moved());
}

TEST_F(ViewsTest, TheApiReachesTheWindowThroughItsHooks) {
  int remakes = 0;
  int pumps = 0;
  set_task_list_remake_handler([&] { ++remakes; });
  set_event_pump([&] { ++pumps; });
  ZTLPlugin_RemakeTaskListView(0, -1, -1);
  ZTLPlugin_ExecMessageProc();
  ZTLPlugin_ExecMessageProc();
  EXPECT_EQ(remakes, 1);
  EXPECT_EQ(pumps, 2);
  set_task_list_remake_handler({});
  set_event_pump({});
  ZTLPlugin_RemakeTaskListView(0, -1, -1);  // without a window: counted only
  ZTLPlugin_ExecMessageProc();
  EXPECT_EQ(remakes, 1);
  EXPECT_EQ(pumps, 2);
  EXPECT_EQ(session().remake_count, 2);
}

}  // namespace
}  // namespace zentrella::testing
