// Requests about a project's five on/off options, read and written all at once.
#pragma once

#include "requests/request_family.h"

#define ZTL_PROJECT_OPTION_HANDLERS(X)          \
  X(PROJECT_OPTION_GET, HandleProjectOptionGet) \
  X(PROJECT_OPTION_SET, HandleProjectOptionSet)

namespace scriptlink {

ZTL_PROJECT_OPTION_HANDLERS(ZTL_DECLARE_HANDLER)

inline constexpr HandlerBinding kProjectOptionHandlers[] = {ZTL_PROJECT_OPTION_HANDLERS(ZTL_BIND_HANDLER)};

}  // namespace scriptlink
