#pragma once

class QWidget;

namespace app {

// What the panes ask of the main window they live in: the play-list panel and the drag list open,
// close and refresh through it, and read its open item and play mode.
class IMainDialog {
 public:
  virtual ~IMainDialog() = default;
  // Opens the play-list item; the result of the open (0 success, negative failure).
  virtual int openItem(int id) = 0;
  virtual void closeItem() = 0;
  virtual void updateStateDisplay() = 0;
  virtual bool isItemOpen() const = 0;
  virtual int openItemId() const = 0;
  virtual int playMode() const = 0;
  virtual void setPlayMode(int mode) = 0;
};

// The main window a widget lives in: its parent when that takes the role, else null.
IMainDialog* mainDialogOf(const QWidget* widget);

}  // namespace app
