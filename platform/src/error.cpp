#include "platform/error.h"

#include <cerrno>
#include <cstring>

namespace platform {

SystemError::SystemError(const std::string& what, int error_number)
    : std::runtime_error(what + ": " + std::strerror(error_number)), error_number_(error_number) {}

void throw_errno(const std::string& what) { throw SystemError(what, errno); }

}  // namespace platform
