#include "player/decode/InputClock.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

struct ClockDeleter {
  void operator()(input_clock* clock) const { input_clock_Delete(clock); }
};
using Clock = std::unique_ptr<input_clock, ClockDeleter>;
Clock makeClock() { return Clock(input_clock_Create(1000, 10)); }

TEST(InputClock, ConvertsAgainstTheFirstUpdate) {
  Clock clock = makeClock();
  int64_t ts = 1234;
  EXPECT_EQ(-1, input_clock_ConvertTS(clock.get(), &ts)) << "no reference yet";
  EXPECT_EQ(0, ts);

  input_clock_SetJitter(clock.get(), 100000, 10);
  bool late = true;
  input_clock_Update(clock.get(), &late, true, 5000000, 70000000);
  EXPECT_FALSE(late);
  ts = 5000000;
  EXPECT_EQ(0, input_clock_ConvertTS(clock.get(), &ts));
  EXPECT_EQ(70000000 + 100000, ts);
  ts = 5040000;
  input_clock_ConvertTS(clock.get(), &ts);
  EXPECT_EQ(70040000 + 100000, ts);
  for (int64_t kept : {int64_t{0}, int64_t{-5}}) {
    ts = kept;
    EXPECT_EQ(0, input_clock_ConvertTS(clock.get(), &ts));
    EXPECT_EQ(kept, ts);
  }
  // At rate 2000 (half speed) stream time stretches; at 500 it shrinks.
  clock->rate = 2000;
  ts = 5040000;
  input_clock_ConvertTS(clock.get(), &ts);
  EXPECT_EQ(70080000 + 100000, ts);
  EXPECT_EQ(5040000, input_clock_SystemToStream(clock.get(), 70080000));
}

TEST(InputClock, RateChangesPivotOnTheLastFrameAndStayInRange) {
  struct Case {
    int rate;
    int expectRate;
  } cases[] = {{31, 1000}, {32001, 1000}, {32, 32}, {32000, 32000}, {500, 500}};
  for (const Case& c : cases) {
    Clock clock = makeClock();
    input_clock_ChangeRate(clock.get(), c.rate);
    EXPECT_EQ(c.expectRate, clock->rate) << c.rate;
  }
  // With a reference, the system reference moves so that the last frame keeps its system time.
  Clock clock = makeClock();
  input_clock_Update(clock.get(), nullptr, true, 0, 1000000);
  input_clock_Update(clock.get(), nullptr, true, 400000, 1400000);
  input_clock_ChangeRate(clock.get(), 2000);
  EXPECT_EQ(1400000 - 400000 * 2, clock->ref.system);
  EXPECT_EQ(1400000, input_clock_StreamToSystem(clock.get(), 400000));
  // A frame taken out becomes the pivot.
  clock->lastOut = {200000, 1500000};
  input_clock_ChangeRate(clock.get(), 1000);
  EXPECT_EQ(1500000 - (1500000 - (1400000 - 800000)) / 2, clock->ref.system);
}

TEST(InputClock, PauseShiftsTheReferenceByThePausedTime) {
  Clock clock = makeClock();
  input_clock_Update(clock.get(), nullptr, true, 0, 1000000);
  clock->lastOut = {0, 1000000};
  input_clock_ChangePause(clock.get(), true, 2000000);
  input_clock_ChangePause(clock.get(), false, 2500000);
  EXPECT_EQ(1500000, clock->ref.system);
  EXPECT_EQ(1500000, clock->last.system);
  EXPECT_EQ(1500000, clock->lastOut.system);
  EXPECT_FALSE(clock->paused);
}

TEST(InputClock, JitterIsTheDelayPlusTheMedianLateness) {
  Clock clock = makeClock();
  clock->pts_delay = 100000;
  clock->late[0] = 5000;
  clock->late[1] = 50000;
  clock->late[2] = 500000;
  EXPECT_EQ(150000, input_clock_GetJitter(clock.get()));
  // A smaller delay keeps pts_delay and shifts the late values up by the difference.
  input_clock_SetJitter(clock.get(), 60000, 10);
  EXPECT_EQ(100000, clock->pts_delay);
  EXPECT_EQ(100000 + 90000, input_clock_GetJitter(clock.get()));
  // A larger one is taken; late values below the raise drop out.
  input_clock_SetJitter(clock.get(), 300000, 10);
  EXPECT_EQ(300000, clock->pts_delay);
  EXPECT_EQ(300000 + 0, input_clock_GetJitter(clock.get())) << "of 45000, 90000 and 540000 only 340000 stays: median 0";
}

TEST(InputClock, LateFramesFillTheRing) {
  Clock clock = makeClock();
  bool late = false;
  input_clock_Update(clock.get(), &late, true, 0, 0);
  input_clock_Update(clock.get(), &late, true, 40000, 40000 + 7000);
  EXPECT_TRUE(late);
  input_clock_Update(clock.get(), &late, true, 80000, 80000);
  EXPECT_FALSE(late) << "on time is not late";
  EXPECT_EQ(7000, clock->late[0]);
  EXPECT_EQ(1, clock->lateIndex);
}

TEST(InputClock, AFarNegativeFirstDriftMarksTheSourceAsMaybeNotLive) {
  // Live updates take a drift sample every 200 ms; the first is 0 at the reference, the second gives
  // an average of 9/10 of its value. Below -1,000,000 from a zero average: maybe not live.
  struct Case {
    int64_t sample;
    bool notLive;
  } cases[] = {{-1200000, true}, {-1100000, false}, {-1111112, false}, {-1111113, true}};
  for (const Case& c : cases) {
    Clock clock = makeClock();
    input_clock_Update(clock.get(), nullptr, false, 0, 1000);
    const int64_t system = 1000 + 200001;
    input_clock_Update(clock.get(), nullptr, false, (system - 1000) - c.sample, system);
    EXPECT_EQ(c.notLive, clock->mayBeNotLive) << c.sample << " drift " << clock->drift.value;
    if (c.notLive) {
      EXPECT_EQ(0, clock->drift.value) << "the average is cleared";
      input_clock_Update(clock.get(), nullptr, false, 0, system + 400000);
      EXPECT_EQ(0, clock->drift.count) << "and no longer fed";
      input_clock_Reset(clock.get());
      EXPECT_FALSE(clock->mayBeNotLive);
    }
  }
}

TEST(InputClock, AMinuteOfEarlyFramesHalvesTheDelay) {
  Clock clock = makeClock();
  input_clock_SetJitter(clock.get(), 400000, 10);
  int64_t t = 1000000;
  int64_t stream = 0;
  auto frame = [&](int64_t lateBy) {
    input_clock_Update(clock.get(), nullptr, false, stream, t + lateBy);
    stream += 40000;
    t += 40000;
  };
  // The first update opens a 60 s window; the first frame after it ends the window without a late frame.
  while (t <= 61040000) frame(0);
  EXPECT_TRUE(clock->decreasing);
  EXPECT_EQ(200000, clock->decreaseTarget);
  for (int i = 0; i < 25; ++i) frame(0);
  EXPECT_FALSE(clock->decreasing);
  EXPECT_EQ(200000, clock->pts_delay);

  // One frame on time inside a window cancels the next decrease.
  Clock other = makeClock();
  clock.swap(other);
  input_clock_SetJitter(clock.get(), 100000, 10);
  t = 1000000;
  stream = 0;
  frame(0);
  frame(100000);  // lateness exactly 0 (no drift sample within 200 ms of the last)
  while (t <= 61040000) frame(0);
  EXPECT_FALSE(clock->decreasing);
  EXPECT_EQ(100000, clock->pts_delay);
}

}  // namespace

namespace {

// Timestamps are whatever a file or a camera says: at the 64-bit extremes and after jumps of 2^62
// the conversions stop at the type's ends instead of overflowing, in both directions and at every
// rate, and the lateness and jitter they feed stay at the ends too.
TEST(InputClock, ExtremeTimestampsSaturateInsteadOfOverflowing) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  for (int rate : {32, 1000, 32000}) {
    for (bool canPace : {true, false}) {
      SCOPED_TRACE(testing::Message() << "rate " << rate << (canPace ? " file" : " live"));
      Clock clock = makeClock();
      clock->rate = rate;
      input_clock_SetJitter(clock.get(), 200000, 10);
      bool late = false;
      input_clock_Update(clock.get(), &late, canPace, 1000000, 50000000);
      for (int64_t stream : {kMax, kMin, kMin + 1, int64_t{1} << 62, -(int64_t{1} << 62), int64_t{-1}}) {
        input_clock_Update(clock.get(), &late, canPace, stream, 50040000);
        int64_t ts = stream;
        EXPECT_EQ(0, input_clock_ConvertTS(clock.get(), &ts));
        if (stream > 0) {
          EXPECT_GT(ts, 50040000) << "a far future stays in the future";
        }
        // The exact result where it fits, the type's end where it does not.
        const __int128 exact = (static_cast<__int128>(kMax) - clock->ref.stream) * rate / 1000 + clock->ref.system;
        EXPECT_EQ(exact > kMax ? kMax : static_cast<int64_t>(exact), input_clock_StreamToSystem(clock.get(), kMax));
        EXPECT_LE(input_clock_StreamToSystem(clock.get(), kMin), 0);
        EXPECT_GE(input_clock_SystemToStream(clock.get(), kMax), clock->ref.stream);
        input_clock_GetJitter(clock.get());
      }
      input_clock_ChangeRate(clock.get(), rate == 32 ? 32000 : 32);
      input_clock_ChangePause(clock.get(), true, 60000000);
      input_clock_ChangePause(clock.get(), false, 61000000);
      input_clock_SetJitter(clock.get(), 100000, 30);
    }
  }
  // The late ring at the ends gives a jitter at the end.
  Clock clock = makeClock();
  clock->late[0] = clock->late[1] = clock->late[2] = kMax;
  clock->pts_delay = 1000;
  EXPECT_EQ(kMax, input_clock_GetJitter(clock.get()));
  clock->late[0] = 5000;
  clock->late[1] = 500000;
  clock->late[2] = 50000;
  clock->pts_delay = 100000;
  EXPECT_EQ(150000, input_clock_GetJitter(clock.get())) << "the median as before";
}

}  // namespace
