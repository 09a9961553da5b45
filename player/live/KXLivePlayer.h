#pragma once
#include "player/AVPlayer.h"
#include "player/KeptVideoCallbacks.h"
#include "player/PlayerTypes.h"
#include "player/live/FrameRouter.h"
#include "player/live/LiveStreamInput.h"

class AVFrameData;

// Plays a stream its caller pushes in: transport-stream bytes in chunks of any size, single
// transport-stream frames, or single elementary frames. Video frames go to the video player, audio
// frames (while sound is on) to the audio player; a frame a full queue refuses is offered again first
// at the next input. While a record callback is set, every accepted chunk, or every elementary frame
// re-packaged as transport stream, goes to it. No thread of its own: all work is on the pushing
// thread, and the caller must not push from two threads at once, nor open, close, play or stop while
// another thread pushes; only the record callback may be set from another thread.
class KXLivePlayer {
 public:
  static constexpr int kStopped = 1;
  static constexpr int kPaused = 2;
  static constexpr int kPlaying = 3;

  KXLivePlayer();
  virtual ~KXLivePlayer();
  KXLivePlayer(const KXLivePlayer&) = delete;
  KXLivePlayer& operator=(const KXLivePlayer&) = delete;

  // Opens the video player for a new stream: held bytes and a waiting frame are dropped.
  int open();
  void close();
  int play();
  int pause();
  int stop();
  // Sound on: 0, or the audio player's error (sound stays off then, so a retry tries again).
  int playSound();
  // Sound off: the audio player is closed.
  void stopSound();

  // The picture callbacks: kept here and given to the video player again at the play after a stop or
  // a close (which make the video player forget them), so that they outlive both.
  void setDecodeCallBack(long port, DecodeCallBack fn, void* user);
  void setDrawFuncForRender(long port, DrawCallBack fn, void* user, bool windowSizeSurface);

  void setRecordCallback(RecordDataCallback callback, void* user);
  // A record callback is set (stop and close clear it).
  bool isRecording() const { return m_input.isRecording(); }

  // 0, -8 null or empty chunk, -13 nothing taken (offer the same chunk again), -233.
  int pushTSData(const char* data, int length);
  // 0 with consumed = the bytes taken (0 while the queues are full), -233.
  int inputTSData(const char* data, int length, unsigned& consumed);
  // 0, -7, -13 (offer the frame again), -233.
  int inputTSAVFrame(const AVFrameData& frame);
  // 0, -7, -13 (offer the frame again).
  int inputAVFrame(const AVFrameData& frame);

  AVPlayer& getAVPlayer() { return m_avPlayer; }
  int getPlayState() const { return m_playState; }
  bool isOpen() const { return m_opened; }
  bool isOnSound() const { return m_soundOn; }
  // Of the latest video frame the stream brought (0 until one came).
  int getFrameRate() const { return m_frameRate; }
  int getBitRate() const { return m_bitRate; }

 private:
  class Router : public FrameRouter {
   public:
    explicit Router(KXLivePlayer& player) : m_player(player) {}
    int routeFrame(const AVData& frame) override { return m_player.routeFrame(frame); }
    bool queuesFull() override;

   private:
    KXLivePlayer& m_player;
  };

  int routeFrame(const AVData& frame);

  AVPlayer m_avPlayer;
  KeptVideoCallbacks m_callbacks;
  // A stop or close made the video player forget its callbacks since they were last handed over.
  bool m_bCallbacksCleared = false;
  int m_playState = kStopped;
  bool m_opened = false;
  bool m_soundOn = false;
  int m_frameRate = 0;
  int m_bitRate = 0;
  Router m_router;
  LiveStreamInput m_input;
};
