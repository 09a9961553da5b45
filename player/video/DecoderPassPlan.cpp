#include "player/video/DecoderPassPlan.h"

#include <algorithm>

DecoderPassPlan::DecoderPassPlan(const std::vector<Entry>& survey) {
  // Waiting entries in ascending order of their waits; equal waits keep list order.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < survey.size(); ++i) {
    if (survey[i].wait >= 0) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&survey](std::size_t a, std::size_t b) { return survey[a].wait < survey[b].wait; });
  if (order.empty()) {
    m_nWaitMs = kIdleWaitMs;
    return;
  }
  const int first = survey[order.front()].wait;
  if (first == 0) {
    for (std::size_t index : order) {
      if (survey[index].wait != 0) break;
      m_vecServed.push_back(index);
    }
    return;
  }
  if (first >= kMaxWaitMs) {
    m_nWaitMs = kMaxWaitMs;
    return;
  }
  // The group: every entry due within the span of the earliest one (and before the longest wait).
  int last = first;
  for (std::size_t index : order) {
    const int wait = survey[index].wait;
    if (wait >= kMaxWaitMs || wait - first > kGroupSpanMs) break;
    last = wait;
    m_vecServed.push_back(index);
  }
  // One member waits until it is due; a group until its last member is at most kMaxEarlyMs from its
  // due time. The waits are whole milliseconds rounded down (a wait of 14 may be 14.9 ms), hence the 1.
  m_nWaitMs = m_vecServed.size() == 1 ? last : std::max(last + 1 - kMaxEarlyMs, 0);
}
