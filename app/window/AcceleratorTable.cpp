#include "app/window/AcceleratorTable.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "app/controls/AppIds.h"
#include "app/controls/AppMessage.h"

namespace app {
namespace {

struct CtrlKey {
  int key;
  std::uint32_t command;
};

constexpr CtrlKey kCtrlKeys[] = {
    {Qt::Key_O, ID_MENU_OPEN},          {Qt::Key_Return, ID_MENU_PLAY_PAUSE}, {Qt::Key_Enter, ID_MENU_PLAY_PAUSE},
    {Qt::Key_S, ID_MENU_STOP},          {Qt::Key_Down, ID_MENU_NEXT_FRAME},   {Qt::Key_Up, ID_MENU_PREVIOUS_FRAME},
    {Qt::Key_Left, ID_MENU_SLOW},       {Qt::Key_Right, ID_MENU_FAST},        {Qt::Key_I, ID_MENU_SNAPSHOT},
    {Qt::Key_Delete, ID_DELETE_LIST_ITEMS},
};

}  // namespace

AcceleratorTable::AcceleratorTable(QWidget* window) : QObject(window), m_window(window) {
  if (qApp != nullptr) qApp->installEventFilter(this);
}

AcceleratorTable::~AcceleratorTable() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
}

std::uint32_t AcceleratorTable::commandForKey(int key, Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers held = modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  if (key == Qt::Key_Space) return ID_MENU_PLAY_PAUSE;
  if (held != Qt::ControlModifier) return 0;
  for (const CtrlKey& entry : kCtrlKeys) {
    if (entry.key == key) return entry.command;
  }
  return 0;
}

bool AcceleratorTable::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget != m_window && !m_window->isAncestorOf(widget)) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const std::uint32_t command = commandForKey(key->key(), key->modifiers());
  if (command == 0) return false;
  sendCommand(m_window, command, 0, nullptr);
  return true;
}

}  // namespace app
