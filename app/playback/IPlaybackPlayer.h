#pragma once
#include <cstdint>

namespace app {

// What the main window's playback control and its stream feeding thread ask of the player: the
// KXPlayer operations they use, in KXPlayer's own terms and result codes. The one implementation
// (SerialisedPlayer) runs every call under one lock, because the stream player forbids control calls
// while the feeding thread pushes.
class IPlaybackPlayer {
 public:
  virtual ~IPlaybackPlayer() = default;

  virtual void setUseTimeStamp(bool use) = 0;
  virtual void setStretchMode(bool stretch) = 0;
  virtual void setVideoWindow(std::uint32_t window, int x, int y, int width, int height) = 0;
  virtual void resizeWindow(int x, int y, int width, int height) = 0;
  virtual int setMessageEX(long playMode, long window, long message, long wParam, long lParam) = 0;

  virtual int openFile(const char* utf8Path) = 0;
  virtual int closeFile() = 0;
  virtual int openStream() = 0;
  virtual int closeStream() = 0;

  virtual int play() = 0;
  virtual int pause() = 0;
  virtual int stop() = 0;
  virtual int setSpeed(float speed) = 0;
  virtual int playSound() = 0;
  virtual int stopSound() = 0;
  virtual bool isOnSound() = 0;

  virtual int getFileTime(long& seconds) = 0;
  virtual int getPlayPosByTime(long& seconds) = 0;
  virtual int setPlayPosByTime(long seconds) = 0;
  virtual int getPlayedFrames(long& frames) = 0;
  virtual int getFileTotalFrames(long& frames) = 0;
  virtual int playNextFrame() = 0;
  virtual int playPreviousFrame() = 0;

  // 0 nothing opened yet, 1 file mode, 2 stream mode.
  virtual int getMode() = 0;
  // True while file mode has a file engine (an open file, or one stopped at its end).
  virtual bool hasFileEngine() = 0;

  // Stream input, from the feeding thread.
  virtual int getPlayBufferState(bool& full) = 0;
  virtual int getCurrentAVFrameTimeStamp(std::int64_t& timeStamp) = 0;
  virtual int intputTSData(const char* data, unsigned length, unsigned& consumed) = 0;
};

}  // namespace app
