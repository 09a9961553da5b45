#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/NullSoundSystem.h"
#include "platform/SoundDevice.h"

namespace {

using platform::NullSoundBuffer;
using platform::NullSoundSystem;
using platform::SoundBuffer;
using platform::SoundBufferDesc;
using platform::SoundDevice;

struct NullSound : ::testing::Test {
  std::atomic<std::int64_t> micros{0};
  std::unique_ptr<NullSoundSystem> system;
  std::unique_ptr<SoundDevice> device;
  std::shared_ptr<SoundBuffer> buffer;

  void open(std::uint32_t granularity, std::uint32_t bytes = 6000, std::uint16_t bits = 16) {
    buffer.reset();
    device.reset();  // a device must not outlive its system
    system = std::make_unique<NullSoundSystem>([this] { return micros.load(); }, granularity);
    ASSERT_EQ(platform::kSoundOk, system->createDevice(device));
    SoundBufferDesc desc;
    desc.bufferBytes = bytes;
    desc.format.bitsPerSample = bits;
    desc.format.blockAlign = bits / 8;
    desc.format.avgBytesPerSec = 8000u * desc.format.blockAlign;
    ASSERT_EQ(platform::kSoundOk, device->createSoundBuffer(desc, buffer));
  }
  NullSoundBuffer& null() { return *system->lastBuffer(); }
  void advanceMs(double ms) { micros += static_cast<std::int64_t>(ms * 1000); }
  std::uint32_t playPosition() {
    std::uint32_t play = 0;
    std::uint32_t write = 0;
    EXPECT_EQ(platform::kSoundOk, buffer->getCurrentPosition(&play, &write));
    EXPECT_EQ(play, write);
    return play;
  }
  void write(std::uint32_t offset, const std::string& bytes) {
    void* p1 = nullptr;
    void* p2 = nullptr;
    std::uint32_t n1 = 0;
    std::uint32_t n2 = 0;
    ASSERT_EQ(platform::kSoundOk, buffer->lock(offset, static_cast<std::uint32_t>(bytes.size()), &p1, &n1, &p2, &n2));
    std::memcpy(p1, bytes.data(), n1);
    if (p2 != nullptr) std::memcpy(p2, bytes.data() + n1, n2);
    ASSERT_EQ(platform::kSoundOk, buffer->unlock(p1, n1, p2, n2));
  }
  std::string played() {
    auto bytes = null().played();
    return std::string(bytes.begin(), bytes.end());
  }
};

std::string ramp(std::size_t n, int start) {
  std::string bytes(n, '\0');
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(start + static_cast<int>(i));
  return bytes;
}

TEST_F(NullSound, PlayPositionFollowsTheClockInStepsAndRecordsEveryBytePassed) {
  struct Case {
    std::uint32_t granularity;
    double ms;
    std::uint32_t expected;
  };
  // 16,000 bytes per second: 10 ms is 160 bytes; the position moves only in whole steps.
  for (const Case& c : {Case{2, 10, 160}, Case{160, 9.9, 0}, Case{160, 10, 160}, Case{512, 40, 512},
                        Case{2, 375, 0} /* the whole ring: back at the start */, Case{2, 400, 400}}) {
    SCOPED_TRACE(c.granularity);
    open(c.granularity);
    const std::string content = ramp(6000, 3);
    write(0, content);
    ASSERT_EQ(platform::kSoundOk, buffer->play(platform::kSoundPlayLooping));
    advanceMs(c.ms);
    EXPECT_EQ(c.expected, playPosition());
    const std::string heard = played();
    const std::size_t passed = static_cast<std::size_t>(c.ms * 16) / c.granularity * c.granularity;
    ASSERT_EQ(passed, heard.size());
    for (std::size_t i = 0; i < passed; ++i) ASSERT_EQ(content[i % 6000], heard[i]) << i;
  }
}

TEST_F(NullSound, StoppedBufferHoldsItsPositionAndPlaysNothing) {
  open(2);
  write(0, ramp(6000, 1));
  buffer->play(platform::kSoundPlayLooping);
  advanceMs(10);
  ASSERT_EQ(platform::kSoundOk, buffer->stop());
  advanceMs(100);
  EXPECT_EQ(160u, playPosition());
  EXPECT_EQ(160u, null().playedCount());
  buffer->play(platform::kSoundPlayLooping);
  advanceMs(10);
  EXPECT_EQ(320u, playPosition());
  EXPECT_EQ(ramp(320, 1), played());
  ASSERT_EQ(platform::kSoundOk, buffer->setCurrentPosition(1000));
  advanceMs(1);
  EXPECT_EQ(1016u, playPosition());
}

TEST_F(NullSound, RecordedSamplesCarryTheVolumeGain) {
  open(2);
  std::vector<std::int16_t> samples = {1000, -1000, 32767, -32768, 7, 0};
  std::string bytes(samples.size() * 2, '\0');
  std::memcpy(bytes.data(), samples.data(), bytes.size());
  for (std::int32_t millibels : {0, -602, -2000, -10000}) {
    SCOPED_TRACE(millibels);
    open(2);
    write(0, bytes);
    ASSERT_EQ(platform::kSoundOk, buffer->setVolume(millibels));
    std::int32_t readBack = 1;
    ASSERT_EQ(platform::kSoundOk, buffer->getVolume(&readBack));
    EXPECT_EQ(millibels, readBack);
    buffer->play(platform::kSoundPlayLooping);
    micros += static_cast<std::int64_t>(samples.size()) * 125;  // one sample per 125 us
    const std::string heard = played();
    ASSERT_EQ(bytes.size(), heard.size());
    const double gain = std::pow(10.0, millibels / 2000.0);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      std::int16_t out;
      std::memcpy(&out, heard.data() + 2 * i, 2);
      EXPECT_EQ(std::lround(samples[i] * gain), out) << i;
    }
  }
  EXPECT_EQ(platform::kSoundInvalidParam, buffer->setVolume(-10001));
  EXPECT_EQ(platform::kSoundInvalidParam, buffer->setVolume(1));
}

TEST_F(NullSound, LockGivesTwoPartsWhenTheRangeWraps) {
  open(2);
  write(5500, ramp(1000, 9));
  buffer->setCurrentPosition(5500);
  buffer->play(platform::kSoundPlayLooping);
  advanceMs(62.5);
  EXPECT_EQ(ramp(1000, 9), played());
  EXPECT_EQ(500u, playPosition());
  void* p1 = nullptr;
  std::uint32_t n1 = 0;
  EXPECT_EQ(platform::kSoundInvalidParam, buffer->lock(5500, 1000, &p1, &n1, nullptr, nullptr));
  EXPECT_EQ(platform::kSoundInvalidParam, buffer->lock(6000, 10, &p1, &n1, nullptr, nullptr));
  EXPECT_EQ(platform::kSoundInvalidParam, buffer->lock(0, 6001, &p1, &n1, nullptr, nullptr));
}

TEST_F(NullSound, InjectedFailures) {
  open(2);
  void* p1 = nullptr;
  void* p2 = nullptr;
  std::uint32_t n1 = 0;
  std::uint32_t n2 = 0;
  // A lost buffer fails every lock (and play) until restored; each injected loss needs its own restore.
  null().loseOnNextLocks(2);
  EXPECT_EQ(platform::kSoundBufferLost, buffer->lock(0, 100, &p1, &n1, &p2, &n2));
  EXPECT_EQ(platform::kSoundBufferLost, buffer->play(platform::kSoundPlayLooping));
  EXPECT_EQ(platform::kSoundOk, buffer->restore());
  EXPECT_EQ(platform::kSoundBufferLost, buffer->lock(0, 100, &p1, &n1, &p2, &n2));
  EXPECT_EQ(platform::kSoundOk, buffer->restore());
  ASSERT_EQ(platform::kSoundOk, buffer->lock(0, 100, &p1, &n1, &p2, &n2));
  EXPECT_EQ(platform::kSoundOk, buffer->unlock(p1, n1, p2, n2));

  null().refuseNextLocks(1);
  EXPECT_EQ(platform::kSoundFailed, buffer->lock(0, 100, &p1, &n1, &p2, &n2));
  EXPECT_EQ(platform::kSoundOk, buffer->lock(0, 100, &p1, &n1, &p2, &n2));
  EXPECT_EQ(platform::kSoundOk, buffer->unlock(p1, n1, p2, n2));

  std::unique_ptr<SoundDevice> second;
  system->failNextDevices(1);
  EXPECT_EQ(platform::kSoundNoDriver, system->createDevice(second));
  EXPECT_EQ(1, system->openDevices());
  system->failNextBuffers(1);
  SoundBufferDesc desc;
  desc.bufferBytes = 6000;
  std::shared_ptr<SoundBuffer> refused;
  EXPECT_EQ(platform::kSoundFailed, device->createSoundBuffer(desc, refused));
  device.reset();
  EXPECT_EQ(0, system->openDevices());
}

TEST_F(NullSound, PrimaryBufferChecksTheFormat) {
  open(2);
  std::shared_ptr<SoundBuffer> primary;
  SoundBufferDesc desc;
  desc.flags = platform::kSoundBufferPrimary;
  ASSERT_EQ(platform::kSoundOk, device->createSoundBuffer(desc, primary));
  platform::WaveFormat format;
  EXPECT_EQ(platform::kSoundOk, primary->setFormat(format));
  format.blockAlign = 4;
  EXPECT_EQ(platform::kSoundBadFormat, primary->setFormat(format));
  format = platform::WaveFormat();
  format.formatTag = 2;
  EXPECT_EQ(platform::kSoundBadFormat, primary->setFormat(format));
  format = platform::WaveFormat();
  format.bitsPerSample = 12;
  EXPECT_EQ(platform::kSoundBadFormat, primary->setFormat(format));
  // Position notifications are accepted (within the buffer) and signal nothing.
  platform::SoundPositionNotify positions[2] = {{0, nullptr}, {5999, nullptr}};
  EXPECT_EQ(platform::kSoundOk, buffer->setNotificationPositions(positions, 2));
  positions[1].offset = 6000;
  EXPECT_EQ(platform::kSoundInvalidParam, buffer->setNotificationPositions(positions, 2));
}

TEST_F(NullSound, InstalledSystemIsTheProcessSystemWhileItLives) {
  platform::SoundSystem* real = platform::SoundSystem::current();
  {
    NullSoundSystem installed;
    installed.installForProcess();
    EXPECT_EQ(&installed, platform::SoundSystem::current());
  }
  EXPECT_EQ(real, platform::SoundSystem::current());
  EXPECT_NE(nullptr, real) << "the real sound backend registers itself with the player library";
}

}  // namespace
