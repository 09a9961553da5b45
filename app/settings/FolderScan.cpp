#include "app/settings/FolderScan.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "app/settings/TerminationSignals.h"

namespace app {
namespace fs = std::filesystem;

namespace {

void scan(const fs::path& folder, std::set<fs::path>& visited, std::vector<std::string>& found) {
  std::error_code error;
  const fs::path real = fs::canonical(folder, error);
  if (error || !visited.insert(real).second) return;
  fs::directory_iterator entries(folder, error);
  if (error) return;
  for (const fs::directory_entry& entry : entries) {
    if (TerminationSignals::requested()) return;  // the program is ending: the list keeps what was found
    const std::string name = entry.path().filename().string();
    if (name == "." || name == "..") continue;
    std::error_code kindError;
    if (entry.is_directory(kindError)) {
      scan(entry.path(), visited, found);
    } else {
      const std::string path = entry.path().string();
      if (isRecordingName(path)) found.push_back(path);
    }
  }
}

}  // namespace

bool isRecordingName(const std::string& path) {
  return path.size() >= 3 && path.compare(path.size() - 3, 3, ".ts") == 0;
}

std::vector<std::string> collectRecordings(const std::string& folder) {
  std::vector<std::string> found;
  std::set<fs::path> visited;
  std::string start = folder;
  while (start.size() > 1 && start.back() == '/') start.pop_back();
  scan(fs::path(start), visited, found);
  return found;
}

}  // namespace app
