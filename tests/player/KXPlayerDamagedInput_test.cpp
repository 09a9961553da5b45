// Damaged recordings and hostile streams through the player facade, as an embedding program plays
// them: file mode (open, play with sound, speeds, seeks by time, percentage and frame, steps both
// ways, snapshots while playing, close) and stream mode (the same bytes through the TS input, and a
// frame-head stream's frames one by one), over a table of damage kinds. Every call answers within its
// bound, whatever it answers; the sanitizer builds run the same table for memory faults and undefined
// behaviour. The clean recordings still play exactly as ffmpeg decodes them, and what is no regular
// file, or claims a picture no camera makes, is refused without waiting or allocating for it.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "media/AVFrameData.h"
#include "media/KXAVFrameHead.h"
#include "platform/MemoryDisplay.h"
#include "platform/NullSoundSystem.h"
#include "platform/OffscreenWindows.h"
#include "player/KXPlayer.h"
#include "player/KXPlayerResult.h"
#include "support/TestPaths.h"
#include "tests/player/DamagedInputSources.h"
#include "tests/player/Deadline.h"
#include "tests/player/H264Fixture.h"
#include "tests/player/LivePictures.h"

namespace {

using damage::Bytes;
using damage::Source;
using Clock = std::chrono::steady_clock;

constexpr int kWindowWidth = 176;
constexpr int kWindowHeight = 144;
// What any facade call may take, whatever the input.
constexpr auto kCallBound = std::chrono::milliseconds(2000);
// A whole case, past which the run is a hang.
constexpr auto kCaseBound = std::chrono::seconds(90);
constexpr int64_t kMaxInt64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMinInt64 = std::numeric_limits<int64_t>::min();

// Frame-head fields (offsets into the 40-byte head).
constexpr size_t kHeadTimeStamp = 14;
constexpr size_t kHeadLength = 22;
constexpr size_t kHeadFrameRate = 34;
// Frame-information record fields.
constexpr size_t kRecordHeight = 7;
constexpr size_t kRecordWidth = 9;
constexpr size_t kRecordFrameRate = 11;
constexpr size_t kRecordTimeStamp = 18;

const char* const kH264 = "h264_baseline_176x144_gop12.h264";

const Source& frameHeads() {
  static const Source s = damage::frameHeadSource("framestream_h264_baseline_176x144_gop12_g711a.kxav");
  return s;
}
const Source& transport() {
  static const Source s = damage::transportSource(kH264, 176, 144);
  return s;
}
const Source& mjpeg() {
  static const Source s = damage::frameHeadSource("damaged_mjpeg_sizechange_snapshot_uaf.kxav");
  return s;
}
Source fixtureAsIs(const std::string& name, bool transportStream) {
  Source s;
  s.bytes = kxtest::readFile(kxtest::fixturePath(name));
  s.transportStream = transportStream;
  if (!transportStream) s.heads = damage::headsOf(s.bytes);
  return s;
}

struct DamageCase {
  const char* name;
  std::function<Source()> make;  // the damaged recording (heads as in the clean one, for frame-by-frame)
};

Source damaged(const Source& clean, Bytes bytes) {
  Source s = clean;
  s.bytes = std::move(bytes);
  s.heads = s.transportStream ? std::vector<size_t>{} : damage::headsOf(s.bytes);
  return s;
}

std::ostream& operator<<(std::ostream& out, const DamageCase& c) { return out << c.name; }

// A frame-head stream's timestamps: head i gets f(i, its own).
template <typename F>
DamageCase retimed(const char* name, size_t first, F f) {
  return {name, [=] { return damaged(frameHeads(), damage::retimeHeads(frameHeads(), first, f)); }};
}

const std::vector<DamageCase>& damageCases() {
  using damage::UnitChange;
  static const std::vector<DamageCase> cases{
      // Cut short inside a head, a packet and a frame-information record.
      {"FrameHeadsCutInsideAHead", [] { return damaged(frameHeads(), damage::cutAt(frameHeads(), frameHeads().heads[6] + 17)); }},
      {"FrameHeadsCutInsideAFrame", [] { return damaged(frameHeads(), damage::cutAt(frameHeads(), frameHeads().heads[6] + 300)); }},
      {"TransportCutInsideAPacket", [] { return damaged(transport(), damage::cutAt(transport(), 188 * 40 + 77)); }},
      {"TransportCutInsideARecord", [] { return damaged(transport(), damage::cutAt(transport(), transport().records.back() + 11)); }},
      // Bit flips and zeroed ranges.
      {"FrameHeadsBitFlips", [] { return damaged(frameHeads(), damage::flipBits(frameHeads(), 97, 1)); }},
      {"FrameHeadsDenseBitFlips", [] { return damaged(frameHeads(), damage::flipBits(frameHeads(), 9, 2, 4000)); }},
      {"TransportBitFlips", [] { return damaged(transport(), damage::flipBits(transport(), 97, 3)); }},
      {"FrameHeadsZeroedRange", [] { return damaged(frameHeads(), damage::zeroed(frameHeads(), frameHeads().heads[4] + 10, 3000)); }},
      {"TransportZeroedRange", [] { return damaged(transport(), damage::zeroed(transport(), 188 * 20 + 50, 3000)); }},
      // Repeated, dropped and swapped packets (frames of a frame-head stream).
      {"TransportRepeatedPackets", [] { return damaged(transport(), damage::changeUnits(transport(), UnitChange::Repeat, 7)); }},
      {"TransportDroppedPackets", [] { return damaged(transport(), damage::changeUnits(transport(), UnitChange::Drop, 7)); }},
      {"TransportSwappedPackets", [] { return damaged(transport(), damage::changeUnits(transport(), UnitChange::Swap, 7)); }},
      {"FrameHeadsRepeatedFrames", [] { return damaged(frameHeads(), damage::changeUnits(frameHeads(), UnitChange::Repeat, 5)); }},
      {"FrameHeadsDroppedFrames", [] { return damaged(frameHeads(), damage::changeUnits(frameHeads(), UnitChange::Drop, 5)); }},
      {"FrameHeadsSwappedFrames", [] { return damaged(frameHeads(), damage::changeUnits(frameHeads(), UnitChange::Swap, 5)); }},
      // Head length fields zero, negative and huge.
      {"HeadLengthZero", [] { return damaged(frameHeads(), damage::setHeadField(frameHeads(), kHeadLength, 4, 0, 3, 5)); }},
      {"HeadLengthNegative", [] { return damaged(frameHeads(), damage::setHeadField(frameHeads(), kHeadLength, 4, 0xFFFFFF00u, 3, 5)); }},
      {"HeadLengthMostNegative", [] { return damaged(frameHeads(), damage::setHeadField(frameHeads(), kHeadLength, 4, 0x80000000u, 2, 7)); }},
      {"HeadLengthHuge", [] { return damaged(frameHeads(), damage::setHeadField(frameHeads(), kHeadLength, 4, 0x7FFFFFFFu, 3, 5)); }},
      {"HeadLengthPastTheEnd", [] { return damaged(frameHeads(), damage::setHeadField(frameHeads(), kHeadLength, 4, 30000, 8, 100)); }},
      // Absurd sizes and frame rates.
      {"HeadFrameRateZero", [] { return damaged(frameHeads(), damage::setHeadField(frameHeads(), kHeadFrameRate, 1, 0, 0, 1)); }},
      {"HeadFrameRate255", [] { return damaged(frameHeads(), damage::setHeadField(frameHeads(), kHeadFrameRate, 1, 255, 0, 1)); }},
      {"RecordSizeZero", [] { return damaged(transport(), damage::setRecordField(transport(), kRecordWidth, 2, 0)); }},
      {"RecordSizeHuge", [] {
         Source s = damaged(transport(), damage::setRecordField(transport(), kRecordWidth, 2, 0xFFFF));
         s.bytes = damage::setRecordField(s, kRecordHeight, 2, 0xFFFF);
         return s;
       }},
      {"RecordFrameRateZero", [] { return damaged(transport(), damage::setRecordField(transport(), kRecordFrameRate, 1, 0)); }},
      {"RecordFrameRate255", [] { return damaged(transport(), damage::setRecordField(transport(), kRecordFrameRate, 1, 255)); }},
      {"SpsClaims8192x8192", [] { return damaged(frameHeads(), damage::withClaimedSize(frameHeads(), 512, 512)); }},
      {"SpsClaims16x65536", [] { return damaged(frameHeads(), damage::withClaimedSize(frameHeads(), 1, 4096)); }},
      // Timestamps backwards, jumping and at the extremes.
      retimed("TimestampsBackwards", 6, [](size_t i, int64_t t) { return t - static_cast<int64_t>(i) * 200000; }),
      retimed("TimestampsJumpAnHour", 10, [](size_t, int64_t t) { return t + 3600000000LL; }),
      retimed("TimestampsJump2e62", 10, [](size_t, int64_t t) { return t + (int64_t{1} << 62); }),
      retimed("TimestampsAllMax", 0, [](size_t, int64_t) { return kMaxInt64; }),
      retimed("TimestampsAllMin", 0, [](size_t, int64_t) { return kMinInt64; }),
      retimed("TimestampsAlternateExtremes", 0, [](size_t i, int64_t) { return i % 2 ? kMinInt64 : kMaxInt64; }),
      retimed("TimestampsZero", 0, [](size_t, int64_t) { return int64_t{0}; }),
      {"RecordTimestampBackwards", [] { return damaged(transport(), damage::setRecordField(transport(), kRecordTimeStamp, 8, 5)); }},
      {"RecordTimestampMax", [] { return damaged(transport(), damage::setRecordField(transport(), kRecordTimeStamp, 8, ~uint64_t{0})); }},
      {"RecordTimestampMinInt64", [] { return damaged(transport(), damage::setRecordField(transport(), kRecordTimeStamp, 8, uint64_t{1} << 63)); }},
      // The recordings found damaged in the field.
      {"FieldMinInt64Timestamp", [] { return fixtureAsIs("damaged_ts_min_int64.kxav", false); }},
      {"FieldAllOnesTimestamp", [] { return fixtureAsIs("damaged_ts_max_uint64.kxav", false); }},
      {"FieldRecordTimestampJump", [] { return fixtureAsIs("damaged_fir_ts_jump_2e62.ts", true); }},
      // MJPEG: damaged JPEG data, and pictures that change size.
      {"MjpegChangingSize", [] { return mjpeg(); }},
      {"MjpegCutJpegData", [] { return damaged(mjpeg(), damage::damagePayloads(mjpeg(), 700, false)); }},
      {"MjpegFlippedJpegData", [] { return damaged(mjpeg(), damage::damagePayloads(mjpeg(), 2, true)); }},
      {"MjpegFlippedJpegHeaders", [] { return damaged(mjpeg(), damage::damagePayloads(mjpeg(), 0, true)); }},
      {"MjpegBitFlips", [] { return damaged(mjpeg(), damage::flipBits(mjpeg(), 61, 4)); }},
  };
  return cases;
}

// Calls the facade, failing the test when a call takes longer than its bound.
class BoundedCalls {
 public:
  template <typename Call>
  int operator()(const char* what, Call call) {
    const auto start = Clock::now();
    const int result = call();
    const auto took = Clock::now() - start;
    EXPECT_LE(took, kCallBound) << what << " took "
                                << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
    return result;
  }
};

class DamagedInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::MemoryDisplay::instance().reset();
    sound.installForProcess();
    window = createOffscreenWindow(kWindowWidth, kWindowHeight);
    dir = kxtest::scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { destroyOffscreenWindow(window); }

  std::string writeRecording(const Bytes& bytes, const char* extension) {
    const std::string path = dir + "/recording" + extension;
    EXPECT_TRUE(livetest::writeFile(path, bytes));
    return path;
  }
  std::string snapshotPath(const char* type) { return dir + "/snapshot." + type; }

  // File mode as an embedding program drives it. With pictures, the file plays at 16x until `expected`
  // pictures came to them instead.
  void playFile(const Source& s, livetest::Pictures* pictures = nullptr, size_t expected = 0) {
    BoundedCalls call;
    KXPlayer player;
    player.setVideoWindow(window, 0, 0, kWindowWidth, kWindowHeight);
    if (pictures != nullptr) player.setDecodeCallBack(1, &livetest::Pictures::onDecode, pictures);
    const std::string path = writeRecording(s.bytes, s.transportStream ? ".ts" : ".kxav");
    const int opened = call("openFile", [&] { return player.openFile(path.c_str()); });
    if (opened != 0) {
      EXPECT_LT(opened, 0);
      return;
    }
    call("playSound", [&] { return player.playSound(); });
    call("play", [&] { return player.play(); });
    if (pictures != nullptr) {
      call("setSpeed", [&] { return player.setSpeed(16.0f); });
      EXPECT_TRUE(pictures->waitFor(expected));
      call("closeFile", [&] { return player.closeFile(); });
      return;
    }
    const auto pauseFor = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    pauseFor(40);
    call("snapshot", [&] { return player.snapshot(snapshotPath("bmp").c_str(), "BMP"); });
    for (float speed : {2.0f, 16.0f, 0.25f, 1.0f}) {
      call("setSpeed", [&] { return player.setSpeed(speed); });
      pauseFor(25);
      call("snapshot", [&] { return player.snapshot(snapshotPath("jpg").c_str(), "JPG"); });
    }
    long value = 0;
    call("getFileTime", [&] { return player.getFileTime(value); });
    call("setPlayPosByTime", [&] { return player.setPlayPosByTime(1); });
    pauseFor(20);
    call("setPlayPosByPercent", [&] { return player.setPlayPosByPercent(50); });
    pauseFor(20);
    call("getPlayPosByPercent", [&] { return player.getPlayPosByPercent(value); });
    call("setCurrentFrameNum", [&] { return player.setCurrentFrameNum(5); });
    call("pause", [&] { return player.pause(); });
    for (int i = 0; i < 3; ++i) call("playNextFrame", [&] { return player.playNextFrame(); });
    for (int i = 0; i < 3; ++i) call("playPreviousFrame", [&] { return player.playPreviousFrame(); });
    call("snapshot", [&] { return player.snapshot(snapshotPath("bmp").c_str(), "BMP"); });
    call("setPlayPosByPercent", [&] { return player.setPlayPosByPercent(99); });
    call("play", [&] { return player.play(); });
    call("setSpeed", [&] { return player.setSpeed(16.0f); });
    pauseFor(60);
    call("snapshot", [&] { return player.snapshot(snapshotPath("jpg").c_str(), "JPG"); });
    call("stopSound", [&] { return player.stopSound(); });
    call("closeFile", [&] { return player.closeFile(); });
  }

  // Stream mode: the bytes through the TS input in chunks of every size, snapshots while they play;
  // then, with pictures, a wait for `expected` of them.
  void pushTransport(const Source& s, bool live, livetest::Pictures* pictures = nullptr, size_t expected = 0) {
    BoundedCalls call;
    KXPlayer player;
    player.setVideoWindow(window, 0, 0, kWindowWidth, kWindowHeight);
    if (pictures != nullptr) player.setDecodeCallBack(1, &livetest::Pictures::onDecode, pictures);
    player.setLivePlayFlag(live);
    player.setInputQueueMaxSize(1000);
    ASSERT_EQ(0, call("openStream", [&] { return player.openStream(); }));
    call("play", [&] { return player.play(); });
    call("playSound", [&] { return player.playSound(); });
    size_t at = 0, n = 0;
    for (int size : livetest::chunking(s.bytes.size(), 0, 5)) {
      offer([&] { return player.intputTSData(s.bytes.data() + at, static_cast<unsigned>(size)); }, call);
      at += static_cast<size_t>(size);
      if (++n % 3 == 0) call("snapshot", [&] { return player.snapshot(snapshotPath("bmp").c_str(), "BMP"); });
    }
    // A lone sync byte ends the last packet.
    offer([&] { return player.intputTSData("\x47", 1u); }, call);
    if (pictures != nullptr) {
      EXPECT_TRUE(pictures->waitFor(expected));
    }
    call("snapshot", [&] { return player.snapshot(snapshotPath("jpg").c_str(), "JPG"); });
    call("closeStream", [&] { return player.closeStream(); });
  }

  // Stream mode: a frame-head stream's frames one by one, as the heads say (a head that claims more
  // than is left gives what is left), snapshots while they play; then, with pictures, a wait for
  // `expected` of them.
  void pushFrames(const Source& s, bool live, livetest::Pictures* pictures = nullptr, size_t expected = 0) {
    BoundedCalls call;
    KXPlayer player;
    player.setVideoWindow(window, 0, 0, kWindowWidth, kWindowHeight);
    if (pictures != nullptr) player.setDecodeCallBack(1, &livetest::Pictures::onDecode, pictures);
    player.setLivePlayFlag(live);
    player.setInputQueueMaxSize(1000);
    ASSERT_EQ(0, call("openStream", [&] { return player.openStream(); }));
    call("play", [&] { return player.play(); });
    size_t n = 0;
    for (size_t at : s.heads) {
      KXAVFrameHead head;
      if (!head.parseFrameHead(s.bytes.data() + at, KXAVFrameHead::kLength)) continue;
      const size_t left = s.bytes.size() - at - KXAVFrameHead::kLength;
      const size_t length = head.getFrameLength() < 0 ? 0 : std::min<size_t>(left, static_cast<size_t>(head.getFrameLength()));
      AVFrameData frame;
      frame.setStreamFormat(head.getStreamFormat());
      frame.setESStreamType(head.getESStreamType());
      frame.setEncoderType(head.getEncodeType());
      frame.setFrameType(head.getFrameType());
      frame.setSequenceId(head.getSequenceId());
      frame.setTimeStamp(head.getTimeStamp());
      frame.setFrameRate(head.getFrameRate());
      frame.setDataEx(s.bytes.data() + at + KXAVFrameHead::kLength, static_cast<unsigned>(length));
      offer([&] { return player.inputAVFrame(frame); }, call);
      if (++n % 2 == 0) call("snapshot", [&] { return player.snapshot(snapshotPath("bmp").c_str(), "BMP"); });
    }
    if (pictures != nullptr) {
      EXPECT_TRUE(pictures->waitFor(expected));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    call("snapshot", [&] { return player.snapshot(snapshotPath("jpg").c_str(), "JPG"); });
    call("stop", [&] { return player.stop(); });
    call("closeStream", [&] { return player.closeStream(); });
  }

  // Offers input again while the queues are full, for a bounded time: damaged input may be refused,
  // but it never stops the player taking more for long.
  template <typename Offer>
  static void offer(Offer input, BoundedCalls& call) {
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (call("input", input) == KXPLAYER_QUEUE_FULL) {
      ASSERT_LT(Clock::now(), end) << "the player took no input for 5 s";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  platform::NullSoundSystem sound;
  HWND window = 0;
  std::string dir;
};

class DamagedRecording : public DamagedInputTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedRecording, EveryCallAnswersInBothModes) {
  const Source s = GetParam().make();
  ASSERT_FALSE(s.bytes.empty());
  kxtest::finishWithin(std::chrono::duration_cast<std::chrono::seconds>(kCaseBound), GetParam().name, [&] {
    {
      SCOPED_TRACE("file mode");
      playFile(s);
    }
    for (bool live : {false, true}) {
      SCOPED_TRACE(live ? "stream mode, live" : "stream mode, not live");
      pushTransport(s, live);
      if (!s.transportStream) pushFrames(s, live);
    }
  });
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedRecording, ::testing::ValuesIn(damageCases()),
                         [](const ::testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

// The clean recordings play exactly as ffmpeg decodes them, in every mode the table plays.
TEST_F(DamagedInputTest, CleanRecordingsStillPlayEveryPicture) {
  if (!kxtest::haveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  const std::vector<std::string> reference = kxh264::referenceMd5s(kxtest::fixturePath(kH264), "yuv420p");
  ASSERT_EQ(24u, reference.size());
  kxtest::finishWithin(std::chrono::seconds(120), "clean recordings", [&] {
    for (const Source* s : {&frameHeads(), &transport()}) {
      SCOPED_TRACE(s->transportStream ? "transport stream" : "frame-head stream");
      {
        livetest::Pictures pictures;
        playFile(*s, &pictures, reference.size());
        EXPECT_EQ(reference, pictures.snapshot()) << "file mode";
      }
      if (s->transportStream) {
        livetest::Pictures pictures;
        pushTransport(*s, false, &pictures, reference.size());
        EXPECT_EQ(reference, pictures.snapshot()) << "TS input";
      } else {
        livetest::Pictures pictures;
        pushFrames(*s, false, &pictures, reference.size());
        EXPECT_EQ(reference, pictures.snapshot()) << "frame by frame";
      }
    }
  });
}

// What is no regular file is refused at once, in file mode and as the record file; a snapshot to it
// fails at once too.
TEST_F(DamagedInputTest, PathsThatAreNoRegularFileAreRefusedAtOnce) {
  const std::string fifo = dir + "/fifo";
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  // A socket's path must be short: it lives in the system's temporary folder.
  const std::string socketPath = "/tmp/kxplayer-test-socket-" + std::to_string(::getpid());
  ::unlink(socketPath.c_str());
  const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listening, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(0, ::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
  kxtest::finishWithin(std::chrono::seconds(20), "opening what is no regular file", [&] {
    BoundedCalls call;
    for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null"), dir, socketPath}) {
      SCOPED_TRACE(path);
      KXPlayer player;
      const int opened = call("openFile", [&] { return player.openFile(path.c_str()); });
      EXPECT_TRUE(opened == KXPLAYER_WRONG_FORMAT || opened == KXPLAYER_FILE_UNREADABLE) << opened;
    }
    // The record file and the snapshots are written only to regular files.
    KXPlayer live;
    live.setVideoWindow(window, 0, 0, kWindowWidth, kWindowHeight);
    live.setUseTimeStamp(false);
    live.setLivePlayFlag(false);
    ASSERT_EQ(0, call("openStream", [&] { return live.openStream(); }));
    ASSERT_EQ(0, call("play", [&] { return live.play(); }));
    const int set = call("setRecordFile", [&] { return live.setRecordFile(fifo.c_str()); });
    const int started = call("startRecord", [&] { return live.startRecord(); });
    EXPECT_TRUE(set != 0 || started != 0) << "a FIFO taken as the record file";
    const Bytes& bytes = transport().bytes;
    offer([&] { return live.intputTSData(bytes.data(), static_cast<unsigned>(bytes.size())); }, call);
    ASSERT_TRUE(kxtest::eventually([&] {
      int64_t timeStamp = 0;
      return live.getCurrentAVFrameTimeStamp(timeStamp) == 0;
    }));
    EXPECT_NE(0, call("snapshot", [&] { return live.snapshot(fifo.c_str(), "BMP"); }));
    EXPECT_NE(0, call("snapshot", [&] { return live.snapshot(fifo.c_str(), "JPG"); }));
    EXPECT_NE(0, call("snapshot", [&] { return live.snapshot(dir.c_str(), "BMP"); }));
    EXPECT_EQ(0, call("snapshot", [&] { return live.snapshot(snapshotPath("bmp").c_str(), "BMP"); }));
    call("closeStream", [&] { return live.closeStream(); });
  });
  ::close(listening);
  ::unlink(socketPath.c_str());
}

// The process's peak resident memory since the last reset, in kB (0 when the system does not say).
long peakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}
bool resetPeakResident() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

// A key frame claiming 8192 x 8192 pixels is dropped as damaged data before anything of that size is
// allocated: no picture comes, a snapshot finds none, and the process grows by far less than one such
// picture (100 MB; one would be 100 MB in YUV and 200 MB as a BMP).
TEST_F(DamagedInputTest, APictureNoCameraMakesIsRefusedWithinBoundedMemory) {
  const Source s = damaged(frameHeads(), damage::withClaimedSize(frameHeads(), 512, 512));
  if (!resetPeakResident()) GTEST_SKIP() << "the peak resident memory cannot be reset here";
  const long before = peakResidentKb();
  ASSERT_GT(before, 0);
  kxtest::finishWithin(std::chrono::seconds(60), "the 8192 x 8192 recording", [&] {
    BoundedCalls call;
    livetest::Pictures pictures;
    {
      KXPlayer player;
      player.setVideoWindow(window, 0, 0, kWindowWidth, kWindowHeight);
      player.setDecodeCallBack(1, &livetest::Pictures::onDecode, &pictures);
      const std::string path = writeRecording(s.bytes, ".kxav");
      ASSERT_EQ(0, call("openFile", [&] { return player.openFile(path.c_str()); }));
      call("play", [&] { return player.play(); });
      call("setSpeed", [&] { return player.setSpeed(16.0f); });
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      EXPECT_EQ(KXPLAYER_WRONG_STATE, call("snapshot", [&] { return player.snapshot(snapshotPath("bmp").c_str(), "BMP"); }));
      call("closeFile", [&] { return player.closeFile(); });
    }
    pushFrames(s, false, &pictures);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(0u, pictures.count()) << "no frame of the claimed size decodes";
  });
  const long grown = peakResidentKb() - before;
  EXPECT_LT(grown, 100 * 1024) << "peak resident memory grew by " << grown << " kB";
}

}  // namespace
