#pragma once
#include <functional>
#include <string>

namespace app {

// A settings or play-list file that could not be written. Every failure leaves a debug line; the first
// one of a run also goes to the listener (the main window, which tells the user in the window), so the
// user hears of it once rather than at every save.
class SaveFailureNotice {
 public:
  using Listener = std::function<void(const std::string& path)>;

  // The listener for the first failure; an empty one removes it. Also re-arms the notice.
  static void setListener(Listener listener);
  static void report(const std::string& path);
};

}  // namespace app
