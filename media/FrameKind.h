#pragma once

// The codes a frame record carries for what it holds (stream, frame type, stream format), and the
// frame rate assumed where a record or file gives none. Every reader and writer of frame records
// uses these, so that a stored file means the same thing to each of them.
namespace FrameKind {

// ES stream type
constexpr int kVideoStream = 1;
constexpr int kAudioStream = 2;

// Frame type of a video frame
constexpr int kKeyFrame = 1;
constexpr int kPFrame = 2;

// Stream format: a bare elementary-stream frame, or transport-stream bytes
constexpr int kElementaryStreamFormat = 1;
constexpr int kTransportStreamFormat = 2;

// Frames a second where neither the record nor the file says
constexpr int kDefaultFrameRate = 25;

}  // namespace FrameKind
