#include "player/render/PictureSnapshot.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "tests/player/PictureOutputFixture.h"

namespace {

// The snapshot writes into a pipe that the test drains only at the end: while the write is stuck, the
// decoding stage must still be able to take its lock and decode.
TEST(SnapshotThreads, WritingTheFileLeavesDecodingFree) {
  kxoutput::Pipeline pipeline;
  const std::string file = kxtest::fixturePath("h264_baseline_176x144_gop12.h264");
  ASSERT_TRUE(pipeline.decodeH264(file, 1));
  const std::string path = kxtest::scratchDir("SnapshotPipe") + "/picture.bmp";
  ASSERT_EQ(0, ::mkfifo(path.c_str(), 0600));
  std::future<int> snapshot =
      std::async(std::launch::async, [&] { return pipeline.output.snapShot(path.c_str(), "BMP"); });
  const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  // Bytes in the pipe: the snapshot copied and converted its picture and is writing (76 KB, more than
  // the pipe holds, so it stays in the write).
  pollfd wait{reader, POLLIN, 0};
  ASSERT_EQ(1, ::poll(&wait, 1, 60000));
  std::future<bool> decoded = std::async(std::launch::async, [&] { return pipeline.decodeH264(file, 2); });
  EXPECT_EQ(std::future_status::ready, decoded.wait_for(std::chrono::seconds(60)));
  EXPECT_NE(std::future_status::ready, snapshot.wait_for(std::chrono::milliseconds(0)));
  // Drain the pipe so that the snapshot can finish.
  size_t total = 0;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(reader, buffer, sizeof(buffer));
    if (got > 0) {
      total += static_cast<size_t>(got);
    } else if (got == 0 && snapshot.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready) {
      break;
    } else {
      pollfd more{reader, POLLIN, 0};
      ::poll(&more, 1, 100);
    }
  }
  ::close(reader);
  EXPECT_EQ(0, snapshot.get());
  EXPECT_TRUE(decoded.get());
  EXPECT_EQ(54u + 176 * 3 * 144, total);
}

}  // namespace
