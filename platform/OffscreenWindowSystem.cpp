#include "platform/OffscreenWindowSystem.h"

#include "platform/MemoryDisplay.h"
#include "platform/OffscreenWindows.h"

namespace platform {

namespace {
constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;
// Spare pixels after the framebuffer: libswscale may write a little past the last row.
constexpr size_t kSparePixels = 64;
}

OffscreenWindowSystem& OffscreenWindowSystem::instance() {
  static OffscreenWindowSystem windows;
  return windows;
}

WindowId OffscreenWindowSystem::create(WindowId parent, int x, int y, int clientWidth, int clientHeight) {
  if (clientWidth < 0 || clientHeight < 0) return 0;
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (parent != 0 && find(parent) == nullptr) return 0;
  const WindowId id = registerWindow(*this);
  Window& window = m_mapWindows[id];
  window.parent = parent;
  window.x = x;
  window.y = y;
  window.width = clientWidth;
  window.height = clientHeight;
  window.pixels.assign(static_cast<size_t>(clientWidth) * clientHeight + kSparePixels, kOpaqueBlack);
  return id;
}

void OffscreenWindowSystem::destroy(WindowId window) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (m_mapWindows.erase(window) != 0) unregisterWindow(window);
}

bool OffscreenWindowSystem::move(WindowId window, int x, int y) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  found->second.x = x;
  found->second.y = y;
  return true;
}

bool OffscreenWindowSystem::resize(WindowId window, int clientWidth, int clientHeight) {
  if (clientWidth < 0 || clientHeight < 0) return false;
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  found->second.width = clientWidth;
  found->second.height = clientHeight;
  found->second.pixels.assign(static_cast<size_t>(clientWidth) * clientHeight + kSparePixels, kOpaqueBlack);
  return true;
}

const OffscreenWindowSystem::Window* OffscreenWindowSystem::find(WindowId window) const {
  auto found = m_mapWindows.find(window);
  return found == m_mapWindows.end() ? nullptr : &found->second;
}

Point OffscreenWindowSystem::screenOrigin(const Window& window) const {
  Point origin{window.x, window.y};
  const Window* parent = find(window.parent);
  while (parent != nullptr) {
    origin.x += parent->x;
    origin.y += parent->y;
    parent = find(parent->parent);
  }
  return origin;
}

bool OffscreenWindowSystem::readPixels(WindowId window, std::vector<std::uint32_t>& bgra, int& width,
                                       int& height) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  const Window* found = find(window);
  if (found == nullptr) return false;
  bgra.assign(found->pixels.begin(), found->pixels.begin() + static_cast<size_t>(found->width) * found->height);
  width = found->width;
  height = found->height;
  return true;
}

int OffscreenWindowSystem::pump(WindowId window, std::vector<WindowMessage>& out) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return 0;
  std::vector<WindowMessage> queued;
  queued.swap(found->second.queue);
  out.insert(out.end(), queued.begin(), queued.end());
  return static_cast<int>(queued.size());
}

bool OffscreenWindowSystem::withFramebuffer(WindowId window,
                                            const std::function<void(std::uint8_t*, int, int)>& fn) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  Window& w = found->second;
  fn(reinterpret_cast<std::uint8_t*>(w.pixels.data()), w.width, w.height);
  return true;
}

bool OffscreenWindowSystem::isWindow(WindowId window) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  return find(window) != nullptr;
}

bool OffscreenWindowSystem::getClientRect(WindowId window, Rect& rect) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  const Window* found = find(window);
  if (found == nullptr) return false;
  rect = {0, 0, found->width, found->height};
  return true;
}

bool OffscreenWindowSystem::getWindowRect(WindowId window, Rect& rect) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  const Window* found = find(window);
  if (found == nullptr) return false;
  const Point origin = screenOrigin(*found);
  rect = {origin.x, origin.y, origin.x + found->width, origin.y + found->height};
  return true;
}

WindowId OffscreenWindowSystem::getParent(WindowId window) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  const Window* found = find(window);
  return found != nullptr ? found->parent : 0;
}

bool OffscreenWindowSystem::clientToScreen(WindowId window, Point& point) const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  const Window* found = find(window);
  if (found == nullptr) return false;
  const Point origin = screenOrigin(*found);
  point.x += origin.x;
  point.y += origin.y;
  return true;
}

bool OffscreenWindowSystem::invalidateRect(WindowId window, const Rect* rect, bool erase) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  // The repaint request is queued like a message (wParam says erase); its rectangle is kept aside.
  found->second.invalidated.push_back(rect != nullptr ? *rect : Rect{0, 0, found->second.width, found->second.height});
  found->second.queue.push_back({window, WM_PAINT, erase ? 1u : 0u, 0});
  return true;
}

std::vector<Rect> OffscreenWindowSystem::takeInvalidated(WindowId window) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  std::vector<Rect> rects;
  auto found = m_mapWindows.find(window);
  if (found != m_mapWindows.end()) rects.swap(found->second.invalidated);
  return rects;
}

bool OffscreenWindowSystem::postMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  found->second.queue.push_back({window, message, wParam, lParam});
  return true;
}

Display* OffscreenWindowSystem::displayOf(WindowId window) {
  return isWindow(window) ? &MemoryDisplay::instance() : nullptr;
}

}  // namespace platform

HWND createOffscreenWindow(int clientWidth, int clientHeight) {
  return platform::OffscreenWindowSystem::instance().create(0, 0, 0, clientWidth, clientHeight);
}

void destroyOffscreenWindow(HWND window) { platform::OffscreenWindowSystem::instance().destroy(window); }

bool readWindowPixels(HWND window, std::vector<uint32_t>& bgra, int& width, int& height) {
  return platform::OffscreenWindowSystem::instance().readPixels(window, bgra, width, height);
}

int pumpWindowMessages(HWND window, std::vector<WindowMessage>& out) {
  return platform::OffscreenWindowSystem::instance().pump(window, out);
}
