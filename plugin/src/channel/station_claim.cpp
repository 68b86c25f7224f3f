#include "channel/station_claim.h"

#include <unistd.h>
#include <utility>

#include <platform/process.h>
#include <ztl/channel.h>

namespace scriptlink {

namespace {

std::uint32_t* ClaimWord(const platform::MappedView& view) { return reinterpret_cast<std::uint32_t*>(view.data()); }

bool Alive(std::uint32_t pid) {
  const platform::ProcessWatch watch(static_cast<pid_t>(pid));
  return watch.valid() && !watch.ended();
}

// The holder after the attempt: this process, or a live one that was first.
std::uint32_t TakeUnlessHeld(std::uint32_t* word, std::uint32_t own) {
  std::uint32_t current = __atomic_load_n(word, __ATOMIC_ACQUIRE);
  for (;;) {
    if (current != 0 && current != own && Alive(current)) return current;
    if (__atomic_compare_exchange_n(word, &current, own, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) return own;
  }
}

}  // namespace

TStationClaim TStationClaim::Claim() {
  auto mapping = platform::NamedMapping::create_or_open(ZTL_STATION_MAPPING_NAME, ZTL_STATION_MAPPING_SIZE);
  auto view = mapping.view(0, sizeof(std::uint32_t), true);
  const auto own = static_cast<std::uint32_t>(::getpid());
  const std::uint32_t holder = TakeUnlessHeld(ClaimWord(view), own);
  return TStationClaim(std::move(mapping), std::move(view), static_cast<pid_t>(own), static_cast<pid_t>(holder));
}

pid_t TStationClaim::CurrentStation() {
  auto mapping = platform::NamedMapping::try_open(ZTL_STATION_MAPPING_NAME, ZTL_STATION_MAPPING_SIZE);
  if (!mapping) return 0;
  const auto view = mapping->view(0, sizeof(std::uint32_t), false);
  const std::uint32_t holder = __atomic_load_n(ClaimWord(view), __ATOMIC_ACQUIRE);
  return holder != 0 && Alive(holder) ? static_cast<pid_t>(holder) : 0;
}

TStationClaim::TStationClaim(platform::NamedMapping mapping, platform::MappedView view, pid_t own_pid, pid_t holder)
    : mapping_(std::move(mapping)), view_(std::move(view)), own_pid_(own_pid), holder_(holder) {}

TStationClaim::TStationClaim(TStationClaim&& other) noexcept
    : mapping_(std::move(other.mapping_)),
      view_(std::move(other.view_)),
      own_pid_(other.own_pid_),
      holder_(std::exchange(other.holder_, 0)) {}

TStationClaim::~TStationClaim() {
  if (!held()) return;
  auto expected = static_cast<std::uint32_t>(own_pid_);
  __atomic_compare_exchange_n(ClaimWord(view_), &expected, 0u, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE);
}

}  // namespace scriptlink
