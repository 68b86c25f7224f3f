// The logic of the dialogs every front end shows: what they hold, what the
// user may change and when they may be confirmed. The front ends only move
// data between these and their widgets or lines, so the rules are tested
// without a display. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::prompt {

// A prompt, and an editable drop-down: the user types any text or picks one
// of the choices.
class InputDialog {
 public:
  std::string caption;
  std::string prompt;

  // The equal choice becomes the selected one; otherwise the text is typed.
  void set_initial_text(std::string_view text);
  // The choices become the lines of the text (split at CR LF, CR or LF); the
  // text in the field stays.
  void set_choices(std::string_view lines);
  // Typing: the text as it stands in the field.
  void type(std::string text);
  // Picking a choice; false (and nothing changed) for an index out of range.
  bool pick(std::size_t index);

  const std::string& text() const noexcept { return text_; }
  const std::vector<std::string>& choices() const noexcept { return choices_; }
  // The choice the field shows, if it shows one.
  std::optional<std::size_t> selected() const noexcept { return selected_; }

 private:
  std::string text_;
  std::vector<std::string> choices_;
  std::optional<std::size_t> selected_;
};

// One node of the item selection tree, as the host offers it.
struct ItemNode {
  std::uint32_t handle = 0;
  std::string title;
  // False for a node shown only to reach its children (a project when
  // projects cannot be chosen).
  bool choosable = true;
  std::vector<ItemNode> children;
};

// The host's item selection: a tree of projects and their items, one of them
// selected; it can be confirmed only on a choosable item.
class ItemSelection {
 public:
  ItemSelection(std::string caption, std::vector<ItemNode> roots, std::uint32_t start);

  const std::string& caption() const noexcept { return caption_; }
  const std::vector<ItemNode>& roots() const noexcept { return roots_; }
  // The selected item's handle; 0 when none is.
  std::uint32_t selected() const noexcept { return selected_; }
  // False (the selection unchanged) for a handle the tree does not hold.
  bool select(std::uint32_t handle);
  void clear_selection() noexcept { selected_ = 0; }
  bool can_confirm() const;

  const ItemNode* find(std::uint32_t handle) const;
  // The node that a path of titles ("Project/Folder/Task") names; null if none.
  const ItemNode* find_path(std::string_view path) const;
  // The titles from the root to the node, joined by '/'; "" when not in the tree.
  std::string path_of(std::uint32_t handle) const;

 private:
  std::string caption_;
  std::vector<ItemNode> roots_;
  std::uint32_t selected_ = 0;
};

// A point in time of the calendar, to the second.
struct CalendarTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// Whether the day exists (years 1 to 9999) and the time of day is valid.
bool is_valid(const CalendarTime& time);
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM", "YYYY-MM-DD HH:MM:SS" (or with a 'T');
// nullopt for anything else or a day that does not exist.
std::optional<CalendarTime> parse_calendar_time(std::string_view text);
// "YYYY-MM-DD HH:MM:SS".
std::string format_calendar_time(const CalendarTime& time);

// The host's date dialog: a calendar day and a time of day, or no date.
class DateDialog {
 public:
  DateDialog(std::string caption, std::optional<CalendarTime> initial);

  const std::string& caption() const noexcept { return caption_; }
  const std::optional<CalendarTime>& value() const noexcept { return value_; }
  // A day picked on the calendar keeps the time of day (midnight on an empty date).
  bool set_day(int year, int month, int day);
  bool set_time_of_day(int hour, int minute, int second);
  // False for a time that does not exist.
  bool set(const CalendarTime& time);
  void clear() noexcept { value_.reset(); }

 private:
  std::string caption_;
  std::optional<CalendarTime> value_;
};

// One entry of a file chooser's filter list: "Ruby スクリプト" and {"*.rb"}.
struct FileFilter {
  std::string name;
  std::vector<std::string> patterns;
};

// The common open and save dialogs: a file to open, or a name to save under.
class FileChooser {
 public:
  enum class Mode { open, save };

  FileChooser(std::string caption, Mode mode, std::string folder, std::vector<FileFilter> filters = {});

  const std::string& caption() const noexcept { return caption_; }
  Mode mode() const noexcept { return mode_; }
  // Where the chooser opens, and what a relative path is taken from.
  const std::string& folder() const noexcept { return folder_; }
  const std::vector<FileFilter>& filters() const noexcept { return filters_; }
  // False (nothing chosen) for a path the mode cannot take: opening needs a
  // file that exists and is not a folder; saving a name that is not a folder,
  // in a folder that exists.
  bool choose(std::string_view path);
  // The chosen file's path; "" until one is chosen.
  const std::string& chosen() const noexcept { return chosen_; }

 private:
  std::string caption_;
  Mode mode_;
  std::string folder_;
  std::vector<FileFilter> filters_;
  std::string chosen_;
};

}  // namespace platform::prompt
