#include "app/settings/TerminationSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/DebugOutput.h"

namespace app {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_requested = 0;
struct sigaction g_previous[std::size(kSignals)];
bool g_installed = false;

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
  if (g_installed) return;  // one set of handlers per process
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    platform::debugOutputFormat("signals: no pipe: %s\n", std::strerror(errno));
    return;
  }
  g_requested = 0;
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, [this] { readPipe(); });
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = &TerminationSignals::handle;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &g_previous[i]);
  g_installed = true;
}

TerminationSignals::~TerminationSignals() {
  if (m_notifier == nullptr) return;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
  delete m_notifier;
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
  g_installed = false;
  g_requested = 0;
}

bool TerminationSignals::requested() { return g_requested != 0; }

void TerminationSignals::handle(int signal) {
  // Only async-signal-safe work here: a flag and one byte.
  const int savedErrno = errno;
  g_requested = 1;
  const unsigned char byte = static_cast<unsigned char>(signal);
  if (write(g_pipe[1], &byte, 1) < 0) {
    // A full pipe already holds a wake-up.
  }
  errno = savedErrno;
}

void TerminationSignals::readPipe() {
  unsigned char bytes[64];
  while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
  }
  if (m_onSignal) m_onSignal();
}

}  // namespace app
