#pragma once
#include <mutex>

#include "app/playback/IPlaybackPlayer.h"

class KXPlayer;

namespace app {

// The main window's player as its playback control and stream feeding thread see it: every call runs
// under one lock, so a push of the feeding thread never overlaps an open, close, play, pause or speed
// change (the stream player forbids control calls during a push).
class SerialisedPlayer : public IPlaybackPlayer {
 public:
  explicit SerialisedPlayer(KXPlayer& player) : m_player(player) {}

  void setUseTimeStamp(bool use) override;
  void setStretchMode(bool stretch) override;
  void setVideoWindow(std::uint32_t window, int x, int y, int width, int height) override;
  void resizeWindow(int x, int y, int width, int height) override;
  int setMessageEX(long playMode, long window, long message, long wParam, long lParam) override;
  int openFile(const char* utf8Path) override;
  int closeFile() override;
  int openStream() override;
  int closeStream() override;
  int play() override;
  int pause() override;
  int stop() override;
  int setSpeed(float speed) override;
  int playSound() override;
  int stopSound() override;
  bool isOnSound() override;
  int getFileTime(long& seconds) override;
  int getPlayPosByTime(long& seconds) override;
  int setPlayPosByTime(long seconds) override;
  int getPlayedFrames(long& frames) override;
  int getFileTotalFrames(long& frames) override;
  int playNextFrame() override;
  int playPreviousFrame() override;
  int getMode() override;
  bool hasFileEngine() override;
  int getPlayBufferState(bool& full) override;
  int getCurrentAVFrameTimeStamp(std::int64_t& timeStamp) override;
  int intputTSData(const char* data, unsigned length, unsigned& consumed) override;

 private:
  template <typename Call>
  auto locked(Call call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return call(m_player);
  }

  std::mutex m_mutex;
  KXPlayer& m_player;
};

}  // namespace app
