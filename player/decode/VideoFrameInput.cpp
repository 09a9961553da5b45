#include "player/decode/VideoFrameInput.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/AVData.h"
#include "media/EncoderType.h"
#include "media/FrameKind.h"
#include "player/IVideoPlayer.h"
#include "technic/KXMutexLocker.h"
#include "technic/SaturatingMath.h"

namespace {

constexpr uint32_t kLiveQueueSize = 90;
constexpr int64_t kAbnormalIntervalSlack = 20000;
constexpr int64_t kJitterStep = 10000;
// The pictures follow the sound clock by this part of their distance at each report of the sound.
constexpr int64_t kSoundFollowParts = 8;
// Pictures and sound this far apart (microseconds) do not belong together: the pictures do not follow.
constexpr int64_t kSoundFollowLimit = 1000000;

}  // namespace

VideoFrameInput::VideoFrameInput(const PlayerDebugLog& log, MicroClock clock)
    : m_log(log), m_fnNow(clock ? std::move(clock) : MicroClock(getMicroSeconds)),
      m_pInputClock(input_clock_Create(1000, 10)) {
  m_objInputQueue.setMaxSize(IVideoPlayer::kMinInputQueueSize);
}

VideoFrameInput::~VideoFrameInput() { input_clock_Delete(m_pInputClock); }

void VideoFrameInput::lockClock() const { m_csClock.lock(__FILE__, __LINE__); }
void VideoFrameInput::unlockClock() const { m_csClock.unlock(__FILE__, __LINE__); }

int VideoFrameInput::pushVideoFrame(const AVData& frame) {
  if (!m_bOpened.load()) return 0;
  KXMutexLocker push(m_csPush, __FILE__, __LINE__);
  if (frame.getFrameType() == FrameKind::kPFrame && m_bDiscardPFrames.load()) {
    m_log.printMessage(2, "pushVideoFrame discard p frame ...");
    return 0;
  }
  if (m_bResizeQueueByFps.exchange(false)) resizeQueueByFps(frame.getFrameRate());
  if (static_cast<uint32_t>(m_objInputQueue.count()) >= m_objInputQueue.acceptLimit()) {
    if (m_bLive.load()) m_log.printMessage(3, "decoder input queue full !");
    if (m_bAutoClearQueue.load()) m_bDiscardPFrames.store(true);
    return -13;
  }
  m_bDiscardPFrames.store(false);
  AVData* copy = copyFrame(frame);
  if (copy == nullptr) {
    m_log.printMessage(2, "new AVData alloc error ! current input queue len %d !", m_objInputQueue.count());
    if (m_bAutoClearQueue.load()) m_bDiscardPFrames.store(true);
    return -13;
  }

  const bool clocked = m_bUseTimestamp.load() && !m_bZeroBufDelay.load();
  int64_t ts = frame.getTimeStamp();
  if (clocked && m_bUseReverseTimestamp.load()) {
    // Backward-running timestamps are mirrored around the clock's reference.
    lockClock();
    if (m_pInputClock->hasReference) ts = saturating::sub(saturating::mul(2, m_pInputClock->ref.stream), ts);
    unlockClock();
  }
  copy->setTimeStamp(ts);
  const int64_t now = m_fnNow();

  bool discontinuity = false;
  const uint32_t id = frame.getSequenceId();
  if (frame.getEncoderType() == EncoderType::H264 && m_nLastInputSeqId != 0 && m_fRate.load() == 1.0f &&
      id - m_nLastInputSeqId != 1) {
    m_log.printMessage(2, "pushVideoFrame lastInputSequenceID %u\t currentInputSequenceID %u\t lost %d",
                       m_nLastInputSeqId, id, static_cast<int>(id - m_nLastInputSeqId - 1));
    discontinuity = true;
  }
  m_nLastInputSeqId = id;

  if (!m_bUseReverseTimestamp.load()) updateStatistics(frame, ts, now);
  if (clocked) feedClock(frame, ts, now, discontinuity);

  m_objInputQueue.addTail(copy);
  m_hInputEvent.set();
  return 0;
}

AVData* VideoFrameInput::copyFrame(const AVData& frame) {
  auto* copy = new (std::nothrow) AVData();
  if (copy == nullptr) return nullptr;
  const int length = std::max(0, frame.getDataLength());
  if (!copy->alloc(static_cast<unsigned>(length) + kFramePadding) ||
      (length > 0 && frame.getData() != nullptr && !copy->copyData(frame.getData(), static_cast<unsigned>(length)))) {
    delete copy;
    return nullptr;
  }
  // The spare bytes after the data are zero, as the decoder's read-ahead needs.
  std::memset(const_cast<char*>(copy->getData()) + copy->getDataLength(), 0,
              copy->getBufferSize() - static_cast<unsigned>(copy->getDataLength()));
  copy->setBitRate(frame.getBitRate());
  copy->setCameraNo(frame.getCameraNo());
  copy->setEncoderType(frame.getEncoderType());
  copy->setESStreamType(frame.getESStreamType());
  copy->setFrameRate(frame.getFrameRate());
  copy->setFrameType(frame.getFrameType());
  copy->setImageFormatId(frame.getImageFormatId());
  copy->setImageWidth(frame.getImageWidth());
  copy->setImageHeight(frame.getImageHeight());
  copy->setSequenceId(frame.getSequenceId());
  copy->setStreamFormat(frame.getStreamFormat());
  copy->setVideoSystem(frame.getVideoSystem());
  return copy;
}

void VideoFrameInput::resizeQueueByFps(int frameRate) {
  const int fps = frameRate != 0 ? frameRate : FrameKind::kDefaultFrameRate;
  const uint32_t n = std::max<uint32_t>(IVideoPlayer::kMinInputQueueSize,
                                        static_cast<uint32_t>(static_cast<int64_t>(m_nMaxDelayMs.load()) * fps / 1000));
  if (n == m_objInputQueue.maxSize()) return;
  if (n < m_objInputQueue.maxSize()) m_objInputQueue.clear();
  m_objInputQueue.setMaxSize(std::min(n, AVDataQueue::kMaxLimit));
  m_log.printMessage(3, "setMaxDelayTime %u ms, fps %d, bufMaxSize %u", m_nMaxDelayMs.load(), fps,
                     m_objInputQueue.maxSize());
}

void VideoFrameInput::updateStatistics(const AVData& frame, int64_t ts, int64_t now) {
  if (frame.getFrameType() != FrameKind::kKeyFrame) {
    m_nGopCount++;
    return;
  }
  if (m_nLastKeyStreamTs != 0 && m_nGopCount != 0 && ts > m_nLastKeyStreamTs && now > m_nLastKeySystemTime) {
    const int64_t frames = static_cast<int64_t>(m_nGopCount) + 1;
    const int64_t streamTenths = frames * 10000000 / saturating::sub(ts, m_nLastKeyStreamTs);
    const int64_t systemTenths = frames * 10000000 / saturating::sub(now, m_nLastKeySystemTime);
    m_nStreamFps.store(static_cast<int>(streamTenths / 10));
    m_nSystemFps.store(static_cast<int>(systemTenths / 10));
    lockClock();
    const int64_t ptsDelay = m_nPtsDelay;
    const int64_t drift = m_pInputClock->drift.value;
    unlockClock();
    m_nDelayFrames.store(static_cast<int>(frame.getFrameRate() * (ptsDelay / 1000) / 1000));
    m_log.printMessage(m_log.playerNo() == 1 ? 3 : 4,
                       "GOP: %d\t streamFPS: %d.%d\t systemFPS: %d.%d\t avdataFPS: %d\t bufLen: %d\t drift: %lld\t",
                       m_nGopCount + 1, static_cast<int>(streamTenths / 10), static_cast<int>(streamTenths % 10),
                       static_cast<int>(systemTenths / 10), static_cast<int>(systemTenths % 10), frame.getFrameRate(),
                       m_objInputQueue.count(), static_cast<long long>(drift));
  }
  m_nLastKeyStreamTs = ts;
  m_nLastKeySystemTime = now;
  m_nGopCount = 0;
}

void VideoFrameInput::feedClock(const AVData& frame, int64_t ts, int64_t now, bool discontinuity) {
  const bool live = m_bLive.load();
  const int64_t maxDelay = static_cast<int64_t>(m_nMaxDelayMs.load()) * 1000;
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  input_clock* clock = m_pInputClock;
  if (clock->hasReference) {
    // A jump of any size saturates here and counts as a time error like a reversed timestamp.
    const int64_t interval = saturating::sub(ts, clock->last.stream);
    const int fps = m_nStreamFps.load();
    if (!discontinuity && fps != 0 && interval > 1000000 / fps + kAbnormalIntervalSlack) {
      m_log.printMessage(4, "newStreamInterval %lld abnormal !\t ID: %u", static_cast<long long>(interval),
                         frame.getSequenceId());
      m_nAbnormalSeqId = frame.getSequenceId();
    }
    if (interval < 0 || interval > kMaxFrameInterval || (live && discontinuity)) {
      if (live && discontinuity) m_log.printMessage(3, "live play, but input sequence id discontinuous !!!");
      m_log.printMessage(2, "pushVideoFrame time error, n_tt-o_tt:%lld", static_cast<long long>(interval));
      if (live) {
        m_log.printMessage(2, "pushVideoFrame time error when live, need reset input clock !");
        input_clock_Reset(clock);
        copyClockFlags();
        startOldClockPacing(m_objInputQueue.count());
      }
    }
  }
  bool late = false;
  input_clock_Update(clock, &late, !live, ts, now);
  if (clock->mayBeNotLive != m_bMayBeNotLive) {
    m_bMayBeNotLive = clock->mayBeNotLive;
    m_log.printMessage(3, "live play flag is true, but may be not live now !");
  }
  if (clock->decreasing != m_bDecreasing) {
    m_bDecreasing = clock->decreasing;
    m_nPtsDelay = clock->pts_delay;
    if (m_bDecreasing) {
      m_log.printMessage(3, "decrease delay, pts_delay : %lld ms  target : %lld ms  buflen : %d",
                         static_cast<long long>(clock->pts_delay / 1000),
                         static_cast<long long>(clock->decreaseTarget / 1000), m_objInputQueue.count());
    }
  }
  if (late && live && m_nPtsDelay < maxDelay) {
    int64_t jitter = input_clock_GetJitter(clock);
    if (jitter > maxDelay) {
      m_log.printMessage(3, "delay of %d ms ignored", static_cast<int>(jitter / 1000));
      jitter = maxDelay;
    }
    if (jitter - m_nPtsDelay > kJitterStep) {
      m_log.printMessage(3, "pts_delay increased to %d ms", static_cast<int>(jitter / 1000));
      m_nPtsDelay = jitter;
      input_clock_SetJitter(clock, jitter, m_nClockSampleCount.load());
    }
  }
}

void VideoFrameInput::copyClockFlags() {
  m_bMayBeNotLive = m_pInputClock->mayBeNotLive;
  m_bDecreasing = m_pInputClock->decreasing;
}

void VideoFrameInput::startOldClockPacing(int queued) {
  m_nOldClockFrames = queued;
  if (queued == 0) return;
  const int interval = static_cast<int>(m_pInputClock->pts_delay / 1000 / queued);
  if (interval > kDefaultPaceIntervalMs) {
    m_nPaceIntervalMs = interval;
    m_log.printMessage(3, "interval for frames in buff sync by old clock : %d ms, buf len : %d", interval, queued);
  }
}

void VideoFrameInput::setMaxDelayTime(unsigned ms) {
  if (ms == m_nMaxDelayMs.load()) return;
  ms = std::min(ms, kMaxDelayMs);
  m_nMaxDelayMs.store(ms);
  if (!m_bLive.load()) {
    m_log.printMessage(3, "setMaxDelayTime %u ms, need init queue max size by fps.", ms);
    m_bResizeQueueByFps.store(true);
    return;
  }
  if (ms == 0) {
    m_log.printMessage(3, "set ZeroBufDelay, bufMaxSize %u", m_objInputQueue.maxSize());
    m_bZeroBufDelay.store(true);
    return;
  }
  const int64_t delay = static_cast<int64_t>(ms) * 1000;
  {
    KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
    if (m_nPtsDelay > delay) {
      m_log.printMessage(3, "need decrease delay now !");
      m_pInputClock->pts_delay = delay;
      m_nPtsDelay = m_pInputClock->pts_delay;
    }
  }
  if (m_objInputQueue.maxSize() / 30 * 1000 < ms * 9) {
    // At least one frame: a very short delay would otherwise give a maximum of 0, and every later
    // push would be refused for ever.
    const uint32_t size = std::max<uint32_t>(1, std::min<uint32_t>(ms * 270 / 1000, AVDataQueue::kMaxLimit));
    m_objInputQueue.setMaxSize(size);
    m_log.printMessage(3, "setMaxBufSize %u", size);
  }
  m_log.printMessage(3, "setMaxDelayTime %u ms, bufMaxSize %u", ms, m_objInputQueue.maxSize());
  const int sampleCount = static_cast<int>(ms / 1000 * 10 + 10);
  if (sampleCount != m_nClockSampleCount.load()) {
    m_nClockSampleCount.store(sampleCount);
    m_log.printMessage(3, "newInputClockSampleCount %d", sampleCount);
    KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
    input_clock_SetJitter(m_pInputClock, m_nPtsDelay, sampleCount);
  }
  m_bZeroBufDelay.store(false);
}

int VideoFrameInput::getMaxDelayTime(unsigned& ms) const {
  ms = m_nMaxDelayMs.load();
  return 0;
}

void VideoFrameInput::setInputQueueMaxSize(unsigned n) {
  const uint32_t size = std::clamp<uint32_t>(n, IVideoPlayer::kMinInputQueueSize, AVDataQueue::kMaxLimit);
  if (n < m_objInputQueue.maxSize()) m_objInputQueue.clear();
  m_objInputQueue.setMaxSize(size);
  m_log.printMessage(3, "setInputQueueMaxSize %u, bufMaxSize %u", n, size);
}

void VideoFrameInput::setAutoClearVideoQueueFlag(bool on) {
  m_bAutoClearQueue.store(on);
  m_log.printMessage(3, "setAutoClearQueueFlag %d", on ? 1 : 0);
}

void VideoFrameInput::clearVideoQueue() {
  m_objInputQueue.clear();
  m_bDiscardPFrames.store(true);
  {
    KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
    m_nOldClockFrames = 0;
    m_nPaceIntervalMs = kDefaultPaceIntervalMs;
  }
  m_log.printMessage(3, "clearVideoQueue");
}

void VideoFrameInput::setLivePlayFlag(bool live) {
  if (!m_bLive.load() && live) {
    m_objInputQueue.clear();
    m_objInputQueue.setMaxSize(kLiveQueueSize);
  }
  m_bLive.store(live);
  m_bAutoClearQueue.store(live);
  m_log.printMessage(3, "setAutoClearQueueFlag %d", live ? 1 : 0);
  m_log.printMessage(3, "setLivePlayFlag %d", live ? 1 : 0);
}

int VideoFrameInput::getLivePlayFlag(bool& live) const {
  live = m_bLive.load();
  return 0;
}

void VideoFrameInput::setUseTimestampForVideo(bool on) {
  m_bUseTimestamp.store(on);
  m_log.printMessage(3, "setUseTimestampForVideo %d", on ? 1 : 0);
}

void VideoFrameInput::setUseReverseTimestampForVideo(bool on) {
  m_log.printMessage(3, "setUseReverseTimestampForVideo %d", on ? 1 : 0);
  if (on == m_bUseReverseTimestamp.load()) return;
  clearVideoQueue();
  resetClock();
  m_bUseReverseTimestamp.store(on);
}

int VideoFrameInput::getNextSleepTime() {
  // The emptiness check and the look at the head are one step under the queue's lock: the decoder
  // thread of another caller may take the head in between otherwise.
  m_objInputQueue.lock(__FILE__, __LINE__);
  AVData* head = m_objInputQueue.head();
  int sleep = -1;
  if (head != nullptr) sleep = m_bUseTimestamp.load() ? calcSleepTime(head->getTimeStamp()) : 0;
  m_objInputQueue.unlock(__FILE__, __LINE__);
  return sleep;
}

int VideoFrameInput::calcSleepTime(int64_t ts) {
  if (m_bZeroBufDelay.load() || m_bPaused.load()) return 0;
  const int64_t now = m_fnNow();
  const bool live = m_bLive.load();
  const float rate = m_fRate.load();
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  int64_t minimum = 0;
  if (live && rate == 1.0f) {
    const int64_t elapsed = (now - m_nLastDequeueTime) / 1000;
    minimum = elapsed < m_nPaceIntervalMs ? m_nPaceIntervalMs - elapsed : 0;
  }
  int64_t window = m_nPtsDelay / 1000 + 3500;
  if (rate != 1.0f && rate > 0) window = static_cast<int64_t>(window / rate);
  int64_t converted = ts;
  if (input_clock_ConvertTS(m_pInputClock, &converted) != 0) {
    m_log.printMessage(4, "input_clock_ConvertTS error");
    return static_cast<int>(minimum);
  }
  if (m_nOldClockFrames > 0) return static_cast<int>(minimum);
  const int64_t rc = saturating::sub(converted, now) / 1000;
  if (rc >= -window && rc <= window) {
    m_log.printMessage(4, "---buf frame %d(%d)   ref drift %lld   sleep time %d", m_objInputQueue.count(),
                       m_nDelayFrames.load(), static_cast<long long>(m_pInputClock->drift.value), static_cast<int>(rc));
    return static_cast<int>(std::max<int64_t>({rc, 0, minimum}));
  }
  if (live) {
    input_clock_Reset(m_pInputClock);
    copyClockFlags();
    startOldClockPacing(m_objInputQueue.count());
    m_log.printMessage(2, "input_clock_ConvertTS calculate sleep time %d error! need resync!", static_cast<int>(rc));
    return static_cast<int>(minimum);
  }
  m_log.printMessage(2, "input_clock_ConvertTS calculate sleep time %d error! need fix ref !", static_cast<int>(rc));
  if (m_pInputClock->hasReference) {
    m_pInputClock->ref.system = saturating::add(m_pInputClock->ref.system, saturating::sub(now, converted));
  }
  return static_cast<int>(minimum);
}

AVData* VideoFrameInput::takeFrame() {
  AVData* frame = m_objInputQueue.removeHead();
  if (frame == nullptr) return nullptr;
  const int64_t now = m_fnNow();
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  if (m_bLive.load() && m_fRate.load() == 1.0f) m_nLastDequeueTime = now;
  if (m_nOldClockFrames < 1) {
    m_nOldClockFrames = 0;
    m_nPaceIntervalMs = kDefaultPaceIntervalMs;
  } else {
    m_nOldClockFrames--;
  }
  if (m_pInputClock->hasReference) m_pInputClock->lastOut = {frame->getTimeStamp(), now};
  return frame;
}

void VideoFrameInput::changePause(bool paused) {
  m_bPaused.store(paused);
  const int64_t now = m_fnNow();
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  input_clock_ChangePause(m_pInputClock, paused, now);
}

void VideoFrameInput::changeRate(float rate) {
  const float old = m_fRate.load();
  if (rate == old) return;
  m_log.printMessage(3, "setRate from %.4d to %.4d", static_cast<int>(old * 1000), static_cast<int>(rate * 1000));
  m_fRate.store(rate);
  // The clock takes rates of 32..32000 (1000 / rate); anything else, zero and negative rates included,
  // leaves it as it is.
  if (!(rate > 0)) return;
  const double clockRate = 1000.0 / rate;
  if (clockRate < 32 || clockRate >= 32001) return;
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  input_clock_ChangeRate(m_pInputClock, static_cast<int>(clockRate));
}

void VideoFrameInput::resetClock() {
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  input_clock_Reset(m_pInputClock);
  copyClockFlags();
}

void VideoFrameInput::forgetLastSequenceId() {
  KXMutexLocker push(m_csPush, __FILE__, __LINE__);
  m_nLastInputSeqId = 0;
}

bool VideoFrameInput::pacedStreamTimeLocked(int64_t now, int64_t& streamTime) const {
  const input_clock* clock = m_pInputClock;
  if (!clock->hasReference || clock->paused || clock->rate != 1000 || m_nOldClockFrames > 0) return false;
  // A frame with timestamp ts is due at StreamToSystem(ts + drift) + pts_delay: the stream time due now.
  streamTime = input_clock_SystemToStream(clock, now - clock->pts_delay) - clock->drift.value;
  return true;
}

bool VideoFrameInput::pacedStreamTime(int64_t& streamTime) const {
  if (!m_bUseTimestamp.load() || m_bZeroBufDelay.load() || m_bLive.load() || m_bPaused.load() ||
      m_fRate.load() != 1.0f || m_bUseReverseTimestamp.load()) {
    return false;
  }
  const int64_t now = m_fnNow();
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  return pacedStreamTimeLocked(now, streamTime);
}

void VideoFrameInput::followSoundClock(int64_t streamTimeHeard, bool atOnce) {
  int64_t paced = 0;
  if (!pacedStreamTime(paced)) return;
  const int64_t now = m_fnNow();
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  if (!pacedStreamTimeLocked(now, paced)) return;
  // Pictures ahead of the sound come later, behind it sooner. A part of the distance at each report
  // (the sound reports every few milliseconds) smooths the steps of the sound's play position; a
  // distance beyond any drift belongs to a sound that is not this picture's, and is left alone.
  int64_t ahead = 0;
  if (__builtin_sub_overflow(paced, streamTimeHeard, &ahead) || ahead > kSoundFollowLimit ||
      ahead < -kSoundFollowLimit) {
    return;
  }
  const int64_t shift = atOnce ? ahead : ahead / kSoundFollowParts;
  m_pInputClock->ref.system += shift;
  m_pInputClock->last.system += shift;
  if (m_pInputClock->lastOut.system != 0) m_pInputClock->lastOut.system += shift;
}

int64_t VideoFrameInput::ptsDelay() const {
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  return m_nPtsDelay;
}

int VideoFrameInput::paceIntervalMs() const {
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  return m_nPaceIntervalMs;
}

int VideoFrameInput::oldClockFrames() const {
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  return m_nOldClockFrames;
}

bool VideoFrameInput::hasClockReference() const {
  KXMutexLocker locker(m_csClock, __FILE__, __LINE__);
  return m_pInputClock->hasReference;
}
