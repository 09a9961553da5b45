#include "app/settings/AppSettings.h"

#include "app/settings/AppPaths.h"
#include "app/settings/PrivateProfile.h"
#include "app/settings/SaveFailureNotice.h"

namespace app {
namespace {

struct Setting {
  const char* section;
  const char* key;
};

constexpr Setting kLanguage{"LANGUAGE", "Language"};
constexpr Setting kPlayMode{"PLAY_MODE", "PlayMode"};
constexpr Setting kTopmost{"TOPMOST_MODE", "TopmostMode"};
constexpr Setting kShowList{"SHOW_LIST", "ShowList"};
constexpr Setting kVideoStretch{"VIDEO_STRETCH", "VideoStretch"};
constexpr Setting kSnapshot{"SNAPSHOT", "SnapShotPath"};

int readInt(const Setting& setting, int defaultValue) {
  return PrivateProfile::getInt(setting.section, setting.key, defaultValue, getConfigFile());
}

bool writeText(const Setting& setting, const std::string& value) {
  if (ensureConfigDir() && PrivateProfile::writeString(setting.section, setting.key, value, getConfigFile())) return true;
  SaveFailureNotice::report(getConfigFile());
  return false;
}

bool writeInt(const Setting& setting, int value) { return writeText(setting, std::to_string(value)); }

}  // namespace

bool readLanguage(int& language) {
  language = readInt(kLanguage, 1);
  return true;
}
bool writeLanguage(int language) { return writeInt(kLanguage, language); }

bool readPlayMode(int& mode) {
  mode = readInt(kPlayMode, PLAY_MODE_SINGLE);
  return true;
}
bool writePlayMode(int mode) { return writeInt(kPlayMode, mode); }

bool readTopmostMode(bool& topmost) {
  topmost = readInt(kTopmost, 0) != 0;
  return true;
}
bool writeTopmostMode(bool topmost) { return writeInt(kTopmost, topmost ? 1 : 0); }

bool readShowList(bool& show) {
  show = readInt(kShowList, 0) != 0;
  return true;
}
bool writeShowList(bool show) { return writeInt(kShowList, show ? 1 : 0); }

bool readVideoStretch(bool& stretch) {
  stretch = readInt(kVideoStretch, 0) != 0;
  return true;
}
bool writeVideoStretch(bool stretch) { return writeInt(kVideoStretch, stretch ? 1 : 0); }

bool readSnapshotPath(std::string& path) {
  const std::string defaultPath = getDefaultSnapshotDir();
  path = PrivateProfile::getString(kSnapshot.section, kSnapshot.key, defaultPath, getConfigFile());
  return true;
}
bool writeSnapshotPath(const std::string& path) { return writeText(kSnapshot, path); }

}  // namespace app
