#pragma once
#include <atomic>

#include "player/PlayerTypes.h"
#include "player/live/LiveFrameParser.h"
#include "player/live/RecordRepackager.h"
#include "player/live/TSChunkReassembler.h"
#include "technic/KXMutex.h"

class AVFrameData;
class FrameRouter;

// Everything the live player does with pushed data, apart from the players it routes frames to:
// packet reassembly, frame parsing with the frame a full queue refused kept for the next input, and
// the hand-off to the record callback. Data is recorded once, when it is accepted (answered 0), and
// never when the caller is told to offer it again.
//
// One thread pushes; only the record callback may be set and cleared from another thread.
class LiveStreamInput {
 public:
  explicit LiveStreamInput(FrameRouter& router);
  ~LiveStreamInput();
  LiveStreamInput(const LiveStreamInput&) = delete;
  LiveStreamInput& operator=(const LiveStreamInput&) = delete;

  // Transport-stream bytes in chunks of any size. 0 accepted, -8 null or empty, -13 nothing taken
  // (offer the same chunk again), -233 the stream cannot be parsed.
  int pushTSData(const char* data, int length);
  // A feeder's chunk: 0 with consumed = the bytes taken (0 while the queues are full); the caller
  // advances by consumed. -233 when parsing fails.
  int inputTSData(const char* data, int length, unsigned& consumed);
  // The packets of one frame (stream format 2): 0, -7 other format, -13 offer it again, -233.
  int inputTSAVFrame(const AVFrameData& frame);
  // One elementary frame (stream format 1, microsecond timestamp): 0, -7 other format or neither
  // video nor audio, -13 offer it again. While recording it is re-packaged as transport stream.
  int inputAVFrame(const AVFrameData& frame);

  void setRecordCallback(RecordDataCallback callback, void* user);
  void clearRecordCallback();
  // A record callback is set.
  bool isRecording() const { return m_recording; }
  // Drops held bytes and the waiting frame (the stream goes on with the same parser).
  void resetStream();
  // Also forgets the stream: the next bytes start a new parser.
  void closeStream();

 private:
  int pushTSDataUnguarded(const char* data, int length);
  int inputTSAVFrameUnguarded(const AVFrameData& frame);
  int inputAVFrameUnguarded(const AVFrameData& frame);
  void record(const char* data, int length);
  void recordElementary(const AVData& frame);

  FrameRouter& m_router;
  LiveFrameParser m_frames;
  TSChunkReassembler m_reassembler;
  RecordRepackager m_repackager;
  KXMutex m_recordLock;
  // Set with the callback, under the lock: without a recording the pushing thread takes no lock.
  std::atomic<bool> m_recording{false};
  RecordDataCallback m_recordCallback = nullptr;
  void* m_recordReserved = nullptr;
  void* m_recordUser = nullptr;
};
