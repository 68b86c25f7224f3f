// Tree navigation and changes through the exported functions.
#include "host_fixture.h"

namespace zentrella::testing {
namespace {

using TreeTest = HostTest;

TEST_F(TreeTest, ParentsChildrenAndProjects) {
  EXPECT_EQ(ZTLPlugin_GetParent(P), 0u);
  EXPECT_EQ(ZTLPlugin_GetParent(B), F);
  EXPECT_EQ(ZTLPlugin_GetProject(B), P);
  EXPECT_EQ(ZTLPlugin_GetProject(P), P);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)), std::vector<Handle>({A, B, C}));
  EXPECT_TRUE(take_list(ZTLPlugin_GetChildren(A)).empty());
  EXPECT_EQ(take_list(ZTLPlugin_GetLoadedProjects()), std::vector<Handle>({P}));
}

TEST_F(TreeTest, NextAndPrevWalkTheProjectInOrder) {
  const std::vector<Handle> order = {P, F, A, B, C, D};
  std::vector<Handle> forward;
  for (Handle at = P; at != 0; at = ZTLPlugin_GetNextItem(at)) forward.push_back(at);
  EXPECT_EQ(forward, order);
  std::vector<Handle> backward;
  for (Handle at = D; at != 0; at = ZTLPlugin_GetPrevItem(at)) backward.insert(backward.begin(), at);
  EXPECT_EQ(backward, order);
}

TEST_F(TreeTest, AddHonoursTheBottomOptionAndInsertThePosition) {
  const Handle last = ZTLPlugin_AddItem(F, ZTL_ITEM_TASK);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)).back(), last);
  ZTLPlugin_SetProjectOption(A, 0, 0, 0, 0, 0);
  const Handle first = ZTLPlugin_AddItem(F, ZTL_ITEM_FOLDER);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)).front(), first);

  const Handle middle = ZTLPlugin_InsertItem(F, ZTL_ITEM_FILER, 2);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)).at(2), middle);
  const Handle far = ZTLPlugin_InsertItem(F, ZTL_ITEM_TASK, 999);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)).back(), far);

  EXPECT_EQ(ZTLPlugin_AddItem(F, 4), 0u);
  EXPECT_EQ(ZTLPlugin_AddItem(F, ZTL_ITEM_PROJECT), 0u);  // projects live at the top only
  EXPECT_EQ(ZTLPlugin_AddItem(0, ZTL_ITEM_TASK), 0u);
  const Handle project = ZTLPlugin_AddItem(0, ZTL_ITEM_PROJECT);
  EXPECT_EQ(take_list(ZTLPlugin_GetLoadedProjects()), std::vector<Handle>({P, project}));
  char file[261];
  ZTLPlugin_GetProjectFilename(project, file, 260);
  EXPECT_STREQ(file, "/tmp/none.json");
}

TEST_F(TreeTest, AssignCopiesContentAndRefusesCopyingIntoItself) {
  ZTLPlugin_AddDescription(A);
  session().store().item(A)->fields.progress = 70;
  ASSERT_EQ(ZTLPlugin_AssignItem(D, A), ZTL_TRUE);
  EXPECT_EQ(title(D), "A");
  EXPECT_EQ(session().store().item(D)->fields.progress, 70);
  EXPECT_EQ(session().store().item(D)->documents.size(), 1u);
  EXPECT_NE(session().store().item(D)->documents[0], session().store().item(A)->documents[0]);

  ASSERT_EQ(ZTLPlugin_AssignItemWithChildren(D, F), ZTL_TRUE);
  EXPECT_EQ(session().store().item(D)->fields.kind, ItemKind::task);  // the target keeps its kind
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(D)).size(), 3u);
  // Copying A into F would destroy A, the source, with F's old children.
  EXPECT_EQ(ZTLPlugin_AssignItemWithChildren(F, A), ZTL_FALSE);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)), std::vector<Handle>({A, B, C}));
  // The other way round is sound: the copy is taken before A changes.
  EXPECT_EQ(ZTLPlugin_AssignItemWithChildren(A, F), ZTL_TRUE);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(A)).size(), 3u);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)).front(), A);
}

TEST_F(TreeTest, CurrentFolderDrivesTheTaskListAndIndexes) {
  ASSERT_EQ(ZTLPlugin_SetCurrentFolder(F), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_SetCurrentFolder(A), ZTL_FALSE);  // a task holds no list
  EXPECT_EQ(take_list(ZTLPlugin_GetListViewItems()), std::vector<Handle>({A, B, C}));
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(C), 2);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(D), -1);
  ASSERT_EQ(ZTLPlugin_SetCurrentItem(D), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetCurrentFolder(), P);
  EXPECT_EQ(ZTLPlugin_GetCurrentProject(), P);
}

TEST_F(TreeTest, SelectionKeepsItsOrderAndIgnoresStrangers) {
  const ZtlHandle picks[] = {C, A, 0x7FFFFFFF, C, 0};
  ZTLPlugin_SelectItems(picks);
  EXPECT_EQ(take_list(ZTLPlugin_GetSelectedItems()), std::vector<Handle>({C, A}));
  ZTLPlugin_SelectItems(nullptr);
  EXPECT_TRUE(take_list(ZTLPlugin_GetSelectedItems()).empty());
}

TEST_F(TreeTest, SpecialProjectsAreDistinctAndNotLoadedProjects) {
  const std::vector<Handle> specials = {ZTLPlugin_GetRecycled(), ZTLPlugin_GetFindProject(),
                                        ZTLPlugin_GetTemplateProject(), ZTLPlugin_GetScrapProject()};
  for (std::size_t i = 0; i < specials.size(); ++i) {
    EXPECT_NE(specials[i], 0u);
    EXPECT_EQ(session().store().item(specials[i])->fields.kind, ItemKind::project);
    for (std::size_t j = i + 1; j < specials.size(); ++j) EXPECT_NE(specials[i], specials[j]);
  }
  EXPECT_EQ(take_list(ZTLPlugin_GetLoadedProjects()), std::vector<Handle>({P}));
}

TEST_F(TreeTest, ChangesMarkTheProjectFileForSaving) {
  EXPECT_TRUE(session().dirty_files().empty());
  ZTLPlugin_AddLinkedFile(B);
  EXPECT_EQ(session().dirty_files().count("/tmp/none.json"), 1u);
}

// The list index is kept between reads; every change of the list must show.
TEST_F(TreeTest, ListIndexesFollowEveryChangeOfTheList) {
  ASSERT_EQ(ZTLPlugin_SetCurrentFolder(F), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(C), 2);
  const Handle first = ZTLPlugin_InsertItem(F, 0, 0);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(first), 0);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(C), 3);
  ASSERT_EQ(ZTLPlugin_DeleteItem(A, 0), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(A), -1);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(B), 1);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(C), 2);
  // Another folder's list, then this one's again, with a change in between.
  ASSERT_EQ(ZTLPlugin_SetCurrentFolder(P), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(D), 1);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(C), -1);
  ASSERT_EQ(ZTLPlugin_DeleteItem(B, 0), ZTL_TRUE);
  ASSERT_EQ(ZTLPlugin_SetCurrentFolder(F), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetListItemIndex(C), 1);
  ZtlItemInfo* info = ZTLPlugin_GetItemInfo(C);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(+info->list_item_index, 1);
  ZTLPlugin_FreeItemInfo(info);
}

}  // namespace
}  // namespace zentrella::testing
