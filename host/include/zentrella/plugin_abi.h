/* What a plug-in exports to the host: its entry points and the records that
 * cross at registration time. Packed; pointer fields are 8 bytes wide (see
 * host_api.h for the rule), so the plug-in info record is 32 bytes and a
 * command entry 34. */
#ifndef ZENTRELLA_PLUGIN_ABI_H
#define ZENTRELLA_PLUGIN_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

typedef struct ZtlCommandEntry {
  uint32_t unused;         /* 0: not filled (written 0) */
  char* name;              /* 4: identifier, 257-byte allocation */
  char* caption;           /* 12: caption, 257-byte allocation */
  uint32_t number;         /* 20: passed back to ZTLPlugin_Execute */
  uint32_t reserved;       /* 24: always 0 */
  int32_t icon;            /* 28 */
  uint16_t type;           /* 32: 0 main, 1 editor, 2 filer, 3 launcher */
} ZtlCommandEntry;

typedef struct ZtlPluginInfo {
  uint32_t record_size;    /* 0: sizeof(ZtlPluginInfo) */
  uint16_t zero1;          /* 4 */
  char* name;              /* 6: "Scriptlink", own allocation */
  uint16_t zero2;          /* 14 */
  int32_t minus_one;       /* 16: -1 */
  int32_t command_count;   /* 20: N */
  ZtlCommandEntry** commands; /* 24: N entries, then a null pointer */
} ZtlPluginInfo;

/* Optional second argument of ZTLPlugin_Execute; owned by the host. */
typedef struct ZtlRunParams {
  const char* script_file;
  const char* script_options;
  const char* output_file;
  const char* copy_to_clipboard; /* decimal text; non-numeric = 0 */
  const char* hide_console;      /* decimal text; non-numeric = 0 */
} ZtlRunParams;

#pragma pack(pop)

/* X(result type, name after ZTLPlugin_, parameter list). */
#define ZENTRELLA_PLUGIN_ENTRY_POINTS(X) \
  X(int32_t, Init, (const char* plugin_path)) \
  X(void, Unload, (void)) \
  X(void, Activate, (void)) \
  X(void, SetVersion, (uint32_t * high, uint32_t * low)) \
  X(ZtlPluginInfo*, SetPluginInfo, (void)) \
  X(void, FreePluginInfo, (ZtlPluginInfo * info)) \
  X(int32_t, Execute, (uint32_t command, const ZtlRunParams* params)) \
  X(int32_t, OnZentrellaMainWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnTaskListViewWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnTreeViewWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnEditWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnFilerWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnCalendarWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnFolderLauncherWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnTaskLauncherWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnFilterTabWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnEditTabWndProc, (intptr_t a, intptr_t b)) \
  X(int32_t, OnEditHotSpotDblClick, (intptr_t a, intptr_t b)) \
  X(void, OnCommand, (intptr_t a, intptr_t b, intptr_t c, intptr_t d)) \
  X(void, OnCurrentFolderChange, (intptr_t a)) \
  X(void, OnCurrentItemChange, (intptr_t a)) \
  X(void, OnCurrentDescriptionChange, (intptr_t a)) \
  X(void, OnProjectModified, (intptr_t a)) \
  X(void, OnCreateItemFromTemplate, (intptr_t a)) \
  X(void, OnChangeCurrentProject, (intptr_t a, intptr_t b)) \
  X(void, OnCreateTempFile, (intptr_t a, intptr_t b, intptr_t c)) \
  X(void, OnEditChange, (void)) \
  X(void, OnEditMoveCaret, (void)) \
  X(void, OnCalendarChange, (void))

#define ZTL_DECLARE_PLUGIN_FN_TYPE(ret, name, params) typedef ret(*ZtlPluginFn_##name) params;
ZENTRELLA_PLUGIN_ENTRY_POINTS(ZTL_DECLARE_PLUGIN_FN_TYPE)
#undef ZTL_DECLARE_PLUGIN_FN_TYPE

#ifdef __cplusplus
} /* extern "C" */

static_assert(offsetof(ZtlCommandEntry, name) == 4);
static_assert(offsetof(ZtlCommandEntry, caption) == 12);
static_assert(offsetof(ZtlCommandEntry, number) == 20);
static_assert(offsetof(ZtlCommandEntry, reserved) == 24);
static_assert(offsetof(ZtlCommandEntry, icon) == 28);
static_assert(offsetof(ZtlCommandEntry, type) == 32);
static_assert(sizeof(ZtlCommandEntry) == 34);
static_assert(offsetof(ZtlPluginInfo, name) == 6);
static_assert(offsetof(ZtlPluginInfo, zero2) == 14);
static_assert(offsetof(ZtlPluginInfo, minus_one) == 16);
static_assert(offsetof(ZtlPluginInfo, command_count) == 20);
static_assert(offsetof(ZtlPluginInfo, commands) == 24);
static_assert(sizeof(ZtlPluginInfo) == 32);
#endif

#endif /* ZENTRELLA_PLUGIN_ABI_H */
