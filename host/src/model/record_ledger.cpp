#include "model/record_ledger.h"

#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace zentrella {

namespace {

struct Entry {
  RecordKind kind;
  std::unique_ptr<HandedOut> block;
};

struct Ledger {
  std::mutex mutex;
  std::unordered_map<const void*, Entry> entries;
  std::size_t errors = 0;
};

Ledger& ledger() {
  static Ledger instance;
  return instance;
}

}  // namespace

void* hand_out(RecordKind kind, std::unique_ptr<HandedOut> block, void* address) {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  l.entries[address] = Entry{kind, std::move(block)};
  return address;
}

bool take_back(RecordKind kind, const void* address) {
  if (address == nullptr) return true;
  Ledger& l = ledger();
  std::unique_ptr<HandedOut> doomed;
  {
    std::lock_guard lock(l.mutex);
    auto found = l.entries.find(address);
    if (found == l.entries.end() || found->second.kind != kind) {
      ++l.errors;
      std::fprintf(stderr, "zentrella: a plug-in released a record the host did not hand out (or released it twice)\n");
      return false;
    }
    doomed = std::move(found->second.block);
    l.entries.erase(found);
  }
  return true;
}

std::size_t outstanding_records() {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  return l.entries.size();
}

std::size_t outstanding_records(RecordKind kind) {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  std::size_t count = 0;
  for (const auto& [address, entry] : l.entries) count += entry.kind == kind ? 1 : 0;
  return count;
}

std::size_t release_errors() {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  return l.errors;
}

void reset_record_ledger() {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  l.entries.clear();
  l.errors = 0;
}

}  // namespace zentrella
