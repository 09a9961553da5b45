#include "technic/BinaryFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/TestPaths.h"

TEST(BinaryFile, SeekIsClampedToTheFile) {
  std::string path = kxtest::scratchDir("BinarySeek") + "/thousand";
  std::ofstream(path, std::ios::binary) << std::string(1000, 'q');
  BinaryFile file;
  ASSERT_TRUE(file.open(path.c_str(), 0x01));
  EXPECT_EQ(file.getLength(), 1000);
  struct Case {
    std::int64_t start;  // position before the seek
    std::int64_t offset;
    int origin;
    bool accepted;
    std::int64_t position;  // afterwards (unchanged when refused)
  };
  const Case cases[] = {
      {0, 1500, 0, true, 1000}, {10, -1, 0, false, 10},  {10, -2000, 2, true, 0}, {10, 10, 2, false, 10},
      {900, 200, 1, true, 1000}, {900, -950, 1, true, 0}, {900, -100, 1, true, 800}, {5, 0, 2, true, 1000},
      {5, 12, 7, false, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " " << c.offset << " " << c.origin);
    ASSERT_TRUE(file.seek(c.start, 0));
    EXPECT_EQ(file.seek(c.offset, c.origin), c.accepted);
    EXPECT_EQ(file.getPosition(), c.position);
  }
}

TEST(BinaryFile, CreateKeepsContentsUnlessTruncateIsGiven) {
  std::string dir = kxtest::scratchDir("BinaryCreate");
  struct Case {
    int flags;
    std::string after;
  };
  const Case cases[] = {{0x20, "old data"}, {0x60, ""}, {0x62, ""}, {0x22, "old data"}, {0x24, "old data"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    std::string path = dir + "/existing";
    std::ofstream(path, std::ios::binary) << "old data";
    BinaryFile file;
    ASSERT_TRUE(file.open(path.c_str(), c.flags));
    EXPECT_EQ(file.getLength(), static_cast<std::int64_t>(c.after.size()));
    file.close();
    EXPECT_EQ(kxtest::readFile(path), c.after);
  }
  BinaryFile missing;
  EXPECT_FALSE(missing.open((dir + "/absent").c_str(), 0x01));
  EXPECT_TRUE(missing.open((dir + "/made").c_str(), 0x62));
}

TEST(BinaryFile, ReadsAndWritesAndReportsMisuse) {
  std::string path = kxtest::scratchDir("BinaryIo") + "/record.ts";
  BinaryFile writer;
  ASSERT_TRUE(writer.open(path.c_str(), 0x62));
  EXPECT_EQ(writer.write("0123456789", 10), 10);
  EXPECT_EQ(writer.write(nullptr, 3), -1);
  char byte;
  EXPECT_EQ(writer.read(&byte, 1), -1) << "opened for writing only";

  BinaryFile reader;  // another reader while the writer holds the file open
  ASSERT_TRUE(reader.open(path.c_str(), 0x01));
  char buffer[16] = {};
  EXPECT_EQ(reader.read(buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_TRUE(reader.seek(-2, 2));
  EXPECT_EQ(reader.read(buffer, 16), 2);
  EXPECT_EQ(std::string(buffer, 2), "89");
  EXPECT_EQ(reader.read(buffer, 16), 0) << "end of file";
  EXPECT_EQ(reader.write("x", 1), -1) << "opened for reading only";
  EXPECT_TRUE(reader.close());
  EXPECT_EQ(reader.read(buffer, 1), -1);
  EXPECT_EQ(reader.getPosition(), -1);
  EXPECT_EQ(reader.getLength(), -1);
  EXPECT_FALSE(reader.seek(0, 0));
  EXPECT_FALSE(reader.open(nullptr, 0x01));
  EXPECT_EQ(kxtest::readFile(path), "0123456789");
}
