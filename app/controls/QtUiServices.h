#pragma once
#include <QPointer>
#include <map>
#include <utility>

#include "app/controls/UiServices.h"

class QTimer;

namespace app {

// The window-system services on Qt: QMenu, QTimer, QWidget tooltips and QFileDialog.
class QtUiServices : public IUiServices {
 public:
  QtUiServices() = default;
  ~QtUiServices() override;

  std::uint32_t trackPopupMenu(const std::vector<MenuEntry>& menu, QPoint screenPoint, QWidget* owner) override;
  void setTimer(QObject* target, std::uint32_t id, int milliseconds) override;
  void killTimer(QObject* target, std::uint32_t id) override;
  bool isTimerRunning(QObject* target, std::uint32_t id) const override;
  void setToolTip(QWidget* widget, const QString& text) override;
  QStringList getOpenFileNames(QWidget* parent, const QString& filter) override;
  QString getExistingDirectory(QWidget* parent, const QString& title, const QString& start) override;

  // "Video Files (*.ts)|*.ts|All Files (*.*)|*.*||" -> "Video Files (*.ts);;All Files (*)".
  static QString qtFilter(const QString& windowsFilter);

 private:
  using TimerKey = std::pair<const QObject*, std::uint32_t>;
  std::map<TimerKey, QPointer<QTimer>> m_timers;
};

}  // namespace app
