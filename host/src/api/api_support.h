// What the exported functions share: a guard that keeps exceptions from
// crossing into the plug-in, and the copying of texts into and out of the
// fixed fields of the records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "api/exported.h"
#include "model/record_ledger.h"
#include "model/session.h"

namespace zentrella::api {

inline ZtlBool truth(bool value) { return value ? ZTL_TRUE : ZTL_FALSE; }

// Runs body; an exception becomes a line on stderr and the fallback result,
// since nothing may unwind into the caller's C frames.
template <typename Result, typename Body>
Result guarded(const char* name, Result fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zentrella: %s: %s\n", name, error.what());
  } catch (...) {
    std::fprintf(stderr, "zentrella: %s: unknown failure\n", name);
  }
  return fallback;
}

template <typename Body>
void guarded_void(const char* name, Body&& body) noexcept {
  guarded<int>(name, 0, [&] {
    body();
    return 0;
  });
}

// Text of a fixed field: up to its first NUL, at most capacity bytes.
inline std::string field_text(const char* field, std::size_t capacity) {
  return std::string(field, strnlen(field, capacity));
}

// The first max_length bytes of text (a character cut in two is dropped),
// then a NUL when there is room for one.
void copy_field(char* field, std::size_t capacity, std::string_view text, std::size_t max_length);

template <std::size_t N>
void copy_field(char (&field)[N], std::string_view text) {
  copy_field(field, N, text, N - 1);
}

// The text cut to max_length bytes without splitting a character; a
// character already cut short at its end (a caller that cut by bytes) is
// dropped as well.
std::string cut_text(std::string_view text, std::size_t max_length);

// Writes at most size bytes of text and a NUL after them into a caller buffer
// of size + 1 bytes; returns the bytes written (0 for a null buffer).
std::int32_t fill_buffer(char* buffer, std::int32_t size, std::string_view text);

// A 0-terminated list handed out until FreeItemEntries.
ZtlHandle* hand_out_list(const std::vector<Handle>& entries);

// Reads a caller's 0-terminated handle list, at most limit entries.
std::vector<Handle> read_list(const ZtlHandle* entries, std::size_t limit = 1u << 20);

inline Session& s() { return session(); }

// A path a document or file link of item names: a relative one is taken from
// the folder of the item's project file.
std::string path_from_project(Handle item, const std::string& path);

}  // namespace zentrella::api
