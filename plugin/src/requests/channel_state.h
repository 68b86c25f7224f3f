// What one served script changes on the host side between requests. A new
// channel object starts it all zero and off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace scriptlink {

// Storage reused from one request to the next, so that a long text is not
// put together in fresh memory each time; it grows without being cleared, and
// past 4 MiB it is given back once used.
class ScratchBuffer {
 public:
  // Room for size bytes for the length of one request (what the buffer held
  // before is not kept); given back past 4 MiB when the lease ends, also when
  // the request fails.
  class Lease {
   public:
    Lease(ScratchBuffer& owner, std::size_t size) : owner_(owner), bytes_(owner.Reserve(size)) {}
    ~Lease() { owner_.Trim(); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    char* data() const noexcept { return bytes_; }

   private:
    ScratchBuffer& owner_;
    char* bytes_;
  };

 private:
  char* Reserve(std::size_t size) {
    if (size > capacity_) {
      bytes_ = std::make_unique_for_overwrite<char[]>(size);
      capacity_ = size;
    }
    return bytes_.get();
  }
  void Trim() {
    if (capacity_ <= kKept) return;
    bytes_.reset();
    capacity_ = 0;
  }

  static constexpr std::size_t kKept = 4u * 1024u * 1024u;
  std::unique_ptr<char[]> bytes_;
  std::size_t capacity_ = 0;
};

struct ChannelState {
  // ztl_begin_update requests not yet closed.
  std::int32_t update_nesting_count = 0;
  // A change was made inside an update bracket; remake when the bracket closes.
  bool task_list_remake_pending = false;
  // Passed with every host command that request 75 runs.
  bool shift_flag = false;
  // Where a text from or for the host is put together.
  ScratchBuffer scratch;
};

}  // namespace scriptlink
