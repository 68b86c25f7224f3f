// Built instead of the real measurements while the channel's two sides are not
// in the tree yet.
#include <stdexcept>

#include "real_channel.h"

namespace bench {

std::string real_channel_missing() { return "the channel client or the plug-in dispatch is not built yet"; }

Sample real_round_trip(const Placement&, const Budget&) { throw std::logic_error(real_channel_missing()); }
Sample real_bulk(const Placement&, std::size_t, const Budget&) { throw std::logic_error(real_channel_missing()); }
Sample real_item_list(const Placement&, std::size_t, const Budget&) {
  throw std::logic_error(real_channel_missing());
}

}  // namespace bench
