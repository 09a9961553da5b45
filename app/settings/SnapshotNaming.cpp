#include "app/settings/SnapshotNaming.h"

#include <climits>
#include <cstdio>

#include "app/settings/AppPaths.h"
#include "technic/PathUtilities.h"

namespace app {
namespace {

// Longest path and longest single name that Linux accepts.
constexpr std::size_t kPathMax = PATH_MAX - 1;
constexpr std::size_t kNameMax = NAME_MAX;

constexpr const char* kNameTooLongKey = "snapshotnamelong";
constexpr const char* kPathTooLongKey = "snapshotpathlong";

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
    target.refusal.textKey = kNameTooLongKey;
  } else if (path.size() > kPathMax) {
    target.refusal.textKey = kPathTooLongKey;
  } else {
    target.path = path;
  }
  return target;
}

bool prepareSnapshotFolder(const std::string& folder, SnapshotRefusal& refusal) {
  refusal = SnapshotRefusal();
  if (!overlongName(folder).empty()) {
    refusal.textKey = kNameTooLongKey;
  } else if (folder.size() > kPathMax) {
    refusal.textKey = kPathTooLongKey;
  } else if (isDirectoryEmpty(folder) && !makeDirectoryPath(folder)) {
    refusal = {"snapshotnotcreated", folder};
  } else if (!canWriteOrCreate(folder)) {
    // Permission bits alone do not tell (root writes through them, a read-only mount stops everyone):
    // the folder is tried with a file.
    refusal = {"snapshotnotwritten", folder};
  }
  return refusal.textKey.empty();
}

}  // namespace app
