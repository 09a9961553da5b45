#pragma once

// What the audio feed thread needs of its audio player: one feed step, which moves the PCM that is due
// into the sound output. DSoundAudioPlayerImpl is the one implementation; the thread knows nothing else
// of it.
class ISoundFeed {
 public:
  virtual ~ISoundFeed() = default;
  virtual void feedSound() = 0;
};
