#pragma once
#include <cstdint>

// The position arithmetic of file playback: frames played, percentage and time of the frame on
// screen, and the frame number that a percentage or a time asks for. Every result lies in its range
// and is defined for empty and one-frame files and before the first picture.
//
// Rounding follows the player's long-standing rule: the value is computed in floating point, taken to
// single precision, 0.5 is added and the result is truncated toward zero.
class FilePosition {
 public:
  // currentId: id of the frame on screen (-1 before the first picture); firstId: the file's first
  // frame id; total: the file's frame count; durationSeconds: the file's duration.
  FilePosition(int64_t currentId, int64_t firstId, int64_t total, int64_t durationSeconds);

  // Frames up to and including the one on screen: 0 before the first picture, at most total.
  long playedFrames() const;
  // 0..100.
  long percent() const;
  // 0..duration seconds.
  long seconds() const;

  // The 1-based frame number for a percentage (0..100 checked by the caller): at least 1, at most
  // the frame count (1 for an empty file).
  static long frameForPercent(long percent, int64_t total);
  // The percentage for a time (0..duration checked by the caller): 0..100; 0 for a duration of 0.
  static long percentForSeconds(long seconds, int64_t durationSeconds);
  // The rounding rule above.
  static long roundHalfUp(double value);

 private:
  int64_t m_played;
  int64_t m_total;
  int64_t m_duration;
};
