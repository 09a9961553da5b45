#include "app/controls/UiServices.h"

#include "app/controls/QtUiServices.h"

namespace app {
namespace {
IUiServices* g_replacement = nullptr;
}

MenuEntry MenuEntry::command(std::uint32_t id, const QString& text, bool enabled, bool checked) {
  MenuEntry entry;
  entry.id = id;
  entry.text = text;
  entry.enabled = enabled;
  entry.checked = checked;
  return entry;
}

MenuEntry MenuEntry::radioItem(std::uint32_t id, const QString& text, bool checked) {
  MenuEntry entry = command(id, text, true, checked);
  entry.radio = true;
  return entry;
}

MenuEntry MenuEntry::separator() {
  MenuEntry entry;
  entry.kind = Separator;
  return entry;
}

MenuEntry MenuEntry::submenu(const QString& text, std::vector<MenuEntry> children) {
  MenuEntry entry;
  entry.kind = Submenu;
  entry.text = text;
  entry.children = std::move(children);
  return entry;
}

IUiServices& uiServices() {
  static QtUiServices qtServices;
  return g_replacement != nullptr ? *g_replacement : qtServices;
}

IUiServices* setUiServices(IUiServices* services) {
  IUiServices* previous = g_replacement;
  g_replacement = services;
  return previous;
}

}  // namespace app
