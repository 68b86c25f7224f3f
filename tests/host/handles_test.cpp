// Handles: checked, typed, never reused, stale after deletion.
#include "host_fixture.h"

namespace zentrella::testing {
namespace {

using HandleTest = HostTest;

TEST_F(HandleTest, DeletedForGoodGoesStaleEverywhere) {
  const Handle doc = ZTLPlugin_AddDescription(A);
  const Handle link = ZTLPlugin_AddLinkedFile(A);
  ASSERT_NE(doc, 0u);
  ASSERT_EQ(ZTLPlugin_DeleteItem(F, 0), ZTL_TRUE);

  for (Handle gone : {F, A, B, C}) {
    EXPECT_EQ(ZTLPlugin_GetItemInfo(gone), nullptr);
    EXPECT_EQ(ZTLPlugin_GetParent(gone), 0u);
    EXPECT_EQ(ZTLPlugin_GetProject(gone), 0u);
    EXPECT_EQ(ZTLPlugin_GetChildren(gone), nullptr);
    EXPECT_EQ(ZTLPlugin_GetAlarm(gone), nullptr);
    EXPECT_EQ(ZTLPlugin_AddItem(gone, ZTL_ITEM_TASK), 0u);
    EXPECT_EQ(ZTLPlugin_DeleteItem(gone, -1), ZTL_FALSE);
  }
  EXPECT_EQ(ZTLPlugin_GetDescriptionInfo(doc), nullptr);
  EXPECT_EQ(ZTLPlugin_GetDescriptionSize(doc), 0);
  EXPECT_EQ(ZTLPlugin_SetDescriptionStr(doc, "x"), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_GetLinkedFileInfo(link), nullptr);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(P)), std::vector<Handle>({D}));
  EXPECT_EQ(outstanding_records(), 0u);
}

TEST_F(HandleTest, RecycleBinKeepsItemsAliveUntilDeletedThere) {
  const Handle bin = ZTLPlugin_GetRecycled();
  ASSERT_EQ(ZTLPlugin_DeleteItem(A, -1), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetParent(A), bin);
  EXPECT_EQ(ZTLPlugin_GetProject(A), bin);
  EXPECT_EQ(title(A), "A");
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)), std::vector<Handle>({B, C}));

  ASSERT_EQ(ZTLPlugin_DeleteItem(A, -1), ZTL_TRUE);  // a second delete, from the bin, is final
  EXPECT_EQ(ZTLPlugin_GetItemInfo(A), nullptr);
  EXPECT_TRUE(take_list(ZTLPlugin_GetChildren(bin)).empty());
  EXPECT_EQ(ZTLPlugin_DeleteItem(bin, -1), ZTL_FALSE);  // the special projects stay
}

TEST_F(HandleTest, NeverReusedEvenByAFreshSession) {
  std::vector<Handle> seen = {P, F, A, B, C, D};
  ZTLPlugin_DeleteItem(A, 0);
  for (int i = 0; i < 20; ++i) {
    const Handle made = ZTLPlugin_AddItem(F, ZTL_ITEM_TASK);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), made), 0);
    seen.push_back(made);
    if (i % 2 == 0) ZTLPlugin_DeleteItem(made, 0);
  }
  reset_session();
  const Handle after_reset = session().special(SpecialProject::scrap);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), after_reset), 0);
}

// Two stores take handles from the one counter in turns, each across many
// directory pages: each finds its own objects, never the other's, and a
// handle in a stretch the other took finds nothing.
TEST(StoreDirectory, StoresTakingHandlesInTurnsFindOnlyTheirOwn) {
  Store mine;
  Store other;
  const Handle root = mine.create_item(ItemKind::project, 0).handle;
  std::vector<Handle> own;
  std::vector<Handle> others;
  const Handle other_root = other.create_item(ItemKind::project, 0).handle;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 1500; ++i) own.push_back(mine.create_item(ItemKind::task, root).handle);
    for (int i = 0; i < 2500; ++i) others.push_back(other.create_item(ItemKind::task, other_root).handle);
  }
  for (Handle h : own) ASSERT_NE(mine.item(h), nullptr) << h;
  for (Handle h : others) ASSERT_EQ(mine.item(h), nullptr) << h;
  for (Handle h : own) ASSERT_EQ(other.item(h), nullptr) << h;
  EXPECT_EQ(mine.item_count(), 1 + own.size());

  const Handle category = mine.create_category(own.back(), CategoryData{"name", "value"}).handle;
  EXPECT_EQ(mine.item(category), nullptr);
  ASSERT_NE(mine.category(category), nullptr);
  EXPECT_EQ(mine.category(category)->data.value, "value");
  EXPECT_EQ(mine.item(category + 1), nullptr);    // not made yet
  EXPECT_EQ(mine.item(category + 5000), nullptr);  // beyond every page

  mine.destroy_item(own[1700]);
  EXPECT_EQ(mine.item(own[1700]), nullptr);
  EXPECT_NE(mine.item(own[1699]), nullptr);
  EXPECT_EQ(mine.item_count(), own.size());
}

TEST_F(HandleTest, AHandleOfOneKindFindsNothingOfAnother) {
  const Handle doc = ZTLPlugin_AddDescription(A);
  const Handle link = ZTLPlugin_AddLinkedFile(A);
  EXPECT_EQ(ZTLPlugin_GetItemInfo(doc), nullptr);
  EXPECT_EQ(ZTLPlugin_GetItemInfo(link), nullptr);
  EXPECT_EQ(ZTLPlugin_GetDescriptionInfo(A), nullptr);
  EXPECT_EQ(ZTLPlugin_GetDescriptionInfo(link), nullptr);
  EXPECT_EQ(ZTLPlugin_GetLinkedFileInfo(doc), nullptr);
  EXPECT_EQ(ZTLPlugin_GetUserCatInfo(A), nullptr);
  EXPECT_EQ(ZTLPlugin_DeleteDescription(link), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_DeleteLinkedFile(doc), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_SetCurrentDescription(A), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_AssignDescription(doc, link), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_DeleteItem(doc, 0), ZTL_FALSE);
  EXPECT_NE(ZTLPlugin_GetDescriptionInfo(doc), nullptr);  // still there, untouched
  reset_record_ledger();
}

TEST_F(HandleTest, InventedHandlesGetNone) {
  for (Handle bogus : {0u, 1u, 7u, 0xFFFFFFFFu, 0x7FFF1234u}) {
    EXPECT_EQ(ZTLPlugin_GetItemInfo(bogus), nullptr);
    EXPECT_EQ(ZTLPlugin_GetChildren(bogus), nullptr);
    EXPECT_EQ(ZTLPlugin_GetNextItem(bogus), 0u);
    EXPECT_EQ(ZTLPlugin_GetPrevItem(bogus), 0u);
    EXPECT_EQ(ZTLPlugin_GetListItemIndex(bogus), -1);
    EXPECT_EQ(ZTLPlugin_SetCurrentItem(bogus), ZTL_FALSE);
    EXPECT_EQ(ZTLPlugin_AssignItem(A, bogus), ZTL_FALSE);
    char buffer[261] = "unchanged";
    EXPECT_EQ(ZTLPlugin_GetProjectFilename(bogus, buffer, 260), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(ZTLPlugin_GetDescriptionStr(bogus, buffer, 260), 0);
  }
  EXPECT_EQ(outstanding_records(), 0u);
}

TEST_F(HandleTest, DeletingRepairsWhatIsCurrentAndSelected) {
  ASSERT_EQ(ZTLPlugin_SetCurrentItem(B), ZTL_TRUE);
  const Handle doc = ZTLPlugin_AddDescription(B);
  ASSERT_EQ(ZTLPlugin_SetCurrentDescription(doc), ZTL_TRUE);
  const ZtlHandle picks[] = {A, B, D, 0};
  ZTLPlugin_SelectItems(picks);
  ZTLPlugin_DeleteItem(F, 0);
  EXPECT_EQ(ZTLPlugin_GetCurrnetItem(), 0u);
  EXPECT_EQ(ZTLPlugin_GetCurrentDescription(), 0u);
  EXPECT_EQ(ZTLPlugin_GetCurrentFolder(), P);
  EXPECT_EQ(take_list(ZTLPlugin_GetSelectedItems()), std::vector<Handle>({D}));
  EXPECT_EQ(ZTLPlugin_EditGetLinesCount(), 0);
}

}  // namespace
}  // namespace zentrella::testing
