// A HostApi for the fuzzer: every one of the 121 functions is bound, answers
// are harmless and derived from the handles and numbers the plug-in passes, and
// every record or list handed out is booked, so that a record the plug-in never
// gives back (or gives back twice, or never had) is found after each input.
#pragma once

#include <cstddef>
#include <string>

#include "host_binding/host_api_table.h"

namespace fuzz_host {

struct LedgerReport {
  std::size_t outstanding = 0;  // handed out and not given back
  std::size_t foreign = 0;      // given back without being out (twice, wrong kind, never handed out)
  std::string first_fault;      // what the first of them was
};

// The bound table; the same object for the whole process.
const scriptlink::HostApi& Api();
// Forgets every booking (and frees what was still out) and starts a new input.
void Reset();
// What the input left behind.
LedgerReport Report();

}  // namespace fuzz_host
