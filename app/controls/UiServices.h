#pragma once
#include <QPoint>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class QObject;
class QWidget;

namespace app {

// One entry of a popup menu.
struct MenuEntry {
  enum Kind { Command, Separator, Submenu };
  Kind kind = Command;
  std::uint32_t id = 0;  // command sent to the owner when chosen
  QString text;
  bool enabled = true;
  bool checked = false;  // check mark, or the radio bullet when `radio` is set
  bool radio = false;
  std::vector<MenuEntry> children;  // of a submenu

  static MenuEntry command(std::uint32_t id, const QString& text, bool enabled = true, bool checked = false);
  static MenuEntry radioItem(std::uint32_t id, const QString& text, bool checked);
  static MenuEntry separator();
  static MenuEntry submenu(const QString& text, std::vector<MenuEntry> children);
};

// The services of the window system that the application's windows use besides drawing: popup menus,
// timers, tooltips and the file and folder dialogs. One implementation runs them through Qt; tests put
// their own in place with setUiServices.
class IUiServices {
 public:
  virtual ~IUiServices() = default;

  // Shows the menu at a screen point and returns the chosen command, 0 when nothing was chosen. The
  // caller sends the command to the menu's owner.
  virtual std::uint32_t trackPopupMenu(const std::vector<MenuEntry>& menu, QPoint screenPoint, QWidget* owner) = 0;

  // Starts (or restarts) the target's timer `id`: every `milliseconds` it gets WM_TIMER with wParam = id.
  virtual void setTimer(QObject* target, std::uint32_t id, int milliseconds) = 0;
  virtual void killTimer(QObject* target, std::uint32_t id) = 0;
  virtual bool isTimerRunning(QObject* target, std::uint32_t id) const = 0;

  virtual void setToolTip(QWidget* widget, const QString& text) = 0;

  // Open-file dialog with multiple selection; the filter in the form "Name (*.ts)|*.ts|...||". The
  // chosen paths in the dialog's order; empty when cancelled.
  virtual QStringList getOpenFileNames(QWidget* parent, const QString& filter) = 0;
  // Folder dialog; an empty text when cancelled.
  virtual QString getExistingDirectory(QWidget* parent, const QString& title, const QString& start) = 0;
};

IUiServices& uiServices();
// Replaces the services (null restores the Qt ones); returns the previous replacement, or null.
IUiServices* setUiServices(IUiServices* services);

}  // namespace app
