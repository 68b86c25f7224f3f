/* Facts about request and reply payloads that both deliverables must read the
 * same way: the selectors of request 1, the texts of request 75, the channel
 * form of the alarm record and the item kinds. Plain C, like the other
 * channel headers. */
#ifndef ZTL_PAYLOADS_H
#define ZTL_PAYLOADS_H

#include <stdint.h>

#include "request_codes.h"

/* Codes 1 to this travel; code 0 and anything above are dropped unanswered. */
#define ZTL_REQUEST_CODE_COUNT 110

/* Every payload word is a little-endian 32-bit value. */
#define ZTL_WORD_SIZE 4

/* Selectors of request 1. 0 to 8 answer one handle (8: a document handle, not
 * an item's), 9 to 11 an item list closed by a 0 word; any other answers 0. */
enum ZtlSelector {
  ZTL_SELECT_CURRENT_ITEM = 0,
  ZTL_SELECT_CURRENT_PROJECT = 1,
  ZTL_SELECT_CURRENT_FOLDER = 2,
  ZTL_SELECT_RECYCLED = 3,
  ZTL_SELECT_FIND_PROJECT = 4,
  ZTL_SELECT_TEMPLATE_PROJECT = 5,
  ZTL_SELECT_SCRAP_PROJECT = 6,
  ZTL_SELECT_SELECTED_TOP = 7,
  ZTL_SELECT_CURRENT_DOCUMENT = 8,
  ZTL_SELECT_SELECTED_ITEMS = 9,
  ZTL_SELECT_DISPLAYED_ITEMS = 10,
  ZTL_SELECT_LOADED_PROJECTS = 11
};
#define ZTL_SELECT_FIRST_LIST ZTL_SELECT_SELECTED_ITEMS
#define ZTL_SELECT_LAST ZTL_SELECT_LOADED_PROJECTS

/* Request 75: the command name, then this many argument texts, each closed
 * by a NUL. */
#define ZTL_EXEC_COMMAND_ARGUMENTS 10
#define ZTL_EXEC_COMMAND_TEXTS (1 + ZTL_EXEC_COMMAND_ARGUMENTS)

/* Item kinds as requests 11, 12 and 15 carry them; above the last counts as a project. */
#define ZTL_KIND_TASK 0
#define ZTL_KIND_FILER 1
#define ZTL_KIND_FOLDER 2
#define ZTL_KIND_PROJECT 3

/* Requests 109 and 110: the alarm record, channel form (four words). The unit
 * is 0 minutes, 1 hours, 2 days. */
#define ZTL_ALARM_RECORD_SIZE 16
#define ZTL_ALARM_ENABLED_OFFSET 0
#define ZTL_ALARM_DUE_TIME_OFFSET 4
#define ZTL_ALARM_COUNT_OFFSET 8
#define ZTL_ALARM_UNIT_OFFSET 12

/* Requests 83 and 84: the project option record, channel form (six words):
 * the item handle, then the five options, each 0 off and non-zero on. A read
 * answers the header's handle in the first word; a write takes the handle
 * from the header and ignores that word. */
#define ZTL_PROJECT_OPTION_RECORD_SIZE 24
#define ZTL_PROJECT_OPTION_HANDLE_OFFSET 0
#define ZTL_PROJECT_OPTION_SAVE_CARET_POS_OFFSET 4
#define ZTL_PROJECT_OPTION_STATION_AND_QUERY_SAVE_OFFSET 8
#define ZTL_PROJECT_OPTION_ADD_ITEM_TO_BOTTOM_OFFSET 12
#define ZTL_PROJECT_OPTION_FOLDER_BEHIND_OFFSET 16
#define ZTL_PROJECT_OPTION_RELATIVE_PATH_OFFSET 20

/* Request 73 and the other truth words: 1 true, 0 false. */
#define ZTL_TRUTH_TRUE 1
#define ZTL_TRUTH_FALSE 0

/* Texts cut to a host field (request 19, 71); the plug-in cuts on a whole character. */
#define ZTL_TITLE_FIELD_MAX 5120
#define ZTL_CATEGORY_VALUE_MAX 255
#define ZTL_MESSAGE_ID_MAX 128

#ifdef __cplusplus
static_assert(ZTL_REQUEST_CODE_COUNT == ZTL_REQ_LAST);
#else
_Static_assert(ZTL_REQUEST_CODE_COUNT == ZTL_REQ_LAST, "code count");
#endif

#endif /* ZTL_PAYLOADS_H */
