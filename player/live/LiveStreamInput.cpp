#include "player/live/LiveStreamInput.h"

#include <exception>

#include "media/AVData.h"
#include "media/AVFrameData.h"
#include "media/FrameKind.h"
#include "platform/DebugOutput.h"
#include "player/KXPlayerResult.h"
#include "player/live/FrameRouter.h"
#include "technic/KXMutexLocker.h"

namespace {

// No exception leaves the input calls: a fault in parsing is a stream that cannot be parsed.
template <typename Call>
int guarded(const char* where, int failure, Call call) {
  try {
    return call();
  } catch (const std::exception& error) {
    platform::debugOutputFormat("KXLivePlayer::%s: %s\n", where, error.what());
  } catch (...) {
    platform::debugOutputFormat("KXLivePlayer::%s: unknown error\n", where);
  }
  return failure;
}
}  // namespace

LiveStreamInput::LiveStreamInput(FrameRouter& router)
    : m_router(router), m_frames(router), m_reassembler(m_frames) {
  m_recordLock.init();
}

LiveStreamInput::~LiveStreamInput() = default;

void LiveStreamInput::setRecordCallback(RecordDataCallback callback, void* user) {
  KXMutexLocker lock(m_recordLock, __FILE__, __LINE__);
  m_recordCallback = callback;
  m_recordUser = user;
  m_recordReserved = nullptr;
  m_recording = callback != nullptr;
}

void LiveStreamInput::clearRecordCallback() { setRecordCallback(nullptr, nullptr); }

void LiveStreamInput::resetStream() {
  m_reassembler.reset();
  m_frames.dropPending();
}

void LiveStreamInput::closeStream() {
  resetStream();
  m_frames.deleteParser();
  clearRecordCallback();
}

void LiveStreamInput::record(const char* data, int length) {
  if (!m_recording) return;
  KXMutexLocker lock(m_recordLock, __FILE__, __LINE__);
  if (m_recordCallback != nullptr && length > 0) m_recordCallback(m_recordReserved, data, length, m_recordUser);
}

void LiveStreamInput::recordElementary(const AVData& frame) {
  if (!m_recording) return;
  KXMutexLocker lock(m_recordLock, __FILE__, __LINE__);
  if (m_recordCallback == nullptr) return;
  if (const AVData* packets = m_repackager.repackage(frame))
    m_recordCallback(m_recordReserved, packets->getData(), packets->getDataLength(), m_recordUser);
}

int LiveStreamInput::pushTSData(const char* data, int length) {
  return guarded("pushTSData", KXPLAYER_TS_INPUT_ERROR, [&] { return pushTSDataUnguarded(data, length); });
}

int LiveStreamInput::pushTSDataUnguarded(const char* data, int length) {
  if (data == nullptr || length <= 0) return KXPLAYER_OUT_OF_RANGE;
  // A frame still refused: take nothing of the new chunk.
  if (m_frames.offerPending() == KXPLAYER_QUEUE_FULL) return KXPLAYER_QUEUE_FULL;
  const int result = m_reassembler.push(data, length);
  if (result == KXPLAYER_OK) record(data, length);
  return result;
}

int LiveStreamInput::inputTSData(const char* data, int length, unsigned& consumed) {
  consumed = 0;
  return guarded("inputTSData", KXPLAYER_TS_INPUT_ERROR, [&] {
    if (data == nullptr || length <= 0 || m_router.queuesFull()) return static_cast<int>(KXPLAYER_OK);
    int taken = 0;
    if (m_frames.parseChunk(data, length, taken) != KXPLAYER_OK) return static_cast<int>(KXPLAYER_TS_INPUT_ERROR);
    consumed = static_cast<unsigned>(taken);
    record(data, taken);
    return static_cast<int>(KXPLAYER_OK);
  });
}

int LiveStreamInput::inputTSAVFrame(const AVFrameData& frame) {
  return guarded("inputTSAVFrame", KXPLAYER_TS_INPUT_ERROR, [&] { return inputTSAVFrameUnguarded(frame); });
}

int LiveStreamInput::inputTSAVFrameUnguarded(const AVFrameData& frame) {
  if (frame.getStreamFormat() != FrameKind::kTransportStreamFormat) return KXPLAYER_WRONG_FORMAT;
  if (m_router.queuesFull()) return KXPLAYER_QUEUE_FULL;
  if (frame.getData() == nullptr || frame.getDataLen() <= 0) return KXPLAYER_TS_INPUT_ERROR;
  int consumed = 0;
  const int result = m_frames.pushPacket(frame.getData(), frame.getDataLen(), consumed);
  // Refused before any of its bytes were parsed: the caller offers the same frame again.
  if (result == KXPLAYER_QUEUE_FULL && consumed == 0) return KXPLAYER_QUEUE_FULL;
  if (result < 0 && result != KXPLAYER_QUEUE_FULL) return KXPLAYER_TS_INPUT_ERROR;
  // Parsed: the frame it gave is delivered now or, refused, waits for the next input.
  record(frame.getData(), frame.getDataLen());
  return KXPLAYER_OK;
}

int LiveStreamInput::inputAVFrame(const AVFrameData& frame) {
  return guarded("inputAVFrame", KXPLAYER_TS_INPUT_ERROR, [&] { return inputAVFrameUnguarded(frame); });
}

int LiveStreamInput::inputAVFrameUnguarded(const AVFrameData& frame) {
  if (frame.getStreamFormat() != FrameKind::kElementaryStreamFormat) return KXPLAYER_WRONG_FORMAT;
  const int stream = frame.getESStreamType();
  if (stream != FrameKind::kVideoStream && stream != FrameKind::kAudioStream) return KXPLAYER_WRONG_FORMAT;
  // The player borrows the caller's bytes for the call; the queues copy what they keep.
  AVData borrowed;
  static_cast<FrameAttributes&>(borrowed) = frame;
  borrowed.setData(frame.getData(), static_cast<unsigned>(frame.getDataLen() > 0 ? frame.getDataLen() : 0));
  if (m_router.routeFrame(borrowed) == KXPLAYER_QUEUE_FULL) return KXPLAYER_QUEUE_FULL;
  recordElementary(borrowed);
  return KXPLAYER_OK;
}
