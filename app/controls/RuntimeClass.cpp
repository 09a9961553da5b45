#include "app/controls/RuntimeClass.h"

#include <QWidget>
#include <cstring>

namespace app {

bool isRuntimeClass(const QWidget* widget, const char* name) {
  const auto* runtime = dynamic_cast<const RuntimeClass*>(widget);
  return runtime != nullptr && name != nullptr && std::strcmp(runtime->runtimeClassName(), name) == 0;
}

}  // namespace app
