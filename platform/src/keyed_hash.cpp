#include "keyed_hash.h"

#include <bit>

namespace platform::detail {
namespace {

std::uint64_t load_le(const std::uint8_t* bytes, std::size_t count) noexcept {
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < count; ++i) word |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
  return word;
}

void store_le(std::uint64_t word, std::uint8_t* bytes) noexcept {
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(word >> (8 * i));
}

struct SipState {
  std::uint64_t v0, v1, v2, v3;

  void round() noexcept {
    v0 += v1; v1 = std::rotl(v1, 13); v1 ^= v0; v0 = std::rotl(v0, 32);
    v2 += v3; v3 = std::rotl(v3, 16); v3 ^= v2;
    v0 += v3; v3 = std::rotl(v3, 21); v3 ^= v0;
    v2 += v1; v1 = std::rotl(v1, 17); v1 ^= v2; v2 = std::rotl(v2, 32);
  }
  void absorb(std::uint64_t word) noexcept {
    v3 ^= word;
    round();
    round();
    v0 ^= word;
  }
  std::uint64_t squeeze() noexcept {
    for (int i = 0; i < 4; ++i) round();
    return v0 ^ v1 ^ v2 ^ v3;
  }
};

}  // namespace

Hash128 keyed_hash(const HashKey& key, std::string_view message) noexcept {
  const std::uint64_t k0 = load_le(key.data(), 8);
  const std::uint64_t k1 = load_le(key.data() + 8, 8);
  SipState s{k0 ^ 0x736f6d6570736575ull, k1 ^ 0x646f72616e646f6dull ^ 0xee,
             k0 ^ 0x6c7967656e657261ull, k1 ^ 0x7465646279746573ull};
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(message.data());
  const std::size_t whole = message.size() / 8 * 8;
  for (std::size_t at = 0; at < whole; at += 8) s.absorb(load_le(bytes + at, 8));
  s.absorb(load_le(bytes + whole, message.size() - whole) |
           (static_cast<std::uint64_t>(message.size()) << 56));
  Hash128 out{};
  s.v2 ^= 0xee;
  store_le(s.squeeze(), out.data());
  s.v1 ^= 0xdd;
  store_le(s.squeeze(), out.data() + 8);
  return out;
}

}  // namespace platform::detail
