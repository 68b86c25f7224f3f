// Runs a measurement in a forked child and brings its Sample back. For code
// that keeps process-wide state (the extension's client connects once per
// process), so every measurement starts from a fresh process.
#pragma once

#include <functional>
#include <vector>

#include "measure.h"

namespace bench {

// The child inherits this process's CPU placement. A throw in the child is
// rethrown here with its message.
Sample sample_in_child(const std::function<Sample()>& measurement);
std::vector<Sample> samples_in_child(const std::function<std::vector<Sample>()>& measurement);

}  // namespace bench
