#pragma once

class AudioInfo;
class AVData;
class IVideoPlayer;

// The audio player as the stream player drives it: compressed audio frames in, sound out at 8000 Hz,
// 16-bit, mono. The order of the operations is part of the exported interface and never changes.
class IAudioPlayer {
 public:
  virtual ~IAudioPlayer() = default;

  // Stored for embedding programs; the timestamps of audio frames are used only with pictures to go
  // with (syncWithPictures).
  virtual void setUseTimestampForAudio(bool use) = 0;
  // The format given here is replaced by 8000 Hz, 16-bit, mono PCM on open.
  virtual void setupAudioMediaType(const AudioInfo& info) = 0;
  virtual void setAudioWindow(unsigned window) = 0;
  virtual void setAudioPlayQueueSize(unsigned size) = 0;
  // 0, or -605 when the sound output cannot be opened. An open while open starts afresh.
  virtual int openAudio() = 0;
  virtual void closeAudio() = 0;
  virtual int playAudio() = 0;
  // Stops the sound and keeps what is buffered.
  virtual int pauseAudio() = 0;
  // Stops the sound and drops what is buffered, also what the output still held.
  virtual int stopAudio() = 0;
  // Level 0 (silence) to 100 (full volume); getAudioVolume gives back the level that was set.
  virtual int setAudioVolume(long volume) = 0;
  virtual int getAudioVolume(long& volume) = 0;
  // Drops what is buffered, also what the output still held.
  virtual void clearAudioQueue() = 0;
  // 0 buffered (or dropped while closed), -13 no room now (offer it again later), -1 not decoded,
  // -8 a frame too long for the buffer ever to take.
  virtual int pushAudioFrame(const AVData& frame) = 0;
  virtual bool isAudioQueueEmpty() = 0;
  virtual bool isAudioQueueFull() = 0;
  // True when nothing pushed is still to be heard: the buffer is empty and the output has played
  // everything written to it (also true while closed).
  virtual bool isAudioPlayedOut() = 0;
  // The pictures the sound goes with (null: none). Whenever sound begins, the first sample heard is
  // the one whose timestamp the pacing of the pictures stands at: older sound is dropped, and sound
  // ahead of it waits in silence. While sound plays, the pictures are told the time of the sound
  // heard, and follow it. Without pictures, or while they are not paced, sound plays as it comes.
  virtual void syncWithPictures(IVideoPlayer* pictures) = 0;
};
