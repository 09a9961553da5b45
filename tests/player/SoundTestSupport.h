#pragma once
// Helpers for the audio player suites: a virtual clock for the null sound backend, a gate that runs
// the audio feed thread one step at a time, speech frames of each audio type with the PCM their codec
// gives, and the check that what was played is that PCM exactly, between silences.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codec/AudioCodec.h"
#include "codec/AudioCodecFactory.h"
#include "media/AVData.h"
#include "platform/Clock.h"
#include "support/TestPaths.h"

namespace soundtest {

constexpr int kG7231 = 101;
constexpr int kG711A = 102;
constexpr int kG711U = 103;
constexpr int kAmr = 107;
constexpr int kPcm = 108;

// Microseconds that only the test moves.
class VirtualClock {
 public:
  std::int64_t now() const { return m_micros.load(); }
  void advanceMs(int ms) { m_micros.fetch_add(static_cast<std::int64_t>(ms) * 1000); }
  std::function<std::int64_t()> source() {
    return [this] { return now(); };
  }

 private:
  std::atomic<std::int64_t> m_micros{0};
};

// Holds the audio feed thread in its 10 ms sleep until the test lets it take one more step, so that a
// test decides exactly when feed steps happen relative to its clock and its pushes. Sleeps on the
// test's own thread (the thread stop's polling) release a held feed thread so that it can end.
class LockstepFeed {
 public:
  explicit LockstepFeed(VirtualClock& clock) : m_clock(clock), m_testThread(std::this_thread::get_id()) {
    m_previous = platform::setSleepHook([this](std::uint32_t) { onSleep(); });
  }
  ~LockstepFeed() { platform::setSleepHook(m_previous); }

  // Waits until the feed thread has finished its step and sleeps (after play starts it).
  void settle() {
    std::unique_lock<std::mutex> lock(m_mutex);
    ASSERT_TRUE(m_changed.wait_for(lock, std::chrono::seconds(20), [this] { return m_held; }))
        << "the feed thread never reached its sleep";
  }
  // Moves the clock on by ms and, when the feed thread is held, lets it take one step.
  void step(int ms = 10) {
    m_clock.advanceMs(ms);
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_held) return;
    const std::uint64_t arrivals = m_arrivals;
    ++m_grants;
    m_changed.notify_all();
    ASSERT_TRUE(m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_arrivals > arrivals; }))
        << "the feed step did not come back";
  }

 private:
  void onSleep() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (std::this_thread::get_id() == m_testThread) {
      m_release = true;
      m_changed.notify_all();
      lock.unlock();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return;
    }
    m_held = true;
    ++m_arrivals;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_grants > 0 || m_release; });
    if (m_grants > 0) {
      --m_grants;
    } else {
      m_release = false;
    }
    m_held = false;
  }

  VirtualClock& m_clock;
  const std::thread::id m_testThread;
  platform::SleepHook m_previous;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_held = false;
  bool m_release = false;
  int m_grants = 0;
  std::uint64_t m_arrivals = 0;
};

// An audio frame of the given encoder type that borrows bytes: keep them alive while it is used.
inline AVData audioFrame(int encoderType, const std::string& bytes) {
  AVData frame;
  frame.setData(bytes.data(), static_cast<unsigned>(bytes.size()));
  frame.setEncoderType(encoderType);
  frame.setESStreamType(2);
  return frame;
}

// Compressed frames of one type and the PCM their codec makes of them, decoded frame by frame.
struct CodedSpeech {
  std::vector<std::string> frames;
  std::string pcm;
};

inline std::string speechPcm() { return kxtest::readFile(kxtest::fixturePath("speech-8k.raw")); }

// The milliseconds of sound in one frame of the type: 30 for G.723.1, 20 for the others.
inline int frameMilliseconds(int encoderType) { return encoderType == kG7231 ? 30 : 20; }

// Frames of the speech fixture (G.711 and PCM: 160 samples; AMR-NB: one frame each; G.723.1: 240
// samples, one 24-byte frame), cut to whole frames, at most maxBytes of PCM.
inline CodedSpeech codeSpeech(int encoderType, std::size_t maxBytes = SIZE_MAX) {
  const std::size_t block = static_cast<std::size_t>(frameMilliseconds(encoderType)) * 16;
  std::string pcm = speechPcm();
  pcm.resize(std::min(pcm.size(), maxBytes) / block * block);
  std::unique_ptr<AudioCodec> encoder(createAudioCodec(encoderType));
  std::unique_ptr<AudioCodec> decoder(createAudioCodec(encoderType));
  CodedSpeech coded;
  for (std::size_t at = 0; at < pcm.size(); at += block) {
    char frame[1024];
    int frameLen = sizeof(frame);
    if (!encoder->encode(pcm.data() + at, static_cast<int>(block), frame, frameLen)) return {};
    coded.frames.emplace_back(frame, static_cast<std::size_t>(frameLen));
    char decoded[4096];
    int decodedLen = sizeof(decoded);
    if (!decoder->decode(frame, frameLen, decoded, decodedLen)) return {};
    coded.pcm.append(decoded, static_cast<std::size_t>(decodedLen));
  }
  return coded;
}

inline std::string asString(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

inline bool allSilent(const std::string& bytes, std::size_t from, std::size_t to) {
  return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to),
                     [](char c) { return c == 0; });
}

// played must be silence, then each part exactly, in order, with nothing but silence between and
// after them; *lead receives the silence before the first part.
inline ::testing::AssertionResult playedExactly(const std::string& played, const std::vector<std::string>& parts,
                                                std::size_t* lead = nullptr) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t found = played.find(parts[i], at);
    if (found == std::string::npos) {
      return ::testing::AssertionFailure() << "part " << i << " (" << parts[i].size()
                                           << " bytes) is not played whole after byte " << at << " of "
                                           << played.size();
    }
    if (!allSilent(played, at, found)) {
      return ::testing::AssertionFailure() << "sound other than part " << i << " between bytes " << at << " and "
                                           << found;
    }
    if (i == 0 && lead != nullptr) *lead = found;
    at = found + parts[i].size();
  }
  if (!allSilent(played, at, played.size())) {
    return ::testing::AssertionFailure() << "sound after the last part, from byte " << at;
  }
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult playedExactly(const std::string& played, const std::string& expected,
                                                std::size_t* lead = nullptr) {
  return playedExactly(played, std::vector<std::string>{expected}, lead);
}

// PCM bytes without a zero byte, distinct for each seed, so that a repeat or a gap shows.
inline std::string patternPcm(std::size_t bytes, int seed) {
  std::string pcm(bytes, '\0');
  for (std::size_t i = 0; i < bytes; ++i) pcm[i] = static_cast<char>(1 + (i * 7 + static_cast<std::size_t>(seed) * 31 + i / 251) % 255);
  return pcm;
}

}  // namespace soundtest
