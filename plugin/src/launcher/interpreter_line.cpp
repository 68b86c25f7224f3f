#include "launcher/interpreter_line.h"

#include <cerrno>
#include <fstream>
#include <optional>

#include <platform/codepage.h>
#include <platform/error.h>

namespace scriptlink {
namespace {

using platform::codepage::is_lead_byte;

// Length of the blank at the start of text (space, tab, full-width space), 0 if none.
std::size_t BlankAt(std::string_view text) {
  if (text.empty()) return 0;
  if (text[0] == ' ' || text[0] == '\t') return 1;
  const std::string_view wide = platform::codepage::fullwidth_space();
  return text.substr(0, wide.size()) == wide ? wide.size() : 0;
}

std::string_view TrimLeft(std::string_view text) {
  while (std::size_t n = BlankAt(text)) text.remove_prefix(n);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  const std::string_view wide = platform::codepage::fullwidth_space();
  for (;;) {
    if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
      text.remove_suffix(1);
    } else if (text.size() >= wide.size() && text.substr(text.size() - wide.size()) == wide) {
      text.remove_suffix(wide.size());
    } else {
      return text;
    }
  }
}

// The text after the "!" of an interpreter line, or nothing when the line is none.
std::optional<std::string_view> TextAfterBang(std::string_view line) {
  if (line.empty() || line[0] != '#') return std::nullopt;
  for (std::size_t i = 1; i < line.size(); ++i) {
    if (is_lead_byte(static_cast<std::uint8_t>(line[i]))) return std::nullopt;
    if (line[i] == '!') return line.substr(i + 1);
  }
  return std::nullopt;
}

struct Token {
  std::string_view interpreter;
  std::string_view rest;
};

// The interpreter token of rest, or nothing when the scan reaches the end of
// rest without ending a token.
std::optional<Token> EndToken(std::string_view rest) {
  bool quoted = false;
  for (std::size_t i = 0; i < rest.size();) {
    const auto byte = static_cast<std::uint8_t>(rest[i]);
    if (is_lead_byte(byte)) {
      i += 2;
    } else if (rest[i] == '"') {
      if (quoted) return Token{rest.substr(0, i + 1), TrimRight(rest.substr(i + 1))};
      quoted = true;
      ++i;
    } else if (!quoted && (rest[i] == ' ' || rest[i] == '\t')) {
      return Token{rest.substr(0, i), TrimRight(rest.substr(i))};
    } else {
      ++i;
    }
  }
  return std::nullopt;
}

}  // namespace

InterpreterLine ScanInterpreterLine(std::istream& script) {
  InterpreterLine found;
  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto after = TextAfterBang(line);
    if (!after) continue;
    const std::string_view rest = TrimRight(TrimLeft(*after));
    const auto token = EndToken(rest);
    if (!token) {
      // No token end: the first such line names the interpreter with all its
      // text; a later one keeps what was found before. Either way reading stops.
      if (found.interpreter.empty()) found.interpreter = rest;
      return found;
    }
    found.interpreter = token->interpreter.empty() ? rest : token->interpreter;
    if (token->rest.empty()) return found;
    found.arguments = TrimLeft(token->rest);
  }
  return found;
}

InterpreterLine ScanInterpreterLineOfFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) platform::throw_errno("cannot read the script " + path);
  return ScanInterpreterLine(file);
}

}  // namespace scriptlink
