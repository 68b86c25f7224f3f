// Storage for the blocks of one kind of record, a few of which are kept for
// the next records instead of going back to the heap: a record is handed out
// and taken back on every item property read.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <new>
#include <type_traits>

#include "model/spin_lock.h"

namespace zentrella::api {

// Block declares its operator new and delete through take and give.
template <typename Block, std::size_t Count = 8>
class KeptBlocks {
 public:
  static void* take(std::size_t size) {
    {
      std::lock_guard lock(state_.mutex);
      if (size == sizeof(Block) && state_.count > 0) return state_.kept[--state_.count];
    }
    return ::operator new(size);
  }

  static void give(void* storage, std::size_t size) noexcept {
    {
      std::lock_guard lock(state_.mutex);
      if (size == sizeof(Block) && state_.count < Count) {
        state_.kept[state_.count++] = storage;
        return;
      }
    }
    ::operator delete(storage);
  }

 private:
  struct State {
    zentrella::SpinLock mutex;
    std::array<void*, Count> kept{};
    std::size_t count = 0;
  };
  // Never destroyed, so a record given back while the process ends still
  // finds it; what it keeps then goes with the process.
  static_assert(std::is_trivially_destructible_v<State>);
  static constinit inline State state_{};
};

}  // namespace zentrella::api
