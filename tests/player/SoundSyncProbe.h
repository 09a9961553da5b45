#pragma once
// Measures how far the sound heard is from the picture shown while a file plays through the file
// player at the real clock: offscreen window, the null sound output playing by the real clock (or one
// that runs fast or slow, with a latency of its own) and recording what it plays. The recording's
// sound is a rising tone that starts again every two seconds, so a short stretch of what is heard
// names its place in the recording: the picture shown (getPlayedFrames) is read the moment it changes,
// and the sound heard at that moment is found in the decoded audio.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/NullSoundSystem.h"
#include "platform/OffscreenWindows.h"
#include "player/file/FilePlayer.h"
#include "tests/player/PlaybackFixture.h"

namespace syncprobe {

// Eleven seconds at 25 pictures a second: long enough for a seek to frame 200 and two seconds after.
constexpr int kFrames = 275;
constexpr int kPictureMs = 40;

inline playtest::Source source(int audioCodec) {
  playtest::Source s = playtest::soundSource("sound-sync", audioCodec, kFrames);
  s.audioSignal = "aevalsrc=0.5*sin(2*PI*(300*t+150*mod(t\\,2)*mod(t\\,2))):s=8000";
  return s;
}

// When sound begins, in the order a user's program gives the calls.
enum class Start { kWithPlay, kSwitchedOnLate, kAfterSeek, kAfterPauseAndResume, kAfterFourTimesSpeed };

inline const char* startName(Start start) {
  switch (start) {
    case Start::kWithPlay: return "sound at start";
    case Start::kSwitchedOnLate: return "switched on 2 s into playback";
    case Start::kAfterSeek: return "seek to frame 200 while playing";
    case Start::kAfterPauseAndResume: return "pause and resume";
    case Start::kAfterFourTimesSpeed: return "4x, then normal speed";
  }
  return "";
}

// Offsets of the sound heard against the picture shown (positive: the sound is ahead), in ms.
struct Offsets {
  std::vector<double> ms;
  std::string failure;  // empty when every measurement was made
  // Over the measurements: seconds of pictures shown, and of sound played by the device, per second
  // of the system clock.
  double pictureClock = 0;
  double soundClock = 0;
  double worst() const {
    double worst = 0;
    for (double v : ms) worst = std::max(worst, std::fabs(v));
    return worst;
  }
};

inline std::vector<int16_t> samplesOf(const std::string& pcm) {
  std::vector<int16_t> samples(pcm.size() / 2);
  if (!samples.empty()) std::memcpy(samples.data(), pcm.data(), samples.size() * 2);
  return samples;
}

class Probe {
 public:
  // clockRate: how fast the sound output's clock runs against the system clock; latency: bytes it
  // reports as queued on the way to the speaker (and holds back from what is heard).
  explicit Probe(double clockRate = 1.0, uint32_t latency = 0) : m_latency(latency) {
    m_sound.setClockRate(clockRate);
    m_sound.setLatencyBytes(latency);
    m_sound.installForProcess();
    m_window = createOffscreenWindow(176, 144);
    m_player.setVideoWindow(m_window, 0, 0, 176, 144);
  }
  ~Probe() {
    m_player.close();
    destroyOffscreenWindow(m_window);
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  // Plays r, begins the sound as `start` says, waits settleMs and then measures at every fifth
  // picture until `count` measurements are made.
  Offsets run(const playtest::Recording& r, Start start, int settleMs, int count) {
    Offsets result;
    m_reference = samplesOf(r.pcm);
    if (m_player.open(r.path.c_str()) != 0 || m_player.play() != 0) {
      result.failure = "the file does not play";
      return result;
    }
    const auto wait = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    if (start == Start::kSwitchedOnLate) wait(2000);
    m_player.playSound();
    if (start == Start::kAfterSeek) {
      wait(1000);
      m_player.setCurrentFrameNum(200);
    } else if (start == Start::kAfterPauseAndResume) {
      wait(1000);
      m_player.pause();
      wait(500);
      m_player.play();
    } else if (start == Start::kAfterFourTimesSpeed) {
      wait(1000);
      m_player.setRate(4.0f);
      wait(500);
      m_player.setRate(1.0f);
    }
    // Sound that is ahead of the picture waits in silence until the picture reaches it, which takes
    // longer on a loaded machine: the settling time counts from the first sound heard.
    const auto heardBy = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!soundHeard() && std::chrono::steady_clock::now() < heardBy) wait(5);
    wait(settleMs);
    long last = playedFrames();
    int changes = 0;
    int unclear = 0;
    auto lastPoll = std::chrono::steady_clock::now();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (static_cast<int>(result.ms.size()) < count) {
      if (std::chrono::steady_clock::now() > until || last >= kFrames - 1) {
        // Unclear stretches, or a slow build, may take measurements up to the end: three are enough.
        if (result.ms.size() < 3) result.failure = "the file ended or stalled before three measurements were made";
        break;
      }
      // A change seen only after this thread was held up happened at some moment within the hold-up:
      // the offset is measured only at changes seen within 5 ms of the poll that did not see them.
      const auto polled = std::chrono::steady_clock::now();
      const bool promptly = polled - lastPoll <= std::chrono::milliseconds(5);
      lastPoll = polled;
      const long shown = playedFrames();
      if (shown != last) {
        last = shown;
        if (promptly && ++changes % 5 == 0) {
          const std::vector<uint8_t> played = playedSound();
          // Held up between seeing the picture and reading the sound: the two were not read together.
          if (std::chrono::steady_clock::now() - polled > std::chrono::milliseconds(5)) continue;
          double offset = 0;
          const Heard heard = measure(shown, played, offset);
          if (heard == Heard::kNothing) {
            result.failure = "no sound heard at picture " + std::to_string(shown);
            break;
          }
          if (heard == Heard::kFound) {
            result.ms.push_back(offset);
            noteClocks(result, shown);
          } else if (++unclear > 2 * count) {
            // Enough found: the rest of the sound no longer matches the decoding closely enough.
            if (result.ms.size() >= 3) break;
            result.failure = "the sound heard is mostly unlike the recording's";
            break;
          }
        }
      }
      platform::sleepMilliseconds(1);
    }
    m_player.close();
    return result;
  }

 private:
  // The first measurement's moment, picture and bytes played; the clocks from there to this one.
  void noteClocks(Offsets& result, long shown) {
    const int64_t now = platform::performanceCounter();
    std::shared_ptr<platform::NullSoundBuffer> buffer = m_sound.lastBuffer();
    const double bytes = buffer != nullptr ? static_cast<double>(buffer->playedCount()) : 0;
    if (result.ms.size() == 1) {
      m_firstMicros = now;
      m_firstPicture = shown;
      m_firstBytes = bytes;
      return;
    }
    const double seconds = (now - m_firstMicros) / 1e6;
    if (seconds <= 0) return;
    result.pictureClock = (shown - m_firstPicture) * kPictureMs / 1000.0 / seconds;
    result.soundClock = (bytes - m_firstBytes) / 16000.0 / seconds;
  }

  long playedFrames() {
    long frames = 0;
    m_player.getPlayedFrames(frames);
    return frames;
  }

  // Everything the output has played so far (nothing before it opens).
  std::vector<uint8_t> playedSound() {
    std::shared_ptr<platform::NullSoundBuffer> buffer = m_sound.lastBuffer();
    return buffer != nullptr ? buffer->played() : std::vector<uint8_t>();
  }

  // Whether any of the last 100 ms that left the output was not silence.
  bool soundHeard() {
    const std::vector<uint8_t> played = playedSound();
    const std::size_t heardBytes = played.size() > m_latency ? played.size() - m_latency : 0;
    const std::size_t from = heardBytes > kWindowBytes ? heardBytes - kWindowBytes : 0;
    return std::any_of(played.begin() + static_cast<std::ptrdiff_t>(from),
                       played.begin() + static_cast<std::ptrdiff_t>(heardBytes), [](uint8_t b) { return b != 0; });
  }

  static constexpr std::size_t kWindowBytes = 1600;  // 100 ms

  enum class Heard { kFound, kUnclear, kNothing };

  // The sound heard now, found in the decoded audio near the picture shown (frame numbers from 1).
  // Unclear where the codec's output matches the recording's decoding too poorly to tell: G.723.1
  // decoding that started afresh (after a seek, or sound switched on late) carries its own phase in
  // its pitch memory, and drifts from the decoding of the whole file over a second or two.
  Heard measure(long shown, const std::vector<uint8_t>& played, double& offsetMs) {
    constexpr std::size_t kWindow = kWindowBytes / 2;  // samples
    const std::size_t heardBytes = played.size() > m_latency ? played.size() - m_latency : 0;
    if (heardBytes / 2 < kWindow) return Heard::kNothing;
    std::vector<int16_t> heard(kWindow);
    std::memcpy(heard.data(), played.data() + heardBytes - kWindow * 2, kWindow * 2);
    if (std::all_of(heard.begin(), heard.end(), [](int16_t v) { return v == 0; })) return Heard::kNothing;
    double heardEnergy = 0;
    for (int16_t v : heard) heardEnergy += static_cast<double>(v) * v;
    // The tone starts again every two seconds: the place is looked for within 0.9 s of the picture.
    const long pictureSample = (shown - 1) * kPictureMs * 8;
    const long first = std::max<long>(static_cast<long>(kWindow), pictureSample - 7200);
    const long last = std::min<long>(static_cast<long>(m_reference.size()), pictureSample + 7200);
    double best = -1;
    long bestEnd = -1;
    for (long end = first; end <= last; ++end) {
      double dot = 0, energy = 0;
      for (std::size_t i = 0; i < kWindow; ++i) {
        const double ref = m_reference[static_cast<std::size_t>(end) - kWindow + i];
        dot += ref * heard[i];
        energy += ref * ref;
      }
      const double score = energy > 0 ? dot / std::sqrt(energy) : 0;
      if (score > best) {
        best = score;
        bestEnd = end;
      }
    }
    if (bestEnd < 0) return Heard::kNothing;
    // Normalised: 1 for the same waveform, scaled or not.
    if (best / std::sqrt(heardEnergy) < 0.5) return Heard::kUnclear;
    offsetMs = (bestEnd - pictureSample) / 8.0;
    return Heard::kFound;
  }

  const uint32_t m_latency;
  platform::NullSoundSystem m_sound;
  HWND m_window = 0;
  FilePlayer m_player;
  std::vector<int16_t> m_reference;
  int64_t m_firstMicros = 0;
  long m_firstPicture = 0;
  double m_firstBytes = 0;
};

}  // namespace syncprobe
