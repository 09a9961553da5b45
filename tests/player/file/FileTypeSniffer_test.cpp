// Telling the two recording types apart by their first bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "player/KXPlayerResult.h"
#include "player/file/FileTypeSniffer.h"
#include "support/TestPaths.h"

namespace {

const std::string kStartCode = "t~a!v@ri%n";

// A file of n filler bytes (never 0x47, never the start code) with the marks placed.
struct SniffCase {
  const char* name;
  int length;
  std::vector<int> syncAt;       // 0x47 bytes
  std::vector<int> startCodeAt;  // start codes
  int result;
  int type;
};

std::string writeCase(const std::string& dir, const SniffCase& c) {
  std::string bytes(static_cast<size_t>(c.length), '\x11');
  for (int at : c.syncAt) bytes[static_cast<size_t>(at)] = '\x47';
  for (int at : c.startCodeAt) bytes.replace(static_cast<size_t>(at), kStartCode.size(), kStartCode);
  const std::string path = dir + "/" + c.name;
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(FileTypeSniffer, TellsTheTypeFromTheFirst950Bytes) {
  const std::string dir = kxtest::scratchDir("FileTypeSniffer");
  const SniffCase cases[] = {
      {"ts-exactly-376", 376, {0, 188}, {}, KXPLAYER_OK, 1},
      {"ts-375", 375, {0, 187}, {}, KXPLAYER_FILE_UNREADABLE, 0},
      {"headstream-375", 375, {}, {0}, KXPLAYER_FILE_UNREADABLE, 0},
      {"empty", 0, {}, {}, KXPLAYER_FILE_UNREADABLE, 0},
      {"ts-last-pair-in-the-window", 950, {574, 762}, {}, KXPLAYER_OK, 1},      // j = n - 376
      {"ts-pair-past-the-window", 2000, {575, 763}, {}, KXPLAYER_WRONG_FORMAT, 0},  // j = n - 375
      {"ts-sync-bytes-not-188-apart", 950, {0, 187, 400}, {}, KXPLAYER_WRONG_FORMAT, 0},
      {"headstream-at-start", 950, {}, {0}, KXPLAYER_OK, 2},
      {"headstream-code-at-n-10", 4000, {}, {940}, KXPLAYER_OK, 2},
      {"headstream-code-at-n-9", 4000, {}, {941}, KXPLAYER_WRONG_FORMAT, 0},
      {"headstream-short-file-code-at-end", 500, {}, {490}, KXPLAYER_OK, 2},
      {"both-marks-start-code-wins", 950, {10, 198}, {600}, KXPLAYER_OK, 2},
      {"neither", 950, {}, {}, KXPLAYER_WRONG_FORMAT, 0},
  };
  for (const SniffCase& c : cases) {
    SCOPED_TRACE(c.name);
    int type = 0;
    EXPECT_EQ(FileTypeSniffer::sniffFile(writeCase(dir, c).c_str(), type), c.result);
    EXPECT_EQ(type, c.type);
  }
}

TEST(FileTypeSniffer, RefusesMissingFilesAndPaths) {
  int type = 0;
  EXPECT_EQ(FileTypeSniffer::sniffFile(nullptr, type), KXPLAYER_MISSING_ARGUMENT);
  const std::string missing = kxtest::scratchDir("FileTypeSnifferMissing") + "/none.ts";
  EXPECT_EQ(FileTypeSniffer::sniffFile(missing.c_str(), type), KXPLAYER_FILE_OPEN_FAILED);
  EXPECT_EQ(FileTypeSniffer::sniffFile(kxtest::scratchDir("FileTypeSnifferFolder").c_str(), type),
            KXPLAYER_FILE_UNREADABLE);
  // Neither a FIFO without a writer (whose open would wait for one) nor an endless device is read.
  const std::string fifo = kxtest::scratchDir("FileTypeSnifferFifo") + "/fifo";
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  EXPECT_EQ(FileTypeSniffer::sniffFile(fifo.c_str(), type), KXPLAYER_FILE_UNREADABLE);
  EXPECT_EQ(FileTypeSniffer::sniffFile("/dev/zero", type), KXPLAYER_FILE_UNREADABLE);
  EXPECT_EQ(type, 0);
}

}  // namespace
