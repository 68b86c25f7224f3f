// Built instead of the real channel while its two sides are not in the tree.
#include <stdexcept>

#include "real_channel.h"

namespace bench {

std::string real_channel_missing() { return "the channel client or the plug-in dispatch is not built yet"; }

struct RealHost::State {};
RealHost::RealHost(const CpuSet&, std::size_t) { throw std::logic_error(real_channel_missing()); }
RealHost::~RealHost() = default;
void RealHost::stop() {}

struct RealClient::State {};
RealClient::RealClient() { throw std::logic_error(real_channel_missing()); }
RealClient::~RealClient() = default;
void RealClient::round_trips(std::size_t) {}
void RealClient::bulk_replies(std::size_t) {}
void RealClient::item_lists(std::size_t) {}
bool RealClient::bulk_replies_intact(std::size_t) const { return false; }

}  // namespace bench
