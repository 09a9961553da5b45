#include "app/settings/AppSettings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

#include "app/playlist/PlayList.h"
#include "app/settings/AppPaths.h"
#include "app/settings/LanguageText.h"
#include "app/settings/SaveFailureNotice.h"
#include "app/settings/TextConversion.h"
#include "platform/DebugOutput.h"
#include "technic/GThread.h"
#include "technic/PathUtilities.h"
#include "technic/member_function_obj.h"
#include "tests/app/AppTestSupport.h"

namespace {

TEST(AppPaths, DataFoldersLieBesideTheExecutable) {
  apptest::ScopedModuleDir dir;
  EXPECT_EQ(app::getModuleDir(), dir.path());
  EXPECT_EQ(app::getConfigFile(), dir.path() + "mplayerstyle/config/configinfo.ini");
  EXPECT_EQ(app::getListFile(), dir.path() + "mplayerstyle/config/listinfo.txt");
  EXPECT_EQ(app::getLanguageDir(), dir.path() + "mplayerstyle/language/");
  EXPECT_EQ(app::getImagesDir(), "mplayerstyle/images/");
  EXPECT_EQ(app::getButtonImagesDir(), "mplayerstyle/images/btn/");
}

// The user's folders of one test: XDG_CONFIG_HOME and HOME point into a folder of its own.
class ScopedUserFolders {
 public:
  ScopedUserFolders() : m_config(save("XDG_CONFIG_HOME")), m_home(save("HOME")) {
    setenv("XDG_CONFIG_HOME", (path() + "config").c_str(), 1);
    setenv("HOME", (path() + "home").c_str(), 1);
    makeDirectoryPath(path() + "home");
  }
  ~ScopedUserFolders() {
    restore("XDG_CONFIG_HOME", m_config);
    restore("HOME", m_home);
  }
  std::string path() const { return m_dir.path().toStdString() + "/"; }

 private:
  struct Saved {
    bool set;
    std::string value;
  };
  static Saved save(const char* name) {
    const char* value = std::getenv(name);
    return {value != nullptr, value != nullptr ? value : ""};
  }
  static void restore(const char* name, const Saved& saved) {
    if (saved.set) {
      setenv(name, saved.value.c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  QTemporaryDir m_dir;
  Saved m_config;
  Saved m_home;
};

// An executable folder that can never be written, even by root: a path through a regular file.
std::string unwritableModuleDir(const std::string& base) {
  apptest::writeFile(base + "not-a-folder", "x");
  return base + "not-a-folder/bin/";
}

TEST(AppPaths, AWritableProgramFolderKeepsItsOwnPlaces) {
  ScopedUserFolders user;
  apptest::ScopedModuleDir dir;
  EXPECT_EQ(app::getConfigDir(), dir.path() + "mplayerstyle/config/");
  std::string snapshot;
  app::readSnapshotPath(snapshot);
  EXPECT_EQ(snapshot, dir.path() + "snapshot/");
  ASSERT_TRUE(app::writeShowList(true));
  EXPECT_FALSE(pathExists(user.path() + "config")) << "nothing goes to the user's folders";
}

TEST(AppPaths, AnUnwritableProgramFolderSavesIntoTheUsersFolders) {
  ScopedUserFolders user;
  const std::string module = unwritableModuleDir(user.path());
  app::overrideModuleDir(module);
  EXPECT_EQ(app::getLanguageDir(), module + "mplayerstyle/language/") << "data is still read beside the program";
  EXPECT_EQ(app::getConfigFile(), user.path() + "config/KXMediaPlayer/configinfo.ini");
  EXPECT_EQ(app::getListFile(), user.path() + "config/KXMediaPlayer/listinfo.txt");
  std::string snapshot;
  app::readSnapshotPath(snapshot);
  EXPECT_EQ(snapshot, user.path() + "home/Pictures/");
  ASSERT_TRUE(app::writePlayMode(2));
  int mode = 0;
  app::readPlayMode(mode);
  EXPECT_EQ(mode, 2);
  EXPECT_EQ(apptest::readFile(user.path() + "config/KXMediaPlayer/configinfo.ini"), "[PLAY_MODE]\nPlayMode=2\n");
  app::overrideModuleDir(std::string());
}

TEST(AppPaths, ASaveThatStillFailsIsToldOnceWithItsPath) {
  ScopedUserFolders user;
  app::overrideModuleDir(unwritableModuleDir(user.path()));
  setenv("XDG_CONFIG_HOME", (user.path() + "not-a-folder/config").c_str(), 1);
  std::vector<std::string> told;
  app::SaveFailureNotice::setListener([&told](const std::string& path) { told.push_back(path); });
  EXPECT_FALSE(app::writeShowList(true));
  EXPECT_FALSE(app::writePlayMode(1));
  EXPECT_FALSE(app::PlayList::getInstance().save());
  app::SaveFailureNotice::setListener(app::SaveFailureNotice::Listener());
  EXPECT_EQ(told, std::vector<std::string>{user.path() + "not-a-folder/config/KXMediaPlayer/configinfo.ini"});
  app::overrideModuleDir(std::string());
}

// What the program's start does decides where a supervised thread's failure is logged: beside the
// program when its folder can be written, else beside the user's settings (made for it at start).
TEST(AppPaths, TheThreadLogGoesBesideTheProgramOrIntoTheUsersFolder) {
  struct FailingSetup {
    int fail() { return 7; }
    int succeed() { return 0; }
  } operations;
  const auto failingThread = [&operations] {
    return GThread("DecoderThread", function_holder<int>(new member_function_obj<int, FailingSetup>(&FailingSetup::succeed, &operations)),
                   function_holder<int>(new member_function_obj<int, FailingSetup>(&FailingSetup::fail, &operations)),
                   function_holder<int>(new member_function_obj<int, FailingSetup>(&FailingSetup::succeed, &operations)));
  };
  ScopedUserFolders user;
  apptest::ScopedModuleDir writable;
  const std::string installed = unwritableModuleDir(user.path());
  const struct {
    std::string module;
    std::string log;
  } cases[] = {{writable.path(), writable.path() + "ThreadException.log"},
               {installed, user.path() + "config/KXMediaPlayer/ThreadException.log"}};
  for (const auto& entry : cases) {
    app::overrideModuleDir(entry.module);
    app::settleDataPlaces();
    EXPECT_EQ(app::getThreadLogFile(), entry.log);
    EXPECT_FALSE(failingThread().setup());
    const std::string log = apptest::readFile(entry.log);
    EXPECT_NE(log.find(",[ThreadException] thread(DecoderThread,"), std::string::npos) << entry.log;
    EXPECT_NE(log.find(") setup failed. result= 7\n"), std::string::npos) << log;
  }
  GThread::setExceptionLogPath(std::string());
  app::overrideModuleDir(std::string());
}

// Every caption and setting read: no file appears or goes in the program's folder, the config folder
// or the user's folders; where the files live was decided once, at start.
TEST(AppPaths, ReadingSettingsAndCaptionsLeavesEveryFolderAlone) {
  ScopedUserFolders user;
  for (bool installedCopy : {false, true}) {
    apptest::ScopedModuleDir dir;
    if (installedCopy) app::overrideModuleDir(unwritableModuleDir(dir.path()));
    app::settleDataPlaces();
    ASSERT_TRUE(app::ensureConfigDir());
    ASSERT_TRUE(app::writePlayMode(2));
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    const uint32_t changes = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM;
    for (const std::string& folder : {dir.path(), app::getConfigDir(), user.path(), user.path() + "config/"}) {
      if (pathExists(folder)) {
        EXPECT_GE(inotify_add_watch(watcher, folder.c_str(), changes), 0) << folder;
      }
    }
    for (int round = 0; round < 20; ++round) {
      int language = 0, mode = 0;
      bool flag = false;
      std::string snapshot;
      app::readLanguage(language);
      app::readPlayMode(mode);
      app::readTopmostMode(flag);
      app::readShowList(flag);
      app::readVideoStretch(flag);
      app::readSnapshotPath(snapshot);
      app::languageText("play");
      EXPECT_EQ(mode, 2);
    }
    char events[4096];
    const ssize_t got = read(watcher, events, sizeof events);
    std::string names;
    for (ssize_t at = 0; at > -1 && at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if (names.size() < 200) names += std::string(event->len > 0 ? event->name : "?") + " ";
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    EXPECT_LT(got, 0) << (installedCopy ? "installed copy: " : "") << "files came and went: " << names;
    close(watcher);
  }
}

TEST(AppPaths, TheRealExecutableFolderIsFound) {
  const std::string dir = app::getModuleDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(pathExists(dir));
}

TEST(AppSettings, DefaultsWithoutAnySettingsFile) {
  apptest::ScopedModuleDir dir;
  int language = 0, mode = -1;
  bool topmost = true, showList = true, stretch = true;
  std::string snapshot;
  EXPECT_TRUE(app::readLanguage(language));
  EXPECT_TRUE(app::readPlayMode(mode));
  EXPECT_TRUE(app::readTopmostMode(topmost));
  EXPECT_TRUE(app::readShowList(showList));
  EXPECT_TRUE(app::readVideoStretch(stretch));
  EXPECT_TRUE(app::readSnapshotPath(snapshot));
  EXPECT_EQ(language, 1);
  EXPECT_EQ(mode, 0);
  EXPECT_FALSE(topmost);
  EXPECT_FALSE(showList);
  EXPECT_FALSE(stretch);
  EXPECT_EQ(snapshot, dir.path() + "snapshot/");
  EXPECT_FALSE(pathExists(app::getConfigDir())) << "reading creates nothing";
}

TEST(AppSettings, EverySettingRoundTripsAndTheConfigFolderIsCreated) {
  apptest::ScopedModuleDir dir;
  ASSERT_FALSE(pathExists(dir.path() + "mplayerstyle"));
  EXPECT_TRUE(app::writeLanguage(2));
  EXPECT_TRUE(pathExists(app::getConfigFile()));
  EXPECT_TRUE(app::writePlayMode(3));
  EXPECT_TRUE(app::writeTopmostMode(true));
  EXPECT_TRUE(app::writeShowList(true));
  EXPECT_TRUE(app::writeVideoStretch(true));
  EXPECT_TRUE(app::writeSnapshotPath("/srv/录像/snap/"));
  int language = 0, mode = 0;
  bool topmost = false, showList = false, stretch = false;
  std::string snapshot;
  app::readLanguage(language);
  app::readPlayMode(mode);
  app::readTopmostMode(topmost);
  app::readShowList(showList);
  app::readVideoStretch(stretch);
  app::readSnapshotPath(snapshot);
  EXPECT_EQ(language, 2);
  EXPECT_EQ(mode, 3);
  EXPECT_TRUE(topmost);
  EXPECT_TRUE(showList);
  EXPECT_TRUE(stretch);
  EXPECT_EQ(snapshot, "/srv/录像/snap/");
  EXPECT_EQ(apptest::readFile(app::getConfigFile()),
            "[LANGUAGE]\nLanguage=2\n[PLAY_MODE]\nPlayMode=3\n[TOPMOST_MODE]\nTopmostMode=1\n[SHOW_LIST]\nShowList=1\n"
            "[VIDEO_STRETCH]\nVideoStretch=1\n[SNAPSHOT]\nSnapShotPath=/srv/录像/snap/\n");
  EXPECT_TRUE(app::writeTopmostMode(false));
  app::readTopmostMode(topmost);
  EXPECT_FALSE(topmost);
}

TEST(AppSettings, AnyNonZeroFlagIsTrueAndIsWrittenBackAsOne) {
  apptest::ScopedModuleDir dir;
  ASSERT_TRUE(app::ensureConfigDir());
  ASSERT_TRUE(apptest::writeFile(app::getConfigFile(), "[TOPMOST_MODE]\nTopmostMode=5\n"));
  bool topmost = false;
  app::readTopmostMode(topmost);
  EXPECT_TRUE(topmost);
  app::writeTopmostMode(topmost);
  EXPECT_EQ(apptest::readFile(app::getConfigFile()), "[TOPMOST_MODE]\nTopmostMode=1\n");
}

TEST(AppSettings, AFolderWhereTheFilesShouldBeReadsAsNoFile) {
  apptest::ScopedModuleDir dir;
  ASSERT_TRUE(makeDirectoryPath(app::getConfigFile() + "/inside"));
  ASSERT_TRUE(makeDirectoryPath(app::getListFile() + "/inside"));
  int mode = -1;
  app::readPlayMode(mode);
  EXPECT_EQ(mode, 0);
  EXPECT_FALSE(app::PlayList::getInstance().load());
  EXPECT_EQ(app::PlayList::getInstance().count(), 0);
}

TEST(AppSettings, DeepExecutableFoldersWork) {
  apptest::ScopedModuleDir base;
  std::string deep = base.path();
  while (deep.size() < 600) deep += "a_rather_long_folder_name_0123456789/";
  ASSERT_TRUE(makeDirectoryPath(deep.substr(0, deep.size() - 1)));
  app::overrideModuleDir(deep);
  EXPECT_TRUE(app::writePlayMode(2));
  int mode = 0;
  app::readPlayMode(mode);
  EXPECT_EQ(mode, 2);
  std::string snapshot;
  app::readSnapshotPath(snapshot);
  EXPECT_EQ(snapshot, deep + "snapshot/");
}

TEST(AppSettings, AnUnwritableFolderFailsWithALogLine) {
  ScopedUserFolders user;
  apptest::ScopedModuleDir base;
  ASSERT_TRUE(apptest::writeFile(base.path() + "mplayerstyle", "a file where the folder should be"));
  ASSERT_TRUE(apptest::writeFile(user.path() + "config", "nor can the user's folder be made"));
  platform::DebugCapture capture;
  EXPECT_FALSE(app::writePlayMode(2));
  EXPECT_TRUE(capture.contains("cannot create the folder")) << capture.text();
  int mode = -1;
  app::readPlayMode(mode);
  EXPECT_EQ(mode, 0);
}

class LanguageTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(makeDirectoryPath(m_dir.path() + "mplayerstyle/language"));
    ASSERT_TRUE(apptest::writeFile(app::getLanguageDir() + "english.ini",
                                   "[LANGUAGE]\nplay=Play\nonlyhere=English only\nlong=" + std::string(100, 'x') + "\n"));
    ASSERT_TRUE(apptest::writeFile(app::getLanguageDir() + "chinese.ini", "[LANGUAGE]\nplay=播放\nemoji=" +
                                                                              std::string(62, 'y') + "\xF0\x9F\x8E\xA5\n"));
  }
  std::u16string text(const char* key, int capacity = app::kCaptionCapacity) {
    std::u16string out = u"untouched";
    EXPECT_TRUE(app::getLanguageText(key, out, capacity));
    return out;
  }
  apptest::ScopedModuleDir m_dir;
};

TEST_F(LanguageTextTest, TheLanguageSettingChoosesTheFileAtEveryLookup) {
  EXPECT_EQ(text("play"), u"Play");
  EXPECT_EQ(text("onlyhere"), u"English only");
  const int others[] = {2, 0, 7};
  for (int language : others) {
    app::writeLanguage(language);
    EXPECT_EQ(text("play"), u"播放") << language;
    EXPECT_EQ(text("onlyhere"), u"") << "a key missing in chinese.ini is an empty caption";
  }
  app::writeLanguage(1);
  EXPECT_EQ(text("play"), u"Play");
}

TEST_F(LanguageTextTest, CaptionsAreCutToTheCallersCapacity) {
  EXPECT_EQ(text("long"), std::u16string(63, u'x'));
  EXPECT_EQ(text("long", app::kAboutCaptionCapacity), std::u16string(100, u'x'));
  app::writeLanguage(2);
  // 62 letters and a character outside the basic plane: the cut at 63 units would split its pair.
  EXPECT_EQ(text("emoji"), std::u16string(62, u'y'));
  std::u16string untouched = u"keep";
  EXPECT_FALSE(app::getLanguageText(nullptr, untouched));
  EXPECT_EQ(untouched, u"keep");
  EXPECT_EQ(app::languageText("play"), QString::fromUtf8("播放"));
}

TEST(TextConversion, RoundTripsAndCodePage936) {
  const std::u16string texts[] = {u"C:/录像/通道01.ts", u"plain", u"\U0001F3A5 camera", u""};
  for (const std::u16string& text : texts) {
    std::string utf8;
    std::u16string back;
    const int count = app::toUtf8(text, utf8);
    EXPECT_EQ(count, static_cast<int>(utf8.size()));
    app::fromUtf8(utf8, back);
    EXPECT_EQ(back, text);
  }
  std::string gbk;
  EXPECT_EQ(app::toGbk(u"中文abc", gbk), 7);
  EXPECT_EQ(gbk, "\xD6\xD0\xCE\xC4" "abc");
  EXPECT_EQ(app::toGbk(u"a\u20A9b", gbk), 3);  // the won sign is not in code page 936
  EXPECT_EQ(gbk, "a?b");
  std::u16string wide;
  EXPECT_EQ(app::fromUtf8("bad \xFF byte", wide), 10);
  EXPECT_EQ(wide, u"bad \uFFFD byte");
}

}  // namespace
