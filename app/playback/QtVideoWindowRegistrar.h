#pragma once
#include <QObject>
#include <QPointer>
#include <map>

#include "app/playback/IVideoWindowRegistrar.h"

namespace platform {
class QtVideoWidget;
}

namespace app {

// Gives each video window a surface the engine draws into: a child widget of the Qt display backend
// that covers the window's video area (everything above the status strip) and follows its size. The
// surface is the window the engine knows; it stays hidden, showing the window's own background, until
// pictures are to be shown.
class QtVideoWindowRegistrar : public QObject, public IVideoWindowRegistrar {
 public:
  QtVideoWindowRegistrar() = default;
  ~QtVideoWindowRegistrar() override;

  std::uint32_t registerVideoWindow(QWidget* window) override;
  void unregisterVideoWindow(std::uint32_t windowId) override;
  // While pictures are shown, the surface's last picture (the surface itself repaints on top of it).
  bool paintVideo(std::uint32_t windowId, QPainter& painter, const QRect& videoRect) override;

  void setPicturesShown(std::uint32_t windowId, bool shown);
  platform::QtVideoWidget* surface(std::uint32_t windowId) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fitSurface(QWidget* window, platform::QtVideoWidget* surface) const;

  std::map<std::uint32_t, QPointer<platform::QtVideoWidget>> m_surfaces;
};

}  // namespace app
