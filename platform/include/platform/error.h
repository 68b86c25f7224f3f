// Errors of the platform layer. Every failure of a system call becomes an
// exception that names the operation and the object; nothing fails silently.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class SystemError : public std::runtime_error {
 public:
  SystemError(const std::string& what, int error_number);
  int error_number() const noexcept { return error_number_; }

 private:
  int error_number_;
};

// A named object that open-only asked for does not exist.
class NotFound : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws SystemError for the current errno.
[[noreturn]] void throw_errno(const std::string& what);

}  // namespace platform
