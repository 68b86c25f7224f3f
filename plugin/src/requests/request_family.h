// The families of request codes (one handler file each) and how a family binds
// its handlers to codes.
#pragma once

#include <cstdint>

#include "handlers/request_context.h"

namespace scriptlink {

enum class RequestFamily { HOST_QUERY, ITEM_TREE, ITEM_PROPERTY, DOCUMENT_LINK, PROJECT_OPTION, EDITOR, DIALOG };

struct HandlerBinding {
  std::uint32_t code;
  RequestHandler handler;
};

}  // namespace scriptlink
