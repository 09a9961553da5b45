#include "technic/StdioFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/TestPaths.h"

namespace {

void writeAll(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace

TEST(StdioFile, OpenFlagsGiveTheirModes) {
  struct Case {
    int flags;
    bool opensExisting;
    int writeResult;       // of writing "Z" to a file holding "abc"
    std::string content;   // afterwards
    bool createsMissing;
  };
  const Case cases[] = {
      {0x01, true, -1, "abc", false},  {0x02, true, 1, "abcZ", true}, {0x22, true, 1, "abcZ", true},
      {0x42, true, 1, "Z", true},      {0x04, true, 1, "Zbc", false}, {0x24, true, 1, "abcZ", true},
      {0x64, true, 1, "Z", true},      {0x00, false, 0, "abc", false}, {0x03, false, 0, "abc", false},
      {0x05, false, 0, "abc", false},  {0x06, false, 0, "abc", false}, {0x07, false, 0, "abc", false},
  };
  std::string dir = kxtest::scratchDir("StdioFileFlags");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    std::string path = dir + "/existing";
    writeAll(path, "abc");
    StdioFile file;
    ASSERT_EQ(file.open(path.c_str(), c.flags), c.opensExisting);
    if (c.opensExisting) {
      EXPECT_EQ(file.getLength(), c.content == "Z" ? 0 : 3) << "truncating modes empty the file";
      EXPECT_EQ(file.write("Z", 1), c.writeResult);
      EXPECT_TRUE(file.close());
    }
    EXPECT_EQ(kxtest::readFile(path), c.content);

    std::string missing = dir + "/missing";
    std::remove(missing.c_str());
    StdioFile fresh;
    EXPECT_EQ(fresh.open(missing.c_str(), c.flags), c.createsMissing);
    EXPECT_EQ(std::ifstream(missing).good(), c.createsMissing);
  }
}

TEST(StdioFile, OperationsWithoutAFile) {
  StdioFile file;
  EXPECT_FALSE(file.open(nullptr, 0x02));
  EXPECT_TRUE(file.close());
  EXPECT_FALSE(file.flush());
  EXPECT_EQ(file.write("x", 1), -1);
  EXPECT_EQ(file.getLength(), -1);
  std::string path = kxtest::scratchDir("StdioFileNone") + "/f";
  ASSERT_TRUE(file.open(path.c_str(), 0x02));
  EXPECT_EQ(file.write(nullptr, 1), -1);
  EXPECT_EQ(file.write("hello", 5), 5);
  EXPECT_TRUE(file.flush());
  EXPECT_EQ(file.getLength(), 5);
}
