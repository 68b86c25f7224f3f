// The families of request codes (one handler file each) and how a family binds
// its handlers to codes: a family header lists its handlers once, one line
// each, X(CODE_NAME, HandlerFunction), and gets their declarations and its
// binding table from that list.
#pragma once

#include <cstdint>

#include <ztl/request_codes.h>

#include "requests/request_context.h"

namespace scriptlink {

enum class RequestFamily { HOST_QUERY, ITEM_TREE, ITEM_PROPERTY, DOCUMENT_LINK, PROJECT_OPTION, EDITOR, DIALOG };

struct HandlerBinding {
  std::uint32_t code;
  RequestHandler handler;
};

}  // namespace scriptlink

#define ZTL_DECLARE_HANDLER(code_name, handler) void handler(RequestContext& context);
#define ZTL_BIND_HANDLER(code_name, handler) HandlerBinding{ZTL_REQ_##code_name, &handler},
