#include "app/AppPaths.h"

#include <mutex>

#include "platform/DebugOutput.h"
#include "technic/PathUtilities.h"

namespace app {
namespace {

std::mutex g_overrideMutex;
std::string g_overrideDir;

std::string withSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace

std::string getModuleDir() {
  {
    std::lock_guard<std::mutex> lock(g_overrideMutex);
    if (!g_overrideDir.empty()) return g_overrideDir;
  }
  return getProgramDirectory();
}

void overrideModuleDir(const std::string& dir) {
  std::lock_guard<std::mutex> lock(g_overrideMutex);
  g_overrideDir = withSlash(dir);
}

std::string getImagesDir() { return "mplayerstyle/images/"; }
std::string getButtonImagesDir() { return "mplayerstyle/images/btn/"; }
std::string getLanguageDir() { return getModuleDir() + "mplayerstyle/language/"; }
std::string getConfigDir() { return getModuleDir() + "mplayerstyle/config/"; }
std::string getConfigFile() { return getConfigDir() + "configinfo.ini"; }
std::string getListFile() { return getConfigDir() + "listinfo.txt"; }

bool ensureConfigDir() {
  const std::string dir = getConfigDir();
  if (pathExists(dir)) return true;
  if (makeDirectoryPath(dir.substr(0, dir.size() - 1))) return true;
  platform::debugOutputFormat("settings: cannot create the folder %s\n", dir.c_str());
  return false;
}

}  // namespace app
