#pragma once
#include <cstddef>
#include <vector>

// The decision of one scheduling pass of a decoder thread, from the survey of its players: whom to
// serve, and how long to wait before serving them.
//
// A survey entry has a wait: -1 nothing queued (the player is waited on through its input event), 0
// due now, else milliseconds until due. A paused player's wait is the time until its next redraw.
//
// - Anything due: the due entries are served at once, in list order; the others wait for the next pass.
// - Nothing due, some wait below kMaxWaitMs: the entries due within kGroupSpanMs of the earliest form a
//   group served after one wait. The wait lets the last of the group be served at most kMaxEarlyMs
//   early and the first at most a millisecond late: none is drawn more than 5 ms before it is due,
//   however many players share the thread.
// - Otherwise (nothing queued, or nothing due within kMaxWaitMs): only a wait, of kIdleWaitMs when
//   nothing is queued, else until the earliest entry, at most kMaxWaitMs. A pass always serves or waits.
class DecoderPassPlan {
 public:
  static constexpr int kIdleWaitMs = 20;
  static constexpr int kMaxWaitMs = 100;
  static constexpr int kGroupSpanMs = 5;
  static constexpr int kMaxEarlyMs = 5;

  struct Entry {
    int wait = -1;
    bool paused = false;
  };

  explicit DecoderPassPlan(const std::vector<Entry>& survey);

  // Milliseconds to wait before serving (0: none). An input event ends the wait and the pass.
  int waitMs() const { return m_nWaitMs; }
  // Indices into the survey of the entries to serve, in order.
  const std::vector<std::size_t>& served() const { return m_vecServed; }

 private:
  int m_nWaitMs = 0;
  std::vector<std::size_t> m_vecServed;
};
