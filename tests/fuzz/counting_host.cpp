#include "counting_host.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace fuzz_host {

namespace {

enum class Kind { item_info, description_info, linked_file_info, user_cat_info, alarm, item_list, item_update };

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::item_info: return "item info";
    case Kind::description_info: return "description info";
    case Kind::linked_file_info: return "linked file info";
    case Kind::user_cat_info: return "user category info";
    case Kind::alarm: return "alarm";
    case Kind::item_list: return "item list";
    case Kind::item_update: return "item update bracket";
  }
  return "?";
}

struct Booking {
  Kind kind;
  std::shared_ptr<void> storage;  // null for brackets, which own nothing
};

// Item updates are booked under a key of their own so they never meet a record address.
const void* UpdateKey(ZtlHandle item) {
  return reinterpret_cast<const void*>((static_cast<std::uintptr_t>(item) << 1) | 1u);
}

struct Ledger {
  std::multimap<const void*, Booking> out;
  std::size_t foreign = 0;
  std::string first_fault;
  std::uint32_t calls = 0;  // varies the answers of the argument-less getters
  ZtlHandle next_new = 1000;
};

Ledger ledger;
scriptlink::HostApi api;
// Keeps the reads of what the plug-in passes from being optimised away.
volatile std::size_t sink = 0;

void Fault(const std::string& what) {
  ++ledger.foreign;
  if (ledger.first_fault.empty()) ledger.first_fault = what;
}

template <typename T>
T* HandOut(Kind kind, std::shared_ptr<void> storage, T* address) {
  ledger.out.emplace(address, Booking{kind, std::move(storage)});
  return address;
}

void TakeBack(Kind kind, const void* address) {
  if (address == nullptr) return;  // the host tolerates a null record
  const auto found = ledger.out.find(address);
  if (found == ledger.out.end() || found->second.kind != kind) {
    Fault(std::string(KindName(kind)) + " given back that was not handed out");
    return;
  }
  ledger.out.erase(found);
}

// --- what the host answers ---------------------------------------------------

std::uint32_t Mix(std::uint32_t seed) {
  seed ^= seed >> 16;
  seed *= 0x7feb352dU;
  seed ^= seed >> 15;
  seed *= 0x846ca68bU;
  return seed ^ (seed >> 16);
}

// Mostly short texts; every third is longer than one chunk so that replies are
// sent in several.
std::size_t TextLength(std::uint32_t seed) {
  const std::uint32_t mixed = Mix(seed);
  return mixed % 3 == 0 ? 8000 + mixed % 9000 : mixed % 300;
}

// Japanese and ASCII mixed; the cut may fall inside a character, as a host's may.
std::string Text(std::uint32_t seed, std::size_t length) {
  static constexpr std::string_view kPattern = "タスク a\tb\r\n予定 ";
  std::string text;
  text.reserve(length);
  std::size_t at = seed % kPattern.size();
  while (text.size() < length) {
    text.append(kPattern.substr(at, std::min(kPattern.size() - at, length - text.size())));
    at = 0;
  }
  return text;
}
std::string Text(std::uint32_t seed) { return Text(seed, TextLength(seed)); }

// The host's buffer contract: the caller's buffer has size + 1 bytes; at most
// size bytes of text go in, then a NUL.
std::int32_t Fill(char* buffer, std::int32_t size, std::string_view text) {
  if (buffer == nullptr || size < 0) return 0;
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(size));
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<std::int32_t>(count);
}

// A fixed field: filled to its last byte but one, as the host cuts texts.
template <std::size_t N>
void FillField(char (&field)[N], std::uint32_t seed) {
  const std::string text = Text(seed, Mix(seed) % 2 == 0 ? N - 1 : Mix(seed) % N);
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

ZtlBool Truth(bool value) { return value ? ZTL_TRUE : ZTL_FALSE; }

void Read(const char* text) {
  if (text != nullptr) sink = sink + std::strlen(text);
}
template <typename Record>
void ReadRecord(const Record* record) {
  if (record == nullptr) return;
  Record copy;
  std::memcpy(&copy, record, sizeof copy);
  sink = sink + reinterpret_cast<const unsigned char*>(&copy)[sizeof copy - 1];
}
void ReadList(const ZtlHandle* entries) {
  for (std::size_t i = 0; entries != nullptr && i < (1u << 20) && entries[i] != 0; ++i) sink = sink + entries[i];
}

ZtlHandle* HandOutList(std::vector<ZtlHandle> entries) {
  entries.push_back(0);
  auto storage = std::make_shared<std::vector<ZtlHandle>>(std::move(entries));
  ZtlHandle* address = storage->data();
  return HandOut(Kind::item_list, std::move(storage), address);
}

// A few handles, sometimes none, sometimes no list at all.
ZtlHandle* SomeItems() {
  const std::uint32_t call = ++ledger.calls;
  if (call % 5 == 0) return nullptr;
  std::vector<ZtlHandle> entries;
  for (std::uint32_t i = 0; i < call % 4; ++i) entries.push_back(3 + i);
  return HandOutList(std::move(entries));
}

// The tree: item h has parent h / 2 and children 2h and 2h + 1 below 64.
ZtlHandle* Children(ZtlHandle item) {
  if (item == 0) return nullptr;
  std::vector<ZtlHandle> entries;
  for (ZtlHandle child : {2 * item, 2 * item + 1})
    if (child < 64 && child > item) entries.push_back(child);
  return HandOutList(std::move(entries));
}

struct ItemBlock {
  ZtlItemInfo info{};
  std::array<ZtlHandle, 3> documents{};
  std::array<ZtlHandle, 3> file_links{};
  std::array<ZtlHandle, 2> user_categories{};
};

ZtlItemInfo* ItemInfo(ZtlHandle item) {
  if (item == 0) return nullptr;
  auto block = std::make_shared<ItemBlock>();
  ZtlItemInfo& info = block->info;
  info.kind = static_cast<std::uint16_t>(item % 4);
  const std::string title = Text(item, Mix(item) % 2 == 0 ? ZTL_TITLE_MAX : Mix(item) % 400);
  std::memcpy(info.title, title.data(), title.size());
  info.progress = static_cast<std::int32_t>(item % 101);
  info.priority = static_cast<std::int32_t>(item % 5);
  // Odd items have a message id that fills its field with no NUL.
  std::memset(info.message_id, 'm', item % 2 == 1 ? sizeof info.message_id : 12);
  info.start_time = 45000.5;
  info.end_time = item % 3 == 0 ? 0.0 : 45001.75;
  info.due_time = 45002.0;
  info.last_modify_time = 45003.25;
  info.create_time = 44999.0;
  info.planned_start_time = item % 2 == 0 ? 0.0 : 45000.0;
  info.list_item_index = static_cast<std::int32_t>(item - 1);  // unsigned: no overflow at the top handle
  info.selected = item % 2 == 0 ? ZTL_TRUE : ZTL_FALSE;
  block->documents = {200 + item, 300 + item, 0};
  block->file_links = {400 + item, item % 2 == 0 ? 0 : 500 + item, 0};
  block->user_categories = {item % 3 == 0 ? 0 : 600 + item, 0};
  info.documents = block->documents.data();
  info.file_links = block->file_links.data();
  info.user_categories = block->user_categories.data();
  return HandOut(Kind::item_info, std::move(block), &info);
}

template <typename Record>
Record* Booked(Kind kind, std::shared_ptr<Record> record) {
  Record* address = record.get();
  return HandOut(kind, std::move(record), address);
}

ZtlDescriptionInfo* DescriptionInfo(ZtlHandle document) {
  if (document == 0) return nullptr;
  auto record = std::make_shared<ZtlDescriptionInfo>();
  FillField(record->title, document);
  FillField(record->file_name, document + 1);
  FillField(record->text_type, document + 2);
  return Booked(Kind::description_info, std::move(record));
}

ZtlLinkedFileInfo* LinkedFileInfo(ZtlHandle link) {
  if (link == 0) return nullptr;
  auto record = std::make_shared<ZtlLinkedFileInfo>();
  FillField(record->title, link);
  FillField(record->file_name, link + 1);
  FillField(record->option, link + 2);
  FillField(record->work_dir, link + 3);
  return Booked(Kind::linked_file_info, std::move(record));
}

ZtlUserCatInfo* UserCatInfo(ZtlHandle category) {
  if (category == 0) return nullptr;
  auto record = std::make_shared<ZtlUserCatInfo>();
  FillField(record->name, category);
  FillField(record->value, category + 1);
  return Booked(Kind::user_cat_info, std::move(record));
}

// Even items have an alarm.
ZtlAlarmInfo* Alarm(ZtlHandle item) {
  if (item == 0 || item % 2 == 1) return nullptr;
  auto record = std::make_shared<ZtlAlarmInfo>();
  record->enabled = ZTL_TRUE;
  record->due_time = item % 4 == 0 ? ZTL_TRUE : ZTL_FALSE;
  record->count = static_cast<std::int32_t>(item % 60);
  record->unit = static_cast<std::uint8_t>(item % 3);
  return Booked(Kind::alarm, std::move(record));
}

ZtlHandle NewHandle(ZtlHandle parent) { return parent == 0 ? 0 : ++ledger.next_new; }

void BindRecords() {
  api.FreeItemInfo = [](ZtlItemInfo* info) { TakeBack(Kind::item_info, info); };
  api.GetItemInfo = &ItemInfo;
  api.SetItemInfo = [](ZtlHandle item, const ZtlItemInfo* info) {
    ReadRecord(info);
    return Truth(item != 0);
  };
  api.GetDescriptionInfo = &DescriptionInfo;
  api.SetDescriptionInfo = [](ZtlHandle document, const ZtlDescriptionInfo* info) {
    ReadRecord(info);
    return Truth(document != 0);
  };
  api.FreeDescriptionInfo = [](ZtlDescriptionInfo* info) { TakeBack(Kind::description_info, info); };
  api.GetLinkedFileInfo = &LinkedFileInfo;
  api.SetLinkedFileInfo = [](ZtlHandle link, const ZtlLinkedFileInfo* info) {
    ReadRecord(info);
    return Truth(link != 0);
  };
  api.FreeLinkedFileInfo = [](ZtlLinkedFileInfo* info) { TakeBack(Kind::linked_file_info, info); };
  api.GetUserCatInfo = &UserCatInfo;
  api.SetUserCatInfo = [](ZtlHandle category, const ZtlUserCatInfo* info) {
    ReadRecord(info);
    return Truth(category != 0);
  };
  api.FreeUserCatInfo = [](ZtlUserCatInfo* info) { TakeBack(Kind::user_cat_info, info); };
  api.GetAlarm = &Alarm;
  api.SetAlarm = [](ZtlHandle item, const ZtlAlarmInfo* alarm) {
    ReadRecord(alarm);
    return Truth(item != 0);
  };
  api.FreeAlarmInfo = [](ZtlAlarmInfo* alarm) { TakeBack(Kind::alarm, alarm); };
  // This host keeps no mail headers nor recreate factories: nothing is handed out.
  api.GetHeaderInfo = [](ZtlHandle, std::int32_t) -> ZtlHeaderInfo* { return nullptr; };
  api.AddHeader = [](ZtlHandle, const char* name, const char* value) {
    Read(name);
    Read(value);
    return ZtlBool{ZTL_FALSE};
  };
  api.DeleteHeader = [](ZtlHandle, std::int32_t) { return ZtlBool{ZTL_FALSE}; };
  api.FreeHeaderInfo = [](ZtlHeaderInfo* info) {
    if (info != nullptr) Fault("header info given back that was not handed out");
  };
  api.GetRecreateFactory = [](ZtlHandle) -> void* { return nullptr; };
  api.SetRecreateFactory = [](ZtlHandle, const void*) { return ZtlBool{ZTL_FALSE}; };
  api.FreeRecreateFactoryInfo = [](void* factory) {
    if (factory != nullptr) Fault("recreate factory given back that was not handed out");
  };
}

void BindTree() {
  api.GetSelectedItems = &SomeItems;
  api.GetLoadedProjects = [] { return HandOutList({1, 5, 6, 7}); };
  api.GetListViewItems = &SomeItems;
  api.GetChildren = &Children;
  api.FreeItemEntries = [](ZtlHandle* entries) { TakeBack(Kind::item_list, entries); };
  api.GetCurrentProject = [] { return ZtlHandle{1}; };
  api.GetCurrentFolder = [] { return ZtlHandle{2}; };
  api.GetCurrnetItem = [] { return ZtlHandle{3}; };
  api.GetCurrentDescription = [] { return ZtlHandle{203}; };
  api.GetRecycled = [] { return ZtlHandle{4}; };
  api.GetFindProject = [] { return ZtlHandle{5}; };
  api.GetTemplateProject = [] { return ZtlHandle{6}; };
  api.GetScrapProject = [] { return ZtlHandle{7}; };
  api.GetParent = [](ZtlHandle item) { return item / 2; };
  api.GetProject = [](ZtlHandle item) { return ZtlHandle{item != 0 ? 1u : 0u}; };
  api.GetItemFromMessageId = [](const char* id) {
    Read(id);
    return ZtlHandle{id != nullptr && id[0] != '\0' ? 9u : 0u};
  };
  api.GetNextItem = [](ZtlHandle item) { return item != 0 && item < 63 ? item + 1 : 0; };
  api.GetPrevItem = [](ZtlHandle item) { return item > 1 && item < 64 ? item - 1 : 0; };
  api.GetListItemIndex = [](ZtlHandle item) { return static_cast<std::int32_t>(item) - 1; };
  api.GetTreeNodeHandle = [](ZtlHandle item) { return item * 16; };
  api.SetCurrentFolder = [](ZtlHandle item) { return Truth(item != 0); };
  api.SetCurrentItem = [](ZtlHandle item) { return Truth(item != 0); };
  api.SelectItems = [](const ZtlHandle* entries) {
    ReadList(entries);
    return Truth(entries != nullptr);
  };
  api.AddItem = [](ZtlHandle parent, std::uint16_t) { return NewHandle(parent); };
  api.InsertItem = [](ZtlHandle item, std::uint16_t, std::int32_t) { return NewHandle(item); };
  api.DeleteItem = [](ZtlHandle item, std::int32_t) { return Truth(item != 0); };
  api.AssignItem = [](ZtlHandle target, ZtlHandle source) { return Truth(target != 0 && source != 0); };
  api.AssignItemWithChildren = [](ZtlHandle target, ZtlHandle source) { return Truth(target != 0 && source != 0); };
  api.RemakeTaskListView = [](std::int32_t, std::int32_t, std::int32_t) {};
  api.ItemBeginUpdate = [](ZtlHandle item) { ledger.out.emplace(UpdateKey(item), Booking{Kind::item_update, {}}); };
  api.ItemEndUpdate = [](ZtlHandle item) { TakeBack(Kind::item_update, UpdateKey(item)); };
  api.GetProjectOption = [](ZtlHandle item, std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d,
                            std::int32_t* e) {
    std::int32_t value = ZTL_TRUE;
    for (std::int32_t* option : {a, b, c, d, e}) {
      if (option != nullptr) *option = value;
      value = ~value;
    }
    return Truth(item != 0);
  };
  api.SetProjectOption = [](ZtlHandle item, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return Truth(item != 0);
  };
  api.GetProjectFilename = [](ZtlHandle item, char* buffer, std::int32_t size) {
    return item == 0 ? Fill(buffer, size, "") : Fill(buffer, size, "/home/fuzz/projects/" + Text(item) + ".ztp");
  };
  api.ImportMailFile = [](ZtlHandle, const char* path) {
    Read(path);
    return ZtlHandle{0};
  };
}

void BindDocumentsAndLinks() {
  api.GetDescriptionSize = [](ZtlHandle document) {
    return document == 0 ? 0 : static_cast<std::int32_t>(TextLength(document));
  };
  api.GetDescriptionStr = [](ZtlHandle document, char* buffer, std::int32_t size) {
    return Fill(buffer, size, document == 0 ? std::string() : Text(document));
  };
  api.SetDescriptionStr = [](ZtlHandle document, const char* text) {
    Read(text);
    return Truth(document != 0);
  };
  api.DeleteDescription = [](ZtlHandle document) { return Truth(document != 0); };
  api.AddDescription = [](ZtlHandle item) { return NewHandle(item); };
  api.InsertDescription = [](ZtlHandle item, std::int32_t) { return NewHandle(item); };
  api.AssignDescription = [](ZtlHandle target, ZtlHandle source) { return Truth(target != 0 && source != 0); };
  api.SetCurrentDescription = [](ZtlHandle document) { return Truth(document != 0); };
  api.AddLinkedFile = [](ZtlHandle item) { return NewHandle(item); };
  api.InsertLinkedFile = [](ZtlHandle item, std::int32_t) { return NewHandle(item); };
  api.DeleteLinkedFile = [](ZtlHandle link) { return Truth(link != 0); };
  api.AssignLinkedFile = [](ZtlHandle target, ZtlHandle source) { return Truth(target != 0 && source != 0); };
  api.ExecLinekdFile = [](ZtlHandle link) { return Truth(link != 0); };
}

void BindWindowsAndDialogs() {
  api.GetVersion = [](std::uint32_t* high, std::uint32_t* low) {
    if (high != nullptr) *high = 0x00020005;
    if (low != nullptr) *low = 0x00030000;
  };
  api.GetWindowHandle = [](ZtlWindow* main, ZtlWindow* tree, ZtlWindow* list, ZtlWindow* edit, ZtlWindow* filer,
                           ZtlWindow* client, ZtlWindow* status) {
    ZtlWindow next = 0x100;
    for (ZtlWindow* window : {main, tree, list, edit, filer, client, status})
      if (window != nullptr) *window = ++next;
  };
  api.IsStation = [] { return ZtlBool{ZTL_FALSE}; };
  api.GetActiveControl = [] { return static_cast<std::int32_t>(++ledger.calls % 8); };
  api.SetActiveControl = [](std::int32_t control) { return Truth(control >= 0 && control <= ZTL_AC_FILER); };
  api.Command = [](std::int32_t, const char* name, std::int32_t, std::int32_t, const char* const* arguments) {
    Read(name);
    for (std::size_t i = 0; arguments != nullptr && i < 64 && arguments[i] != nullptr; ++i) Read(arguments[i]);
    return std::int32_t{0};
  };
  api.ExecMessageProc = [] {};
  api.ShowWaitForm = [](ZtlWaitCancelProc, const char* caption, const char* label, const char* message,
                        const char* detail, std::int32_t) {
    for (const char* text : {caption, label, message, detail}) Read(text);
  };
  api.SetWaitFormLabel = &Read;
  api.CloseWaitForm = [] {};
  api.SelectItemFormShow = [](const char* caption, ZtlHandle start, std::int32_t, std::int32_t, std::int32_t) {
    Read(caption);
    return ++ledger.calls % 2 == 0 ? start : ZtlHandle{0};
  };
  api.ShowMsgToStatusBar = &Read;
  api.DateDialogExecute = [](const char* caption, double* date_time) {
    Read(caption);
    if (date_time == nullptr || ++ledger.calls % 2 == 0) return ZtlBool{ZTL_FALSE};
    *date_time = *date_time + 1.5;
    return ZtlBool{ZTL_TRUE};
  };
  api.GetUserFolderName = [](char* buffer, std::int32_t size) {
    return Fill(buffer, size, "/home/fuzz/.config/zentrella/" + Text(++ledger.calls, 280));
  };
  api.SetDefaultFilters = &Read;
  api.GetDefaultFilters = [](char* buffer, std::int32_t size) { return Fill(buffer, size, Text(77)); };
}

void BindDates() {
  api.EncodeDate = [](std::int32_t year, std::int32_t month, std::int32_t day, double* date_time) {
    const bool valid = year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
    if (valid && date_time != nullptr) *date_time = (year - 1900) * 365.25 + month * 30 + day;
    return Truth(valid);
  };
  api.EncodeTime = [](std::int32_t hour, std::int32_t minute, std::int32_t second, std::int32_t msec,
                      double* date_time) {
    const bool valid = hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
                       msec >= 0 && msec < 1000;
    if (valid && date_time != nullptr) *date_time = (hour * 3600 + minute * 60 + second) / 86400.0;
    return Truth(valid);
  };
  api.DecodeDate = [](const double* date_time, std::int32_t* year, std::int32_t* month, std::int32_t* day) {
    if (date_time != nullptr) sink = sink + (*date_time != 0.0);
    if (year != nullptr) *year = 2023;
    if (month != nullptr) *month = 3;
    if (day != nullptr) *day = 14;
  };
  api.DecodeTime = [](const double* date_time, std::int32_t* hour, std::int32_t* minute, std::int32_t* second,
                      std::int32_t* msec) {
    if (date_time != nullptr) sink = sink + (*date_time != 0.0);
    for (std::int32_t* part : {hour, minute, second, msec})
      if (part != nullptr) *part = 7;
  };
  api.GetCalendarDate = [](double* date_time) {
    if (date_time != nullptr) *date_time = 45000.0;
  };
  api.SetCalendarDate = [](const double* date_time) {
    if (date_time != nullptr) sink = sink + (*date_time != 0.0);
  };
}

void BindEditor() {
  api.EditGetSelStart = [] { return std::int32_t{3}; };
  api.EditSetSelStart = [](std::int32_t start) { return start; };
  api.EditGetSelLength = [] { return std::int32_t{2}; };
  api.EditSetSelLength = [](std::int32_t length) { return length; };
  api.EditGetSelText = [](char* buffer, std::int32_t size) { return Fill(buffer, size, Text(++ledger.calls)); };
  api.EditSetSelText = [](const char* text) {
    Read(text);
    return Truth(text != nullptr);
  };
  api.EditGetCaretPos = [](std::int32_t* row, std::int32_t* col) {
    if (row != nullptr) *row = 4;
    if (col != nullptr) *col = 9;
  };
  api.EditSetCaretPos = [](std::int32_t, std::int32_t) {};
  api.EditGetTopRow = [](std::int32_t* row) {
    if (row != nullptr) *row = 1;
  };
  api.EditSetTopRow = [](std::int32_t) {};
  api.EditRowToLines = [](std::int32_t row) { return row / 2; };
  api.EditGetLinesStrSize = [](std::int32_t line) {
    return static_cast<std::int32_t>(TextLength(static_cast<std::uint32_t>(line)));
  };
  api.EditGetLinesStr = [](std::int32_t line, char* buffer, std::int32_t size) {
    return Fill(buffer, size, Text(static_cast<std::uint32_t>(line)));
  };
  api.EditSetLinesStr = [](std::int32_t, const char* text) {
    Read(text);
    return std::int32_t{ZTL_TRUE};
  };
  api.EditGetLinesCount = [] { return std::int32_t{40}; };
  api.EditGetListStrSize = [](std::int32_t row) {
    return static_cast<std::int32_t>(TextLength(static_cast<std::uint32_t>(row) + 1)) % 200;
  };
  api.EditGetListStr = [](std::int32_t row, char* buffer, std::int32_t size) {
    return Fill(buffer, size, Text(static_cast<std::uint32_t>(row) + 1));
  };
  api.EditGetListCount = [] { return std::int32_t{60}; };
  api.EditGetRowCount = [] { return std::int32_t{60}; };
  api.EditGetColCount = [] { return std::int32_t{80}; };
  api.EditColToChar = [](std::int32_t, std::int32_t col) { return col; };
  api.EditTokenFromCaret = [] { return std::int32_t{1}; };
  api.EditTokenFromPos = [](std::int32_t, std::int32_t col) { return col % 3; };
  api.EditTokenFromCaretStr = [](char* buffer, std::int32_t size) { return Fill(buffer, size, Text(11)); };
  api.EditTokenFromPosStr = [](std::int32_t row, std::int32_t col, char* buffer, std::int32_t size) {
    return Fill(buffer, size, Text(static_cast<std::uint32_t>(row * 131 + col)));
  };
  api.EditWordFromCaret = [] { return std::int32_t{2}; };
  api.EditWordFromPos = [](std::int32_t row, std::int32_t) { return row % 4; };
  api.EditWordFromCaretStr = [](char* buffer, std::int32_t size) { return Fill(buffer, size, Text(12)); };
  api.EditWordFromPosStr = [](std::int32_t row, std::int32_t col, char* buffer, std::int32_t size) {
    return Fill(buffer, size, Text(static_cast<std::uint32_t>(row * 137 + col)));
  };
}

void BindAll() {
  BindRecords();
  BindTree();
  BindDocumentsAndLinks();
  BindWindowsAndDialogs();
  BindDates();
  BindEditor();
  // A function left unbound would be a null call the real host never allows.
#define ZTL_CHECK_BOUND(ret, name, params)                   \
  if (api.name == nullptr) {                                 \
    std::fprintf(stderr, "fuzz host: %s not bound\n", #name); \
    std::abort();                                            \
  }
  ZENTRELLA_HOST_API(ZTL_CHECK_BOUND)
#undef ZTL_CHECK_BOUND
}

}  // namespace

const scriptlink::HostApi& Api() {
  static const bool bound = (BindAll(), true);
  (void)bound;
  return api;
}

void Reset() {
  ledger.out.clear();
  ledger.foreign = 0;
  ledger.first_fault.clear();
  ledger.calls = 0;
  ledger.next_new = 1000;
}

LedgerReport Report() {
  LedgerReport report{ledger.out.size(), ledger.foreign, ledger.first_fault};
  if (report.first_fault.empty() && !ledger.out.empty())
    report.first_fault = std::string(KindName(ledger.out.begin()->second.kind)) + " never given back";
  return report;
}

}  // namespace fuzz_host
