#include "support/TestPaths.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace kxtest {

std::string fixtureDir() { return std::string(KX_SOURCE_DIR) + "/tests/fixtures"; }

std::string generatedDir() {
  const char* overridden = std::getenv("KX_GENERATED_FIXTURES");
  if (overridden != nullptr && *overridden != '\0') return overridden;
  return KX_GENERATED_FIXTURES;
}

std::string fixturePath(const std::string& name) {
  std::string committed = fixtureDir() + "/" + name;
  if (std::filesystem::exists(committed)) return committed;
  return generatedDir() + "/" + name;
}

std::string scratchDir(const std::string& testName) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("kxtest-" + std::to_string(::getpid()) + "-" + testName);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

bool haveProgram(const std::string& name) {
  int code = 0;
  runCommand("command -v " + name + " >/dev/null 2>&1", &code);
  return code == 0;
}

std::string runCommand(const std::string& command, int* exitCode) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    if (exitCode != nullptr) *exitCode = -1;
    return output;
  }
  std::array<char, 65536> chunk{};
  size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) output.append(chunk.data(), got);
  int status = ::pclose(pipe);
  if (exitCode != nullptr) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

}  // namespace kxtest
