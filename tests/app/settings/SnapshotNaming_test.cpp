// Snapshot file names: the folder, the 14-digit local time, ".jpg"; no name taken twice; folders too
// long for the system, or that cannot be made or written, refused with a reason instead of cut.
#include "app/settings/SnapshotNaming.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "technic/PathUtilities.h"

namespace {

std::tm at(int year, int month, int day, int hour, int minute, int second) {
  std::tm time{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_sec = second;
  return time;
}

const auto kNothingExists = [](const std::string&) { return false; };

TEST(SnapshotNaming, FolderThenLocalTimeThenJpgWithOneSeparator) {
  const std::tm time = at(2026, 3, 7, 9, 5, 1);
  EXPECT_EQ(app::snapshotTarget("/data/snapshot/", time, kNothingExists).path, "/data/snapshot/20260307090501.jpg");
  EXPECT_EQ(app::snapshotTarget("/data/snapshot", time, kNothingExists).path, "/data/snapshot/20260307090501.jpg");
}

TEST(SnapshotNaming, TwoSnapshotsInOneSecondGetTwoFiles) {
  std::set<std::string> taken;
  const auto exists = [&](const std::string& path) { return taken.count(path) != 0; };
  const std::tm time = at(2026, 12, 31, 23, 59, 59);
  for (int i = 0; i < 3; ++i) taken.insert(app::snapshotTarget("/s", time, exists).path);
  EXPECT_EQ(taken, (std::set<std::string>{"/s/20261231235959.jpg", "/s/20261231235959_2.jpg", "/s/20261231235959_3.jpg"}));
}

TEST(SnapshotNaming, LongFoldersWorkUpToTheSystemLimitAndAreRefusedBeyondIt) {
  const std::tm time = at(2026, 1, 1, 0, 0, 0);
  // Far beyond 260 characters, in names the system takes: used whole.
  std::string longFolder;
  for (int i = 0; i < 12; ++i) longFolder += "/" + std::string(100, 'a' + i);
  const app::SnapshotTarget kept = app::snapshotTarget(longFolder, time, kNothingExists);
  EXPECT_EQ(kept.path, longFolder + "/20260101000000.jpg");
  EXPECT_TRUE(kept.refusal.textKey.empty());
  // A single name over 255 bytes, or a whole path over the limit: refused with a reason.
  const app::SnapshotTarget overlongName = app::snapshotTarget("/" + std::string(300, 'n'), time, kNothingExists);
  EXPECT_TRUE(overlongName.path.empty());
  EXPECT_EQ(overlongName.refusal.textKey, "snapshotnamelong");
  std::string deep;
  while (deep.size() < 5000) deep += "/" + std::string(200, 'd');
  const app::SnapshotTarget overlongPath = app::snapshotTarget(deep, time, kNothingExists);
  EXPECT_TRUE(overlongPath.path.empty());
  EXPECT_EQ(overlongPath.refusal.textKey, "snapshotpathlong");
}

TEST(SnapshotNaming, FolderIsMadeWithItsParentsAndAnImpossibleOneIsReported) {
  QTemporaryDir root;
  std::string folder = root.path().toStdString();
  for (int i = 0; i < 4; ++i) folder += "/" + std::string(120, 'x' + (i % 2));
  app::SnapshotRefusal refusal;
  ASSERT_TRUE(app::prepareSnapshotFolder(folder, refusal)) << refusal.textKey;
  EXPECT_TRUE(pathExists(folder));
  // Below a plain file no folder can be made.
  const std::string file = root.path().toStdString() + "/plain";
  FILE* handle = std::fopen(file.c_str(), "w");
  ASSERT_NE(handle, nullptr);
  std::fclose(handle);
  EXPECT_FALSE(app::prepareSnapshotFolder(file + "/below", refusal));
  EXPECT_EQ(refusal.textKey, "snapshotnotcreated");
  EXPECT_EQ(refusal.folder, file + "/below");
}

// A folder that exists but takes no file. /proc refuses a new file to everyone, root too; a folder
// without write permission refuses a normal user (root writes through the permission bits, and then
// the snapshot may go there).
TEST(SnapshotNaming, AFolderThatExistsButTakesNoFileIsReported) {
  QTemporaryDir root;
  const std::string readOnly = root.path().toStdString() + "/read-only";
  ASSERT_TRUE(makeDirectoryPath(readOnly));
  ASSERT_EQ(chmod(readOnly.c_str(), 0555), 0);
  const std::string probe = readOnly + "/probe";
  const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  const bool readOnlyTakesFiles = fd >= 0;
  if (fd >= 0) {
    close(fd);
    unlink(probe.c_str());
  }
  const struct {
    std::string folder;
    bool takesFiles;
  } cases[] = {{"/proc/self", false}, {readOnly, readOnlyTakesFiles}, {root.path().toStdString(), true}};
  for (const auto& entry : cases) {
    app::SnapshotRefusal refusal;
    EXPECT_EQ(app::prepareSnapshotFolder(entry.folder, refusal), entry.takesFiles) << entry.folder;
    EXPECT_EQ(refusal.textKey, entry.takesFiles ? "" : "snapshotnotwritten") << entry.folder;
    EXPECT_EQ(refusal.folder, entry.takesFiles ? "" : entry.folder);
  }
  chmod(readOnly.c_str(), 0755);
}

}  // namespace
