#include "app/controls/AppMessage.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <thread>

#include "app/controls/AppIds.h"
#include "tests/app/AppTestSupport.h"

namespace {

TEST(AppMessageThreads, PostsFromOtherThreadsWaitForTheEventLoopAndKeepTheirOrder) {
  apptest::application();
  apptest::MessageRecorder window;
  std::thread first([&window] {
    for (int i = 0; i < 200; ++i) app::postAppMessage(&window, app::WM_FILE_END, static_cast<app::WPARAM>(i), 1);
  });
  std::thread second([&window] {
    for (int i = 0; i < 200; ++i) app::postAppMessage(&window, app::WM_FILE_END, static_cast<app::WPARAM>(i), 2);
  });
  first.join();
  second.join();
  EXPECT_TRUE(window.received.empty()) << "nothing is dispatched inside a post";
  QElapsedTimer waited;
  waited.start();
  while (window.received.size() < 400 && waited.elapsed() < 20000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_EQ(window.received.size(), 400u);
  app::WPARAM next[3] = {0, 0, 0};
  for (const apptest::ReceivedMessage& message : window.received) {
    const auto poster = static_cast<std::size_t>(message.lParam);
    EXPECT_EQ(message.wParam, next[poster]++) << "each poster's messages arrive in order";
  }
}

}  // namespace
