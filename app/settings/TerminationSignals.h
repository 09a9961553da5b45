#pragma once
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace app {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread, so that the program ends through the
// same path as when its window is closed. The handler only sets a flag and writes one byte into a pipe;
// a socket notifier on the pipe's other end makes the call from the event loop. The previous handlers
// are put back when the object goes.
class TerminationSignals : public QObject {
 public:
  explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // True once one of the signals has arrived (until the object goes): work that keeps the event loop
  // waiting (a long folder scan) checks it to stop early.
  static bool requested();

 private:
  static void handle(int signal);
  void readPipe();

  std::function<void()> m_onSignal;
  QSocketNotifier* m_notifier = nullptr;
};

}  // namespace app
