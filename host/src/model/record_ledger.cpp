#include "model/record_ledger.h"

#include <array>
#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace zentrella {

namespace {

struct Entry {
  RecordKind kind;
  std::unique_ptr<HandedOut> block;
};

using Entries = std::unordered_map<const void*, Entry>;

struct Ledger {
  std::mutex mutex;
  Entries entries;
  std::size_t errors = 0;
  // Nodes of taken-back entries, kept for the next records: a record is
  // handed out and taken back on every item property read, and the ledger
  // should cost no allocation of its own there.
  std::array<Entries::node_type, 8> spare;
  std::size_t spare_count = 0;
};

Ledger& ledger() {
  static Ledger instance;
  return instance;
}

}  // namespace

void* hand_out(RecordKind kind, std::unique_ptr<HandedOut> block, void* address) {
  Ledger& l = ledger();
  std::unique_ptr<HandedOut> replaced;
  std::lock_guard lock(l.mutex);
  if (l.spare_count > 0) {
    Entries::node_type node = std::move(l.spare[--l.spare_count]);
    node.key() = address;
    node.mapped() = Entry{kind, std::move(block)};
    auto [at, inserted, rest] = l.entries.insert(std::move(node));
    if (!inserted) {
      // An address still on the ledger: the new record takes its place.
      replaced = std::move(at->second.block);
      at->second = std::move(rest.mapped());
      l.spare[l.spare_count++] = std::move(rest);
    }
    return address;
  }
  Entry& entry = l.entries[address];
  replaced = std::move(entry.block);
  entry = Entry{kind, std::move(block)};
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
    if (l.spare_count < l.spare.size())
      l.spare[l.spare_count++] = l.entries.extract(found);
    else
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
