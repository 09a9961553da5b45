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
#include "player/IVideoPlayer.h"
#include "player/KXPlayerResult.h"
#include "technic/KXMutexLocker.h"

namespace {

constexpr int kFrameQueueMaximum = 200;
// PCM waiting before feeding starts: enough to ride out late input (two segments, 125 ms).
constexpr int kLeadBytes = 2 * DSoundAudioPlayerImpl::kSegmentSize;
// No stream time known.
constexpr int64_t kNoTime = INT64_MIN;
// Sound and pictures further apart than this (microseconds) when sound begins have timestamps that do
// not belong together: the sound plays as it comes.
constexpr int64_t kSyncWindow = 3000000;
// Sound that begins this little behind the pictures is played whole, the pictures waiting for it,
// rather than cut: sound on from the start of play is heard from its first sample.
constexpr int64_t kPictureWaitLimit = 150000;
// Written ahead of sound that is due a little later than the next byte would be heard.
const char kSilence[DSoundAudioPlayerImpl::kSegmentSize] = {};

// a - b, false when it does not fit.
bool distance(int64_t a, int64_t b, int64_t& difference) { return !__builtin_sub_overflow(a, b, &difference); }

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
    m_pcmStamps.clear();
  }
  m_nWrittenTime = kNoTime;
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
  m_pcmStamps.clear();
  m_objOutput.discardQueued();
  m_nWrittenTime = kNoTime;
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
  if (decoded > 0) m_pcmStamps.push_back({frame.getTimeStamp(), decoded});
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
    if (!lineUpWithPictures()) return;
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
  if (taken > 0) m_nWrittenTime = pcmTimeAfter(taken);
  consumePcm(taken);
  reportSoundHeard();
}

void DSoundAudioPlayerImpl::consumePcm(int bytes) {
  if (bytes <= 0) return;
  bytes = std::min(bytes, m_nPcmBytes);
  m_nPcmBytes -= bytes;
  std::memmove(m_pPcmBuffer.get(), m_pPcmBuffer.get() + bytes, static_cast<size_t>(m_nPcmBytes));
  while (bytes > 0 && !m_pcmStamps.empty()) {
    PcmStamp& front = m_pcmStamps.front();
    if (front.bytes > bytes) {
      front.bytes -= bytes;
      if (front.timeStamp <= INT64_MAX - microsOf(bytes)) front.timeStamp += microsOf(bytes);
      return;
    }
    bytes -= front.bytes;
    m_pcmStamps.pop_front();
  }
}

int64_t DSoundAudioPlayerImpl::pcmTimeAfter(int bytes) const {
  for (const PcmStamp& stamp : m_pcmStamps) {
    if (bytes <= stamp.bytes) {
      const int64_t into = microsOf(bytes);
      return stamp.timeStamp <= INT64_MAX - into ? stamp.timeStamp + into : kNoTime;
    }
    bytes -= stamp.bytes;
  }
  return kNoTime;
}

int64_t DSoundAudioPlayerImpl::microsOf(int bytes) const {
  const int64_t rate = m_objAudioInfo.getAvgBytesPerSec() > 0 ? m_objAudioInfo.getAvgBytesPerSec() : 16000;
  return static_cast<int64_t>(bytes) * 1000000 / rate;
}

int DSoundAudioPlayerImpl::bytesOf(int64_t micros) const {
  const int64_t rate = m_objAudioInfo.getAvgBytesPerSec() > 0 ? m_objAudioInfo.getAvgBytesPerSec() : 16000;
  const int64_t bytes = std::min<int64_t>(micros, kSyncWindow) * rate / 1000000;
  return static_cast<int>(bytes / 2 * 2);
}

void DSoundAudioPlayerImpl::syncWithPictures(IVideoPlayer* pictures) {
  KXMutexLocker output(m_outputLock, __FILE__, __LINE__);
  m_pPictures = pictures;
}

bool DSoundAudioPlayerImpl::lineUpWithPictures() {
  int64_t paced = 0;
  if (m_pPictures == nullptr || m_pcmStamps.empty() || !m_pPictures->getPacedStreamTime(paced)) return true;
  // The next byte written is heard after what is queued (at least the segment that writing into an
  // empty output leaves ahead of the play position) and what the device holds.
  const int lead = std::max(m_objOutput.getQueuedAmount(), m_nSegmentSize) + m_objOutput.getDeviceLatency();
  int64_t heardAt = 0;
  if (__builtin_add_overflow(paced, microsOf(lead), &heardAt)) return true;
  const int64_t front = m_pcmStamps.front().timeStamp;
  int64_t ahead = 0;
  if (!distance(front, heardAt, ahead) || ahead > kSyncWindow || ahead < -kSyncWindow) return true;
  if (ahead > 0) {
    // Ahead of the pictures: silence until it is due, written exactly once it is due within a segment.
    if (ahead > microsOf(m_nSegmentSize)) return false;
    const int silence = bytesOf(ahead);
    if (silence > 0 && !m_objOutput.writeSegment(kSilence, silence)) return false;
    m_nWrittenTime = front;
    return true;
  }
  if (-ahead <= kPictureWaitLimit) {
    // A little behind: the pictures wait for it, so that sound on when play starts (or resumes from
    // the picture a seek or step showed) is heard from its first sample.
    m_pPictures->followSoundClock(front - microsOf(lead), true);
    return true;
  }
  // Older: what would be heard before the pictures' time is dropped.
  int64_t late = 0;
  while (!m_pcmStamps.empty() && distance(heardAt, m_pcmStamps.front().timeStamp, late) && late > 0) {
    consumePcm(std::min(m_pcmStamps.front().bytes, std::max(2, bytesOf(late))));
  }
  return m_nPcmBytes > 0;
}

void DSoundAudioPlayerImpl::reportSoundHeard() {
  const int queued = m_objOutput.getQueuedAmount();
  if (m_pPictures == nullptr || m_nWrittenTime == kNoTime || queued <= 0) return;
  const int64_t behindWritten = microsOf(queued + m_objOutput.getDeviceLatency());
  if (m_nWrittenTime < INT64_MIN + behindWritten) return;
  m_pPictures->followSoundClock(m_nWrittenTime - behindWritten, false);
}
