#include "technic/BinaryFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Opening never waits: for reading only a regular file opens; for writing a regular file, or a FIFO
// whose reader is there already. (A FIFO's plain open would wait for its other end for ever.)
TEST(BinaryFile, OpensWithoutWaitingAndReadsOnlyRegularFiles) {
  const std::string dir = kxtest::scratchDir("BinaryNotRegular");
  const std::string fifo = dir + "/fifo";
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  const std::string regular = dir + "/regular";
  std::ofstream(regular, std::ios::binary) << "bytes";
  struct Case {
    std::string path;
    int flags;
    bool opens;
  };
  const Case cases[] = {
      {regular, BinaryFile::kRead, true},
      {fifo, BinaryFile::kRead, false},
      {"/dev/zero", BinaryFile::kRead, false},
      {"/dev/null", BinaryFile::kRead, false},
      {dir, BinaryFile::kRead, false},
      {fifo, BinaryFile::kWrite | BinaryFile::kCreate | BinaryFile::kTruncate, false},  // no reader
      {"/dev/null", BinaryFile::kWrite, false},
      {dir, BinaryFile::kWrite, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " flags " + std::to_string(c.flags));
    BinaryFile file;
    EXPECT_EQ(c.opens, file.open(c.path.c_str(), c.flags));
    EXPECT_EQ(nullptr, c.opens ? nullptr : BinaryFile::createStream(c.path.c_str()));
  }
  // With its reader there, a FIFO takes what is written, and the writes wait for the reader as usual.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  BinaryFile writer;
  ASSERT_TRUE(writer.open(fifo.c_str(), BinaryFile::kWrite));
  EXPECT_EQ(3, writer.write("abc", 3));
  char got[4] = {};
  EXPECT_EQ(3, ::read(reader, got, sizeof(got)));
  EXPECT_STREQ("abc", got);
  writer.close();
  ::close(reader);
}
