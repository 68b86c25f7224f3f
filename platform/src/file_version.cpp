#include "platform/file_version.h"

#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

// Notes are tiny; a larger note area is not one of ours and is not read.
constexpr std::uint64_t kMaxNoteArea = 1 << 20;

class ElfFile {
 public:
  explicit ElfFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat info {};
    if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
      size_ = static_cast<std::uint64_t>(info.st_size);
  }
  ElfFile(const ElfFile&) = delete;
  ElfFile& operator=(const ElfFile&) = delete;
  ~ElfFile() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool contains(std::uint64_t offset, std::uint64_t length) const {
    return length <= size_ && offset <= size_ - length;
  }

  // Reads exactly [offset, offset + length) or fails.
  bool read(std::uint64_t offset, void* into, std::size_t length) const {
    if (fd_ < 0 || !contains(offset, length)) return false;
    auto* bytes = static_cast<char*>(into);
    while (length > 0) {
      ssize_t got = ::pread(fd_, bytes, length, static_cast<off_t>(offset));
      if (got <= 0) return false;
      bytes += got;
      length -= static_cast<std::size_t>(got);
      offset += static_cast<std::uint64_t>(got);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_ = 0;
};

std::uint32_t word_at(const std::vector<unsigned char>& bytes, std::size_t offset) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

std::uint64_t align_up(std::uint64_t value, std::uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// Walks the notes of one note area; every length is checked against the area.
std::optional<FileVersion> find_in_notes(const std::vector<unsigned char>& area,
                                         std::uint64_t alignment) {
  static constexpr char kName[] = ZTL_NOTE_NAME;
  std::uint64_t pos = 0;
  while (area.size() >= 12 && pos <= area.size() - 12) {
    std::uint64_t name_size = word_at(area, pos);
    std::uint64_t desc_size = word_at(area, pos + 4);
    std::uint32_t type = word_at(area, pos + 8);
    std::uint64_t name_at = pos + 12;
    std::uint64_t desc_at = name_at + align_up(name_size, alignment);
    std::uint64_t next = desc_at + align_up(desc_size, alignment);
    if (next > area.size()) return std::nullopt;
    if (type == ZTL_NOTE_TYPE && name_size == sizeof kName && desc_size == 8 &&
        std::memcmp(area.data() + name_at, kName, sizeof kName) == 0)
      return FileVersion{word_at(area, desc_at), word_at(area, desc_at + 4)};
    pos = next;
  }
  return std::nullopt;
}

std::optional<FileVersion> find_in_area(const ElfFile& file, std::uint64_t offset,
                                        std::uint64_t size, std::uint64_t alignment) {
  if (size == 0 || size > kMaxNoteArea || !file.contains(offset, size)) return std::nullopt;
  std::vector<unsigned char> area(size);
  if (!file.read(offset, area.data(), area.size())) return std::nullopt;
  return find_in_notes(area, alignment == 8 ? 8 : 4);
}

std::optional<FileVersion> find_in_sections(const ElfFile& file, const Elf64_Ehdr& header) {
  if (header.e_shoff == 0 || header.e_shentsize != sizeof(Elf64_Shdr)) return std::nullopt;
  for (std::uint64_t i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr section{};
    if (!file.read(header.e_shoff + i * sizeof section, &section, sizeof section)) return std::nullopt;
    if (section.sh_type != SHT_NOTE) continue;
    if (auto found = find_in_area(file, section.sh_offset, section.sh_size, section.sh_addralign))
      return found;
  }
  return std::nullopt;
}

std::optional<FileVersion> find_in_segments(const ElfFile& file, const Elf64_Ehdr& header) {
  if (header.e_phoff == 0 || header.e_phentsize != sizeof(Elf64_Phdr)) return std::nullopt;
  for (std::uint64_t i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr segment{};
    if (!file.read(header.e_phoff + i * sizeof segment, &segment, sizeof segment)) return std::nullopt;
    if (segment.p_type != PT_NOTE) continue;
    if (auto found = find_in_area(file, segment.p_offset, segment.p_filesz, segment.p_align))
      return found;
  }
  return std::nullopt;
}

}  // namespace

std::optional<FileVersion> read_file_version(const std::string& path) {
  ElfFile file(path);
  Elf64_Ehdr header{};
  if (!file.read(0, &header, sizeof header)) return std::nullopt;
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_ident[EI_DATA] != ELFDATA2LSB)
    return std::nullopt;
  // Sections first; a file stripped of its section table still has its note segments.
  if (auto found = find_in_sections(file, header)) return found;
  return find_in_segments(file, header);
}

}  // namespace platform
