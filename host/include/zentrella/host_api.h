/* The host's plug-in interface: the records the host hands out and takes back,
 * and the 121 functions it exports by name. The host and every plug-in include
 * this one header, so the layouts cannot drift apart.
 *
 * Records are packed. Fields before the first pointer keep their historic
 * 32-bit offsets; every pointer field is 8 bytes wide and moves what follows
 * by 4. The static asserts below pin each offset. */
#ifndef ZENTRELLA_HOST_API_H
#define ZENTRELLA_HOST_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t ZtlHandle;  /* item, document, file link, category: 0 = none */
typedef uintptr_t ZtlWindow; /* opaque window identifier, 0 = none */
typedef int32_t ZtlBool;     /* -1 true, 0 false (results); nonzero = true (arguments) */

enum { ZTL_TRUE = -1, ZTL_FALSE = 0 };

enum ZtlItemKind { ZTL_ITEM_TASK = 0, ZTL_ITEM_FILER = 1, ZTL_ITEM_FOLDER = 2, ZTL_ITEM_PROJECT = 3 };

enum ZtlActiveControl {
  ZTL_AC_NONE = 0,
  ZTL_AC_TREEVIEW = 1,
  ZTL_AC_TASKLISTVIEW = 2,
  ZTL_AC_EDIT = 3,
  ZTL_AC_FOLDERLAUNCHER = 4,
  ZTL_AC_TASKLAUNCHER = 5,
  ZTL_AC_FILER = 6
};

enum ZtlAlarmUnit { ZTL_AU_MIN = 0, ZTL_AU_HOUR = 1, ZTL_AU_DAY = 2 };

#define ZTL_TITLE_MAX 5120
#define ZTL_MESSAGE_ID_SIZE 128
#define ZTL_USER_FOLDER_MAX 260

#pragma pack(push, 1)

/* One item as the host hands it out (ZTLPlugin_GetItemInfo). A date/time is
 * days since 1899-12-30 in local time, 0.0 = not set. */
typedef struct ZtlItemInfo {
  uint16_t kind;                           /* 0 */
  char title[5128];                        /* 2: at most 5120 bytes, then NUL */
  int32_t progress;                        /* 5130 */
  int32_t priority;                        /* 5134 */
  char message_id[ZTL_MESSAGE_ID_SIZE];    /* 5138: NUL-terminated unless full */
  double start_time;                       /* 5266 */
  double end_time;                         /* 5274 */
  double due_time;                         /* 5282 */
  double last_modify_time;                 /* 5290 */
  double create_time;                      /* 5298 */
  uint8_t reserved1[13];                   /* 5306 */
  double planned_start_time;               /* 5319 */
  uint8_t reserved2[4];                    /* 5327 */
  int32_t list_item_index;                 /* 5331 */
  int32_t selected;                        /* 5335: 0 or -1 */
  uint8_t reserved3[686];                  /* 5339 */
  ZtlHandle* documents;                    /* 6025: 0-terminated */
  ZtlHandle* file_links;                   /* 6033: 0-terminated */
  ZtlHandle* user_categories;              /* 6041: 0-terminated */
} ZtlItemInfo;

typedef struct ZtlDescriptionInfo {
  char title[256];       /* 0 */
  char file_name[261];   /* 256 */
  char text_type[256];   /* 517 */
} ZtlDescriptionInfo;

typedef struct ZtlLinkedFileInfo {
  char title[256];       /* 0 */
  char file_name[261];   /* 256: a path or an address */
  char option[261];      /* 517 */
  char work_dir[261];    /* 778 */
} ZtlLinkedFileInfo;

typedef struct ZtlUserCatInfo {
  char name[256];        /* 0 */
  char value[256];       /* 256 */
} ZtlUserCatInfo;

typedef struct ZtlAlarmInfo {
  int32_t enabled;       /* 0 */
  int32_t due_time;      /* 4: tied to the due time */
  int32_t count;         /* 8 */
  uint8_t unit;          /* 12: ZtlAlarmUnit */
} ZtlAlarmInfo;

/* Mail headers and recreate factories exist in the interface only; this host
 * keeps neither, so their getters hand out nothing. */
typedef struct ZtlHeaderInfo {
  char name[256];
  char value[1024];
} ZtlHeaderInfo;

#pragma pack(pop)

/* Called by the wait form when its cancel button is pressed. */
typedef int32_t (*ZtlWaitCancelProc)(void);

/* X(result type, name after ZTLPlugin_, parameter list), in binding order. */
#define ZENTRELLA_HOST_API(X) \
  X(void, FreeItemInfo, (ZtlItemInfo * info)) \
  X(ZtlItemInfo*, GetItemInfo, (ZtlHandle item)) \
  X(int32_t, GetDescriptionSize, (ZtlHandle document)) \
  X(int32_t, GetDescriptionStr, (ZtlHandle document, char* buffer, int32_t size)) \
  X(ZtlBool, SetDescriptionStr, (ZtlHandle document, const char* text)) \
  X(void, GetVersion, (uint32_t * high, uint32_t * low)) \
  X(ZtlBool, SetItemInfo, (ZtlHandle item, const ZtlItemInfo* info)) \
  X(ZtlHandle*, GetSelectedItems, (void)) \
  X(void, GetWindowHandle, (ZtlWindow * main, ZtlWindow * tree, ZtlWindow * list, ZtlWindow * edit, \
                            ZtlWindow * filer, ZtlWindow * client, ZtlWindow * status)) \
  X(ZtlBool, IsStation, (void)) \
  X(int32_t, GetActiveControl, (void)) \
  X(ZtlBool, SetActiveControl, (int32_t control)) \
  X(int32_t, Command, (int32_t target, const char* name, int32_t param, int32_t shift, \
                       const char* const* arguments)) \
  X(void, FreeItemEntries, (ZtlHandle * entries)) \
  X(ZtlHandle, GetCurrentProject, (void)) \
  X(ZtlHandle, GetCurrentFolder, (void)) \
  X(ZtlHandle, GetCurrnetItem, (void)) \
  X(ZtlHandle, GetCurrentDescription, (void)) \
  X(ZtlHandle, GetParent, (ZtlHandle item)) \
  X(ZtlHandle, GetProject, (ZtlHandle item)) \
  X(ZtlHandle*, GetLoadedProjects, (void)) \
  X(ZtlHandle*, GetChildren, (ZtlHandle item)) \
  X(ZtlHandle*, GetListViewItems, (void)) \
  X(ZtlHandle, GetRecycled, (void)) \
  X(ZtlHandle, GetFindProject, (void)) \
  X(ZtlHandle, GetTemplateProject, (void)) \
  X(ZtlHandle, GetItemFromMessageId, (const char* message_id)) \
  X(ZtlHandle, GetNextItem, (ZtlHandle item)) \
  X(ZtlHandle, GetPrevItem, (ZtlHandle item)) \
  X(int32_t, GetListItemIndex, (ZtlHandle item)) \
  X(uint32_t, GetTreeNodeHandle, (ZtlHandle item)) \
  X(ZtlBool, SetCurrentFolder, (ZtlHandle item)) \
  X(ZtlBool, SetCurrentItem, (ZtlHandle item)) \
  X(ZtlBool, SelectItems, (const ZtlHandle* entries)) \
  X(ZtlHandle, AddItem, (ZtlHandle parent, uint16_t kind)) \
  X(ZtlHandle, InsertItem, (ZtlHandle item, uint16_t kind, int32_t position)) \
  X(ZtlBool, DeleteItem, (ZtlHandle item, int32_t to_recycle_bin)) \
  X(ZtlBool, AssignItem, (ZtlHandle target, ZtlHandle source)) \
  X(ZtlBool, AssignItemWithChildren, (ZtlHandle target, ZtlHandle source)) \
  X(void, RemakeTaskListView, (int32_t a, int32_t b, int32_t c)) \
  X(void, ExecMessageProc, (void)) \
  X(void, ShowWaitForm, (ZtlWaitCancelProc cancel, const char* caption, const char* label, \
                         const char* message, const char* detail, int32_t flags)) \
  X(void, SetWaitFormLabel, (const char* label)) \
  X(void, CloseWaitForm, (void)) \
  X(ZtlBool, DeleteDescription, (ZtlHandle document)) \
  X(ZtlHandle, AddDescription, (ZtlHandle item)) \
  X(ZtlHandle, InsertDescription, (ZtlHandle item, int32_t position)) \
  X(ZtlBool, SetDescriptionInfo, (ZtlHandle document, const ZtlDescriptionInfo* info)) \
  X(ZtlDescriptionInfo*, GetDescriptionInfo, (ZtlHandle document)) \
  X(ZtlBool, AssignDescription, (ZtlHandle target, ZtlHandle source)) \
  X(void, FreeDescriptionInfo, (ZtlDescriptionInfo * info)) \
  X(ZtlBool, SetCurrentDescription, (ZtlHandle document)) \
  X(ZtlHandle, GetScrapProject, (void)) \
  X(ZtlBool, GetProjectOption, (ZtlHandle item, int32_t * save_caret_pos, int32_t * station_and_query_save, \
                                int32_t * add_item_to_bottom, int32_t * folder_behind, int32_t * relative_path)) \
  X(ZtlBool, SetProjectOption, (ZtlHandle item, int32_t save_caret_pos, int32_t station_and_query_save, \
                                int32_t add_item_to_bottom, int32_t folder_behind, int32_t relative_path)) \
  X(ZtlHandle, AddLinkedFile, (ZtlHandle item)) \
  X(ZtlHandle, InsertLinkedFile, (ZtlHandle item, int32_t position)) \
  X(ZtlBool, DeleteLinkedFile, (ZtlHandle link)) \
  X(ZtlLinkedFileInfo*, GetLinkedFileInfo, (ZtlHandle link)) \
  X(ZtlBool, SetLinkedFileInfo, (ZtlHandle link, const ZtlLinkedFileInfo* info)) \
  X(ZtlBool, AssignLinkedFile, (ZtlHandle target, ZtlHandle source)) \
  X(void, FreeLinkedFileInfo, (ZtlLinkedFileInfo * info)) \
  X(ZtlBool, ExecLinekdFile, (ZtlHandle link)) \
  X(ZtlHeaderInfo*, GetHeaderInfo, (ZtlHandle item, int32_t index)) \
  X(ZtlBool, AddHeader, (ZtlHandle item, const char* name, const char* value)) \
  X(ZtlBool, DeleteHeader, (ZtlHandle item, int32_t index)) \
  X(void, FreeHeaderInfo, (ZtlHeaderInfo * info)) \
  X(ZtlUserCatInfo*, GetUserCatInfo, (ZtlHandle category)) \
  X(ZtlBool, SetUserCatInfo, (ZtlHandle category, const ZtlUserCatInfo* info)) \
  X(void, FreeUserCatInfo, (ZtlUserCatInfo * info)) \
  X(ZtlAlarmInfo*, GetAlarm, (ZtlHandle item)) \
  X(ZtlBool, SetAlarm, (ZtlHandle item, const ZtlAlarmInfo* alarm)) \
  X(void, FreeAlarmInfo, (ZtlAlarmInfo * alarm)) \
  X(void*, GetRecreateFactory, (ZtlHandle item)) \
  X(ZtlBool, SetRecreateFactory, (ZtlHandle item, const void* factory)) \
  X(void, FreeRecreateFactoryInfo, (void* factory)) \
  X(ZtlHandle, SelectItemFormShow, (const char* caption, ZtlHandle start, int32_t flag1, int32_t flag2, \
                                    int32_t flag3)) \
  X(void, ShowMsgToStatusBar, (const char* text)) \
  X(ZtlBool, EncodeDate, (int32_t year, int32_t month, int32_t day, double* date_time)) \
  X(ZtlBool, EncodeTime, (int32_t hour, int32_t minute, int32_t second, int32_t msec, double* date_time)) \
  X(void, DecodeDate, (const double* date_time, int32_t* year, int32_t* month, int32_t* day)) \
  X(void, DecodeTime, (const double* date_time, int32_t* hour, int32_t* minute, int32_t* second, \
                       int32_t* msec)) \
  X(void, GetCalendarDate, (double* date_time)) \
  X(void, SetCalendarDate, (const double* date_time)) \
  X(void, ItemBeginUpdate, (ZtlHandle item)) \
  X(void, ItemEndUpdate, (ZtlHandle item)) \
  X(int32_t, GetUserFolderName, (char* buffer, int32_t size)) \
  X(int32_t, GetProjectFilename, (ZtlHandle item, char* buffer, int32_t size)) \
  X(ZtlBool, DateDialogExecute, (const char* caption, double* date_time)) \
  X(ZtlHandle, ImportMailFile, (ZtlHandle folder, const char* path)) \
  X(void, SetDefaultFilters, (const char* filters)) \
  X(int32_t, GetDefaultFilters, (char* buffer, int32_t size)) \
  X(int32_t, EditGetSelStart, (void)) \
  X(int32_t, EditSetSelStart, (int32_t start)) \
  X(int32_t, EditGetSelLength, (void)) \
  X(int32_t, EditSetSelLength, (int32_t length)) \
  X(int32_t, EditGetSelText, (char* buffer, int32_t size)) \
  X(ZtlBool, EditSetSelText, (const char* text)) \
  X(void, EditGetCaretPos, (int32_t * row, int32_t * col)) \
  X(void, EditSetCaretPos, (int32_t row, int32_t col)) \
  X(void, EditGetTopRow, (int32_t * row)) \
  X(void, EditSetTopRow, (int32_t row)) \
  X(int32_t, EditRowToLines, (int32_t row)) \
  X(int32_t, EditGetLinesStrSize, (int32_t line)) \
  X(int32_t, EditGetLinesStr, (int32_t line, char* buffer, int32_t size)) \
  X(int32_t, EditSetLinesStr, (int32_t line, const char* text)) \
  X(int32_t, EditGetLinesCount, (void)) \
  X(int32_t, EditGetListStrSize, (int32_t row)) \
  X(int32_t, EditGetListStr, (int32_t row, char* buffer, int32_t size)) \
  X(int32_t, EditGetListCount, (void)) \
  X(int32_t, EditGetRowCount, (void)) \
  X(int32_t, EditGetColCount, (void)) \
  X(int32_t, EditColToChar, (int32_t row, int32_t col)) \
  X(int32_t, EditTokenFromCaret, (void)) \
  X(int32_t, EditTokenFromPos, (int32_t row, int32_t col)) \
  X(int32_t, EditTokenFromCaretStr, (char* buffer, int32_t size)) \
  X(int32_t, EditTokenFromPosStr, (int32_t row, int32_t col, char* buffer, int32_t size)) \
  X(int32_t, EditWordFromCaret, (void)) \
  X(int32_t, EditWordFromPos, (int32_t row, int32_t col)) \
  X(int32_t, EditWordFromCaretStr, (char* buffer, int32_t size)) \
  X(int32_t, EditWordFromPosStr, (int32_t row, int32_t col, char* buffer, int32_t size))

/* Function pointer types ZtlFn_<name> for the binding table. */
#define ZTL_DECLARE_HOST_FN_TYPE(ret, name, params) typedef ret(*ZtlFn_##name) params;
ZENTRELLA_HOST_API(ZTL_DECLARE_HOST_FN_TYPE)
#undef ZTL_DECLARE_HOST_FN_TYPE

#define ZTL_HOST_API_COUNT 121

#ifdef __cplusplus
} /* extern "C" */

#define ZTL_COUNT_HOST_FN(ret, name, params) +1
static_assert(0 ZENTRELLA_HOST_API(ZTL_COUNT_HOST_FN) == ZTL_HOST_API_COUNT);
#undef ZTL_COUNT_HOST_FN

static_assert(offsetof(ZtlItemInfo, kind) == 0);
static_assert(offsetof(ZtlItemInfo, title) == 2);
static_assert(offsetof(ZtlItemInfo, progress) == 5130);
static_assert(offsetof(ZtlItemInfo, priority) == 5134);
static_assert(offsetof(ZtlItemInfo, message_id) == 5138);
static_assert(offsetof(ZtlItemInfo, start_time) == 5266);
static_assert(offsetof(ZtlItemInfo, end_time) == 5274);
static_assert(offsetof(ZtlItemInfo, due_time) == 5282);
static_assert(offsetof(ZtlItemInfo, last_modify_time) == 5290);
static_assert(offsetof(ZtlItemInfo, create_time) == 5298);
static_assert(offsetof(ZtlItemInfo, planned_start_time) == 5319);
static_assert(offsetof(ZtlItemInfo, list_item_index) == 5331);
static_assert(offsetof(ZtlItemInfo, selected) == 5335);
static_assert(offsetof(ZtlItemInfo, documents) == 6025);
static_assert(offsetof(ZtlItemInfo, file_links) == 6033);
static_assert(offsetof(ZtlItemInfo, user_categories) == 6041);
static_assert(sizeof(ZtlItemInfo) == 6049);
static_assert(offsetof(ZtlDescriptionInfo, file_name) == 256);
static_assert(offsetof(ZtlDescriptionInfo, text_type) == 517);
static_assert(sizeof(ZtlDescriptionInfo) == 773);
static_assert(offsetof(ZtlLinkedFileInfo, file_name) == 256);
static_assert(offsetof(ZtlLinkedFileInfo, option) == 517);
static_assert(offsetof(ZtlLinkedFileInfo, work_dir) == 778);
static_assert(sizeof(ZtlLinkedFileInfo) == 1039);
static_assert(offsetof(ZtlUserCatInfo, value) == 256);
static_assert(sizeof(ZtlUserCatInfo) == 512);
static_assert(offsetof(ZtlAlarmInfo, unit) == 12);
static_assert(sizeof(ZtlAlarmInfo) == 13);
#endif

#endif /* ZENTRELLA_HOST_API_H */
