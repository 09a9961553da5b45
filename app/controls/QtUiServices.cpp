#include "app/controls/QtUiServices.h"

#include <QActionGroup>
#include <QFileDialog>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include "app/controls/AppMessage.h"

namespace app {
namespace {

void fillMenu(QMenu& menu, const std::vector<MenuEntry>& entries) {
  QActionGroup* group = nullptr;
  for (const MenuEntry& entry : entries) {
    if (entry.kind == MenuEntry::Separator) {
      menu.addSeparator();
      group = nullptr;
      continue;
    }
    if (entry.kind == MenuEntry::Submenu) {
      fillMenu(*menu.addMenu(entry.text), entry.children);
      group = nullptr;
      continue;
    }
    QAction* action = menu.addAction(entry.text);
    action->setData(static_cast<uint>(entry.id));
    action->setEnabled(entry.enabled);
    if (entry.radio) {
      if (group == nullptr) group = new QActionGroup(&menu);
      group->addAction(action);
      action->setCheckable(true);
    } else {
      group = nullptr;
      action->setCheckable(entry.checked);
    }
    action->setChecked(entry.checked);
  }
}

}  // namespace

QtUiServices::~QtUiServices() {
  for (auto& timer : m_timers) delete timer.second.data();
}

std::uint32_t QtUiServices::trackPopupMenu(const std::vector<MenuEntry>& menu, QPoint screenPoint, QWidget* owner) {
  QMenu popup(owner);
  fillMenu(popup, menu);
  QAction* chosen = popup.exec(screenPoint);
  return chosen != nullptr ? chosen->data().toUInt() : 0;
}

void QtUiServices::setTimer(QObject* target, std::uint32_t id, int milliseconds) {
  QPointer<QTimer>& timer = m_timers[TimerKey(target, id)];
  if (timer.isNull()) {
    // The timer is a child of its target, so it dies with it.
    timer = new QTimer(target);
    QObject::connect(timer.data(), &QTimer::timeout, target,
                     [target, id]() { sendAppMessage(target, WM_TIMER, id, 0); });
  }
  timer->start(milliseconds);
}

void QtUiServices::killTimer(QObject* target, std::uint32_t id) {
  auto found = m_timers.find(TimerKey(target, id));
  if (found == m_timers.end()) return;
  // Deferred: a WM_TIMER handler may kill the very timer that is calling it.
  if (!found->second.isNull()) {
    found->second->stop();
    found->second->deleteLater();
  }
  m_timers.erase(found);
}

bool QtUiServices::isTimerRunning(QObject* target, std::uint32_t id) const {
  auto found = m_timers.find(TimerKey(target, id));
  return found != m_timers.end() && !found->second.isNull() && found->second->isActive();
}

void QtUiServices::setToolTip(QWidget* widget, const QString& text) {
  if (widget != nullptr) widget->setToolTip(text);
}

QStringList QtUiServices::getOpenFileNames(QWidget* parent, const QString& filter) {
  return QFileDialog::getOpenFileNames(parent, QString(), QString(), qtFilter(filter));
}

QString QtUiServices::getExistingDirectory(QWidget* parent, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, title, start);
}

QString QtUiServices::qtFilter(const QString& windowsFilter) {
  const QStringList parts = windowsFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    QString name = parts[i];
    const auto open = name.indexOf(QLatin1Char('('));
    if (open >= 0) name = name.left(open).trimmed();
    filters << QStringLiteral("%1 (%2)").arg(name, patterns);
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace app
