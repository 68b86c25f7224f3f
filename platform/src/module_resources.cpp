#include "platform/module_resources.h"

#include <dlfcn.h>
#include <link.h>

#include <array>
#include <cstring>

namespace platform {
namespace {

constexpr int kMaxSide = 1024;

// dlsym on a handle also searches the module's dependencies; only a table
// that lies in the module itself is its own.
const ZtlResourceTable* own_table(void* module) {
  ::dlerror();
  void* symbol = ::dlsym(module, kResourceTableSymbol);
  if (symbol == nullptr) return nullptr;
  link_map* module_map = nullptr;
  if (::dlinfo(module, RTLD_DI_LINKMAP, &module_map) != 0) return nullptr;
  Dl_info info{};
  void* symbol_map = nullptr;
  if (::dladdr1(symbol, &info, &symbol_map, RTLD_DL_LINKMAP) == 0 || symbol_map != module_map) return nullptr;
  const auto* table = static_cast<const ZtlResourceTable*>(symbol);
  if (table->version != kResourceTableVersion || table->palette == nullptr || table->bitmaps == nullptr) return nullptr;
  return table;
}

std::optional<Bitmap> decode(const ZtlResourceTable& table, const ZtlBitmapResource& resource) {
  if (resource.width <= 0 || resource.height <= 0 || resource.width > kMaxSide || resource.height > kMaxSide ||
      resource.pixels == nullptr) {
    return std::nullopt;
  }
  std::array<std::optional<std::uint32_t>, 256> colour_of{};
  for (std::uint32_t i = 0; i < table.palette_size; ++i) {
    colour_of[static_cast<unsigned char>(table.palette[i].symbol)] = table.palette[i].rgb & 0xFFFFFFu;
  }
  Bitmap bitmap{resource.width, resource.height, {}};
  const auto count = static_cast<std::size_t>(resource.width) * static_cast<std::size_t>(resource.height);
  // The symbols are a NUL-terminated run; a short one is refused, not read past.
  if (::strnlen(resource.pixels, count) != count) return std::nullopt;
  bitmap.pixels.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::optional<std::uint32_t> colour = colour_of[static_cast<unsigned char>(resource.pixels[i])];
    if (!colour) return std::nullopt;
    bitmap.pixels.push_back(*colour);
  }
  return bitmap;
}

}  // namespace

std::optional<Bitmap> load_bitmap(void* module, int id) {
  if (module == nullptr) return std::nullopt;
  const ZtlResourceTable* table = own_table(module);
  if (table == nullptr) return std::nullopt;
  for (std::uint32_t i = 0; i < table->bitmap_count; ++i) {
    if (table->bitmaps[i].id == id) return decode(*table, table->bitmaps[i]);
  }
  return std::nullopt;
}

void* module_containing(const void* address) {
  Dl_info info{};
  void* map = nullptr;
  if (address == nullptr || ::dladdr1(address, &info, &map, RTLD_DL_LINKMAP) == 0 || map == nullptr) return nullptr;
  // The executable's own entry has no name; its handle is dlopen's null one.
  const char* name = static_cast<link_map*>(map)->l_name;
  if (name == nullptr || *name == '\0') return ::dlopen(nullptr, RTLD_LAZY);
  // RTLD_NOLOAD hands out the handle of the module already loaded; the extra
  // reference it takes is given back at once, the module stays as it was.
  void* handle = ::dlopen(name, RTLD_LAZY | RTLD_NOLOAD);
  if (handle != nullptr) ::dlclose(handle);
  return handle;
}

}  // namespace platform
