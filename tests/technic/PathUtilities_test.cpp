#include "technic/PathUtilities.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TestPaths.h"

TEST(PathUtilities, DirectoryIsEmptyWhenItHoldsOnlyDotEntriesOrCannotBeListed) {
  std::string dir = kxtest::scratchDir("DirEmpty");
  EXPECT_TRUE(isDirectoryEmpty(dir));
  std::ofstream(dir + "/.hidden") << "x";
  mkdir((dir + "/.cache").c_str(), 0777);
  EXPECT_TRUE(isDirectoryEmpty(dir));
  EXPECT_TRUE(isDirectoryEmpty(dir + "/missing"));
  std::ofstream(dir + "/a.ts") << "x";
  EXPECT_FALSE(isDirectoryEmpty(dir));
  EXPECT_TRUE(pathExists(dir + "/a.ts"));
  EXPECT_TRUE(pathExists(dir));
  EXPECT_FALSE(pathExists(dir + "/b.ts"));
  EXPECT_FALSE(pathExists(""));
}

TEST(PathUtilities, MakeDirectoryPathKeepsTheLeadingSlashOfAnAbsolutePath) {
  std::string dir = kxtest::scratchDir("MakeDirs");
  ASSERT_EQ(dir.front(), '/');
  std::string deep = dir + "/a/b//c/";
  EXPECT_TRUE(makeDirectoryPath(deep));
  struct stat status;
  ASSERT_EQ(stat((dir + "/a/b/c").c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  EXPECT_TRUE(makeDirectoryPath(deep)) << "an existing path";

  // A relative path is made below the current folder, not at the root.
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  EXPECT_TRUE(makeDirectoryPath("rel/x"));
  EXPECT_TRUE(pathExists(dir + "/rel/x"));
  ASSERT_EQ(chdir(previous), 0);

  std::ofstream(dir + "/file") << "x";
  EXPECT_FALSE(makeDirectoryPath(dir + "/file/sub")) << "a component that cannot be made";
}

TEST(PathUtilities, ProgramDirectoryIsTheExecutablesFolderWithItsFirstCharacter) {
  std::string directory = getProgramDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.front(), '/');
  EXPECT_EQ(directory.back(), '/');
  char link[4096];
  ssize_t length = readlink("/proc/self/exe", link, sizeof(link) - 1);
  ASSERT_GT(length, 0);
  std::string program(link, static_cast<size_t>(length));
  EXPECT_EQ(program.substr(0, directory.size()), directory);
  EXPECT_EQ(program.find('/', directory.size()), std::string::npos);
}
