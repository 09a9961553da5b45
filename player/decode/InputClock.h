#pragma once
#include <cstdint>

// The input clock: maps stream timestamps to system time for pacing. A plain record with free
// functions; every time is signed 64-bit microseconds, every time is a parameter (nothing reads a
// clock here), and the rate is 1000 for normal speed (500 twice as fast, 2000 half speed). It keeps a
// reference point, averages the drift between stream and system time for live sources, records how
// late frames arrive and adapts the presentation delay pts_delay to that jitter: raised through
// input_clock_SetJitter, lowered step by step after a minute in which every frame came early.
// It has no lock of its own: its user serialises every call on one record.

struct input_clock_point {
  int64_t stream;
  int64_t system;
};

struct input_clock_average {
  int64_t value;
  int64_t residue;
  int count;
  int divider;
};

struct input_clock {
  input_clock_point last;
  input_clock_point lastOut;  // both 0: none
  int64_t nextDriftUpdate;
  input_clock_average drift;
  int64_t late[3];
  int lateIndex;
  input_clock_point ref;
  bool hasReference;
  bool paused;
  int64_t pauseDate;
  int rate;
  int64_t pts_delay;
  bool mayBeNotLive;
  // The decrease state machine.
  int64_t windowEnd;
  int64_t minEarly;
  int64_t decreaseTarget;
  bool lateSeen;
  bool decreasing;
};

// Null when memory is short. Released with input_clock_Delete.
input_clock* input_clock_Create(int rate, int sampleCount);
void input_clock_Delete(input_clock* clock);

void input_clock_Update(input_clock* clock, bool* late, bool canPace, int64_t stream, int64_t system);
// Clears the reference, mayBeNotLive and the decrease state machine; the rest stays.
void input_clock_Reset(input_clock* clock);
// 0 with *ts converted to system time (a ts <= 0 is left as it is); -1 with *ts = 0 without a reference.
int input_clock_ConvertTS(input_clock* clock, int64_t* ts);
// Rates outside 32..32000 are ignored.
void input_clock_ChangeRate(input_clock* clock, int rate);
void input_clock_ChangePause(input_clock* clock, bool paused, int64_t date);
void input_clock_SetJitter(input_clock* clock, int64_t ptsDelay, int sampleCount);
int64_t input_clock_GetJitter(const input_clock* clock);

int64_t input_clock_StreamToSystem(const input_clock* clock, int64_t stream);
int64_t input_clock_SystemToStream(const input_clock* clock, int64_t system);
void input_clock_AverageUpdate(input_clock_average* average, int64_t value);
