#pragma once
#include <string>

namespace platform {

// Number of processors the process may run on (at least 1).
int processorCount();
// For tests: makes processorCount report `count`; 0 or less restores the real figure.
void overrideProcessorCount(int count);

// Absolute path of the running executable (UTF-8, "/" separators), empty when unknown.
std::string programPath();

}  // namespace platform
