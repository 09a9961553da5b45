#include "app/playlist/PlayListItem.h"

namespace app {

PlayListItem::PlayListItem(int id, const std::u16string& path) : m_id(id), m_path(path), m_name(nameFromPath(path)) {}

std::u16string PlayListItem::nameFromPath(const std::u16string& path) {
  const auto separator = path.find_last_of(u"/\\");
  return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

}  // namespace app
