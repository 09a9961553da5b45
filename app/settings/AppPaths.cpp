#include "app/settings/AppPaths.h"

#include <QStandardPaths>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <unistd.h>

#include "platform/DebugOutput.h"
#include "technic/GThread.h"
#include "technic/PathUtilities.h"

namespace app {
namespace {

std::mutex g_overrideMutex;
std::string g_overrideDir;

// Where the written files go, found once: trying whether a folder can be written leaves a probe file
// behind for a moment, which a settings read (once per caption) must not do.
struct DataPlaces {
  std::string configDir;
  std::string snapshotDir;
  std::string threadLogFile;
};
constexpr const char* kThreadLogName = "ThreadException.log";
std::mutex g_placesMutex;
std::optional<DataPlaces> g_places;

std::string withSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

std::string userConfigDir() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (base.isEmpty()) return std::string();
  return withSlash(base.toStdString()) + "KXMediaPlayer/";
}

bool copyFileBytes(const std::string& from, const std::string& to) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  if (in == nullptr) return false;
  std::FILE* out = std::fopen(to.c_str(), "wb");
  bool ok = out != nullptr;
  char buffer[8192];
  std::size_t got = 0;
  while (ok && (got = std::fread(buffer, 1, sizeof buffer, in)) > 0) ok = std::fwrite(buffer, 1, got, out) == got;
  std::fclose(in);
  if (out != nullptr && std::fclose(out) != 0) ok = false;
  return ok;
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
  {
    std::lock_guard<std::mutex> lock(g_overrideMutex);
    g_overrideDir = withSlash(dir);
  }
  // Another program folder: its places are found anew at the next use.
  std::lock_guard<std::mutex> lock(g_placesMutex);
  g_places.reset();
}

bool canWriteOrCreate(const std::string& dir) {
  // Tried for real, since permission bits do not tell: root may write anywhere except on a read-only
  // mount, and a path through a regular file can never be made.
  std::string at = dir;
  while (at.size() > 1 && at.back() == '/') at.pop_back();
  while (!at.empty() && !pathExists(at)) {
    const std::size_t slash = at.find_last_of('/');
    at = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : at.substr(0, slash);
  }
  if (at.empty()) return false;
  static std::atomic<unsigned> probes{0};
  const std::string probe = withSlash(at) + ".kx-write-probe-" + std::to_string(getpid()) + "-" +
                            std::to_string(probes.fetch_add(1));
  const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

std::string getImagesDir() { return "mplayerstyle/images/"; }
std::string getButtonImagesDir() { return "mplayerstyle/images/btn/"; }
std::string getLanguageDir() { return getModuleDir() + "mplayerstyle/language/"; }
std::string getInstalledConfigDir() { return getModuleDir() + "mplayerstyle/config/"; }

namespace {

std::string decideSnapshotDir() {
  const std::string beside = getModuleDir() + "snapshot/";
  if (canWriteOrCreate(beside)) return beside;
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  return pictures.isEmpty() ? beside : withSlash(pictures.toStdString());
}

DataPlaces decidePlaces() {
  DataPlaces decided;
  const std::string installed = getInstalledConfigDir();
  const std::string user = canWriteOrCreate(installed) ? std::string() : userConfigDir();
  decided.configDir = user.empty() ? installed : user;
  decided.snapshotDir = decideSnapshotDir();
  // The program's folder when it can take the log (a build, a portable copy), else the folder that
  // holds the settings.
  const std::string module = getModuleDir();
  const bool besideProgram = module.empty() || canWriteOrCreate(module);
  decided.threadLogFile = (besideProgram ? module : decided.configDir) + kThreadLogName;
  return decided;
}

DataPlaces places() {
  std::lock_guard<std::mutex> lock(g_placesMutex);
  if (!g_places) g_places = decidePlaces();
  return *g_places;
}

}  // namespace

void settleDataPlaces() {
  const DataPlaces decided = decidePlaces();
  {
    std::lock_guard<std::mutex> lock(g_placesMutex);
    g_places = decided;
  }
  // A user's own folder is made, and seeded with the installed defaults, before anything in it is read
  // or a thread logs into it.
  if (decided.configDir != getInstalledConfigDir() || decided.threadLogFile != getModuleDir() + kThreadLogName) {
    ensureConfigDir();
  }
  GThread::setExceptionLogPath(decided.threadLogFile);
}

std::string getConfigDir() { return places().configDir; }
std::string getConfigFile() { return getConfigDir() + "configinfo.ini"; }
std::string getListFile() { return getConfigDir() + "listinfo.txt"; }
std::string getDefaultSnapshotDir() { return places().snapshotDir; }
std::string getThreadLogFile() { return places().threadLogFile; }

bool ensureConfigDir() {
  const std::string dir = getConfigDir();
  if (pathExists(dir)) return true;
  if (!makeDirectoryPath(dir.substr(0, dir.size() - 1))) {
    platform::debugOutputFormat("settings: cannot create the folder %s\n", dir.c_str());
    return false;
  }
  const std::string installed = getInstalledConfigDir();
  if (dir != installed) {
    // A user's first start: the installed defaults become the user's own files.
    for (const char* name : {"configinfo.ini", "listinfo.txt"}) {
      if (pathExists(installed + name)) copyFileBytes(installed + name, dir + name);
    }
  }
  return true;
}

}  // namespace app
