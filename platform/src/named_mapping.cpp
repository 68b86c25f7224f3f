#include "platform/named_mapping.h"

#include "named_object.h"
#include "platform/error.h"

#include <atomic>
#include <cerrno>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace platform {

NamedMapping NamedMapping::create_or_open(std::string_view name, std::size_t size) {
  return NamedMapping(NamedObject::create_or_open(name, ObjectKind::mapping, size, nullptr));
}

NamedMapping NamedMapping::open(std::string_view name, std::size_t size) {
  auto mapping = try_open(name, size);
  if (!mapping) throw NotFound("no named mapping " + std::string(name));
  return std::move(*mapping);
}

std::optional<NamedMapping> NamedMapping::try_open(std::string_view name, std::size_t size) {
  auto object = NamedObject::open(name, ObjectKind::mapping, size);
  if (!object) return std::nullopt;
  return NamedMapping(std::move(object));
}

NamedMapping::NamedMapping(std::unique_ptr<NamedObject> object) : object_(std::move(object)) {}
NamedMapping::NamedMapping(NamedMapping&&) noexcept = default;
NamedMapping& NamedMapping::operator=(NamedMapping&&) noexcept = default;
NamedMapping::~NamedMapping() = default;

std::size_t NamedMapping::size() const noexcept { return object_->size(); }
const std::string& NamedMapping::name() const noexcept { return object_->name(); }

MappedView NamedMapping::view(std::size_t offset, std::size_t length, bool writable) const {
  const std::size_t size = object_->size();
  if (offset > size || (length != 0 && length > size - offset))
    throw SystemError("view beyond the end of " + object_->name(), EINVAL);
  if (length == 0) length = size - offset;
  // mmap wants a page-aligned file offset: map from the page start, hand out the inside.
  static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t file_offset = NamedObject::kDataOffset + offset;
  const std::size_t aligned = file_offset - file_offset % page;
  const std::size_t map_length = file_offset - aligned + (length == 0 ? 1 : length);
  int protection = writable ? PROT_READ | PROT_WRITE : PROT_READ;
  void* base = ::mmap(nullptr, map_length, protection, MAP_SHARED, object_->fd(),
                      static_cast<off_t>(aligned));
  if (base == MAP_FAILED) throw_errno("map a view of " + object_->name());
  return MappedView(base, map_length, static_cast<std::uint8_t*>(base) + (file_offset - aligned),
                    length);
}

MappedView::MappedView(void* base, std::size_t map_length, std::uint8_t* data,
                       std::size_t size) noexcept
    : base_(base), map_length_(map_length), data_(data), size_(size) {}

MappedView::MappedView(MappedView&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)),
      map_length_(std::exchange(other.map_length_, 0)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    if (base_ != nullptr) ::munmap(base_, map_length_);
    base_ = std::exchange(other.base_, nullptr);
    map_length_ = std::exchange(other.map_length_, 0);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

MappedView::~MappedView() {
  if (base_ != nullptr) ::munmap(base_, map_length_);
}

void MappedView::flush(std::size_t, std::size_t) const {
  // Shared memory has no backing file to write: every process maps the same
  // pages, so the stores are already there. What remains is ordering: a release
  // fence keeps them ahead of the event that tells the peer to look. msync would
  // only add a system call to the path of every chunk.
  std::atomic_thread_fence(std::memory_order_release);
}

}  // namespace platform
