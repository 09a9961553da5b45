#pragma once
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/playback/IPlaybackPlayer.h"
#include "app/playback/IPlaybackView.h"

namespace apptest {

// A player that records the calls of the playback control (queries left out) and answers with results
// the test chooses (0 unless set). Stream input from the feeding thread is logged as "push", "full" and
// "timestamp"; the stream player takes every byte unless `queueFull` is set. Two calls that overlap in
// time are counted in `overlaps`.
class FakePlayer : public app::IPlaybackPlayer {
 public:
  std::map<std::string, int> results;
  std::atomic<bool> queueFull{false};
  std::atomic<int> overlaps{0};
  long fileSeconds = 125;
  long position = 3725;
  long playedFrames = 40;
  long totalFrames = 3000;
  long lastWParam = 0;
  bool soundOn = false;
  std::atomic<int> mode{0};
  bool engine = false;
  std::int64_t timeStamp = -1;
  // Bytes the stream player takes per push at most (0: all it is offered), and every byte it took.
  unsigned takeAtMost = 0;
  std::string taken;

  std::vector<std::string> calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
  }
  // The calls of the control side only (the feeding thread's left out), space separated.
  std::string controlCalls() const {
    std::string out;
    for (const std::string& call : calls()) {
      if (call == "push" || call == "full" || call == "timestamp") continue;
      out += (out.empty() ? "" : " ") + call;
    }
    return out;
  }
  void clearCalls() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
  }
  std::size_t pushes() const {
    std::size_t count = 0;
    for (const std::string& call : calls()) count += call == "push";
    return count;
  }

  void setUseTimeStamp(bool) override { enter(nullptr); }
  void setStretchMode(bool) override { enter(nullptr); }
  void setVideoWindow(std::uint32_t, int, int, int, int) override { enter(nullptr); }
  void resizeWindow(int, int, int, int) override { enter(nullptr); }
  int setMessageEX(long, long, long, long wParam, long) override {
    Call call(*this, nullptr);
    lastWParam = wParam;
    return 0;
  }
  int openFile(const char*) override {
    Call call(*this, "openFile");
    const int result = call.result();
    if (result == 0) {
      mode = 1;
      engine = true;
    }
    return result;
  }
  int closeFile() override {
    Call call(*this, "closeFile");
    engine = false;
    return call.result();
  }
  int openStream() override {
    Call call(*this, "openStream");
    if (call.result() == 0) mode = 2;
    return call.result();
  }
  int closeStream() override { return Call(*this, "closeStream").result(); }
  int play() override { return Call(*this, "play").result(); }
  int pause() override { return Call(*this, "pause").result(); }
  int stop() override { return Call(*this, "stop").result(); }
  int setSpeed(float speed) override {
    char text[32];
    std::snprintf(text, sizeof text, "setSpeed %g", static_cast<double>(speed));
    return Call(*this, text).result();
  }
  int playSound() override {
    Call call(*this, "playSound");
    if (call.result() == 0) soundOn = true;
    return call.result();
  }
  int stopSound() override {
    Call call(*this, "stopSound");
    if (call.result() == 0) soundOn = false;
    return call.result();
  }
  bool isOnSound() override {
    Call call(*this, nullptr);
    return soundOn;
  }
  int getFileTime(long& seconds) override { return query("getFileTime", seconds, fileSeconds); }
  int getPlayPosByTime(long& seconds) override { return query("getPlayPosByTime", seconds, position); }
  int setPlayPosByTime(long seconds) override {
    return Call(*this, ("setPlayPosByTime " + std::to_string(seconds)).c_str()).result();
  }
  int getPlayedFrames(long& frames) override { return query("getPlayedFrames", frames, playedFrames); }
  int getFileTotalFrames(long& frames) override { return query("getFileTotalFrames", frames, totalFrames); }
  int playNextFrame() override { return Call(*this, "playNextFrame").result(); }
  int playPreviousFrame() override { return Call(*this, "playPreviousFrame").result(); }
  int getMode() override {
    Call call(*this, nullptr);
    return mode;
  }
  bool hasFileEngine() override {
    Call call(*this, nullptr);
    return engine;
  }
  int getPlayBufferState(bool& full) override {
    Call call(*this, "full");
    full = queueFull;
    return mode == 2 ? 0 : -6;
  }
  int getCurrentAVFrameTimeStamp(std::int64_t& stamp) override {
    Call call(*this, "timestamp");
    stamp = timeStamp;
    return timeStamp < 0 ? -16 : 0;
  }
  int intputTSData(const char* data, unsigned length, unsigned& consumed) override {
    Call call(*this, "push");
    consumed = 0;
    const int result = call.result();
    if (result == 0 && !queueFull) {
      consumed = takeAtMost != 0 && takeAtMost < length ? takeAtMost : length;
      taken.append(data, consumed);
    }
    return result;
  }

 private:
  // One call: logged (when named), checked for overlap with another.
  class Call {
   public:
    Call(FakePlayer& player, const char* name) : m_player(player), m_name(name != nullptr ? name : "") {
      if (player.m_inCall.fetch_add(1) != 0) ++player.overlaps;
      if (name != nullptr) {
        std::lock_guard<std::mutex> lock(player.m_mutex);
        player.m_calls.push_back(name);
      }
    }
    ~Call() { --m_player.m_inCall; }
    int result() const {
      std::lock_guard<std::mutex> lock(m_player.m_mutex);
      const std::string key = m_name.substr(0, m_name.find(' '));
      auto found = m_player.results.find(key);
      return found != m_player.results.end() ? found->second : 0;
    }

   private:
    FakePlayer& m_player;
    std::string m_name;
  };
  void enter(const char* name) { Call call(*this, name); }
  int query(const char* name, long& out, long value) {
    Call call(*this, nullptr);
    (void)name;
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = results.find(name);
    const int result = found != results.end() ? found->second : 0;
    if (result == 0) out = value;
    return result;
  }

  mutable std::mutex m_mutex;
  std::atomic<int> m_inCall{0};
  std::vector<std::string> m_calls;
};

// A main window that records what the playback control shows, with a play list of its own.
class FakeView : public app::IPlaybackView {
 public:
  std::vector<int> listIds;
  int selected = 0;
  bool panel = true;
  bool fullScreen = false;
  bool videoWindow = true;
  int seekMaximum = -1;
  int seekPosition = 0;
  bool soundOff = false;
  bool picturesShown = false;
  bool timerRunning = false;
  app::ControlStates controls;
  std::string stateKey;
  std::vector<std::string> timeTexts;
  std::vector<std::string> frameTexts;
  std::vector<int> selectedItems;

  bool hasListPanel() const override { return panel; }
  void selectListItem(int id) override { selectedItems.push_back(id); }
  int selectedListId() const override { return selected; }
  int nextListId(int id) const override {
    for (std::size_t i = 0; i + 1 < listIds.size(); ++i) {
      if (listIds[i] == id) return listIds[i + 1];
    }
    return 0;
  }
  int previousListId(int id) const override {
    for (std::size_t i = 1; i < listIds.size(); ++i) {
      if (listIds[i] == id) return listIds[i - 1];
    }
    return 0;
  }
  int firstListId() const override { return listIds.empty() ? 0 : listIds.front(); }
  void setSeekRange(int maximum) override { seekMaximum = maximum; }
  void setSeekPos(int position) override { seekPosition = position; }
  int seekPos() const override { return seekPosition; }
  void setSoundButtonOff(bool off) override { soundOff = off; }
  bool isFullScreen() const override { return fullScreen; }
  void showControls(const app::ControlStates& states) override { controls = states; }
  bool hasVideoWindow() const override { return videoWindow; }
  void setStateTextKey(const char* key) override { stateKey = key; }
  void setTimeText(const std::string& text) override { timeTexts.push_back(text); }
  void setFrameText(const std::string& text) override { frameTexts.push_back(text); }
  void showPictures(bool show) override { picturesShown = show; }
  void startPositionTimer() override { timerRunning = true; }
  void stopPositionTimer() override { timerRunning = false; }
  void debugText(const char*) override {}
};

}  // namespace apptest
