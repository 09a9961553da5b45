#pragma once
#include <QObject>
#include <cstdint>

class QWidget;

namespace app {

// The main window's keys: Space toggles play and pause wherever the focus is inside the window, and
// the Ctrl table gives the menu commands (Ctrl+O open, Ctrl+Enter play/pause, Ctrl+S stop,
// Ctrl+Down/Up next/previous frame, Ctrl+Left/Right slow/fast, Ctrl+I snapshot, Ctrl+Delete delete
// the selected list items). A Ctrl entry matches only without Shift and Alt.
class AcceleratorTable : public QObject {
 public:
  // Installs itself as an event filter of the application for key presses inside `window`, which then
  // receives each translated key as WM_COMMAND.
  explicit AcceleratorTable(QWidget* window);
  ~AcceleratorTable() override;

  // The command of a key press, 0 when the key is not in the table.
  static std::uint32_t commandForKey(int key, Qt::KeyboardModifiers modifiers);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* m_window;
};

}  // namespace app
