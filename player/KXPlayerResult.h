#pragma once

// Result codes of every int operation of the player interface: 0 for success, one of the negative
// codes below otherwise. Embedding programs compare against these numbers, so they never change.
enum KXPlayerResult : int {
  KXPLAYER_OK = 0,
  // No frame parser for the file type, or a worker thread cannot be created.
  KXPLAYER_NO_PARSER = -2,
  // A required object or argument is missing (null path, no file engine, no audio player).
  KXPLAYER_MISSING_ARGUMENT = -4,
  // Wrong mode or state for the operation.
  KXPLAYER_WRONG_STATE = -6,
  // Wrong format: the file is neither kind, its frame range is unusable, a frame has the wrong
  // stream format, or an unknown snapshot type.
  KXPLAYER_WRONG_FORMAT = -7,
  // A value is out of range (also an empty or over-long path).
  KXPLAYER_OUT_OF_RANGE = -8,
  // The key-frame index scan is already running.
  KXPLAYER_SCAN_RUNNING = -11,
  // Recording cannot start, or the index scan thread cannot start.
  KXPLAYER_START_FAILED = -12,
  // An input queue is full; offer the same data again later.
  KXPLAYER_QUEUE_FULL = -13,
  // No current frame timestamp.
  KXPLAYER_NO_TIMESTAMP = -16,
  // The file cannot be opened (also a BMP snapshot file that cannot be created).
  KXPLAYER_FILE_OPEN_FAILED = -103,
  // The file is too short, a read failed, or its data cannot be parsed.
  KXPLAYER_FILE_UNREADABLE = -104,
  // Frame or position not found.
  KXPLAYER_NOT_FOUND = -106,
  // End of data.
  KXPLAYER_END_OF_DATA = -107,
  // Transport-stream input cannot be parsed.
  KXPLAYER_TS_INPUT_ERROR = -233,
  // The renderer cannot be opened.
  KXPLAYER_RENDERER_FAILED = -552,
  // The decoder or the sound output cannot be opened.
  KXPLAYER_DECODER_OPEN_FAILED = -605,
  // The JPEG snapshot cannot be written.
  KXPLAYER_JPEG_WRITE_FAILED = -607,
  // A fault inside the H.264 decoder; stays inside the video player, no interface operation returns it.
  KXPLAYER_DECODER_FAULT = -10000,
};
