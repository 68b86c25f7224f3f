// The one table of request codes: code -> name -> family -> handler, built from
// the shared index of request codes and checked at compile time.
#pragma once

#include <cstdint>
#include <span>

#include "requests/request_family.h"

namespace scriptlink {

struct RequestEntry {
  std::uint32_t code = 0;
  const char* name = nullptr;
  RequestFamily family = RequestFamily::HOST_QUERY;
  RequestHandler handler = nullptr;
};

// The entry of a code; nullptr for code 0 and codes above 110, which are
// dropped without a reply.
const RequestEntry* FindRequest(std::uint32_t code) noexcept;
// Codes 1 to 110 in order.
std::span<const RequestEntry> DispatchTable() noexcept;

// TEMPORARY: the handler of every code whose family is not built yet. It sends
// an empty reply (the script's "none") so a script never hangs on such a code.
void HandleUnservedRequest(RequestContext& context);

}  // namespace scriptlink
