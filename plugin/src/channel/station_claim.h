// TStationClaim: the one station of a namespace. A host that reports itself as
// the station claims it for its life; while a live host holds it, another
// host is not the station (it neither waits for external scripts nor writes
// the announcement), so an external script always reaches the one station.
#pragma once

#include <cstdint>
#include <optional>
#include <sys/types.h>

#include <platform/named_mapping.h>

namespace scriptlink {

class TStationClaim {
 public:
  // Claims the station for this process; a claim whose holder has ended is
  // taken over. Throws when the claim object cannot be made.
  static TStationClaim Claim();
  TStationClaim(TStationClaim&&) noexcept;
  TStationClaim& operator=(TStationClaim&&) = delete;
  TStationClaim(const TStationClaim&) = delete;
  // Gives the claim back when this process holds it.
  ~TStationClaim();

  bool held() const noexcept { return holder_ == own_pid_; }
  // The process that is the station (this one when held()).
  pid_t holder() const noexcept { return holder_; }

  // The station's process in this namespace, 0 when there is none.
  static pid_t CurrentStation();

 private:
  TStationClaim(platform::NamedMapping mapping, platform::MappedView view, pid_t own_pid, pid_t holder);

  platform::NamedMapping mapping_;
  platform::MappedView view_;
  pid_t own_pid_;
  pid_t holder_;
};

}  // namespace scriptlink
