#pragma once
#include <cstdint>

class QPainter;
class QRect;
class QWidget;

namespace app {

// Where the video window meets the engine's window layer: the layer gives the widget a 32-bit window
// id through which the engine draws into it and posts its end-of-file message. The application sets
// the registrar once at start-up; without one a video window has the id 0 and nothing draws into it.
class IVideoWindowRegistrar {
 public:
  virtual ~IVideoWindowRegistrar() = default;
  virtual std::uint32_t registerVideoWindow(QWidget* window) = 0;
  virtual void unregisterVideoWindow(std::uint32_t windowId) = 0;
  // Called on every paint of the window, after its skin and before its separator line: draws the
  // engine's last picture for the window into the video area; false when there is none to draw.
  virtual bool paintVideo(std::uint32_t windowId, QPainter& painter, const QRect& videoRect) = 0;
};

}  // namespace app
