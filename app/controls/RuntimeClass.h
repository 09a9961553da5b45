#pragma once

class QWidget;

namespace app {

// The run-time class name of a window, by which other windows recognise it (a drop target is
// recognised as the video window by the name "CPlayerWnd").
class RuntimeClass {
 public:
  virtual ~RuntimeClass() = default;
  virtual const char* runtimeClassName() const = 0;
};

// True when the widget carries exactly that run-time class name.
bool isRuntimeClass(const QWidget* widget, const char* name);

}  // namespace app
