// Feeds arbitrary bytes to the dispatcher as a client's frames: the entry point
// for fuzz targets. The bytes are read as a sequence of [20-byte header, then
// min(chunk length, 8172) chunk bytes]; replies are acknowledged at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "requests/request_context.h"

namespace scriptlink {

// Serves every request the bytes make up. A failed exchange (ChannelError)
// ends that request and the next frame starts afresh. Returns the number of
// requests that were handed to the dispatcher.
int ServeArbitraryFrames(const std::uint8_t* data, std::size_t size, const HandlerEnv& env);

}  // namespace scriptlink
