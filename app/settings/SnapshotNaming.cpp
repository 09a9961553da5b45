#include "app/settings/SnapshotNaming.h"

#include <climits>
#include <cstdio>

#include "technic/PathUtilities.h"

namespace app {
namespace {

// Longest path and longest single name that Linux accepts.
constexpr std::size_t kPathMax = PATH_MAX - 1;
constexpr std::size_t kNameMax = NAME_MAX;

// The first name in the path longer than the system allows; empty when there is none.
std::string overlongName(const std::string& path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end - start > kNameMax) return path.substr(start, end - start);
    start = end + 1;
  }
  return std::string();
}

}  // namespace

SnapshotTarget snapshotTarget(const std::string& folder, const std::tm& localTime,
                              const std::function<bool(const std::string&)>& exists) {
  SnapshotTarget target;
  std::string prefix = folder;
  if (prefix.empty() || (prefix.back() != '/' && prefix.back() != '\\')) prefix += '/';
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", localTime.tm_year + 1900, localTime.tm_mon + 1,
                localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
  std::string path = prefix + stamp + ".jpg";
  for (int suffix = 2; exists && exists(path); ++suffix) path = prefix + stamp + "_" + std::to_string(suffix) + ".jpg";
  if (!overlongName(folder).empty()) {
    target.error = "A folder name in the snapshot folder is longer than " + std::to_string(kNameMax) + " bytes.";
  } else if (path.size() > kPathMax) {
    target.error = "The snapshot folder is too long: a file path may have at most " + std::to_string(kPathMax) + " bytes.";
  } else {
    target.path = path;
  }
  return target;
}

bool prepareSnapshotFolder(const std::string& folder, std::string& error) {
  if (!overlongName(folder).empty() || folder.size() > kPathMax) {
    error = "The snapshot folder name is too long for this system.";
    return false;
  }
  if (isDirectoryEmpty(folder) && !makeDirectoryPath(folder)) {
    error = "The snapshot folder cannot be created: " + folder;
    return false;
  }
  return true;
}

}  // namespace app
