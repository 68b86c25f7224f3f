// The channel as shipped: the extension's client (SendRequest) in one process
// and the plug-in's channel object with its dispatch loop in the other, the
// host behind it faked by a few constant answers.
#pragma once

#include <cstddef>
#include <string>

#include "measure.h"
#include "process_pair.h"

namespace bench {

// Empty when the real channel can be measured, else why not.
std::string real_channel_missing();

// Seconds per round trip of request 1 (selector 0: the current item), a 4-byte
// payload answered by a 4-byte item handle.
Sample real_round_trip(const Placement& placement, const Budget& budget);
// Seconds per reply of `bytes` through the channel's reply path, the bytes
// prepared beforehand as the raw baseline's are; the last reply is checked.
Sample real_bulk(const Placement& placement, std::size_t bytes, const Budget& budget);
// The same bytes as a real request: the selected items (request 1, selector 9)
// of a host with bytes / 4 - 1 items selected, the handler building the reply.
Sample real_item_list(const Placement& placement, std::size_t bytes, const Budget& budget);

}  // namespace bench
