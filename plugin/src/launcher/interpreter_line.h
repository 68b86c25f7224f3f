// The interpreter line of a script: "#!" followed by the interpreter and its
// arguments, as the launcher reads it from the script's leading lines.
#pragma once

#include <istream>
#include <string>
#include <string_view>

namespace scriptlink {

struct InterpreterLine {
  std::string interpreter;  // empty when the script names none
  std::string arguments;
};

// Scans the script's lines from the first; lines that end in CR LF or LF.
InterpreterLine ScanInterpreterLine(std::istream& script);
// Reads the file; throws platform::SystemError when it cannot be read.
InterpreterLine ScanInterpreterLineOfFile(const std::string& path);

}  // namespace scriptlink
