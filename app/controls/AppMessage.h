#pragma once
#include <QEvent>
#include <QPoint>
#include <cstdint>

#include "app/controls/AppIds.h"

class QObject;

namespace app {

// One message of the application's protocol on its way to a window.
class AppMessageEvent : public QEvent {
 public:
  AppMessageEvent(std::uint32_t message, WPARAM wParam, LPARAM lParam);

  static QEvent::Type eventType();

  std::uint32_t message() const { return m_message; }
  WPARAM wParam() const { return m_wParam; }
  LPARAM lParam() const { return m_lParam; }
  LRESULT result() const { return m_result; }
  void setResult(LRESULT result) { m_result = result; }

 private:
  std::uint32_t m_message;
  WPARAM m_wParam;
  LPARAM m_lParam;
  LRESULT m_result = 0;
};

// Header of a WM_NOTIFY notification; lParam of the message points at it for the duration of the call.
struct NotifyHeader {
  QObject* from = nullptr;
  std::uint32_t idFrom = 0;
  std::uint32_t code = 0;
};

// A window that takes part in the protocol implements this and forwards its event() through
// dispatchAppMessage.
class AppMessageHandler {
 public:
  virtual ~AppMessageHandler() = default;
  virtual LRESULT onAppMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam) = 0;
};

// True when the event was a protocol message and the handler has taken it (its result stored).
bool dispatchAppMessage(QEvent* event, AppMessageHandler& handler);

// Delivers the message at once on the calling (user-interface) thread and returns the handler's result;
// 0 when the target is null or does not take part in the protocol. Pointers in lParam stay valid for
// the whole call.
LRESULT sendAppMessage(QObject* target, std::uint32_t message, WPARAM wParam, LPARAM lParam);
// Queues the message for the target's thread from any thread; it is delivered by the event loop,
// never inside this call. The target must be alive at the call; a target destroyed before delivery
// drops the message. lParam must not point at anything that may be gone by then.
bool postAppMessage(QObject* target, std::uint32_t message, WPARAM wParam, LPARAM lParam);

// Helpers for the common messages.
LRESULT sendCommand(QObject* target, std::uint32_t id, std::uint32_t notifyCode, QObject* from);
LRESULT sendNotify(QObject* target, NotifyHeader& header);
// Mouse-key flags of a mouse state, as carried in wParam of mouse messages.
WPARAM mouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// A point packed into lParam by value: x in the low 16 bits, y in the next 16, both signed.
LPARAM packPoint(QPoint point);
QPoint unpackPoint(LPARAM lParam);
// Sends a mouse message whose lParam points at the given screen point.
LRESULT sendMouseMessage(QObject* target, std::uint32_t message, WPARAM keyFlags, QPoint screenPoint);

}  // namespace app
