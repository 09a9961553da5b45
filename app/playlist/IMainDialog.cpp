#include "app/playlist/IMainDialog.h"

#include <QWidget>

namespace app {

IMainDialog* mainDialogOf(const QWidget* widget) {
  return widget != nullptr ? dynamic_cast<IMainDialog*>(widget->parentWidget()) : nullptr;
}

}  // namespace app
