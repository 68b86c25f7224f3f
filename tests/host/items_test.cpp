// Items as a user meets them: the order across projects, positions, the
// recycle bin, copies, categories per project, what stays current, and what
// marks a project for saving.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include <platform/atomic_file.h>
#include <platform/codepage.h>

#include "host_fixture.h"
#include "storage/project_file.h"
#include "storage/session_files.h"

namespace zentrella::testing {
namespace {

namespace fs = std::filesystem;

// A second project Q { task E } after P, saved to its own file.
class ItemsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ItemTree q;
    q.fields.kind = ItemKind::project;
    q.fields.title = "Q";
    ItemTree e;
    e.fields.title = "E";
    q.children = {e};
    Q = session().add_project(q, q_file);
    E = child(Q, 0);
    session().clear_dirty();
  }

  void TearDown() override {
    fs::remove(q_file);
    EXPECT_EQ(outstanding_records(), 0u);
    HostTest::TearDown();
  }

  static std::vector<std::pair<std::string, std::string>> categories(Handle item) {
    std::vector<std::pair<std::string, std::string>> result;
    ZtlItemInfo* info = ZTLPlugin_GetItemInfo(item);
    for (std::size_t i = 0; info != nullptr && info->user_categories[i] != 0; ++i) {
      ZtlUserCatInfo* cat = ZTLPlugin_GetUserCatInfo(info->user_categories[i]);
      result.emplace_back(cat->name, cat->value);
      ZTLPlugin_FreeUserCatInfo(cat);
    }
    ZTLPlugin_FreeItemInfo(info);
    return result;
  }

  static void set_category(Handle item, std::size_t index, const std::string& value) {
    ZtlItemInfo* info = ZTLPlugin_GetItemInfo(item);
    ZtlUserCatInfo* cat = ZTLPlugin_GetUserCatInfo(info->user_categories[index]);
    std::memset(cat->value, 0, sizeof cat->value);
    std::memcpy(cat->value, value.data(), std::min(value.size(), sizeof cat->value));
    ZTLPlugin_SetUserCatInfo(info->user_categories[index], cat);
    ZTLPlugin_FreeUserCatInfo(cat);
    ZTLPlugin_FreeItemInfo(info);
  }

  static ItemFields fields(Handle item) { return session().store().item(item)->fields; }

  const std::string q_file =
      (fs::temp_directory_path() / ("zentrella-items-q-" + std::to_string(::getpid()) + ".json")).string();
  Handle Q = 0, E = 0;
};

// One code page for the length of a test.
struct CodePageScope {
  explicit CodePageScope(platform::codepage::CodePage page) { platform::codepage::set_current(page); }
  ~CodePageScope() { platform::codepage::set_current(platform::codepage::CodePage::utf8); }
};

TEST_F(ItemsTest, NextAndPrevCrossLoadedProjectsButNotIntoSpecialOnes) {
  const std::vector<Handle> order = {P, F, A, B, C, D, Q, E};
  std::vector<Handle> forward;
  for (Handle at = P; at != 0; at = ZTLPlugin_GetNextItem(at)) forward.push_back(at);
  EXPECT_EQ(forward, order);
  std::vector<Handle> backward;
  for (Handle at = E; at != 0; at = ZTLPlugin_GetPrevItem(at)) backward.insert(backward.begin(), at);
  EXPECT_EQ(backward, order);

  const Handle bin = ZTLPlugin_GetRecycled();
  ASSERT_EQ(ZTLPlugin_DeleteItem(B, -1), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetNextItem(bin), B);
  EXPECT_EQ(ZTLPlugin_GetNextItem(B), 0u);
  EXPECT_EQ(ZTLPlugin_GetPrevItem(bin), 0u);
  EXPECT_EQ(ZTLPlugin_GetNextItem(A), C);
}

TEST_F(ItemsTest, InsertPositionIsClampedToTheChildren) {
  const Handle below_zero = ZTLPlugin_InsertItem(F, ZTL_ITEM_TASK, -5);
  const Handle far = ZTLPlugin_InsertItem(F, ZTL_ITEM_TASK, INT32_MAX);
  const Handle second = ZTLPlugin_InsertItem(F, ZTL_ITEM_FOLDER, 1);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)), std::vector<Handle>({below_zero, second, A, B, C, far}));
  EXPECT_EQ(ZTLPlugin_InsertItem(0, ZTL_ITEM_TASK, 0), 0u);
  EXPECT_EQ(ZTLPlugin_InsertItem(F, ZTL_ITEM_PROJECT, 0), 0u);
  EXPECT_EQ(ZTLPlugin_InsertItem(F, 9, 0), 0u);
}

// Each change marks its project's file, the same one many times over, and
// after a save a change marks it again.
TEST_F(ItemsTest, EveryChangeAfterASaveMarksItsProjectsFileAgain) {
  ASSERT_NE(ZTLPlugin_AddItem(Q, ZTL_ITEM_TASK), 0u);
  ASSERT_NE(ZTLPlugin_AddItem(Q, ZTL_ITEM_TASK), 0u);
  EXPECT_EQ(session().dirty_files(), (std::set<std::string>{q_file}));
  session().clear_dirty();  // as a save leaves it
  ASSERT_NE(ZTLPlugin_AddItem(E, ZTL_ITEM_TASK), 0u);
  EXPECT_EQ(session().dirty_files(), (std::set<std::string>{q_file}));
  ASSERT_NE(ZTLPlugin_AddItem(F, ZTL_ITEM_TASK), 0u);
  EXPECT_EQ(session().dirty_files().size(), 2u) << "P's file too";
  session().clear_dirty();
  ASSERT_NE(ZTLPlugin_AddItem(F, ZTL_ITEM_TASK), 0u);
  EXPECT_EQ(session().dirty_files().count(q_file), 0u);
  EXPECT_EQ(session().dirty_files().size(), 1u);
}

TEST_F(ItemsTest, ADeletedProjectWaitsInTheBinAsAFolderAndTheBinStillLoads) {
  const fs::path folder = fs::temp_directory_path() / ("zentrella-items-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string specials = (folder / kSpecialProjectsFile).string();
  session().special_file = specials;

  ASSERT_EQ(ZTLPlugin_DeleteItem(Q, -1), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetParent(Q), ZTLPlugin_GetRecycled());
  EXPECT_EQ(session().store().item(Q)->fields.kind, ItemKind::folder);
  EXPECT_EQ(take_list(ZTLPlugin_GetLoadedProjects()), std::vector<Handle>({P}));
  EXPECT_EQ(session().dirty_files(), (std::set<std::string>{q_file, specials}));
  save_dirty_files(session());

  reset_session();
  open_special_projects(session(), specials);  // a project inside the bin would make this throw
  const Handle bin = ZTLPlugin_GetRecycled();
  const std::vector<Handle> kept = take_list(ZTLPlugin_GetChildren(bin));
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(title(kept[0]), "Q");
  EXPECT_EQ(title(child(kept[0], 0)), "E");
  EXPECT_TRUE(load_projects(q_file).empty());
  fs::remove_all(folder);
}

TEST_F(ItemsTest, DeletingWhatHoldsTheCurrentFolderItemAndDocumentMovesThemOut) {
  ASSERT_EQ(ZTLPlugin_SetCurrentItem(B), ZTL_TRUE);
  const Handle doc = ZTLPlugin_AddDescription(B);
  ASSERT_EQ(ZTLPlugin_SetCurrentDescription(doc), ZTL_TRUE);
  const ZtlHandle picks[] = {A, D, 0};
  ZTLPlugin_SelectItems(picks);

  ASSERT_EQ(ZTLPlugin_DeleteItem(F, -1), ZTL_TRUE);  // to the bin: the items live on there
  EXPECT_EQ(ZTLPlugin_GetCurrentFolder(), P);
  EXPECT_EQ(ZTLPlugin_GetCurrnetItem(), 0u);
  EXPECT_EQ(ZTLPlugin_GetCurrentDescription(), 0u);
  EXPECT_EQ(ZTLPlugin_EditGetLinesCount(), 0);
  EXPECT_EQ(take_list(ZTLPlugin_GetSelectedItems()), std::vector<Handle>({D}));
  EXPECT_EQ(take_list(ZTLPlugin_GetListViewItems()), std::vector<Handle>({D}));

  // A folder below a task: the folder goes to the nearest ancestor that is no task.
  const Handle sub = ZTLPlugin_AddItem(ZTLPlugin_AddItem(D, ZTL_ITEM_TASK), ZTL_ITEM_FOLDER);
  ASSERT_EQ(ZTLPlugin_SetCurrentFolder(sub), ZTL_TRUE);
  ASSERT_EQ(ZTLPlugin_DeleteItem(ZTLPlugin_GetParent(sub), 0), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetCurrentFolder(), P);

  // The project of the current folder: another loaded project takes over.
  ASSERT_EQ(ZTLPlugin_SetCurrentItem(D), ZTL_TRUE);
  ASSERT_EQ(ZTLPlugin_DeleteItem(P, -1), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetCurrentFolder(), Q);
  EXPECT_EQ(ZTLPlugin_GetCurrentProject(), Q);
  EXPECT_EQ(ZTLPlugin_GetCurrnetItem(), 0u);
}

TEST_F(ItemsTest, AnEmptiedBinLeavesOnlyStaleHandles) {
  const Handle doc = ZTLPlugin_AddDescription(A);
  const Handle bin = ZTLPlugin_GetRecycled();
  session().store().create_category(D, {"owner", "me"});
  session().conform_categories(D);
  ASSERT_EQ(ZTLPlugin_DeleteItem(F, -1), ZTL_TRUE);
  ASSERT_EQ(ZTLPlugin_DeleteItem(D, -1), ZTL_TRUE);
  EXPECT_EQ(categories(bin).size(), 1u);  // D brought its category along
  EXPECT_EQ(ZTLPlugin_Command(0, "EmptyRecycleBin", 0, 0, nullptr), -1);
  EXPECT_EQ(ZTLPlugin_Command(0, "EmptyRecycleBin", 0, 0, nullptr), 0);  // nothing left to empty
  EXPECT_TRUE(take_list(ZTLPlugin_GetChildren(bin)).empty());
  EXPECT_TRUE(categories(bin).empty());
  EXPECT_EQ(categories(ZTLPlugin_AddItem(bin, ZTL_ITEM_TASK)).size(), 0u);
  for (Handle gone : {F, A, D}) {
    EXPECT_EQ(ZTLPlugin_GetItemInfo(gone), nullptr);
    EXPECT_EQ(ZTLPlugin_GetChildren(gone), nullptr);
    EXPECT_EQ(ZTLPlugin_GetNextItem(gone), 0u);
    EXPECT_EQ(ZTLPlugin_GetPrevItem(gone), 0u);
    EXPECT_EQ(ZTLPlugin_InsertItem(gone, ZTL_ITEM_TASK, 0), 0u);
    EXPECT_EQ(ZTLPlugin_AssignItem(gone, E), ZTL_FALSE);
    EXPECT_EQ(ZTLPlugin_AssignItemWithChildren(E, gone), ZTL_FALSE);
    EXPECT_EQ(ZTLPlugin_SetCurrentFolder(gone), ZTL_FALSE);
    EXPECT_EQ(ZTLPlugin_GetListItemIndex(gone), -1);
  }
  EXPECT_EQ(ZTLPlugin_GetDescriptionInfo(doc), nullptr);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(P)), std::vector<Handle>());
  EXPECT_EQ(outstanding_records(), 0u);
}

TEST_F(ItemsTest, TheDeleteCommandKeepsItemsThatGoWithASelectedAncestor) {
  const ZtlHandle picks[] = {A, F, C, 0};
  ZTLPlugin_SelectItems(picks);
  EXPECT_EQ(ZTLPlugin_Command(0, "Delete", 0, 0, nullptr), -1);
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(ZTLPlugin_GetRecycled())), std::vector<Handle>({F}));
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(F)), std::vector<Handle>({A, B, C}));
}

TEST_F(ItemsTest, CopiesKeepTheTargetsCreationAndAreNewThemselves) {
  session().store().item(D)->fields.dates.create = 40000.0;
  for (Handle h : {F, A, B, C}) session().store().item(h)->fields.dates.create = 30000.0;
  ASSERT_EQ(ZTLPlugin_AssignItemWithChildren(D, F), ZTL_TRUE);
  EXPECT_EQ(fields(D).dates.create, 40000.0);
  EXPECT_GT(fields(D).dates.last_modify, 40000.0);
  const std::vector<Handle> copies = take_list(ZTLPlugin_GetChildren(D));
  ASSERT_EQ(copies.size(), 3u);
  for (Handle copy : copies) EXPECT_GT(fields(copy).dates.create, 40000.0);
  EXPECT_EQ(fields(A).dates.create, 30000.0);  // the source is untouched

  const Handle doc = ZTLPlugin_AddDescription(E);
  EXPECT_EQ(ZTLPlugin_AssignItem(E, E), ZTL_TRUE);  // onto itself: nothing changes
  EXPECT_EQ(session().store().item(E)->documents, std::vector<Handle>({doc}));

  const Handle bin = ZTLPlugin_GetRecycled();
  ZTLPlugin_DeleteItem(A, -1);
  EXPECT_EQ(ZTLPlugin_AssignItemWithChildren(bin, F), ZTL_FALSE);  // would wipe the bin
  EXPECT_EQ(take_list(ZTLPlugin_GetChildren(bin)), std::vector<Handle>({A}));
  EXPECT_EQ(title(bin), "ごみ箱");
}

TEST_F(ItemsTest, CopyingOverTheCurrentFolderLeavesItToTheTarget) {
  ASSERT_EQ(ZTLPlugin_SetCurrentFolder(F), ZTL_TRUE);
  const Handle sub = ZTLPlugin_AddItem(D, ZTL_ITEM_FOLDER);
  ASSERT_EQ(ZTLPlugin_SetCurrentFolder(sub), ZTL_TRUE);
  ASSERT_EQ(ZTLPlugin_AssignItemWithChildren(D, E), ZTL_TRUE);  // D's old child sub is gone
  EXPECT_EQ(ZTLPlugin_GetItemInfo(sub), nullptr);
  EXPECT_EQ(ZTLPlugin_GetCurrentFolder(), P);  // D is a task, so up to its project
}

TEST_F(ItemsTest, CategoriesAreThoseOfTheProjectWithAValuePerItem) {
  session().store().create_category(P, {"owner", ""});
  session().store().create_category(P, {"place", ""});
  session().conform_categories(P);
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(categories(B), (Pairs{{"owner", ""}, {"place", ""}}));
  const Handle made = ZTLPlugin_AddItem(F, ZTL_ITEM_TASK);
  EXPECT_EQ(categories(made), (Pairs{{"owner", ""}, {"place", ""}}));
  EXPECT_TRUE(categories(E).empty());  // Q defines none

  set_category(B, 0, "me");
  EXPECT_EQ(categories(B), (Pairs{{"owner", "me"}, {"place", ""}}));
  EXPECT_EQ(categories(A), (Pairs{{"owner", ""}, {"place", ""}}));

  // An item copied in from Q brings its category along to every item of P.
  session().store().create_category(E, {"cost", "3"});
  session().conform_categories(Q);
  ASSERT_EQ(ZTLPlugin_AssignItem(C, E), ZTL_TRUE);
  EXPECT_EQ(categories(C), (Pairs{{"owner", ""}, {"place", ""}, {"cost", "3"}}));
  EXPECT_EQ(categories(B), (Pairs{{"owner", "me"}, {"place", ""}, {"cost", ""}}));
  EXPECT_EQ(categories(P).size(), 3u);
}

TEST_F(ItemsTest, EveryChangeMarksItsProjectFileAndOnlyChangesDo) {
  const std::set<std::string> p_file = {"/tmp/none.json"};
  session().store().create_category(B, {"owner", "me"});
  session().conform_categories(B);
  const ZtlAlarmInfo alarm{1, 0, 5, ZTL_AU_MIN};
  auto marks = [&](auto&& change) {
    session().clear_dirty();
    change();
    return session().dirty_files();
  };
  auto set_info = [&](auto&& edit) {
    ZtlItemInfo* info = ZTLPlugin_GetItemInfo(B);
    edit(*info);
    ZTLPlugin_SetItemInfo(B, info);
    ZTLPlugin_FreeItemInfo(info);
  };
  EXPECT_EQ(marks([&] { set_info([](ZtlItemInfo& i) { i.progress = 10; }); }), p_file);
  EXPECT_EQ(marks([&] { set_info([](ZtlItemInfo& i) { i.due_time = 45000.5; }); }), p_file);
  EXPECT_TRUE(marks([&] { set_info([](ZtlItemInfo& i) { i.selected = -1; }); }).empty());
  EXPECT_TRUE(marks([&] { set_info([](ZtlItemInfo&) {}); }).empty());
  EXPECT_EQ(marks([&] { set_category(B, 0, "you"); }), p_file);
  EXPECT_TRUE(marks([&] { set_category(B, 0, "you"); }).empty());
  EXPECT_EQ(marks([&] { ZTLPlugin_SetAlarm(B, &alarm); }), p_file);
  EXPECT_TRUE(marks([&] { ZTLPlugin_SetAlarm(B, &alarm); }).empty());
  EXPECT_EQ(marks([&] { ZTLPlugin_AddItem(F, ZTL_ITEM_TASK); }), p_file);
  EXPECT_EQ(marks([&] { ZTLPlugin_InsertItem(F, ZTL_ITEM_TASK, 0); }), p_file);
  EXPECT_EQ(marks([&] { ZTLPlugin_AssignItem(D, A); }), p_file);
  EXPECT_EQ(marks([&] { ZTLPlugin_AssignItemWithChildren(E, F); }), std::set<std::string>{q_file});
  EXPECT_EQ(marks([&] { ZTLPlugin_DeleteItem(A, 0); }), p_file);
  EXPECT_TRUE(marks([&] { ZTLPlugin_SetCurrentItem(C); }).empty());
}

TEST_F(ItemsTest, CreationAndLastModifyAreTheHostsOwnAndBadDatesAreRefused) {
  session().store().item(B)->fields.dates.create = 40000.0;
  session().store().item(B)->fields.dates.last_modify = 40000.0;
  ZtlItemInfo* info = ZTLPlugin_GetItemInfo(B);
  info->create_time = 1.0;
  info->last_modify_time = 2.0;
  info->progress = 50;
  ASSERT_EQ(ZTLPlugin_SetItemInfo(B, info), ZTL_TRUE);
  EXPECT_EQ(fields(B).dates.create, 40000.0);
  EXPECT_GT(fields(B).dates.last_modify, 45000.0);  // refreshed to now

  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300,
                     -800000.0}) {
    info->progress = 60;
    info->end_time = bad;
    EXPECT_EQ(ZTLPlugin_SetItemInfo(B, info), ZTL_FALSE) << bad;
    EXPECT_EQ(fields(B).progress, 50);  // nothing of the record was taken
    EXPECT_EQ(fields(B).dates.end, 0.0);
  }
  info->end_time = 25569.375 + 1.0 / 86400;
  EXPECT_EQ(ZTLPlugin_SetItemInfo(B, info), ZTL_TRUE);
  ZTLPlugin_FreeItemInfo(info);

  const Handle made = ZTLPlugin_AddItem(F, ZTL_ITEM_TASK);
  EXPECT_GT(fields(made).dates.create, 45000.0);
  EXPECT_EQ(fields(made).dates.create, fields(made).dates.last_modify);
}

// What the plug-in does with a date: whole seconds from 1970-01-01 09:00.
std::int64_t seconds(double date_time) { return std::llround((date_time - 25569.375) * 86400.0); }

TEST_F(ItemsTest, AProjectSavedAndReloadedKeepsEveryProperty) {
  const fs::path path = fs::temp_directory_path() / ("zentrella-items-" + std::to_string(::getpid()) + ".json");
  ItemTree tree;
  tree.fields.kind = ItemKind::project;
  tree.fields.title = "W";
  const Handle work = session().add_project(tree, path.string());
  session().store().create_category(work, {"owner", ""});
  session().conform_categories(work);
  const Handle folder = ZTLPlugin_AddItem(work, ZTL_ITEM_FOLDER);
  ASSERT_NE(ZTLPlugin_AddItem(work, ZTL_ITEM_FILER), 0u);
  const Handle task = ZTLPlugin_InsertItem(folder, ZTL_ITEM_TASK, 0);
  ASSERT_NE(ZTLPlugin_InsertItem(work, ZTL_ITEM_TASK, 0), 0u);
  ZtlItemInfo* info = ZTLPlugin_GetItemInfo(task);
  std::strcpy(info->title, "書く");
  info->progress = 40;
  info->priority = -2;
  info->start_time = 25569.375 + 1.0 / 86400;
  info->planned_start_time = 45000.0 + 123.0 / 86400;
  info->end_time = 45001.0 + 59.0 / 86400;
  info->due_time = 45002.75;
  ZTLPlugin_SetItemInfo(task, info);
  ZTLPlugin_FreeItemInfo(info);
  set_category(task, 0, "佐藤");
  const ZtlAlarmInfo alarm{1, -1, 2, ZTL_AU_DAY};
  ZTLPlugin_SetAlarm(task, &alarm);
  const ItemFields before = fields(task);
  save_dirty_files(session());

  reset_session();
  open_project_file(session(), path.string());
  fs::remove(path);
  const Handle again = session().loaded_projects().at(0);
  const std::vector<Handle> tops = take_list(ZTLPlugin_GetChildren(again));
  ASSERT_EQ(tops.size(), 3u);
  EXPECT_EQ(session().store().item(tops[0])->fields.kind, ItemKind::task);
  EXPECT_EQ(session().store().item(tops[1])->fields.kind, ItemKind::folder);
  EXPECT_EQ(session().store().item(tops[2])->fields.kind, ItemKind::filer);
  const Handle loaded = child(tops[1], 0);
  const ItemFields after = fields(loaded);
  EXPECT_EQ(after.title, "書く");
  EXPECT_EQ(after.progress, 40);
  EXPECT_EQ(after.priority, -2);
  EXPECT_EQ(after.alarm, before.alarm);
  const Dates& b = before.dates;
  const Dates& a = after.dates;
  for (auto [was, now] : {std::pair{b.start, a.start}, {b.planned_start, a.planned_start}, {b.end, a.end},
                          {b.due, a.due}, {b.create, a.create}, {b.last_modify, a.last_modify}}) {
    EXPECT_NE(was, 0.0);
    EXPECT_EQ(seconds(now), seconds(was));
  }
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(categories(loaded), (Pairs{{"owner", "佐藤"}}));
  EXPECT_EQ(categories(tops[2]), (Pairs{{"owner", ""}}));
}

TEST_F(ItemsTest, TheHostsOwnTitlesAreInTheCodePageInForce) {
  CodePageScope scope(platform::codepage::CodePage::cp932);
  reset_session();
  const Handle project = ZTLPlugin_AddItem(0, ZTL_ITEM_PROJECT);
  EXPECT_EQ(title(project), "\x90\x56\x82\xB5\x82\xA2\x83\x76\x83\x8D\x83\x57\x83\x46\x83\x4E\x83\x67");
  EXPECT_EQ(platform::codepage::to_utf8(title(project)), "新しいプロジェクト");
  EXPECT_EQ(platform::codepage::to_utf8(title(ZTLPlugin_GetRecycled())), "ごみ箱");
}

// A text cut by bytes (as the plug-in writes a title or a category value) or
// longer than its field keeps only whole characters.
TEST_F(ItemsTest, TitlesAndCategoryValuesAreCutAtWholeCharactersInEitherCodePage) {
  using platform::codepage::CodePage;
  session().store().create_category(B, {"owner", ""});
  session().conform_categories(B);
  for (const auto& example : {std::pair{CodePage::utf8, std::string("\xE3\x81\x82")},
                              std::pair{CodePage::cp932, std::string("\x82\xA0")}}) {
    const std::string& wide = example.second;
    CodePageScope scope(example.first);
    auto long_text = [&](const std::string& head) {
      std::string text = head;
      while (text.size() < 6000) text += wide;
      return text;
    };
    auto whole = [&](const std::string& head, std::size_t limit) {
      return head.size() + (limit - head.size()) / wide.size() * wide.size();
    };
    const std::string title = long_text("a");
    ZtlItemInfo* info = ZTLPlugin_GetItemInfo(B);
    std::memcpy(info->title, title.data(), ZTL_TITLE_MAX);
    info->title[ZTL_TITLE_MAX] = '\0';
    ZTLPlugin_SetItemInfo(B, info);
    ZTLPlugin_FreeItemInfo(info);
    const std::string stored = fields(B).title;
    EXPECT_EQ(stored.size(), whole("a", ZTL_TITLE_MAX));
    EXPECT_EQ(title.compare(0, stored.size(), stored), 0);

    session().store().item(B)->fields.title = title;
    info = ZTLPlugin_GetItemInfo(B);
    EXPECT_EQ(std::strlen(info->title), whole("a", ZTL_TITLE_MAX));
    ZTLPlugin_FreeItemInfo(info);

    const std::string value = long_text("ab");
    set_category(B, 0, value.substr(0, 255));
    EXPECT_EQ(categories(B).at(0).second.size(), whole("ab", 255));
    EXPECT_EQ(value.compare(0, whole("ab", 255), categories(B).at(0).second), 0);
    session().store().category(session().store().item(B)->categories[0])->data.value = value;
    EXPECT_EQ(categories(B).at(0).second.size(), whole("ab", 255));
  }

  ItemTree named;
  named.fields.kind = ItemKind::project;
  const Handle project = session().add_project(named, "/tmp/\xE8\xA8\x88\xE7\x94\xBB.json");
  char buffer[261];
  EXPECT_EQ(ZTLPlugin_GetProjectFilename(project, buffer, 7), 5);
  EXPECT_STREQ(buffer, "/tmp/");
  EXPECT_EQ(ZTLPlugin_GetProjectFilename(project, buffer, 260), 16);

  // In code page 932 a trail byte may look like a lead byte: 0x81 0x81 is one
  // character, and a title of 2560 of them fills the field exactly.
  CodePageScope scope(CodePage::cp932);
  std::string pairs;
  for (int i = 0; i < 2560; ++i) pairs += "\x81\x81";
  for (const std::string& text : {pairs, "a" + pairs}) {
    ZtlItemInfo* info = ZTLPlugin_GetItemInfo(B);
    std::memcpy(info->title, text.data(), ZTL_TITLE_MAX);
    info->title[ZTL_TITLE_MAX] = '\0';
    ZTLPlugin_SetItemInfo(B, info);
    ZTLPlugin_FreeItemInfo(info);
    EXPECT_EQ(fields(B).title.size(), text == pairs ? 5120u : 5119u);
  }
}

}  // namespace
}  // namespace zentrella::testing
