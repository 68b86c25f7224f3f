#include "model/record_ledger.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

#include "model/spin_lock.h"

namespace zentrella {

namespace {

// The records on loan, by address. A record is handed out and taken back on
// every item property read, usually with no other on loan: an open table of
// few slots finds it at its first probe, with no allocation and no division,
// where a node-based map cost as much as filling the record.
class LoanTable {
 public:
  struct Loan {
    const void* address = nullptr;  // null: a free slot
    RecordKind kind = RecordKind::item_info;
    std::unique_ptr<HandedOut> block;
  };

  LoanTable() : slots_(kInitialSlots) {}

  Loan* find(const void* address) {
    for (std::size_t at = home(address);; at = next(at)) {
      Loan& loan = slots_[at];
      if (loan.address == address) return &loan;
      if (loan.address == nullptr) return nullptr;
    }
  }

  // The block an entry for the same address held before, if any.
  std::unique_ptr<HandedOut> put(const void* address, RecordKind kind, std::unique_ptr<HandedOut> block) {
    if (Loan* loan = find(address)) {
      loan->kind = kind;
      return std::exchange(loan->block, std::move(block));
    }
    if (2 * (count_ + 1) > slots_.size()) grow();
    place(Loan{address, kind, std::move(block)});
    ++count_;
    return nullptr;
  }

  // Frees the slot (keeping every other entry reachable from its home) and
  // returns the block it held.
  std::unique_ptr<HandedOut> remove(Loan& loan) {
    std::unique_ptr<HandedOut> block = std::move(loan.block);
    std::size_t hole = static_cast<std::size_t>(&loan - slots_.data());
    for (std::size_t at = next(hole); slots_[at].address != nullptr; at = next(at)) {
      const std::size_t wanted = home(slots_[at].address);
      // An entry may fill the hole when the hole lies on its probe path.
      const bool may_move = hole <= at ? (wanted <= hole || wanted > at) : (wanted <= hole && wanted > at);
      if (!may_move) continue;
      slots_[hole] = std::move(slots_[at]);
      hole = at;
    }
    slots_[hole] = Loan{};
    --count_;
    return block;
  }

  std::size_t size() const noexcept { return count_; }

  std::size_t count(RecordKind kind) const noexcept {
    std::size_t n = 0;
    for (const Loan& loan : slots_) n += loan.address != nullptr && loan.kind == kind ? 1 : 0;
    return n;
  }

  void clear() {
    slots_.clear();
    slots_.resize(kInitialSlots);
    count_ = 0;
  }

 private:
  static constexpr std::size_t kInitialSlots = 16;

  std::size_t home(const void* address) const noexcept {
    // Fibonacci hashing of the address without its alignment bits.
    const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address) >> 4);
    const int shift = 64 - std::countr_zero(slots_.size());
    return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> shift);
  }
  std::size_t next(std::size_t at) const noexcept { return (at + 1) & (slots_.size() - 1); }

  void place(Loan loan) {
    std::size_t at = home(loan.address);
    while (slots_[at].address != nullptr) at = next(at);
    slots_[at] = std::move(loan);
  }

  void grow() {
    std::vector<Loan> old = std::exchange(slots_, std::vector<Loan>(2 * slots_.size()));
    for (Loan& loan : old) {
      if (loan.address != nullptr) place(std::move(loan));
    }
  }

  std::vector<Loan> slots_;
  std::size_t count_ = 0;
};

struct Ledger {
  SpinLock mutex;
  LoanTable loans;
  std::size_t errors = 0;
};

Ledger& ledger() {
  static Ledger instance;
  return instance;
}

}  // namespace

void* hand_out(RecordKind kind, std::unique_ptr<HandedOut> block, void* address) {
  Ledger& l = ledger();
  std::unique_ptr<HandedOut> replaced;  // an address still on loan: the new record takes its place
  std::lock_guard lock(l.mutex);
  replaced = l.loans.put(address, kind, std::move(block));
  return address;
}

bool take_back(RecordKind kind, const void* address) {
  if (address == nullptr) return true;
  Ledger& l = ledger();
  std::unique_ptr<HandedOut> doomed;  // freed after the lock is given up
  std::lock_guard lock(l.mutex);
  LoanTable::Loan* loan = l.loans.find(address);
  if (loan == nullptr || loan->kind != kind) {
    ++l.errors;
    std::fprintf(stderr, "zentrella: a plug-in released a record the host did not hand out (or released it twice)\n");
    return false;
  }
  doomed = l.loans.remove(*loan);
  return true;
}

std::size_t outstanding_records() {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  return l.loans.size();
}

std::size_t outstanding_records(RecordKind kind) {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  return l.loans.count(kind);
}

std::size_t release_errors() {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  return l.errors;
}

void reset_record_ledger() {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  l.loans.clear();
  l.errors = 0;
}

}  // namespace zentrella
