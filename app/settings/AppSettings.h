#pragma once
#include <string>

// The user's settings in "mplayerstyle/config/configinfo.ini". Nothing is cached: every read opens
// the file, every write goes to it at once (the config folder is created first when missing).
namespace app {

enum PlayMode { PLAY_MODE_SINGLE = 0, PLAY_MODE_CIRCLE = 1, PLAY_MODE_ORDER = 2, PLAY_MODE_SINGLE_CIRCLE = 3 };

// [LANGUAGE] Language, default 1: 1 selects "english.ini", any other value "chinese.ini".
bool readLanguage(int& language);
bool writeLanguage(int language);
// [PLAY_MODE] PlayMode, default 0 (PlayMode above).
bool readPlayMode(int& mode);
bool writePlayMode(int mode);
// [TOPMOST_MODE] TopmostMode, [SHOW_LIST] ShowList, [VIDEO_STRETCH] VideoStretch: default false; true
// when the stored value is not 0; written as 0 or 1.
bool readTopmostMode(bool& topmost);
bool writeTopmostMode(bool topmost);
bool readShowList(bool& show);
bool writeShowList(bool show);
bool readVideoStretch(bool& stretch);
bool writeVideoStretch(bool stretch);
// [SNAPSHOT] SnapShotPath, default getDefaultSnapshotDir(): the executable's folder + "snapshot/", or
// the user's pictures folder when that cannot be written. UTF-8, never cut.
bool readSnapshotPath(std::string& path);
bool writeSnapshotPath(const std::string& path);

}  // namespace app
