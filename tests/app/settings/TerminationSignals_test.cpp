// SIGTERM, SIGINT and SIGHUP become one call on the event loop, nothing happens inside the handler,
// and the host's previous handlers are back afterwards.
#include "app/settings/TerminationSignals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include "app/settings/FolderScan.h"
#include "tests/app/AppTestSupport.h"

namespace {

// Runs the event loop until `done` or two seconds have passed.
template <typename Done>
bool runEventsUntil(Done done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

class TerminationSignalsTest : public apptest::WithApplication, public ::testing::Test {};

TEST_F(TerminationSignalsTest, EachSignalBecomesOneCallOnTheEventLoop) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    int calls = 0;
    app::TerminationSignals signalsOfTheTest([&calls] { ++calls; });
    EXPECT_FALSE(app::TerminationSignals::requested());
    raise(signal);
    EXPECT_EQ(calls, 0) << "nothing runs inside the handler";
    EXPECT_TRUE(app::TerminationSignals::requested());
    EXPECT_TRUE(runEventsUntil([&calls] { return calls > 0; }));
    raise(signal);  // a second signal while ending calls again; the close path is idempotent
    EXPECT_TRUE(runEventsUntil([&calls] { return calls > 1; }));
  }
}

volatile std::sig_atomic_t g_hostCalls = 0;
void hostHandler(int) { g_hostCalls = g_hostCalls + 1; }

TEST_F(TerminationSignalsTest, TheHostsHandlerIsBackAfterwards) {
  struct sigaction host {}, saved {};
  host.sa_handler = &hostHandler;
  sigemptyset(&host.sa_mask);
  ASSERT_EQ(0, sigaction(SIGHUP, &host, &saved));
  { app::TerminationSignals signalsOfTheTest([] {}); }
  g_hostCalls = 0;
  raise(SIGHUP);
  EXPECT_EQ(g_hostCalls, 1);
  EXPECT_FALSE(app::TerminationSignals::requested());
  sigaction(SIGHUP, &saved, nullptr);
}

TEST_F(TerminationSignalsTest, AFolderScanStopsOnceASignalArrived) {
  QTemporaryDir dir;
  for (int i = 0; i < 5; ++i) {
    QDir(dir.path()).mkpath(QStringLiteral("sub%1").arg(i));
    QFile file(dir.path() + QStringLiteral("/sub%1/rec.ts").arg(i));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  app::TerminationSignals signalsOfTheTest([] {});
  EXPECT_EQ(app::collectRecordings(dir.path().toStdString()).size(), 5u);
  raise(SIGTERM);
  EXPECT_TRUE(app::collectRecordings(dir.path().toStdString()).empty()) << "the program is ending: no scan";
}

}  // namespace
