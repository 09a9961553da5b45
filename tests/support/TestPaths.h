#pragma once
#include <string>

namespace kxtest {

// Folder of the small recordings committed with the sources (tests/fixtures).
std::string fixtureDir();
// Folder of the large recordings that scripts/make-fixtures.sh writes before the tests run
// (KX_GENERATED_FIXTURES in the environment overrides the configured folder).
std::string generatedDir();
// Path of a committed fixture, or of a generated one when it is not committed.
std::string fixturePath(const std::string& name);
// A fresh, empty scratch folder for one test; removed by nobody (it lives under the build tree's tmp).
std::string scratchDir(const std::string& testName);
// The whole content of a file (empty when it cannot be read).
std::string readFile(const std::string& path);
// True when a program (ffmpeg, ffprobe) can be run from PATH.
bool haveProgram(const std::string& name);
// Runs a shell command and returns its standard output; exitCode receives the exit status.
std::string runCommand(const std::string& command, int* exitCode = nullptr);

}  // namespace kxtest
