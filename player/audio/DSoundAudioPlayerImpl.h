#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "media/AudioInfo.h"
#include "player/AVDataQueue.h"
#include "player/audio/AudioFeedThread.h"
#include "player/audio/DSoundOutput.h"
#include "player/audio/ISoundFeed.h"
#include "technic/KXMutex.h"

class AVData;
class AudioCodec;
class IVideoPlayer;
namespace platform {
class SoundSystem;
}

// The audio player's implementation: decodes pushed frames into a PCM store (a byte queue of 12,000
// bytes) from which the feed thread moves PCM into the sound output.
//
// Feeding keeps a lead: it starts once two segments of PCM are waiting (or PCM has waited that long
// in play time), then writes whatever PCM there is as far as the output has room: whole segments,
// then what is left short of one. Silence is heard only when the input has run dry; feeding then
// waits for a new lead.
//
// With pictures to go with (syncWithPictures), the store knows the timestamp of its PCM, and the
// output the timestamp at its write position: the sound heard now is that less what is queued in the
// output and in the device. When feeding starts, PCM older than what the pictures' pacing will stand
// at when it is heard is dropped, PCM ahead of it waits behind silence, and PCM a little behind it is
// played at once with the pictures told to wait for it. While it plays, the pictures are told the
// time of the sound heard at every feed step, and follow it.
class DSoundAudioPlayerImpl : public AVDataQueue, public ISoundFeed {
 public:
  static constexpr int kPcmCapacity = 12000;
  static constexpr int kSegmentSize = 1000;
  static constexpr int kDecodeBufferSize = 102400;
  static constexpr int kInitialEncoderType = 101;

  // sound: the backend to play through, or null for the process's sound system at each open.
  explicit DSoundAudioPlayerImpl(platform::SoundSystem* sound);
  ~DSoundAudioPlayerImpl();
  DSoundAudioPlayerImpl(const DSoundAudioPlayerImpl&) = delete;
  DSoundAudioPlayerImpl& operator=(const DSoundAudioPlayerImpl&) = delete;

  void setUseTimestampForAudio(bool use) { m_bUseTimestamp.store(use); }
  void setupAudioMediaType(const AudioInfo& info);
  void setAudioWindow(unsigned window) { m_objFeedThread.setWindow(window); }
  int openAudio();
  void closeAudio();
  int playAudio();
  int pauseAudio();
  int stopAudio();
  int setAudioVolume(long volume);
  int getAudioVolume(long& volume);
  void clearAudioQueue();
  int pushAudioFrame(const AVData& frame);
  bool isAudioQueueEmpty();
  bool isAudioQueueFull();
  bool isAudioPlayedOut();
  void syncWithPictures(IVideoPlayer* pictures);

  // One feed step (the feed thread runs it every 10 ms).
  void feedSound() override;

  // Bytes of PCM waiting in the store, and the output (for tests that drive feed steps themselves).
  int getBufferedBytes();
  const DSoundOutput& getOutput() const { return m_objOutput; }

  // The level-to-millibel mapping: 0 is silence, 50 about half as loud, 100 full volume; and back.
  static int32_t levelToMillibels(long level);
  static long millibelsToLevel(int32_t millibels);

 private:
  void stopFeedThread();
  // Empties the PCM store and silences what the output still held.
  void discardSound();
  // Removes bytes from the front of the PCM store, with their timestamps; the PCM lock is held.
  void consumePcm(int bytes);
  // The stream time just after the first `bytes` of the store (-1 without timestamps); PCM lock.
  int64_t pcmTimeAfter(int bytes) const;
  // Before feeding starts (both locks held): lines the front of the store up with the pictures.
  // False while the sound must wait (ahead of the pictures, or all of it dropped as too old).
  bool lineUpWithPictures();
  // While feeding (both locks held): tells the pictures the time of the sound heard now.
  void reportSoundHeard();
  // Microseconds of sound in `bytes` of PCM.
  int64_t microsOf(int bytes) const;
  // Whole samples of PCM in `micros` microseconds.
  int bytesOf(int64_t micros) const;
  // True for the frame last refused with "try again", whose PCM the decode buffer still holds.
  bool isHeldFrame(const AVData& frame) const;

  AudioInfo m_objAudioInfo;
  std::atomic<bool> m_bUseTimestamp{false};
  std::atomic<bool> m_bOpened{false};
  const int m_nPcmCapacity = kPcmCapacity;
  std::unique_ptr<char[]> m_pPcmBuffer;
  int m_nPcmBytes = 0;
  KXMutex m_pcmLock;  // the PCM store and its count; taken after the output lock
  const int m_nSegmentSize = kSegmentSize;
  DSoundOutput m_objOutput;
  KXMutex m_outputLock;  // the output: its buffers, its counts and the feeding state
  AudioFeedThread m_objFeedThread;
  int m_nEncoderType = kInitialEncoderType;
  AudioCodec* m_pCodec = nullptr;
  const int m_nDecodeBufferSize = kDecodeBufferSize;
  std::unique_ptr<char[]> m_pDecodeBuffer;

  // The frame last refused for want of room (pusher's thread only).
  std::string m_heldFrame;
  int m_nHeldType = 0;
  int m_nHeldBytes = 0;

  // The timestamp of each decoded frame's PCM in the store, in store order (PCM lock).
  struct PcmStamp {
    int64_t timeStamp;
    int bytes;
  };
  std::deque<PcmStamp> m_pcmStamps;
  // The pictures the sound goes with, and the stream time at the output's write position (INT64_MIN:
  // none known); output lock.
  IVideoPlayer* m_pPictures = nullptr;
  int64_t m_nWrittenTime = INT64_MIN;

  platform::SoundSystem* const m_pSound;
  bool m_bFeeding = false;              // the lead has been reached; output lock
  std::int64_t m_nWaitStartPlayed = -1;  // play count when PCM began waiting for the lead; output lock
};
