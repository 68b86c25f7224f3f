// Requests about one item's properties: title, progress, priority, message id,
// the five dates, user categories and the alarm.
#pragma once

#include "requests/request_family.h"

#define ZTL_ITEM_PROPERTY_HANDLERS(X)                              \
  X(ITEM_TITLE_GET, HandleTitleGet)                                \
  X(ITEM_TITLE_SET, HandleTitleSet)                                \
  X(ITEM_PROGRESS_GET, HandleProgressGet)                          \
  X(ITEM_PROGRESS_SET, HandleProgressSet)                          \
  X(ITEM_PRIORITY_GET, HandlePriorityGet)                          \
  X(ITEM_PRIORITY_SET, HandlePrioritySet)                          \
  X(ITEM_MESSAGE_ID_GET, HandleMessageIdGet)                       \
  X(ITEM_START_TIME_GET, HandleStartTimeGet)                       \
  X(ITEM_START_TIME_SET, HandleStartTimeSet)                       \
  X(ITEM_PLANNED_START_TIME_GET, HandlePlannedStartTimeGet)        \
  X(ITEM_PLANNED_START_TIME_SET, HandlePlannedStartTimeSet)        \
  X(ITEM_END_TIME_GET, HandleEndTimeGet)                           \
  X(ITEM_END_TIME_SET, HandleEndTimeSet)                           \
  X(ITEM_DUE_TIME_GET, HandleDueTimeGet)                           \
  X(ITEM_DUE_TIME_SET, HandleDueTimeSet)                           \
  X(ITEM_LAST_MODIFY_TIME_GET, HandleLastModifyTimeGet)            \
  X(ITEM_CREATE_TIME_GET, HandleCreateTimeGet)                     \
  X(ITEM_USER_CATEGORIES_GET, HandleUserCategoriesGet)             \
  X(ITEM_USER_CATEGORIES_SET, HandleUserCategoriesSet)             \
  X(ITEM_ALARM_GET, HandleAlarmGet)                                \
  X(ITEM_ALARM_SET, HandleAlarmSet)

namespace scriptlink {

ZTL_ITEM_PROPERTY_HANDLERS(ZTL_DECLARE_HANDLER)

inline constexpr HandlerBinding kItemPropertyHandlers[] = {ZTL_ITEM_PROPERTY_HANDLERS(ZTL_BIND_HANDLER)};

}  // namespace scriptlink
