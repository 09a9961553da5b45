#pragma once
#include "player/IAudioPlayer.h"

namespace platform {
class SoundSystem;
}
class DSoundAudioPlayerImpl;

// The audio player behind IAudioPlayer: decodes each pushed frame with the codec of its encoder type
// and plays the PCM through the sound layer. Every operation forwards to the implementation.
class DSoundAudioPlayer : public IAudioPlayer {
 public:
  // Plays through the process's sound system: the real one unless a test installed another.
  DSoundAudioPlayer();
  // Plays through the given sound system, which must outlive the player.
  explicit DSoundAudioPlayer(platform::SoundSystem& sound);
  ~DSoundAudioPlayer() override;
  DSoundAudioPlayer(const DSoundAudioPlayer&) = delete;
  DSoundAudioPlayer& operator=(const DSoundAudioPlayer&) = delete;

  void setUseTimestampForAudio(bool use) override;
  void setupAudioMediaType(const AudioInfo& info) override;
  void setAudioWindow(unsigned window) override;
  void setAudioPlayQueueSize(unsigned size) override;
  int openAudio() override;
  void closeAudio() override;
  int playAudio() override;
  int pauseAudio() override;
  int stopAudio() override;
  int setAudioVolume(long volume) override;
  int getAudioVolume(long& volume) override;
  void clearAudioQueue() override;
  int pushAudioFrame(const AVData& frame) override;
  bool isAudioQueueEmpty() override;
  bool isAudioQueueFull() override;
  bool isAudioPlayedOut() override;
  void syncWithPictures(IVideoPlayer* pictures) override;

 private:
  DSoundAudioPlayerImpl* m_pImpl;
};
