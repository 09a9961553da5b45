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

using ReadLock = std::shared_lock<std::shared_mutex>;
using WriteLock = std::unique_lock<std::shared_mutex>;

void OffscreenWindowSystem::Framebuffer::clear(int clientWidth, int clientHeight) {
  width = clientWidth;
  height = clientHeight;
  pixels.assign(static_cast<size_t>(clientWidth) * clientHeight + kSparePixels, kOpaqueBlack);
}

WindowId OffscreenWindowSystem::create(WindowId parent, int x, int y, int clientWidth, int clientHeight) {
  if (clientWidth < 0 || clientHeight < 0) return 0;
  WriteLock lock(m_mutex);
  if (parent != 0 && find(parent) == nullptr) return 0;
  const WindowId id = registerWindow(*this);
  Window& window = m_mapWindows[id];
  window.parent = parent;
  window.x = x;
  window.y = y;
  window.width = clientWidth;
  window.height = clientHeight;
  window.framebuffer = std::make_shared<Framebuffer>();
  window.framebuffer->clear(clientWidth, clientHeight);
  window.geometry = std::make_shared<WindowGeometry>(WindowGeometry::State{screenOrigin(window), clientWidth, clientHeight});
  return id;
}

void OffscreenWindowSystem::destroy(WindowId window) {
  std::shared_ptr<WindowGeometry> geometry;
  {
    WriteLock lock(m_mutex);
    auto found = m_mapWindows.find(window);
    if (found == m_mapWindows.end()) return;
    geometry = found->second.geometry;
    m_mapWindows.erase(found);
    unregisterWindow(window);
  }
  geometry->close();
}

void OffscreenWindowSystem::publishGeometry(WindowId window) {
  const Window* found = find(window);
  if (found == nullptr) return;
  found->geometry->update(screenOrigin(*found), found->width, found->height);
  for (const auto& [id, child] : m_mapWindows) {
    if (child.parent == window) publishGeometry(id);
  }
}

bool OffscreenWindowSystem::move(WindowId window, int x, int y) {
  WriteLock lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  found->second.x = x;
  found->second.y = y;
  publishGeometry(window);
  return true;
}

bool OffscreenWindowSystem::resize(WindowId window, int clientWidth, int clientHeight) {
  if (clientWidth < 0 || clientHeight < 0) return false;
  std::shared_ptr<Framebuffer> framebuffer;
  {
    WriteLock lock(m_mutex);
    auto found = m_mapWindows.find(window);
    if (found == m_mapWindows.end()) return false;
    found->second.width = clientWidth;
    found->second.height = clientHeight;
    framebuffer = found->second.framebuffer;
    publishGeometry(window);
  }
  std::lock_guard<std::mutex> pixels(framebuffer->mutex);
  framebuffer->clear(clientWidth, clientHeight);
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

std::shared_ptr<OffscreenWindowSystem::Framebuffer> OffscreenWindowSystem::framebufferOf(WindowId window) const {
  ReadLock lock(m_mutex);
  const Window* found = find(window);
  return found != nullptr ? found->framebuffer : nullptr;
}

bool OffscreenWindowSystem::readPixels(WindowId window, std::vector<std::uint32_t>& bgra, int& width,
                                       int& height) const {
  const std::shared_ptr<Framebuffer> framebuffer = framebufferOf(window);
  if (!framebuffer) return false;
  std::lock_guard<std::mutex> lock(framebuffer->mutex);
  bgra.assign(framebuffer->pixels.begin(),
              framebuffer->pixels.begin() + static_cast<size_t>(framebuffer->width) * framebuffer->height);
  width = framebuffer->width;
  height = framebuffer->height;
  return true;
}

int OffscreenWindowSystem::pump(WindowId window, std::vector<WindowMessage>& out) {
  WriteLock lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return 0;
  std::vector<WindowMessage> queued;
  queued.swap(found->second.queue);
  out.insert(out.end(), queued.begin(), queued.end());
  return static_cast<int>(queued.size());
}

bool OffscreenWindowSystem::withFramebuffer(WindowId window,
                                            const std::function<void(std::uint8_t*, int, int)>& fn) {
  // The caller's drawing runs under this window's lock only; a window closed meanwhile keeps its
  // pixels until the drawing ends.
  const std::shared_ptr<Framebuffer> framebuffer = framebufferOf(window);
  if (!framebuffer) return false;
  std::lock_guard<std::mutex> lock(framebuffer->mutex);
  fn(reinterpret_cast<std::uint8_t*>(framebuffer->pixels.data()), framebuffer->width, framebuffer->height);
  return true;
}

bool OffscreenWindowSystem::isWindow(WindowId window) const {
  ReadLock lock(m_mutex);
  return find(window) != nullptr;
}

bool OffscreenWindowSystem::getClientRect(WindowId window, Rect& rect) const {
  ReadLock lock(m_mutex);
  const Window* found = find(window);
  if (found == nullptr) return false;
  rect = {0, 0, found->width, found->height};
  return true;
}

bool OffscreenWindowSystem::getWindowRect(WindowId window, Rect& rect) const {
  ReadLock lock(m_mutex);
  const Window* found = find(window);
  if (found == nullptr) return false;
  const Point origin = screenOrigin(*found);
  rect = {origin.x, origin.y, origin.x + found->width, origin.y + found->height};
  return true;
}

WindowId OffscreenWindowSystem::getParent(WindowId window) const {
  ReadLock lock(m_mutex);
  const Window* found = find(window);
  return found != nullptr ? found->parent : 0;
}

bool OffscreenWindowSystem::clientToScreen(WindowId window, Point& point) const {
  ReadLock lock(m_mutex);
  const Window* found = find(window);
  if (found == nullptr) return false;
  const Point origin = screenOrigin(*found);
  point.x += origin.x;
  point.y += origin.y;
  return true;
}

bool OffscreenWindowSystem::invalidateRect(WindowId window, const Rect* rect, bool erase) {
  WriteLock lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  // The repaint request is queued like a message (wParam says erase); its rectangle is kept aside.
  found->second.invalidated.push_back(rect != nullptr ? *rect : Rect{0, 0, found->second.width, found->second.height});
  found->second.queue.push_back({window, WM_PAINT, erase ? 1u : 0u, 0});
  return true;
}

std::vector<Rect> OffscreenWindowSystem::takeInvalidated(WindowId window) {
  WriteLock lock(m_mutex);
  std::vector<Rect> rects;
  auto found = m_mapWindows.find(window);
  if (found != m_mapWindows.end()) rects.swap(found->second.invalidated);
  return rects;
}

bool OffscreenWindowSystem::postMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
  WriteLock lock(m_mutex);
  auto found = m_mapWindows.find(window);
  if (found == m_mapWindows.end()) return false;
  found->second.queue.push_back({window, message, wParam, lParam});
  return true;
}

Display* OffscreenWindowSystem::displayOf(WindowId window) {
  return isWindow(window) ? &MemoryDisplay::instance() : nullptr;
}

std::shared_ptr<const WindowGeometry> OffscreenWindowSystem::geometryOf(WindowId window) {
  ReadLock lock(m_mutex);
  const Window* found = find(window);
  return found != nullptr ? found->geometry : nullptr;
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
