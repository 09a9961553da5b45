#include "player/audio/DSoundAudioPlayerImpl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "codec/AudioCodec.h"
#include "codec/AudioCodecFactory.h"
#include "media/AVData.h"
#include "platform/DebugOutput.h"
#include "platform/SoundSystem.h"
#include "player/KXPlayerResult.h"
#include "technic/KXMutexLocker.h"

namespace {

constexpr int kFrameQueueMaximum = 200;
// PCM waiting before feeding starts: enough to ride out late input (two segments, 125 ms).
constexpr int kLeadBytes = 2 * DSoundAudioPlayerImpl::kSegmentSize;

}  // namespace

DSoundAudioPlayerImpl::DSoundAudioPlayerImpl(platform::SoundSystem* sound)
    : m_pPcmBuffer(new char[kPcmCapacity]),
      m_objFeedThread(this),
      m_pCodec(createAudioCodec(kInitialEncoderType)),
      m_pDecodeBuffer(new char[kDecodeBufferSize]),
      m_pSound(sound) {
  setMaxSize(kFrameQueueMaximum);
}

DSoundAudioPlayerImpl::~DSoundAudioPlayerImpl() {
  closeAudio();
  stopFeedThread();
  delete m_pCodec;
  clear();
}

void DSoundAudioPlayerImpl::setupAudioMediaType(const AudioInfo& info) { m_objAudioInfo = info; }

int DSoundAudioPlayerImpl::openAudio() {
  // A second open starts afresh rather than leave the first output open.
  if (m_bOpened.load()) closeAudio();
  m_objAudioInfo.setSamplesPerSec(8000);
  m_objAudioInfo.setBitsPerSample(16);
  m_objAudioInfo.setFormatTag(1);
  m_objAudioInfo.setChannels(1);
  m_objAudioInfo.setAvgBytesPerSec(16000);
  m_objAudioInfo.setBlockAlign(2);
  m_objAudioInfo.setCBSize(0);

  KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
  m_objOutput.setFormat(m_objAudioInfo);
  m_objOutput.setSegmentSize(m_nSegmentSize);
  platform::SoundSystem* sound = m_pSound != nullptr ? m_pSound : platform::SoundSystem::current();
  if (sound == nullptr || !m_objOutput.createDevice(*sound) || !m_objOutput.initDSound()) {
    m_objOutput.release();
    return KXPLAYER_DECODER_OPEN_FAILED;
  }
  if (platform::SoundBuffer* buffer = m_objOutput.getSecondaryBuffer()) buffer->setFrequency(8000);
  m_bFeeding = false;
  m_nWaitStartPlayed = -1;
  m_bOpened.store(true);
  return KXPLAYER_OK;
}

void DSoundAudioPlayerImpl::closeAudio() {
  if (!m_bOpened.load()) return;
  stopFeedThread();
  KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
  m_objOutput.release();
  {
    KXMutexLocker pcm(m_pcmLock, __FILE__, __LINE__);
    m_nPcmBytes = 0;
  }
  m_bFeeding = false;
  m_bOpened.store(false);
}

int DSoundAudioPlayerImpl::playAudio() {
  if (!m_bOpened.load()) return KXPLAYER_OK;
  {
    KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
    platform::SoundBuffer* buffer = m_objOutput.getSecondaryBuffer();
    if (buffer == nullptr || !platform::soundSucceeded(buffer->play(platform::kSoundPlayLooping))) {
      platform::debugOutput("initDSound IDirectSoundBuffer_Play Error\n");
    }
  }
  const int started = m_objFeedThread.start();
  if (started != KXPLAYER_OK && started != AudioFeedThread::kAlreadyRunning) {
    // Without its feed the output would loop over what it last held and no sound pushed would be
    // heard: the play fails, with the output stopped.
    KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
    if (platform::SoundBuffer* buffer = m_objOutput.getSecondaryBuffer()) buffer->stop();
    return started;
  }
  return KXPLAYER_OK;
}

int DSoundAudioPlayerImpl::pauseAudio() {
  if (!m_bOpened.load()) return KXPLAYER_OK;
  stopFeedThread();
  KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
  platform::SoundBuffer* buffer = m_objOutput.getSecondaryBuffer();
  if (buffer == nullptr || !platform::soundSucceeded(buffer->stop())) {
    platform::debugOutput("IDirectSoundBuffer_Pause Error\n");
  }
  return KXPLAYER_OK;
}

int DSoundAudioPlayerImpl::stopAudio() {
  pauseAudio();
  discardSound();
  return KXPLAYER_OK;
}

void DSoundAudioPlayerImpl::clearAudioQueue() { discardSound(); }

void DSoundAudioPlayerImpl::discardSound() {
  KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
  KXMutexLocker pcm(m_pcmLock, __FILE__, __LINE__);
  m_nPcmBytes = 0;
  m_objOutput.discardQueued();
  m_bFeeding = false;
  m_nWaitStartPlayed = -1;
}

void DSoundAudioPlayerImpl::stopFeedThread() {
  m_objFeedThread.setStopFlag();
  if (m_objFeedThread.isRunning()) m_objFeedThread.stop();
}

int32_t DSoundAudioPlayerImpl::levelToMillibels(long level) {
  if (level <= 0) return platform::kSoundVolumeMin;
  if (level >= 100) return platform::kSoundVolumeMax;
  const long millibels = std::lround(2000.0 * std::log10(level / 100.0));
  return static_cast<int32_t>(std::max<long>(millibels, platform::kSoundVolumeMin));
}

long DSoundAudioPlayerImpl::millibelsToLevel(int32_t millibels) {
  if (millibels <= platform::kSoundVolumeMin) return 0;
  return std::lround(100.0 * std::pow(10.0, millibels / 2000.0));
}

int DSoundAudioPlayerImpl::setAudioVolume(long volume) {
  if (!m_bOpened.load()) return KXPLAYER_OK;
  KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
  if (platform::SoundBuffer* buffer = m_objOutput.getSecondaryBuffer()) buffer->setVolume(levelToMillibels(volume));
  return KXPLAYER_OK;
}

int DSoundAudioPlayerImpl::getAudioVolume(long& volume) {
  if (!m_bOpened.load()) return KXPLAYER_OK;
  KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
  volume = 0;
  int32_t millibels = 0;
  platform::SoundBuffer* buffer = m_objOutput.getSecondaryBuffer();
  if (buffer != nullptr && platform::soundSucceeded(buffer->getVolume(&millibels))) {
    volume = millibelsToLevel(millibels);
  }
  return KXPLAYER_OK;
}

int DSoundAudioPlayerImpl::pushAudioFrame(const AVData& frame) {
  if (!m_bOpened.load()) return KXPLAYER_OK;
  int decoded = 0;
  if (isHeldFrame(frame)) {
    // Offered again after "try again": its PCM is still in the decode buffer. Decoding it twice would
    // run a codec with memory (AMR-NB) over the same frame twice.
    decoded = m_nHeldBytes;
  } else {
    if (frame.getEncoderType() != m_nEncoderType) {
      std::printf("Now EncoderType:%d\n", frame.getEncoderType());
      std::fflush(stdout);
      delete m_pCodec;
      m_pCodec = createAudioCodec(frame.getEncoderType());
      m_nEncoderType = frame.getEncoderType();
    }
    if (m_pCodec == nullptr) return -1;
    decoded = m_nDecodeBufferSize;
    if (!m_pCodec->decode(frame.getData(), frame.getDataLength(), m_pDecodeBuffer.get(), decoded)) return -1;
  }
  m_nHeldBytes = 0;
  if (decoded > m_nPcmCapacity) {
    // It would never fit: refusing it as "try again" would stall the caller for ever.
    platform::debugOutputFormat("audio frame of %d PCM bytes exceeds the %d-byte buffer; dropped\n", decoded,
                                m_nPcmCapacity);
    return KXPLAYER_OUT_OF_RANGE;
  }
  KXMutexLocker pcm(m_pcmLock, __FILE__, __LINE__);
  if (m_nPcmBytes + decoded > m_nPcmCapacity) {
    m_heldFrame.assign(frame.getData(), static_cast<size_t>(frame.getDataLength()));
    m_nHeldType = frame.getEncoderType();
    m_nHeldBytes = decoded;
    return KXPLAYER_QUEUE_FULL;
  }
  std::memcpy(m_pPcmBuffer.get() + m_nPcmBytes, m_pDecodeBuffer.get(), static_cast<size_t>(decoded));
  m_nPcmBytes += decoded;
  return KXPLAYER_OK;
}

bool DSoundAudioPlayerImpl::isHeldFrame(const AVData& frame) const {
  return m_nHeldBytes > 0 && frame.getEncoderType() == m_nHeldType && frame.getDataLength() >= 0 &&
         static_cast<size_t>(frame.getDataLength()) == m_heldFrame.size() &&
         (m_heldFrame.empty() || std::memcmp(frame.getData(), m_heldFrame.data(), m_heldFrame.size()) == 0);
}

bool DSoundAudioPlayerImpl::isAudioQueueEmpty() {
  KXMutexLocker pcm(m_pcmLock, __FILE__, __LINE__);
  return m_nPcmBytes == 0;
}

int DSoundAudioPlayerImpl::getBufferedBytes() {
  KXMutexLocker pcm(m_pcmLock, __FILE__, __LINE__);
  return m_nPcmBytes;
}

bool DSoundAudioPlayerImpl::isAudioQueueFull() {
  KXMutexLocker pcm(m_pcmLock, __FILE__, __LINE__);
  return m_nPcmBytes >= m_nPcmCapacity;
}

bool DSoundAudioPlayerImpl::isAudioPlayedOut() {
  if (!m_bOpened.load()) return true;
  KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
  m_objOutput.updatePlayPosition();
  KXMutexLocker pcm(m_pcmLock, __FILE__, __LINE__);
  return m_nPcmBytes == 0 && m_objOutput.getQueuedAmount() <= 0;
}

void DSoundAudioPlayerImpl::feedSound() {
  if (!m_bOpened.load()) return;
  KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
  m_objOutput.updatePlayPosition();
  KXMutexLocker pcm(m_pcmLock, __FILE__, __LINE__);
  if (!m_bFeeding) {
    if (m_nPcmBytes == 0) {
      m_nWaitStartPlayed = -1;
      return;
    }
    const auto played = static_cast<std::int64_t>(m_objOutput.getPlayedBytes());
    if (m_nWaitStartPlayed < 0) m_nWaitStartPlayed = played;
    if (m_nPcmBytes < kLeadBytes && played - m_nWaitStartPlayed < kLeadBytes) return;
    m_bFeeding = true;
  }
  if (m_objOutput.getQueuedAmount() == 0 && m_nPcmBytes == 0) {
    // The input ran dry and the output has played everything: silence until a new lead builds up.
    m_bFeeding = false;
    m_nWaitStartPlayed = -1;
    return;
  }
  int taken = 0;
  int free = m_objOutput.getFreeSpace();
  bool written = true;
  while (m_nPcmBytes - taken >= m_nSegmentSize && free >= m_nSegmentSize) {
    written = m_objOutput.writeSegment(m_pPcmBuffer.get() + taken, m_nSegmentSize);
    if (!written) break;  // the buffer stays lost: this PCM goes out at the next step
    taken += m_nSegmentSize;
    free -= m_nSegmentSize;
  }
  const int rest = m_nPcmBytes - taken;
  if (written && rest > 0 && rest < m_nSegmentSize && rest <= free &&
      m_objOutput.writeSegment(m_pPcmBuffer.get() + taken, rest)) {
    // PCM short of a segment goes out too: waiting for a whole one could let the output run dry
    // while sound is waiting (at the end of speech, or when the feed step is late on a busy machine).
    taken += rest;
  }
  consumePcm(taken);
}

void DSoundAudioPlayerImpl::consumePcm(int bytes) {
  if (bytes <= 0) return;
  m_nPcmBytes -= bytes;
  std::memmove(m_pPcmBuffer.get(), m_pPcmBuffer.get() + bytes, static_cast<size_t>(m_nPcmBytes));
}
