#include "player/audio/DSoundOutput.h"

#include <algorithm>
#include <cstring>

#include "platform/DebugOutput.h"
#include "platform/SoundSystem.h"

namespace {

constexpr std::uint32_t kSecondaryFlags = platform::kSoundBufferCtrlFrequency | platform::kSoundBufferCtrlPan |
                                          platform::kSoundBufferCtrlVolume |
                                          platform::kSoundBufferCtrlPositionNotify |
                                          platform::kSoundBufferGlobalFocus |
                                          platform::kSoundBufferGetCurrentPosition2;

}  // namespace

DSoundOutput::DSoundOutput() {
  m_secondaryDesc.flags = kSecondaryFlags;
  m_primaryDesc.flags = platform::kSoundBufferPrimary;
  setFormat(m_objAudioInfo);
}

DSoundOutput::~DSoundOutput() { release(); }

void DSoundOutput::setFormat(const AudioInfo& info) {
  m_objAudioInfo = info;
  m_waveFormat.formatTag = 1;
  m_waveFormat.channels = info.getChannels();
  m_waveFormat.samplesPerSec = info.getSamplesPerSec();
  m_waveFormat.bitsPerSample = info.getBitsPerSample();
  m_waveFormat.blockAlign = static_cast<std::uint16_t>(info.getBitsPerSample() / 8 * info.getChannels());
  m_waveFormat.avgBytesPerSec = m_waveFormat.blockAlign * m_waveFormat.samplesPerSec;
  m_waveFormat.extraSize = 0;
}

bool DSoundOutput::createDevice(platform::SoundSystem& sound) {
  return platform::soundSucceeded(sound.createDevice(m_pDevice));
}

bool DSoundOutput::initDSound() {
  if (!m_pDevice) return false;
  // The sound layer needs no window for its cooperative level.
  if (!platform::soundSucceeded(m_pDevice->setCooperativeLevel(0, platform::kSoundCooperativePriority))) {
    platform::debugOutput("initDSound IDirectSound_SetCooperativeLevel Error\n");
    return false;
  }
  if (!createPrimaryBuffer()) {
    platform::debugOutput("initDSound createPrimaryBuffer Error\n");
    return false;
  }
  if (!createSecondaryBuffer()) {
    platform::debugOutput("initDSound createSecondaryBuffer Error\n");
    return false;
  }
  if (!createPlayPositionEvent()) {
    platform::debugOutput("initDSound createPlayPositionEvent Error\n");
    return false;
  }
  m_pSecondaryBuffer->setCurrentPosition(0);
  m_nWritePos = 0;
  m_nLastPlayPos = 0;
  m_nPlayedBytes = 0;
  m_nWrittenBytes = 0;
  if (!platform::soundSucceeded(m_pSecondaryBuffer->play(platform::kSoundPlayLooping))) {
    platform::debugOutput("initDSound IDirectSoundBuffer_Play Error\n");
    return false;
  }
  return true;
}

bool DSoundOutput::createPrimaryBuffer() {
  if (!platform::soundSucceeded(m_pDevice->createSoundBuffer(m_primaryDesc, m_pPrimaryBuffer))) return false;
  return platform::soundSucceeded(m_pPrimaryBuffer->setFormat(m_waveFormat));
}

bool DSoundOutput::createSecondaryBuffer() {
  m_secondaryDesc.bufferBytes = static_cast<std::uint32_t>(getBufferBytes());
  m_secondaryDesc.format = m_waveFormat;
  return platform::soundSucceeded(m_pDevice->createSoundBuffer(m_secondaryDesc, m_pSecondaryBuffer));
}

bool DSoundOutput::createPlayPositionEvent() {
  for (int i = 0; i < kSegments; ++i) {
    m_positionEvents[i] = std::make_unique<platform::Event>(false, false);
    m_positionNotify[i].offset = static_cast<std::uint32_t>(i * m_nSegmentSize);
    m_positionNotify[i].event = m_positionEvents[i].get();
  }
  return platform::soundSucceeded(m_pSecondaryBuffer->setNotificationPositions(m_positionNotify, kSegments));
}

void DSoundOutput::release() {
  if (!m_pDevice) return;
  if (m_pSecondaryBuffer) m_pSecondaryBuffer->stop();
  m_pSecondaryBuffer.reset();
  m_pPrimaryBuffer.reset();
  m_pDevice.reset();
  for (int i = 0; i < kSegments; ++i) {
    m_positionNotify[i].event = nullptr;
    m_positionEvents[i].reset();
  }
}

int DSoundOutput::getDeviceLatency() const {
  std::uint32_t bytes = 0;
  if (!m_pSecondaryBuffer || !platform::soundSucceeded(m_pSecondaryBuffer->getOutputLatency(&bytes))) return 0;
  return static_cast<int>(std::min<std::uint32_t>(bytes, 1u << 24));
}

void DSoundOutput::updatePlayPosition() {
  if (!m_pSecondaryBuffer) return;
  std::uint32_t play = 0;
  // A failed reading is taken as no progress: the counts must not jump.
  if (!platform::soundSucceeded(m_pSecondaryBuffer->getCurrentPosition(&play, nullptr))) return;
  const std::uint32_t total = static_cast<std::uint32_t>(getBufferBytes());
  const std::uint32_t passed = (play + total - m_nLastPlayPos) % total;
  if (passed == 0) return;
  silenceRange(m_nLastPlayPos, passed);
  m_nLastPlayPos = play;
  m_nPlayedBytes += passed;
  if (m_nPlayedBytes > m_nWrittenBytes) {
    // Playing overtook writing: what it passed was silence; write on from where it stands.
    m_nWrittenBytes = m_nPlayedBytes;
    m_nWritePos = static_cast<int>(play);
  }
}

bool DSoundOutput::lockRange(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1,
                             void** part2, std::uint32_t* bytes2) {
  platform::SoundResult result = m_pSecondaryBuffer->lock(offset, bytes, part1, bytes1, part2, bytes2);
  if (result == platform::kSoundBufferLost) {
    m_pSecondaryBuffer->restore();
    result = m_pSecondaryBuffer->lock(offset, bytes, part1, bytes1, part2, bytes2);
  }
  return platform::soundSucceeded(result);
}

void DSoundOutput::silenceRange(std::uint32_t offset, std::uint32_t bytes) {
  void* part1 = nullptr;
  void* part2 = nullptr;
  std::uint32_t bytes1 = 0;
  std::uint32_t bytes2 = 0;
  if (!lockRange(offset, bytes, &part1, &bytes1, &part2, &bytes2)) return;
  std::memset(part1, silenceByte(), bytes1);
  if (part2 != nullptr) std::memset(part2, silenceByte(), bytes2);
  m_pSecondaryBuffer->unlock(part1, bytes1, part2, bytes2);
}

bool DSoundOutput::writeSegment(const char* data, int length) {
  if (!m_pSecondaryBuffer || m_nSegmentSize <= 0) return false;
  const int total = getBufferBytes();
  if (getQueuedAmount() <= 0) {
    // Nothing is queued: the play position read last has moved on since, and bytes written behind it
    // would be silenced unheard. Writing starts a segment ahead of it (silence until then).
    const auto lead = static_cast<std::uint32_t>(m_nSegmentSize);
    m_nWritePos = static_cast<int>((m_nLastPlayPos + lead) % static_cast<std::uint32_t>(total));
    m_nWrittenBytes = m_nPlayedBytes + lead;
  }
  if (m_nWritePos >= total) m_nWritePos = 0;
  const int bytes = data != nullptr ? std::min(std::max(length, 0), m_nSegmentSize) : m_nSegmentSize;
  if (bytes == 0) return true;
  void* part1 = nullptr;
  void* part2 = nullptr;
  std::uint32_t bytes1 = 0;
  std::uint32_t bytes2 = 0;
  if (!lockRange(static_cast<std::uint32_t>(m_nWritePos), static_cast<std::uint32_t>(bytes), &part1, &bytes1, &part2,
                 &bytes2)) {
    return false;
  }
  if (data != nullptr) {
    std::memcpy(part1, data, bytes1);
    if (part2 != nullptr) std::memcpy(part2, data + bytes1, bytes2);
  } else {
    std::memset(part1, silenceByte(), bytes1);
    if (part2 != nullptr) std::memset(part2, silenceByte(), bytes2);
  }
  if (!platform::soundSucceeded(m_pSecondaryBuffer->unlock(part1, bytes1, part2, bytes2))) return false;
  m_nWritePos = (m_nWritePos + bytes) % total;
  m_nWrittenBytes += static_cast<std::uint64_t>(bytes);
  return true;
}

void DSoundOutput::discardQueued() {
  if (!m_pSecondaryBuffer) return;
  updatePlayPosition();
  const int queued = getQueuedAmount();
  if (queued > 0) silenceRange(m_nLastPlayPos, static_cast<std::uint32_t>(queued));
  m_nWritePos = static_cast<int>(m_nLastPlayPos);
  m_nWrittenBytes = m_nPlayedBytes;
}
