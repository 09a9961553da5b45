#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "technic/CThread.h"

namespace app {

class IPlaybackPlayer;

// Plays a file that the file player refuses as a live transport stream: reads it in 188-byte-aligned
// chunks and pushes them into the stream player, waiting while the player's queues are full. One object
// serves every stream-mode item; the owner sets the player, path and tag before each start.
//
// At the end it reports like the file player does, once the pictures have stopped moving: the tag of
// the open and FeedEnded, or FeedFailed when the file cannot be read, or the stream player refused its
// bytes or never showed a picture of them. A stopped thread reports nothing.
class ReadLiveVideoThread : public CThread {
 public:
  enum FeedResult : long { FeedEnded = 0, FeedFailed = 1 };
  using EndReporter = std::function<void(long tag, long result)>;

  static constexpr std::size_t kBufferSize = 0x1D6000;  // 10,240 transport packets
  static constexpr std::size_t kPacketSize = 188;

  ReadLiveVideoThread() = default;
  ~ReadLiveVideoThread() override;

  void setPlayer(IPlaybackPlayer* player) { m_player = player; }
  // UTF-8.
  void setPath(const std::string& path) { m_path = path; }
  void setTag(long tag) { m_tag = tag; }
  // Called on this thread; must be safe from any thread.
  void setEndReporter(EndReporter reporter) { m_reporter = std::move(reporter); }
  // While held (the user paused) the end of the pictures is not taken for the end of the item.
  void setHeld(bool held) { m_held = held; }

  // Timings, for tests: the wait while the queues are full or input is refused, and how long the
  // pictures must stand still after the last byte before the end is reported.
  void setTimings(int waitMs, int playOutMs) {
    m_waitMs = waitMs;
    m_playOutMs = playOutMs;
  }

  void run() override;

 private:
  enum class PushOutcome { Taken, Exhausted, Refused, Stopped };
  // Pushes the buffered bytes until fewer than one packet is left, the file needs to be read on, the
  // stop flag is set, or input is refused for good.
  PushOutcome pushBuffered(bool atEndOfFile);
  // True once the pictures have stood still long enough; false when stopped.
  bool waitForPlayOut();
  // Sleeps up to ms, waking early when the stop flag is set; false when it is.
  bool pause(int ms);
  void report(long result);

  IPlaybackPlayer* m_player = nullptr;
  std::string m_path;
  long m_tag = 0;
  EndReporter m_reporter;
  std::atomic<bool> m_held{false};
  int m_waitMs = 50;
  int m_playOutMs = 1000;

  std::vector<char> m_buffer;
  std::size_t m_filled = 0;
  bool m_anyTaken = false;
  bool m_anyPicture = false;
};

}  // namespace app
