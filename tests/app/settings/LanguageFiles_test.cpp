// The shipped language files: both hold every caption the windows ask for, the same keys, and no
// caption longer than its callers can take.
#include <gtest/gtest.h>

#include <QString>
#include <map>
#include <set>
#include <sstream>

#include "app/settings/LanguageText.h"
#include "tests/app/AppTestSupport.h"

namespace {

// Every key the windows ask for, with the capacity of its callers (the smallest when several ask).
const std::map<std::string, int>& requiredKeys() {
  static const std::map<std::string, int> keys = [] {
    std::map<std::string, int> table;
    const char* windowKeys[] = {
        // main window buttons
        "open", "play", "pause", "stop", "playslow", "playfast", "previousframe", "nextframe", "previousfile",
        "nextfile", "snapshot", "volume", "scrfull", "scrmax", "scrmin", "close", "set",
        // play state
        "readyplay", "playing", "playfast2", "playfast4", "playfast8", "playfast16", "playslow2", "playslow3",
        "playslow4", "playerror",
        // settings menu
        "showmode", "showtopmost", "initshowlist", "videostretch", "playmode", "singleplay", "orderplay",
        "circleplay", "scircleplay", "snapshotpath", "languagesel", "about",
        // video window menu
        "menu_open", "menu_play", "menu_stop", "menu_playctrl", "menu_nextframe", "menu_previousframe",
        "menu_playslow", "menu_playfast", "menu_snapshot", "menu_fullscreen", "menu_exit_fullscreen",
        // play-list panel and snapshot-folder dialog
        "add", "delete", "mode", "clear", "select", "ok", "cancel", "path",
        // messages
        "cannotsave", "snapshotnotcreated", "snapshotnotwritten", "snapshotnamelong", "snapshotpathlong"};
    for (const char* key : windowKeys) table[key] = app::kCaptionCapacity;
    table["version"] = app::kAboutCaptionCapacity;
    table["copyright"] = app::kAboutCaptionCapacity;
    return table;
  }();
  return keys;
}

// key -> value of the file's one section, as written (the file format itself is checked by reading
// every key back through the lookup).
std::map<std::string, std::string> entries(const std::string& file, std::string& problems) {
  std::map<std::string, std::string> out;
  std::istringstream lines(apptest::readFile(file));
  std::string line, section;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      section = line;
      continue;
    }
    const auto equals = line.find('=');
    if (section != "[LANGUAGE]" || equals == std::string::npos) {
      problems += "stray line: " + line + "\n";
      continue;
    }
    const std::string key = line.substr(0, equals);
    if (out.count(key) != 0) problems += "duplicate key: " + key + "\n";
    out[key] = line.substr(equals + 1);
  }
  return out;
}

TEST(LanguageFiles, BothFilesHoldEveryKeyAndFitTheirCallers) {
  const std::string folder = std::string(KX_APP_DATA_DIR) + "/language/";
  std::set<std::string> keySets[2];
  const char* files[] = {"english.ini", "chinese.ini"};
  for (int i = 0; i < 2; ++i) {
    std::string problems;
    const auto values = entries(folder + files[i], problems);
    EXPECT_EQ(problems, "") << files[i];
    for (const auto& [key, value] : values) {
      keySets[i].insert(key);
      const auto required = requiredKeys().find(key);
      if (required == requiredKeys().end()) {
        ADD_FAILURE() << files[i] << ": key no window asks for: " << key;
        continue;
      }
      const QString text = QString::fromUtf8(value.c_str());
      EXPECT_FALSE(text.isEmpty()) << files[i] << ": " << key;
      EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << files[i] << ": not UTF-8: " << key;
      EXPECT_LE(text.size(), required->second - 1) << files[i] << ": " << key;
      EXPECT_EQ(text, text.trimmed()) << files[i] << ": " << key;
    }
    for (const auto& [key, capacity] : requiredKeys()) {
      EXPECT_EQ(values.count(key), 1u) << files[i] << " lacks " << key;
    }
  }
  EXPECT_EQ(keySets[0], keySets[1]);
}

TEST(LanguageFiles, TheLookupReadsTheShippedFiles) {
  apptest::ScopedModuleDir dir;
  app::overrideModuleDir(std::string(KX_APP_DATA_DIR) + "/..");  // the build's executable folder
  EXPECT_EQ(app::languageText("play"), QStringLiteral("Play"));
  EXPECT_EQ(app::languageText("copyright", app::kAboutCaptionCapacity).left(9), QStringLiteral("Copyright"));
}

}  // namespace
