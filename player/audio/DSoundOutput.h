#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>

#include "media/AudioInfo.h"
#include "platform/Event.h"
#include "platform/SoundBuffer.h"
#include "platform/SoundDevice.h"

namespace platform {
class SoundSystem;
}

// Plays 16-bit mono PCM through the sound layer: a looping secondary buffer of six segments that the
// audio player's feed step fills ahead of the play position.
//
// The output keeps count of the bytes written and of the bytes the play position has passed, so it
// knows when playing has caught up with writing (the ring alone cannot tell a full buffer from an
// overrun). Every byte the play position passes is silenced behind it: when writing falls behind, the
// ring plays silence rather than its previous lap, and writing resumes a segment ahead of the play
// position (which moves on between its reading and the write).
class DSoundOutput {
 public:
  static constexpr int kSegments = 6;

  DSoundOutput();
  ~DSoundOutput();  // releases
  DSoundOutput(const DSoundOutput&) = delete;
  DSoundOutput& operator=(const DSoundOutput&) = delete;

  // Copies the format description and builds the wave format from it.
  void setFormat(const AudioInfo& info);
  const platform::WaveFormat& getWaveFormat() const { return m_waveFormat; }
  void setSegmentSize(int bytes) { m_nSegmentSize = bytes; }
  int getSegmentSize() const { return m_nSegmentSize; }
  int getBufferBytes() const { return kSegments * m_nSegmentSize; }

  // Opens the backend's default device; false when it has none.
  bool createDevice(platform::SoundSystem& sound);
  // Makes the primary and the looping secondary buffer on the device and starts playing; false (with
  // a debugger-output line) when a step fails.
  bool initDSound();
  // Frees the buffers and the device; nothing happens when there is no device.
  void release();

  // The secondary buffer, null before initDSound and after release.
  platform::SoundBuffer* getSecondaryBuffer() const { return m_pSecondaryBuffer.get(); }

  // Reads the play position, counts what was played since the last reading and silences it.
  void updatePlayPosition();
  // As of the last updatePlayPosition and the writes since: bytes written ahead of the play position,
  // and bytes that can be written before reaching it.
  int getQueuedAmount() const { return static_cast<int>(m_nWrittenBytes - m_nPlayedBytes); }
  // With nothing queued the next write goes a segment ahead of the play position, so a segment less.
  int getFreeSpace() const { return getBufferBytes() - std::max(getQueuedAmount(), m_nSegmentSize); }
  // Bytes the play position has passed since initDSound.
  std::uint64_t getPlayedBytes() const { return m_nPlayedBytes; }
  int getWritePosition() const { return m_nWritePos; }
  // Bytes past the play position that the device has taken and not yet played out loud (0 when it
  // cannot tell): sound written now is heard after what is queued and this.
  int getDeviceLatency() const;

  // Writes data (length bytes, at most one segment) at the write position, or a segment of silence
  // when data is null, and advances the write position by what was written. With nothing queued the
  // write position first moves a segment ahead of the play position. A lost buffer is restored
  // and locked once more; false when the write could not be made (the write position stays).
  bool writeSegment(const char* data, int length);
  // Silences what is queued ahead of the play position; the next write goes to the play position.
  void discardQueued();

 private:
  bool createPrimaryBuffer();
  bool createSecondaryBuffer();
  bool createPlayPositionEvent();
  bool lockRange(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1, void** part2,
                 std::uint32_t* bytes2);
  void silenceRange(std::uint32_t offset, std::uint32_t bytes);
  std::uint8_t silenceByte() const { return m_waveFormat.bitsPerSample == 8 ? 0x80 : 0x00; }

  AudioInfo m_objAudioInfo;
  int m_nSegmentSize = 0;
  int m_nWritePos = 0;
  std::unique_ptr<platform::SoundDevice> m_pDevice;
  platform::SoundBufferDesc m_secondaryDesc;
  std::shared_ptr<platform::SoundBuffer> m_pSecondaryBuffer;
  std::shared_ptr<platform::SoundBuffer> m_pPrimaryBuffer;
  platform::SoundBufferDesc m_primaryDesc;
  platform::WaveFormat m_waveFormat;
  platform::SoundPositionNotify m_positionNotify[kSegments];
  std::unique_ptr<platform::Event> m_positionEvents[kSegments];

  std::uint32_t m_nLastPlayPos = 0;
  std::uint64_t m_nPlayedBytes = 0;
  std::uint64_t m_nWrittenBytes = 0;
};
