// Dropped folders: recordings found below them, link loops followed once, long names kept.
#include "app/settings/FolderScan.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {
namespace fs = std::filesystem;

void touch(const fs::path& path) { std::ofstream(path) << "x"; }

std::vector<std::string> sorted(std::vector<std::string> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(FolderScan, OnlyNamesEndingInLowerCaseTsCount) {
  EXPECT_TRUE(app::isRecordingName("/a/b.ts"));
  EXPECT_TRUE(app::isRecordingName(".ts"));
  EXPECT_FALSE(app::isRecordingName("/a/b.TS"));
  EXPECT_FALSE(app::isRecordingName("/a/b.ts.part"));
  EXPECT_FALSE(app::isRecordingName("ts"));
}

TEST(FolderScan, RecordingsOfEveryLevelAreFoundAndLinkLoopsEnd) {
  QTemporaryDir temporary;
  const fs::path root = temporary.path().toStdString();
  fs::create_directories(root / "day1" / "camera2");
  touch(root / "top.ts");
  touch(root / "notes.txt");
  touch(root / "upper.TS");
  touch(root / "day1" / "a.ts");
  touch(root / "day1" / "camera2" / "b.ts");
  // A link back up the tree and a second link to the same folder: each real folder is scanned once.
  fs::create_directory_symlink(root, root / "day1" / "camera2" / "back_to_root");
  fs::create_directory_symlink(root / "day1", root / "again");
  // Which name a folder reached twice is listed under depends on the listing order: compare real paths.
  std::vector<std::string> found;
  for (const std::string& path : app::collectRecordings(root.string())) found.push_back(fs::canonical(path).string());
  found = sorted(found);
  const fs::path real = fs::canonical(root);
  const std::vector<std::string> expected = sorted({(real / "top.ts").string(), (real / "day1" / "a.ts").string(),
                                                    (real / "day1" / "camera2" / "b.ts").string()});
  EXPECT_EQ(found, expected);
}

TEST(FolderScan, NamesFarLongerThanOldPathBuffersAreKeptWhole) {
  QTemporaryDir temporary;
  fs::path deep = temporary.path().toStdString();
  for (int i = 0; i < 5; ++i) deep /= std::string(200, 'a' + i);
  fs::create_directories(deep);
  const fs::path recording = deep / (std::string(240, 'r') + ".ts");
  touch(recording);
  ASSERT_GT(recording.string().size(), 1000u);
  EXPECT_EQ(app::collectRecordings(temporary.path().toStdString() + "/"), std::vector<std::string>{recording.string()});
}

TEST(FolderScan, AFolderThatCannotBeListedGivesNothing) {
  EXPECT_TRUE(app::collectRecordings("/no/such/folder/anywhere").empty());
}

}  // namespace
