// The 2076-byte command record: one command of the command table and of the
// command file. Packed and byte-for-byte what the file holds, so a record is
// read and written whole.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scriptlink {

inline constexpr std::uint8_t kFlagCopyToClipboard = 0x01;
inline constexpr std::uint8_t kFlagHideConsole = 0x02;

inline constexpr std::uint32_t kMacroExecCommandNumber = 0;
inline constexpr std::uint32_t kHelpCommandNumber = 1;
inline constexpr std::uint32_t kFirstUserCommandNumber = 10;
inline constexpr std::int32_t kNoIcon = -1;

// Thrown by a text setter when the text does not fit its field (with its NUL).
class TextTooLong : public std::length_error {
 public:
  using std::length_error::length_error;
};

#pragma pack(push, 1)
struct CommandRecord {
  char caption[256];
  char command_name[256];
  std::int16_t command_type;  // 0 main, 1 editor, 2 filer, 3 launcher
  std::uint16_t padding;
  std::uint32_t command_number;
  std::int32_t icon_number;
  std::uint32_t reserved;
  char script_file[261];
  char script_options[1025];
  char output_file[261];
  std::uint8_t flags;

  std::string_view Caption() const { return FieldText(caption); }
  std::string_view CommandName() const { return FieldText(command_name); }
  std::string_view ScriptFile() const { return FieldText(script_file); }
  std::string_view ScriptOptions() const { return FieldText(script_options); }
  std::string_view OutputFile() const { return FieldText(output_file); }

  void SetCaption(std::string_view text) { SetFieldText(caption, text, "コマンド名"); }
  void SetCommandName(std::string_view text) { SetFieldText(command_name, text, "コマンドの識別名"); }
  void SetScriptFile(std::string_view text) { SetFieldText(script_file, text, "スクリプト"); }
  void SetScriptOptions(std::string_view text) { SetFieldText(script_options, text, "オプション"); }
  void SetOutputFile(std::string_view text) { SetFieldText(output_file, text, "出力先"); }

  bool CopyToClipboard() const { return (flags & kFlagCopyToClipboard) != 0; }
  bool HideConsole() const { return (flags & kFlagHideConsole) != 0; }
  void SetFlags(bool copy_to_clipboard, bool hide_console) {
    flags = static_cast<std::uint8_t>((copy_to_clipboard ? kFlagCopyToClipboard : 0) |
                                      (hide_console ? kFlagHideConsole : 0));
  }

  // The text of a field: up to the first NUL, or the whole array when none.
  template <std::size_t N>
  static std::string_view FieldText(const char (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string_view(field, length);
  }

  // Copies text and its NUL; the rest of the field is zeroed so records compare
  // and save deterministically. Text that does not fit (or holds a NUL, which
  // would cut it short on reading) is refused and the field left as it was.
  template <std::size_t N>
  static void SetFieldText(char (&field)[N], std::string_view text, std::string_view what) {
    if (text.size() >= N || text.find('\0') != std::string_view::npos) {
      throw TextTooLong(std::string(what) + "が長すぎます(" + std::to_string(N - 1) +
                        "バイトまで)");
    }
    std::size_t i = 0;
    for (; i < text.size(); ++i) field[i] = text[i];
    for (; i < N; ++i) field[i] = '\0';
  }
};
#pragma pack(pop)

static_assert(std::endian::native == std::endian::little, "the record is stored little-endian");
static_assert(offsetof(CommandRecord, caption) == 0);
static_assert(offsetof(CommandRecord, command_name) == 256);
static_assert(offsetof(CommandRecord, command_type) == 512);
static_assert(offsetof(CommandRecord, padding) == 514);
static_assert(offsetof(CommandRecord, command_number) == 516);
static_assert(offsetof(CommandRecord, icon_number) == 520);
static_assert(offsetof(CommandRecord, reserved) == 524);
static_assert(offsetof(CommandRecord, script_file) == 528);
static_assert(offsetof(CommandRecord, script_options) == 789);
static_assert(offsetof(CommandRecord, output_file) == 1814);
static_assert(offsetof(CommandRecord, flags) == 2075);
static_assert(sizeof(CommandRecord) == 2076);
static_assert(alignof(CommandRecord) == 1);

inline constexpr std::size_t kCommandRecordSize = sizeof(CommandRecord);

// A record with every byte 0.
CommandRecord EmptyCommandRecord();
// The two records every command table starts with (slot 0 and slot 1).
CommandRecord MacroExecRecord();
CommandRecord HelpRecord();
// "Scriptlink_ExtCommand" followed by the number in decimal.
std::string UserCommandName(std::uint32_t number);

}  // namespace scriptlink
