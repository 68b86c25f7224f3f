// Records and item lists handed out to plug-ins, kept until they come back
// through their release function. Counting them lets tests prove that a
// plug-in gives back all it takes; a release of something never handed out,
// or handed out under another kind, or released twice, is counted as an
// error and otherwise ignored.
#pragma once

#include <cstddef>
#include <memory>

namespace zentrella {

enum class RecordKind { item_info, description_info, linked_file_info, user_cat_info, alarm_info, item_list };

struct HandedOut {
  virtual ~HandedOut() = default;
};

// Keeps block alive until take_back(address, kind); returns address.
void* hand_out(RecordKind kind, std::unique_ptr<HandedOut> block, void* address);
// Frees the block; false (and one more release error) when address is not an
// outstanding record of that kind. A null address is a harmless no-op.
bool take_back(RecordKind kind, const void* address);

std::size_t outstanding_records();
std::size_t outstanding_records(RecordKind kind);
std::size_t release_errors();
// Frees everything outstanding and zeroes the counts (tests).
void reset_record_ledger();

}  // namespace zentrella
