// Requests about an item's documents and file links: the two lists of an item
// (listing, adding, inserting, deleting by position) and each entry's fields,
// text, copy, focus and opening. Documents are in documents.cpp, file links in
// file_links.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "requests/request_family.h"

#define ZTL_DOCUMENT_LINK_HANDLERS(X)                    \
  X(ITEM_DOCUMENTS, HandleItemDocuments)                 \
  X(ITEM_ADD_DOCUMENT, HandleAddDocument)                \
  X(ITEM_INSERT_DOCUMENT, HandleInsertDocument)          \
  X(ITEM_DELETE_DOCUMENT, HandleDeleteDocumentAt)        \
  X(DOCUMENT_TITLE_GET, HandleDocumentTitleGet)          \
  X(DOCUMENT_TITLE_SET, HandleDocumentTitleSet)          \
  X(DOCUMENT_TEXT_GET, HandleDocumentTextGet)            \
  X(DOCUMENT_TEXT_SET, HandleDocumentTextSet)            \
  X(DOCUMENT_TEXTTYPE_GET, HandleDocumentTextTypeGet)    \
  X(DOCUMENT_TEXTTYPE_SET, HandleDocumentTextTypeSet)    \
  X(DOCUMENT_TEXTLINK, HandleDocumentTextLink)           \
  X(DOCUMENT_FILENAME_GET, HandleDocumentFileNameGet)    \
  X(DOCUMENT_FILENAME_SET, HandleDocumentFileNameSet)    \
  X(DOCUMENT_DELETE, HandleDocumentDelete)               \
  X(DOCUMENT_ASSIGN, HandleDocumentAssign)               \
  X(DOCUMENT_SET_FOCUS, HandleDocumentSetFocus)          \
  X(ITEM_FILELINKS, HandleItemFileLinks)                 \
  X(ITEM_ADD_FILELINK, HandleAddFileLink)                \
  X(ITEM_INSERT_FILELINK, HandleInsertFileLink)          \
  X(ITEM_DELETE_FILELINK, HandleDeleteFileLinkAt)        \
  X(FILELINK_TITLE_GET, HandleFileLinkTitleGet)          \
  X(FILELINK_TITLE_SET, HandleFileLinkTitleSet)          \
  X(FILELINK_FILENAME_GET, HandleFileLinkFileNameGet)    \
  X(FILELINK_FILENAME_SET, HandleFileLinkFileNameSet)    \
  X(FILELINK_OPTION_GET, HandleFileLinkOptionGet)        \
  X(FILELINK_OPTION_SET, HandleFileLinkOptionSet)        \
  X(FILELINK_WORKDIR_GET, HandleFileLinkWorkDirGet)      \
  X(FILELINK_WORKDIR_SET, HandleFileLinkWorkDirSet)      \
  X(FILELINK_URL, HandleFileLinkUrl)                     \
  X(FILELINK_DELETE, HandleFileLinkDelete)               \
  X(FILELINK_ASSIGN, HandleFileLinkAssign)               \
  X(FILELINK_EXECUTE, HandleFileLinkExecute)

namespace scriptlink {

ZTL_DOCUMENT_LINK_HANDLERS(ZTL_DECLARE_HANDLER)

inline constexpr HandlerBinding kDocumentLinkHandlers[] = {ZTL_DOCUMENT_LINK_HANDLERS(ZTL_BIND_HANDLER)};

// Deletes the entry at position of a list of at least two entries (codes 39
// and 57); false when there is no such entry or it is the list's last.
bool DeleteListEntryAt(std::span<const ZtlHandle> list, std::int32_t position, ZtlBool (*erase)(ZtlHandle));

// Whether name holds an address marker ("http:", "https:", "ftp:", "www.")
// anywhere, exactly as written (code 66).
bool HoldsAddressMarker(std::string_view name) noexcept;

}  // namespace scriptlink
