#include "requests/dispatch_table.h"

#include <array>
#include <span>

#include <ztl/request_codes.h>

#include <ztl/payloads.h>

#include "requests/families/editor.h"
#include "requests/families/document_link.h"
#include "requests/families/dialog.h"
#include "requests/families/host_query.h"
#include "requests/families/item_property.h"
#include "requests/families/item_tree.h"
#include "requests/families/project_option.h"

namespace scriptlink {

void HandleUnservedRequest(RequestContext& context) { context.reply_empty(); }

namespace {

constexpr std::uint32_t kCodeCount = ZTL_REQUEST_CODE_COUNT;

// The bindings of each family. A family that is not built yet has none and
// takes the temporary handler; a built family must bind every one of its codes.
constexpr std::span<const HandlerBinding> BindingsOf(RequestFamily family) {
  switch (family) {
    case RequestFamily::HOST_QUERY:
      return kHostQueryHandlers;
    case RequestFamily::ITEM_TREE:
      return kItemTreeHandlers;
    case RequestFamily::ITEM_PROPERTY:
      return kItemPropertyHandlers;
    case RequestFamily::PROJECT_OPTION:
      return kProjectOptionHandlers;
    case RequestFamily::EDITOR:
      return kEditorHandlers;
    case RequestFamily::DOCUMENT_LINK:
      return kDocumentLinkHandlers;
    case RequestFamily::DIALOG:
      return kDialogHandlers;
    default:
      return {};
  }
}

constexpr bool IsBuilt(RequestFamily family) { return !BindingsOf(family).empty(); }

constexpr bool IsBound(std::uint32_t code, RequestFamily family) {
  for (const HandlerBinding& binding : BindingsOf(family))
    if (binding.code == code) return true;
  return false;
}

// The checks below ask IsBound rather than compare handler addresses with null,
// which not every build (sanitizers) accepts as a constant expression.
constexpr bool HasHandler(std::uint32_t code, RequestFamily family) { return IsBound(code, family) || !IsBuilt(family); }

constexpr RequestHandler HandlerFor(std::uint32_t code, RequestFamily family) {
  for (const HandlerBinding& binding : BindingsOf(family))
    if (binding.code == code) return binding.handler;
  return &HandleUnservedRequest;
}

// How often each code appears in the shared index; slot 0 counts codes out of range.
constexpr std::array<int, kCodeCount + 1> kCodeCounts = [] {
  std::array<int, kCodeCount + 1> counts{};
#define ZTL_COUNT_CODE(code, name, family, what) ++counts[(code) >= 1 && (code) <= kCodeCount ? (code) : 0];
  ZTL_REQUEST_CODES(ZTL_COUNT_CODE)
#undef ZTL_COUNT_CODE
  return counts;
}();

constexpr std::array<RequestEntry, kCodeCount + 1> kTable = [] {
  std::array<RequestEntry, kCodeCount + 1> table{};
#define ZTL_TABLE_ENTRY(code, name, family, what) \
  table[code] = RequestEntry{code, #name, RequestFamily::family, HandlerFor(code, RequestFamily::family)};
  ZTL_REQUEST_CODES(ZTL_TABLE_ENTRY)
#undef ZTL_TABLE_ENTRY
  return table;
}();

constexpr bool EveryCodeOnce() {
  if (kCodeCounts[0] != 0) return false;
  for (std::uint32_t code = 1; code <= kCodeCount; ++code)
    if (kCodeCounts[code] != 1) return false;
  return true;
}

constexpr bool EveryCodeHasHandler() {
  for (std::uint32_t code = 1; code <= kCodeCount; ++code)
    if (kTable[code].code != code || !HasHandler(code, kTable[code].family)) return false;
  return true;
}

// A family binds only its own codes, each once.
constexpr bool BindingsBelongToTheirFamily(RequestFamily family) {
  const auto bindings = BindingsOf(family);
  for (std::size_t i = 0; i < bindings.size(); ++i) {
    const std::uint32_t code = bindings[i].code;
    if (code < 1 || code > kCodeCount || kTable[code].family != family) return false;
    for (std::size_t j = i + 1; j < bindings.size(); ++j)
      if (bindings[j].code == code) return false;
  }
  return true;
}

static_assert(EveryCodeOnce(), "every request code 1..110 must appear exactly once");
static_assert(EveryCodeHasHandler(), "every request code needs a handler");
static_assert(BindingsBelongToTheirFamily(RequestFamily::HOST_QUERY));
static_assert(BindingsBelongToTheirFamily(RequestFamily::ITEM_TREE));
static_assert(BindingsBelongToTheirFamily(RequestFamily::ITEM_PROPERTY));
static_assert(BindingsBelongToTheirFamily(RequestFamily::DOCUMENT_LINK));
static_assert(BindingsBelongToTheirFamily(RequestFamily::PROJECT_OPTION));
static_assert(BindingsBelongToTheirFamily(RequestFamily::EDITOR));
static_assert(BindingsBelongToTheirFamily(RequestFamily::DIALOG));

}  // namespace

const RequestEntry* FindRequest(std::uint32_t code) noexcept {
  if (code == 0 || code > kCodeCount) return nullptr;
  return &kTable[code];
}

std::span<const RequestEntry> DispatchTable() noexcept { return std::span(kTable).subspan(1); }

}  // namespace scriptlink
