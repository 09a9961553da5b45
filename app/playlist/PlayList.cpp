#include "app/playlist/PlayList.h"

#include <algorithm>
#include "app/settings/AppPaths.h"
#include "app/settings/SaveFailureNotice.h"
#include "app/settings/TextConversion.h"
#include "app/settings/WholeFile.h"
#include "platform/DebugOutput.h"

namespace app {

PlayList& PlayList::getInstance() {
  static PlayList instance;
  return instance;
}

int PlayList::nextId() const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  int largest = 0;
  for (const PlayListItem& item : m_items) largest = std::max(largest, item.getId());
  return largest + 1;
}

bool PlayList::findById(int id, PlayListItem& item) const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  for (const PlayListItem& candidate : m_items) {
    if (candidate.getId() == id) {
      item = candidate;
      return true;
    }
  }
  return false;
}

bool PlayList::findByPath(const std::u16string& path, int& id) const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  for (const PlayListItem& candidate : m_items) {
    if (candidate.getPath() == path) {
      id = candidate.getId();
      return true;
    }
  }
  id = 0;
  return false;
}

void PlayList::removeById(int id) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  auto found = std::find_if(m_items.begin(), m_items.end(), [id](const PlayListItem& item) { return item.getId() == id; });
  if (found != m_items.end()) m_items.erase(found);
}

bool PlayList::insertBefore(int id, const PlayListItem& item) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  auto found = std::find_if(m_items.begin(), m_items.end(), [id](const PlayListItem& entry) { return entry.getId() == id; });
  if (found == m_items.end()) return false;
  m_items.insert(found, item);
  return true;
}

void PlayList::append(const PlayListItem& item) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_items.push_back(item);
}

int PlayList::count() const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return static_cast<int>(m_items.size());
}

PlayListItem PlayList::itemAt(int index) const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (index < 0 || index >= static_cast<int>(m_items.size())) return PlayListItem();
  return m_items[static_cast<std::size_t>(index)];
}

void PlayList::clear() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_items.clear();
}

bool PlayList::load() { return loadFrom(getListFile()); }

bool PlayList::loadFrom(const std::string& file) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_items.clear();
  std::string bytes;
  if (!readWholeFile(file, bytes)) return false;
  std::size_t start = 0;
  int id = 1;
  while (start < bytes.size()) {
    auto end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::u16string path;
    fromUtf8(line, path);
    m_items.emplace_back(id++, path);
    start = end + 1;
  }
  return true;
}

bool PlayList::save() const {
  ensureConfigDir();
  if (saveTo(getListFile())) return true;
  SaveFailureNotice::report(getListFile());
  return false;
}

bool PlayList::saveTo(const std::string& file) const {
  std::string content;
  {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    for (const PlayListItem& item : m_items) {
      std::string utf8;
      toUtf8(item.getPath(), utf8);
      content += utf8;
      content += "\r\n";
    }
  }
  if (replaceWholeFile(file, content)) return true;
  platform::debugOutputFormat("play list: cannot write %s\n", file.c_str());
  return false;
}

}  // namespace app
