#pragma once
#include <QString>
#include <vector>

#include "app/playlist/IMainDialog.h"
#include "tests/app/AppTestSupport.h"

namespace apptest {

// A main window for the panes under test: records the protocol messages it receives and what the
// panes ask of it.
class FakeMainDialog : public MessageRecorder, public app::IMainDialog {
 public:
  std::vector<int> opened;
  int closes = 0;
  int stateRefreshes = 0;
  bool itemOpen = false;
  int openId = 0;
  int mode = 0;
  int mousePresses = 0;  // presses that reached the window itself (passed on by a child)

  int openItem(int id) override {
    opened.push_back(id);
    itemOpen = true;
    openId = id;
    return 0;
  }
  void closeItem() override {
    ++closes;
    itemOpen = false;
    openId = 0;
  }
  void updateStateDisplay() override { ++stateRefreshes; }
  bool isItemOpen() const override { return itemOpen; }
  int openItemId() const override { return openId; }
  int playMode() const override { return mode; }
  void setPlayMode(int playMode) override { mode = playMode; }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    ++mousePresses;
    event->accept();
  }
};

}  // namespace apptest
