#include "platform/WindowSystem.h"

#include <map>
#include <mutex>

namespace platform {

namespace {

// Routes each call to the backend that registered the window. Backends live for the whole process, so
// a backend found under the lock can be called after it is released; a window closed meanwhile is
// answered by its backend as unknown.
class WindowRouter : public WindowSystem {
 public:
  WindowId add(WindowSystem& backend) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const WindowId id = m_nNextId++;
    m_mapBackends[id] = &backend;
    return id;
  }
  void remove(WindowId window) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mapBackends.erase(window);
  }
  WindowSystem* backendOf(WindowId window) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_mapBackends.find(window);
    return found == m_mapBackends.end() ? nullptr : found->second;
  }

  bool isWindow(WindowId window) const override {
    WindowSystem* backend = backendOf(window);
    return backend != nullptr && backend->isWindow(window);
  }
  bool getClientRect(WindowId window, Rect& rect) const override {
    WindowSystem* backend = backendOf(window);
    return backend != nullptr && backend->getClientRect(window, rect);
  }
  bool getWindowRect(WindowId window, Rect& rect) const override {
    WindowSystem* backend = backendOf(window);
    return backend != nullptr && backend->getWindowRect(window, rect);
  }
  WindowId getParent(WindowId window) const override {
    WindowSystem* backend = backendOf(window);
    return backend != nullptr ? backend->getParent(window) : 0;
  }
  bool clientToScreen(WindowId window, Point& point) const override {
    WindowSystem* backend = backendOf(window);
    return backend != nullptr && backend->clientToScreen(window, point);
  }
  bool invalidateRect(WindowId window, const Rect* rect, bool erase) override {
    WindowSystem* backend = backendOf(window);
    return backend != nullptr && backend->invalidateRect(window, rect, erase);
  }
  bool postMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    WindowSystem* backend = backendOf(window);
    return backend != nullptr && backend->postMessage(window, message, wParam, lParam);
  }
  Display* displayOf(WindowId window) override {
    WindowSystem* backend = backendOf(window);
    return backend != nullptr ? backend->displayOf(window) : nullptr;
  }
  std::shared_ptr<const WindowGeometry> geometryOf(WindowId window) override {
    WindowSystem* backend = backendOf(window);
    return backend != nullptr ? backend->geometryOf(window) : nullptr;
  }

 private:
  mutable std::mutex m_mutex;
  std::map<WindowId, WindowSystem*> m_mapBackends;
  WindowId m_nNextId = 1;
};

WindowRouter& router() {
  static WindowRouter instance;
  return instance;
}

}  // namespace

WindowSystem& windows() { return router(); }
WindowId registerWindow(WindowSystem& backend) { return router().add(backend); }
void unregisterWindow(WindowId window) { router().remove(window); }

}  // namespace platform
