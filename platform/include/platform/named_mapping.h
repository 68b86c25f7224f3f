// Named shared mappings with the lifetime of Windows sections: an object lives
// while any process holds it open. A holder that died no longer counts, so a
// crashed host or script never leaves an object that the next user inherits:
// when every holder of an existing object is gone it is made anew (zeroed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class NamedObject;  // the shared header behind mappings and events

class MappedView;

class NamedMapping {
 public:
  // Creates the object, or opens it when it exists. Size is the usable size.
  static NamedMapping create_or_open(std::string_view name, std::size_t size);
  // Opens an existing object; throws NotFound when there is none.
  static NamedMapping open(std::string_view name, std::size_t size);
  static std::optional<NamedMapping> try_open(std::string_view name, std::size_t size);

  NamedMapping(NamedMapping&&) noexcept;
  NamedMapping& operator=(NamedMapping&&) noexcept;
  ~NamedMapping();

  std::size_t size() const noexcept;
  const std::string& name() const noexcept;

  // A read/write (or read-only) view of [offset, offset + length); length 0 = to the end.
  MappedView view(std::size_t offset = 0, std::size_t length = 0, bool writable = true) const;

 private:
  explicit NamedMapping(std::unique_ptr<NamedObject> object);
  std::unique_ptr<NamedObject> object_;
};

class MappedView {
 public:
  MappedView(MappedView&&) noexcept;
  MappedView& operator=(MappedView&&) noexcept;
  ~MappedView();

  std::uint8_t* data() const noexcept { return data_; }
  std::size_t size() const noexcept { return size_; }
  // Makes [offset, offset + length) of the view visible to other processes.
  void flush(std::size_t offset, std::size_t length) const;

 private:
  friend class NamedMapping;
  MappedView(void* base, std::size_t map_length, std::uint8_t* data, std::size_t size) noexcept;
  void* base_ = nullptr;
  std::size_t map_length_ = 0;
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace platform
