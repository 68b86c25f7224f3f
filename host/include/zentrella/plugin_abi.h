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

/* What became of the last run ZTLPlugin_Execute started (command 0 or a user
 * command), from the optional entry point ZTLPlugin_LastRunOutcome, which a
 * host looks up by name; the plug-in owns the record and its texts until the
 * next ZTLPlugin_Execute or ZTLPlugin_Unload. Not one of the entry points
 * below: a host that does not ask for it loses nothing. */
enum {
  ZTL_RUN_NONE = 0,        /* no run was started (none yet, or no such command) */
  ZTL_RUN_ENDED = 1,       /* the script ran and ended; exit_code is its status */
  ZTL_RUN_CANCELLED = 2,   /* the user stopped it (wait form, busy question) */
  ZTL_RUN_NOT_FOUND = 3,   /* no script file; script names the paths tried, one a line */
  ZTL_RUN_NOT_STARTED = 4  /* the script could not be started (pipe, process) */
};
enum {
  ZTL_OUTPUT_NONE = 0,      /* not captured */
  ZTL_OUTPUT_CLIPBOARD = 1, /* on the clipboard */
  ZTL_OUTPUT_FILE = 2,      /* in output_path, as asked */
  ZTL_OUTPUT_KEPT = 3,      /* refused by its target, kept in output_path instead */
  ZTL_OUTPUT_LOST = 4       /* refused by its target, and nothing could be written */
};
typedef struct ZtlRunOutcome {
  int32_t state;           /* ZTL_RUN_... */
  int32_t exit_code;       /* the script's exit status; 128 + N when signal N ended it */
  int32_t output;          /* ZTL_OUTPUT_... */
  const char* script;      /* the script's path (never null) */
  const char* output_path; /* the file that holds the output, or "" */
} ZtlRunOutcome;
typedef const ZtlRunOutcome* (*ZtlPluginFn_LastRunOutcome)(void);

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
