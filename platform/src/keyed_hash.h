// A keyed hash (SipHash-2-4, 128-bit output) for the names of named objects:
// without the user's key nobody can tell from a name which object it is, nor
// compute the name an object will have.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace platform::detail {

using HashKey = std::array<std::uint8_t, 16>;
using Hash128 = std::array<std::uint8_t, 16>;

Hash128 keyed_hash(const HashKey& key, std::string_view message) noexcept;

}  // namespace platform::detail
