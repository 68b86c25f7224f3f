// What one served script changes on the host side between requests. A new
// channel object starts it all zero and off.
#pragma once

#include <cstdint>

namespace scriptlink {

struct ChannelState {
  // ztl_begin_update requests not yet closed.
  std::int32_t update_nesting_count = 0;
  // A change was made inside an update bracket; remake when the bracket closes.
  bool task_list_remake_pending = false;
  // Passed with every host command that request 75 runs.
  bool shift_flag = false;
};

}  // namespace scriptlink
