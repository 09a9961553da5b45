// Sound against picture in file playback at the real clock: for each way sound begins (with play,
// switched on late, after a seek, after pause and resume, after four times the speed), both file
// types and both audio codecs, and for sound devices whose clock runs 0.1% or 3% off or that hold
// 100 ms of sound on the way to the speaker: the offsets of the sound heard against the picture shown
// at ten picture changes (the usual broadcast bounds are 45 ms early to 125 ms late; the player's
// goal is 40 ms either way), with the picture clock and the sound clock over the same time (seconds
// per second of the system clock).
//
//   bench_sound_sync
#include <cstdio>

#include "tests/player/SoundSyncProbe.h"

namespace {

void print(const char* media, const char* device, const char* start, const syncprobe::Offsets& offsets) {
  double lowest = 0, highest = 0, sum = 0;
  for (std::size_t i = 0; i < offsets.ms.size(); ++i) {
    lowest = i == 0 ? offsets.ms[i] : std::min(lowest, offsets.ms[i]);
    highest = i == 0 ? offsets.ms[i] : std::max(highest, offsets.ms[i]);
    sum += offsets.ms[i];
  }
  const double mean = offsets.ms.empty() ? 0 : sum / static_cast<double>(offsets.ms.size());
  std::printf("%-22s %-18s %-32s offset ms min %7.1f mean %7.1f max %7.1f  picture clock %.4f  sound clock %.4f %s\n",
              media, device, start, lowest, mean, highest, offsets.pictureClock, offsets.soundClock,
              offsets.failure.c_str());
  std::fflush(stdout);
}

}  // namespace

int main() {
  using syncprobe::Start;
  const struct {
    const char* name;
    int fileType;
    int codec;
  } media[] = {{"TransportStream G711", playtest::kTransportStream, 102},
               {"TransportStream G7231", playtest::kTransportStream, 101},
               {"FrameHeadStream G711", playtest::kFrameHeadStream, 102},
               {"FrameHeadStream G7231", playtest::kFrameHeadStream, 101}};
  for (const auto& m : media) {
    const playtest::Recording& r = playtest::recording(syncprobe::source(m.codec), m.fileType);
    for (const Start start : {Start::kWithPlay, Start::kSwitchedOnLate, Start::kAfterSeek,
                              Start::kAfterPauseAndResume, Start::kAfterFourTimesSpeed}) {
      syncprobe::Probe probe;
      print(m.name, "exact clock", syncprobe::startName(start), probe.run(r, start, 400, 10));
    }
  }
  const struct {
    const char* name;
    double rate;
    uint32_t latency;
  } devices[] = {{"clock +0.1%", 1.001, 0}, {"clock -0.1%", 0.999, 0}, {"clock +3%", 1.03, 0},
                 {"clock -3%", 0.97, 0},    {"latency 100 ms", 1.0, 1600}};
  const playtest::Recording& r = playtest::recording(syncprobe::source(102), playtest::kTransportStream);
  for (const auto& d : devices) {
    syncprobe::Probe probe(d.rate, d.latency);
    print("TransportStream G711", d.name, "9 s after sound at start", probe.run(r, Start::kWithPlay, 9000, 5));
  }
  return 0;
}
