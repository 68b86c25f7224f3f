// The shared object behind named mappings, events and mutexes: a POSIX
// shared-memory object whose first page is a header (kind, size, creator, the
// table of holders) and whose data area follows it, page-aligned.
//
// Lifetime as on Windows: every open records its process in the holder table,
// every close removes it, and the closer that leaves no living holder unlinks
// the name. Holders that died are dropped whenever the table is looked at, so
// an object whose holders all died is removed by the next process that meets it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

enum class ObjectKind : std::uint32_t { mapping = 1, event = 2, mutex = 3 };

struct ObjectHeader;

class NamedObject {
 public:
  // Sets up the data area of a new object (zero-filled) before others can see it.
  using Initialiser = void (*)(void* data, std::size_t size);

  // Offset of the data area in the shared-memory object.
  static constexpr std::size_t kDataOffset = 4096;

  static std::unique_ptr<NamedObject> create_or_open(std::string_view name, ObjectKind kind,
                                                     std::size_t size, Initialiser initialise);
  // nullptr when there is no such object (or only one whose holders all died).
  static std::unique_ptr<NamedObject> open(std::string_view name, ObjectKind kind,
                                           std::size_t size);

  NamedObject(const NamedObject&) = delete;
  NamedObject& operator=(const NamedObject&) = delete;
  ~NamedObject();

  const std::string& name() const noexcept { return name_; }
  int fd() const noexcept { return fd_; }
  std::size_t size() const noexcept { return data_size_; }
  void* data() const noexcept;
  pid_t creator_pid() const noexcept;

  struct Parts;  // what an open hands over; defined in named_object.cpp
  explicit NamedObject(const Parts& parts) noexcept;

 private:
  std::string name_;
  std::string shm_name_;
  int fd_ = -1;
  ObjectHeader* header_ = nullptr;
  std::size_t map_length_ = 0;
  std::size_t data_size_ = 0;
  int slot_ = -1;
  pid_t opener_pid_ = 0;
};

}  // namespace platform
