// CPU cost of the audio player: PLAYERS audio players (default 32) play G.711 A-law speech at once
// for SECONDS seconds (default 10) on the null sound backend with the real clock, each with its feed
// thread; one thread pushes every player's frames on a real-time schedule. The figure is CPU time per
// player-second of sound, next to the reference: decoding the same frames with the A-law codec alone.
// The ratio (player / codec) is what the player adds around decoding.
//
// bench_audio_players [SECONDS] [PLAYERS]
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "codec/G711_ALAW_Codec.h"
#include "media/AVData.h"
#include "platform/NullSoundSystem.h"
#include "player/audio/DSoundAudioPlayer.h"

namespace {

constexpr int kFrameBytes = 160;  // 20 ms of A-law

double cpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The speech fixture, repeated to the wanted length, as A-law frames; and the PCM the codec makes of them.
void speechFrames(int seconds, std::vector<std::string>& frames, std::string& pcm) {
  std::string speech = readFile(std::string(KX_BENCH_FIXTURES) + "/speech-8k.raw");
  if (speech.size() < 320) {
    std::fprintf(stderr, "speech-8k.raw missing in %s: run scripts/make-fixtures.sh\n", KX_BENCH_FIXTURES);
    std::exit(1);
  }
  speech.resize(speech.size() / 320 * 320);
  G711_ALAW_Codec codec;
  const std::size_t wanted = static_cast<std::size_t>(seconds) * 16000;
  for (std::size_t at = 0; at < wanted; at += 320) {
    char frame[kFrameBytes];
    int frameLen = kFrameBytes;
    codec.encode(speech.data() + at % speech.size(), 320, frame, frameLen);
    frames.emplace_back(frame, static_cast<std::size_t>(frameLen));
    char out[320];
    int outLen = sizeof(out);
    codec.decode(frame, frameLen, out, outLen);
    pcm.append(out, static_cast<std::size_t>(outLen));
  }
}

bool playedExactly(const std::vector<std::uint8_t>& played, const std::string& pcm) {
  const std::string heard(played.begin(), played.end());
  const std::size_t at = heard.find(pcm);
  if (at == std::string::npos) return false;
  const std::size_t sound = heard.find_first_not_of('\0');
  const std::size_t pcmSound = pcm.find_first_not_of('\0');
  return sound == at + pcmSound && heard.find_first_not_of('\0', at + pcm.size()) == std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const int players = argc > 2 ? std::max(1, std::atoi(argv[2])) : 32;
  std::vector<std::string> frames;
  std::string pcm;
  speechFrames(seconds, frames, pcm);

  // Reference: the codec alone decodes every player's frames.
  G711_ALAW_Codec decoder;
  char out[320];
  const double codecStart = cpuSeconds();
  for (int p = 0; p < players; ++p) {
    for (const std::string& frame : frames) {
      int outLen = sizeof(out);
      decoder.decode(frame.data(), static_cast<int>(frame.size()), out, outLen);
    }
  }
  const double codecCpu = cpuSeconds() - codecStart;

  platform::NullSoundSystem sound({}, 512);
  std::vector<std::unique_ptr<DSoundAudioPlayer>> list;
  for (int p = 0; p < players; ++p) {
    list.push_back(std::make_unique<DSoundAudioPlayer>(sound));
    if (list.back()->openAudio() != 0 || list.back()->playAudio() != 0) {
      std::fprintf(stderr, "player %d failed to open\n", p);
      return 1;
    }
  }
  const double playStart = cpuSeconds();
  const auto wallStart = std::chrono::steady_clock::now();
  std::thread pusher([&] {
    for (std::size_t i = 0; i < frames.size(); ++i) {
      std::this_thread::sleep_until(wallStart + std::chrono::milliseconds(20 * i));
      AVData frame;
      frame.setData(frames[i].data(), static_cast<unsigned>(frames[i].size()));
      frame.setEncoderType(102);
      for (auto& player : list) {
        while (player->pushAudioFrame(frame) == -13) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
  });
  pusher.join();
  std::this_thread::sleep_until(wallStart + std::chrono::milliseconds(20 * frames.size() + 600));
  const double playCpu = cpuSeconds() - playStart;
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  for (auto& player : list) player->closeAudio();

  int exact = 0;
  for (const auto& buffer : sound.buffers()) exact += playedExactly(buffer->played(), pcm) ? 1 : 0;

  const double playerSeconds = static_cast<double>(players) * seconds;
  const double perPlayer = playCpu / playerSeconds * 1e6;
  const double perCodec = codecCpu / playerSeconds * 1e6;
  std::printf("audio players: %d players x %d s of G.711 A-law speech, null sound backend, real clock (%.1f s wall)\n",
              players, seconds, wall);
  std::printf("  player (push, decode, feed thread, output): %10.1f us CPU per player-second\n", perPlayer);
  std::printf("  reference, A-law codec alone:                 %10.1f us CPU per player-second\n", perCodec);
  std::printf("  ratio player / codec: %.1f\n", perCodec > 0 ? perPlayer / perCodec : 0.0);
  std::printf("  players that played every byte once, in order, with no gap: %d of %d\n", exact, players);
  return 0;
}
