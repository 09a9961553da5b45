#include "app/playback/ReadLiveVideoThread.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/playback/IPlaybackPlayer.h"
#include "technic/BinaryFile.h"

namespace app {
namespace {

constexpr int kStreamMode = 2;
constexpr int kTsInputError = -233;
// Refusals of the same bytes in a row before the data is given up: about a second at the usual wait.
constexpr int kRefusalLimit = 20;
// Tries without any byte taken, with the queues not full, before the rest of the file is given up.
constexpr int kStallLimit = 100;
constexpr int kStallWaitMs = 10;

}  // namespace

ReadLiveVideoThread::~ReadLiveVideoThread() { CThread::stop(); }

bool ReadLiveVideoThread::pause(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!isStopRequested()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) return true;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(until - now, std::chrono::milliseconds(10)));
  }
  return false;
}

void ReadLiveVideoThread::report(long result) {
  if (m_reporter) m_reporter(m_tag, result);
}

void ReadLiveVideoThread::run() {
  m_filled = 0;
  m_anyTaken = false;
  m_anyPicture = false;
  if (m_player == nullptr) return;
  BinaryFile file;
  if (!file.open(m_path.c_str(), BinaryFile::kRead)) {
    report(FeedFailed);
    return;
  }
  m_buffer.assign(kBufferSize, 0);
  bool atEnd = false;
  while (!isStopRequested()) {
    if (!atEnd && m_filled < kBufferSize) {
      const int got = file.read(m_buffer.data() + m_filled, static_cast<int>(kBufferSize - m_filled));
      if (got <= 0) {
        atEnd = true;
      } else {
        m_filled += static_cast<std::size_t>(got);
        if (m_filled < kPacketSize) continue;  // too little to push yet; the next read says whether more comes
      }
    }
    const PushOutcome outcome = pushBuffered(atEnd);
    if (outcome == PushOutcome::Stopped) break;
    if (outcome == PushOutcome::Refused || (outcome == PushOutcome::Exhausted && atEnd)) {
      file.close();
      m_buffer.clear();
      m_buffer.shrink_to_fit();
      // Bytes the stream player took without ever showing a picture were not a stream it can play.
      if (!m_anyTaken) {
        report(FeedFailed);
      } else if (waitForPlayOut()) {
        report(m_anyPicture ? FeedEnded : FeedFailed);
      }
      return;
    }
  }
  file.close();
  m_buffer.clear();
  m_buffer.shrink_to_fit();
}

ReadLiveVideoThread::PushOutcome ReadLiveVideoThread::pushBuffered(bool atEndOfFile) {
  int refusals = 0;
  int stalls = 0;
  while (m_filled >= kPacketSize) {
    if (isStopRequested()) return PushOutcome::Stopped;
    // Another mode means the stream player was closed behind this thread: nothing will take the data.
    if (m_player->getMode() != kStreamMode) return PushOutcome::Stopped;
    bool full = false;
    if (m_player->getPlayBufferState(full) == 0 && full) {
      if (!pause(m_waitMs)) return PushOutcome::Stopped;
      continue;
    }
    unsigned consumed = 0;
    const int result = m_player->intputTSData(m_buffer.data(), static_cast<unsigned>(m_filled), consumed);
    if (result != 0) {
      // Unparsable data (or a player that refuses input) does not go away by asking at full speed.
      if (result != kTsInputError || ++refusals >= kRefusalLimit) return PushOutcome::Refused;
      if (!pause(m_waitMs)) return PushOutcome::Stopped;
      continue;
    }
    refusals = 0;
    if (consumed == 0) {
      // Either the queues filled up since the check, or the parser wants more bytes than are here.
      if (!atEndOfFile && m_filled < kBufferSize) return PushOutcome::Exhausted;
      if (++stalls >= kStallLimit) return atEndOfFile ? PushOutcome::Exhausted : PushOutcome::Refused;
      if (!pause(kStallWaitMs)) return PushOutcome::Stopped;
      continue;
    }
    stalls = 0;
    m_anyTaken = true;
    const std::size_t taken = std::min<std::size_t>(consumed, m_filled);
    m_filled -= taken;
    if (m_filled > 0) std::memmove(m_buffer.data(), m_buffer.data() + taken, m_filled);
  }
  return PushOutcome::Exhausted;
}

bool ReadLiveVideoThread::waitForPlayOut() {
  // The stream player still shows what it has queued: the end is the moment its pictures stop moving.
  std::int64_t last = -1;
  if (m_player->getCurrentAVFrameTimeStamp(last) == 0) m_anyPicture = true;
  auto still = std::chrono::steady_clock::now();
  while (!isStopRequested()) {
    std::int64_t now = -1;
    if (m_player->getCurrentAVFrameTimeStamp(now) == 0) m_anyPicture = true;
    const auto clock = std::chrono::steady_clock::now();
    if (now != last || m_held) {
      last = now;
      still = clock;
    } else if (clock - still >= std::chrono::milliseconds(m_playOutMs)) {
      return true;
    }
    if (!pause(m_waitMs)) return false;
  }
  return false;
}

}  // namespace app
