#include "app/controls/AppMessage.h"

#include <QCoreApplication>
#include <QObject>

namespace app {

AppMessageEvent::AppMessageEvent(std::uint32_t message, WPARAM wParam, LPARAM lParam)
    : QEvent(eventType()), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

QEvent::Type AppMessageEvent::eventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

bool dispatchAppMessage(QEvent* event, AppMessageHandler& handler) {
  if (event->type() != AppMessageEvent::eventType()) return false;
  auto* message = static_cast<AppMessageEvent*>(event);
  message->setResult(handler.onAppMessage(message->message(), message->wParam(), message->lParam()));
  message->accept();
  return true;
}

LRESULT sendAppMessage(QObject* target, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (target == nullptr) return 0;
  AppMessageEvent event(message, wParam, lParam);
  QCoreApplication::sendEvent(target, &event);
  return event.result();
}

bool postAppMessage(QObject* target, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (target == nullptr) return false;
  // postEvent is thread-safe; Qt removes the events still queued for an object when it is destroyed.
  QCoreApplication::postEvent(target, new AppMessageEvent(message, wParam, lParam));
  return true;
}

LRESULT sendCommand(QObject* target, std::uint32_t id, std::uint32_t notifyCode, QObject* from) {
  return sendAppMessage(target, WM_COMMAND, makeCommandWParam(id, notifyCode), reinterpret_cast<LPARAM>(from));
}

LRESULT sendNotify(QObject* target, NotifyHeader& header) {
  return sendAppMessage(target, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

WPARAM mouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  WPARAM flags = 0;
  if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
  if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
  if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
  return flags;
}

LPARAM packPoint(QPoint point) {
  const auto x = static_cast<std::uint16_t>(static_cast<std::int16_t>(point.x()));
  const auto y = static_cast<std::uint16_t>(static_cast<std::int16_t>(point.y()));
  return static_cast<LPARAM>((static_cast<std::uint32_t>(y) << 16) | x);
}

QPoint unpackPoint(LPARAM lParam) {
  const auto bits = static_cast<std::uint32_t>(lParam);
  return QPoint(static_cast<std::int16_t>(bits & 0xFFFFu), static_cast<std::int16_t>(bits >> 16));
}

LRESULT sendMouseMessage(QObject* target, std::uint32_t message, WPARAM keyFlags, QPoint screenPoint) {
  QPoint point = screenPoint;
  return sendAppMessage(target, message, keyFlags, reinterpret_cast<LPARAM>(&point));
}

}  // namespace app
