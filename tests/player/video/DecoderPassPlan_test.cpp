#include "player/video/DecoderPassPlan.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Entry = DecoderPassPlan::Entry;

struct PlanCase {
  const char* name;
  std::vector<Entry> survey;
  int waitMs;
  std::vector<std::size_t> served;
};

Entry playing(int wait) { return Entry{wait, false}; }
Entry paused(int wait) { return Entry{wait, true}; }
Entry idle() { return Entry{-1, false}; }

TEST(DecoderPassPlan, Cases) {
  const std::vector<PlanCase> cases = {
      {"two due, the third waits for the next pass", {playing(0), playing(0), playing(30)}, 0, {0, 1}},
      {"due ones in list order whatever comes between", {playing(12), playing(0), idle(), playing(0)}, 0, {1, 3}},
      {"a paused player's redraw that is due is served with them", {paused(0), playing(0), playing(3)}, 0, {0, 1}},
      // The group {10, 14}: the 14 ms frame may be 14.9 ms away, so the wait is 10 (not 9).
      {"a group within 5 ms of the earliest; 25 waits", {playing(10), playing(14), playing(25)}, 10, {0, 1}},
      {"a single member waits its full time", {playing(25), idle()}, 25, {0}},
      {"equal waits keep list order", {playing(7), playing(7), playing(5)}, 3, {2, 0, 1}},
      {"the group is anchored at its earliest member", {playing(10), playing(14), playing(18), playing(22)}, 10, {0, 1}},
      // Sixteen players due within 5 ms: no wait below last - 4, so none is shown more than 5 ms early.
      {"many players due together",
       {playing(20), playing(20), playing(21), playing(21), playing(22), playing(22), playing(23), playing(23),
        playing(24), playing(24), playing(25), playing(25), playing(20), playing(21), playing(22), playing(23)},
       21,
       {0, 1, 12, 2, 3, 13, 4, 5, 14, 6, 7, 15, 8, 9, 10, 11}},
      {"nothing queued: the idle wait on the input events", {idle(), idle()}, 20, {}},
      {"no players at all", {}, 20, {}},
      // Slow recordings and long pacing intervals: a wait, never a pass that does nothing.
      {"every wait 100 ms or more", {playing(100), playing(250), idle()}, 100, {}},
      {"all paused, redrawn 100 ms apart", {paused(100), paused(100)}, 100, {}},
      {"all paused and due", {paused(0), paused(0), paused(0)}, 0, {0, 1, 2}},
      {"a paused player between long waits", {playing(400), paused(60)}, 60, {1}},
      {"a wait of 99 joins, 100 does not", {playing(97), playing(100)}, 97, {0}},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(c.name);
    const DecoderPassPlan plan(c.survey);
    EXPECT_EQ(c.waitMs, plan.waitMs());
    EXPECT_EQ(c.served, plan.served());
  }
}

// Whatever the waits, a pass serves something or waits, and no served entry is due more than 5 ms
// after the wait ends (whole-millisecond waits may be up to 1 ms longer than they read).
TEST(DecoderPassPlan, NeverEarlyAndNeverEmpty) {
  for (int seed = 1; seed < 2000; ++seed) {
    std::vector<Entry> survey;
    unsigned state = static_cast<unsigned>(seed) * 2654435761u;
    const int count = 1 + seed % 24;
    for (int i = 0; i < count; ++i) {
      state = state * 1103515245u + 12345u;
      const int kind = static_cast<int>((state >> 16) % 10);
      const int wait = static_cast<int>((state >> 8) % 130);
      survey.push_back(kind == 0 ? idle() : kind == 1 ? paused(wait % 101) : playing(wait % 3 == 0 ? 0 : wait));
    }
    const DecoderPassPlan plan(survey);
    ASSERT_TRUE(plan.waitMs() > 0 || !plan.served().empty()) << "seed " << seed;
    for (std::size_t index : plan.served()) {
      EXPECT_LE(survey[index].wait + 1 - plan.waitMs(), 5) << "seed " << seed;
      EXPECT_GE(survey[index].wait, 0);
    }
  }
}

}  // namespace
