#pragma once
#include <string>

namespace app {

// How the buttons and the seek slider look in a play state.
struct ControlStates {
  bool playShown = true;
  // The play button's enabled state; left as it is when `playEnabledKnown` is false.
  bool playEnabled = true;
  bool playEnabledKnown = true;
  bool pauseShown = false;
  bool transportEnabled = false;  // stop, slow, fast, previous frame, next frame
  bool snapshotEnabled = false;
  bool seekEnabled = false;
};

// What the playback control asks of the main window: its play-list panel, seek slider, sound button,
// status texts, buttons and position timer. The main window implements it; tests record the calls.
class IPlaybackView {
 public:
  virtual ~IPlaybackView() = default;

  // The play-list panel: whether it has a window, its selection and its order (0 when there is none).
  virtual bool hasListPanel() const = 0;
  virtual void selectListItem(int id) = 0;
  virtual int selectedListId() const = 0;
  virtual int nextListId(int id) const = 0;
  virtual int previousListId(int id) const = 0;
  virtual int firstListId() const = 0;

  // The seek slider: its range is 0..maximum seconds.
  virtual void setSeekRange(int maximum) = 0;
  virtual void setSeekPos(int position) = 0;
  virtual int seekPos() const = 0;

  // Toggled on means sound off.
  virtual void setSoundButtonOff(bool soundOff) = 0;

  virtual bool isFullScreen() const = 0;
  virtual void showControls(const ControlStates& states) = 0;
  // The video window's status texts; the state text by its language key.
  virtual bool hasVideoWindow() const = 0;
  virtual void setStateTextKey(const char* key) = 0;
  virtual void setTimeText(const std::string& text) = 0;
  virtual void setFrameText(const std::string& text) = 0;
  // Pictures are shown while an item is open; otherwise the video window shows its background.
  virtual void showPictures(bool show) = 0;

  // The once-a-second position timer.
  virtual void startPositionTimer() = 0;
  virtual void stopPositionTimer() = 0;

  virtual void debugText(const char* text) = 0;
};

}  // namespace app
