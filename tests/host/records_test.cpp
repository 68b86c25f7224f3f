// Records handed out and taken back: counting, and the round trip of fields.
#include <cstring>
#include <vector>

#include "host_fixture.h"

namespace zentrella::testing {
namespace {

using RecordTest = HostTest;

TEST_F(RecordTest, EveryKindIsCountedUntilReleased) {
  const Handle doc = ZTLPlugin_AddDescription(A);
  const Handle link = ZTLPlugin_AddLinkedFile(A);
  session().store().create_category(A, {"owner", "me"});
  ZtlItemInfo* info = ZTLPlugin_GetItemInfo(A);
  ZtlDescriptionInfo* d = ZTLPlugin_GetDescriptionInfo(doc);
  ZtlLinkedFileInfo* l = ZTLPlugin_GetLinkedFileInfo(link);
  ZtlUserCatInfo* c = ZTLPlugin_GetUserCatInfo(info->user_categories[0]);
  ZtlAlarmInfo* alarm = ZTLPlugin_GetAlarm(A);
  ZtlHandle* list = ZTLPlugin_GetLoadedProjects();
  EXPECT_EQ(outstanding_records(), 6u);
  EXPECT_EQ(outstanding_records(RecordKind::item_list), 1u);
  ZTLPlugin_FreeItemInfo(info);
  ZTLPlugin_FreeDescriptionInfo(d);
  ZTLPlugin_FreeLinkedFileInfo(l);
  ZTLPlugin_FreeUserCatInfo(c);
  ZTLPlugin_FreeAlarmInfo(alarm);
  ZTLPlugin_FreeItemEntries(list);
  EXPECT_EQ(outstanding_records(), 0u);
  ZTLPlugin_FreeAlarmInfo(nullptr);  // what a null GetAlarm gives back is fine
  EXPECT_EQ(release_errors(), 0u);
}

TEST_F(RecordTest, DoubleForeignAndMismatchedReleasesAreCountedNotFatal) {
  ZtlItemInfo* info = ZTLPlugin_GetItemInfo(A);
  ZTLPlugin_FreeItemInfo(info);
  ZTLPlugin_FreeItemInfo(info);
  EXPECT_EQ(release_errors(), 1u);

  ZtlItemInfo on_stack{};
  ZTLPlugin_FreeItemInfo(&on_stack);
  EXPECT_EQ(release_errors(), 2u);

  ZtlAlarmInfo* alarm = ZTLPlugin_GetAlarm(A);
  ZTLPlugin_FreeUserCatInfo(reinterpret_cast<ZtlUserCatInfo*>(alarm));  // wrong release function
  EXPECT_EQ(release_errors(), 3u);
  EXPECT_EQ(outstanding_records(), 1u);  // still held: it was not given back properly
  ZTLPlugin_FreeAlarmInfo(alarm);
  EXPECT_EQ(outstanding_records(), 0u);
  reset_record_ledger();
}

// Many records on loan at once, given back in an order unlike the one they
// came in: each is found once, and the ledger ends empty.
TEST_F(RecordTest, ManyRecordsOnLoanComeBackInAnyOrder) {
  std::vector<ZtlItemInfo*> infos;
  std::vector<ZtlUserCatInfo*> categories;
  session().store().create_category(A, {"owner", "me"});
  for (int i = 0; i < 500; ++i) {
    infos.push_back(ZTLPlugin_GetItemInfo(i % 2 == 0 ? A : B));
    categories.push_back(ZTLPlugin_GetUserCatInfo(infos.front()->user_categories[0]));
  }
  EXPECT_EQ(outstanding_records(), 1000u);
  for (std::size_t step = 0; step < 7; ++step) {
    for (std::size_t i = step; i < infos.size(); i += 7) {
      ZTLPlugin_FreeItemInfo(infos[i]);
      ZTLPlugin_FreeUserCatInfo(categories[infos.size() - 1 - i]);
    }
    EXPECT_EQ(release_errors(), 0u);
  }
  EXPECT_EQ(outstanding_records(), 0u);
  ZTLPlugin_FreeItemInfo(infos[123]);  // given back twice
  EXPECT_EQ(release_errors(), 1u);
  reset_record_ledger();
}

// A block kept from a long title serves a short one: the short title ends at
// its own NUL, whatever the block held after it.
TEST_F(RecordTest, AShortTitleAfterALongOneEndsAtItsOwnEnd) {
  session().store().item(A)->fields.title = std::string(3000, 'L');
  ZTLPlugin_FreeItemInfo(ZTLPlugin_GetItemInfo(A));
  const ZtlItemInfo* info = ZTLPlugin_GetItemInfo(B);
  EXPECT_STREQ(info->title, "B");
  EXPECT_EQ(+info->progress, 0);
  EXPECT_EQ(info->documents[0], 0u);
  ZTLPlugin_FreeItemInfo(const_cast<ZtlItemInfo*>(info));
}

TEST_F(RecordTest, ItemInfoRoundTripTakesBackEditableFieldsOnly) {
  ZtlItemInfo* info = ZTLPlugin_GetItemInfo(B);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(+info->kind, ZTL_ITEM_TASK);
  EXPECT_EQ(+info->list_item_index, -1);  // F is not the current folder yet
  std::strcpy(info->title, "renamed");
  info->progress = 55;
  info->priority = 3;
  info->due_time = 45000.5;
  info->start_time = 45000.25;
  info->selected = -1;
  info->kind = ZTL_ITEM_FOLDER;
  std::strcpy(info->message_id, "<abc@example>");
  ASSERT_EQ(ZTLPlugin_SetItemInfo(B, info), ZTL_TRUE);
  ZTLPlugin_FreeItemInfo(info);

  ZTLPlugin_SetCurrentFolder(F);
  info = ZTLPlugin_GetItemInfo(B);
  EXPECT_STREQ(info->title, "renamed");
  EXPECT_EQ(+info->progress, 55);
  EXPECT_EQ(+info->priority, 3);
  EXPECT_EQ(+info->due_time, 45000.5);
  EXPECT_EQ(+info->start_time, 45000.25);
  EXPECT_EQ(+info->selected, -1);
  EXPECT_EQ(+info->kind, ZTL_ITEM_TASK);
  EXPECT_STREQ(info->message_id, "");
  EXPECT_EQ(+info->list_item_index, 1);
  EXPECT_GT(+info->last_modify_time, 40000.0);
  EXPECT_EQ(info->documents[0], 0u);
  info->selected = 0;
  ZTLPlugin_SetItemInfo(B, info);
  ZTLPlugin_FreeItemInfo(info);
  EXPECT_TRUE(take_list(ZTLPlugin_GetSelectedItems()).empty());
}

TEST_F(RecordTest, TitleIsCutAt5120BytesAndMessageIdFills128) {
  session().store().item(A)->fields.title = std::string(6000, 't');
  session().store().item(A)->fields.message_id = std::string(200, 'm');
  ZtlItemInfo* info = ZTLPlugin_GetItemInfo(A);
  EXPECT_EQ(std::strlen(info->title), 5120u);
  EXPECT_EQ(std::string(info->message_id, 128), std::string(128, 'm'));  // full: no NUL
  EXPECT_EQ(+info->progress, 0);  // the field after the id is intact
  ZTLPlugin_FreeItemInfo(info);

  // A record with no NUL in the title is read to 5120 bytes, never beyond.
  ZtlItemInfo raw{};
  std::memset(raw.title, 'x', sizeof raw.title);
  ZTLPlugin_SetItemInfo(A, &raw);
  EXPECT_EQ(session().store().item(A)->fields.title, std::string(5120, 'x'));
}

TEST_F(RecordTest, DocumentLinkCategoryAndAlarmRoundTrip) {
  const Handle doc = ZTLPlugin_AddDescription(A);
  ZtlDescriptionInfo* d = ZTLPlugin_GetDescriptionInfo(doc);
  std::strcpy(d->title, "notes");
  std::memset(d->file_name, 'f', sizeof d->file_name);  // unterminated: cut at 260
  std::strcpy(d->text_type, "text");
  EXPECT_EQ(ZTLPlugin_SetDescriptionInfo(doc, d), ZTL_TRUE);
  ZTLPlugin_FreeDescriptionInfo(d);
  const DocumentData& stored = session().store().document(doc)->data;
  EXPECT_EQ(stored.title, "notes");
  EXPECT_EQ(stored.file_name, std::string(260, 'f'));
  EXPECT_EQ(stored.text_type, "text");

  // The text of a document with a file name is that file's; this one keeps its own.
  session().store().document(doc)->data.file_name.clear();
  ASSERT_EQ(ZTLPlugin_SetDescriptionStr(doc, "a\r\nb"), ZTL_TRUE);
  ASSERT_EQ(ZTLPlugin_GetDescriptionSize(doc), 4);
  char text[5];
  EXPECT_EQ(ZTLPlugin_GetDescriptionStr(doc, text, 4), 4);
  EXPECT_STREQ(text, "a\r\nb");
  EXPECT_EQ(ZTLPlugin_GetDescriptionStr(doc, text, 2), 2);
  EXPECT_STREQ(text, "a\r");

  const Handle link = ZTLPlugin_AddLinkedFile(A);
  ZtlLinkedFileInfo* l = ZTLPlugin_GetLinkedFileInfo(link);
  std::strcpy(l->file_name, "https://example.org/");
  std::strcpy(l->work_dir, "/tmp");
  ZTLPlugin_SetLinkedFileInfo(link, l);
  ZTLPlugin_FreeLinkedFileInfo(l);
  EXPECT_EQ(session().store().link(link)->data.file_name, "https://example.org/");
  EXPECT_EQ(session().store().link(link)->data.work_dir, "/tmp");

  const Handle cat = session().store().create_category(A, {"owner", "me"}).handle;
  ZtlUserCatInfo* c = ZTLPlugin_GetUserCatInfo(cat);
  EXPECT_STREQ(c->name, "owner");
  std::strcpy(c->value, "you");
  ZTLPlugin_SetUserCatInfo(cat, c);
  ZTLPlugin_FreeUserCatInfo(c);
  EXPECT_EQ(session().store().category(cat)->data.value, "you");

  const ZtlAlarmInfo alarm{1, 0, 15, ZTL_AU_HOUR};
  EXPECT_EQ(ZTLPlugin_SetAlarm(A, &alarm), ZTL_TRUE);
  const ZtlAlarmInfo bad_unit{1, 0, 15, 7};
  EXPECT_EQ(ZTLPlugin_SetAlarm(A, &bad_unit), ZTL_FALSE);
  ZtlAlarmInfo* got = ZTLPlugin_GetAlarm(A);
  EXPECT_EQ(+got->enabled, -1);
  EXPECT_EQ(+got->due_time, 0);
  EXPECT_EQ(+got->count, 15);
  EXPECT_EQ(+got->unit, ZTL_AU_HOUR);
  ZTLPlugin_FreeAlarmInfo(got);
  EXPECT_EQ(outstanding_records(), 0u);
}

TEST_F(RecordTest, CaptionsOfMultiByteTextAreNotCutInsideACharacter) {
  // 200 two-byte characters: the title field holds 255 bytes, 127 characters.
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "\xC3\xA9";
  const Handle doc = ZTLPlugin_AddDescription(A);
  session().store().document(doc)->data.title = wide;
  ZtlDescriptionInfo* d = ZTLPlugin_GetDescriptionInfo(doc);
  EXPECT_EQ(std::strlen(d->title), 254u);
  ZTLPlugin_FreeDescriptionInfo(d);
}

}  // namespace
}  // namespace zentrella::testing
