// Bitmap resources of a loaded module: the pictures a module carries in its
// own file, read by module handle and integer identifier. A module offers them
// through one exported table (kResourceTableSymbol) of indexed pictures: each
// pixel is a symbol of the table's palette, rows top down.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

extern "C" {

struct ZtlPaletteEntry {
  char symbol;
  std::uint32_t rgb;  // 0x00RRGGBB
};

struct ZtlBitmapResource {
  std::int32_t id;
  std::int32_t width;
  std::int32_t height;
  const char* pixels;  // width * height palette symbols, rows top down
};

struct ZtlResourceTable {
  std::uint32_t version;  // kResourceTableVersion
  std::uint32_t palette_size;
  const ZtlPaletteEntry* palette;
  std::uint32_t bitmap_count;
  const ZtlBitmapResource* bitmaps;
};

}  // extern "C"

namespace platform {

inline constexpr const char* kResourceTableSymbol = "ztl_module_resources";
inline constexpr std::uint32_t kResourceTableVersion = 1;

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, rows top down
};

// The bitmap resource `id` of the loaded module `module` (a handle dlopen
// returned), or nullopt: no such module table, no such id, or a picture that
// uses a symbol its palette lacks.
std::optional<Bitmap> load_bitmap(void* module, int id);

// The handle of the loaded module that contains `address` (for a module's own
// resources), or null. The handle stays valid while the module is loaded.
void* module_containing(const void* address);

}  // namespace platform
