#include "app/playlist/PlayListItem.h"

#include <QDir>
#include <QString>

namespace app {

PlayListItem::PlayListItem(int id, const std::u16string& path) : m_id(id), m_path(path), m_name(nameFromPath(path)) {}

std::u16string PlayListItem::nameFromPath(const std::u16string& path) {
  const auto separator = path.find_last_of(u"/\\");
  return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

std::u16string PlayListItem::absolutePath(const std::u16string& path) {
  if (path.empty()) return path;
  return QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromStdU16String(path))).toStdU16String();
}

}  // namespace app
