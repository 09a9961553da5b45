#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "app/playlist/PlayListItem.h"

namespace app {

// The process-wide play list. Its order is the order of the list panel; the file "listinfo.txt"
// (one UTF-8 path per line, each line ending in "\r\n") carries it from one run to the next. Ids are
// not stored: each load numbers the items 1, 2, 3... by line, later additions take the largest id + 1.
// Search and edit operations lock for their whole duration; count, itemAt, clear and load/save are
// for the user-interface thread, which is the only one that uses the store.
class PlayList {
 public:
  static PlayList& getInstance();

  PlayList() = default;
  PlayList(const PlayList&) = delete;
  PlayList& operator=(const PlayList&) = delete;

  int nextId() const;
  bool findById(int id, PlayListItem& item) const;
  // Exact, case-sensitive comparison; false and id 0 when no item has the path.
  bool findByPath(const std::u16string& path, int& id) const;
  void removeById(int id);
  // Inserts a copy before the first item with that id; false and nothing inserted when there is none.
  bool insertBefore(int id, const PlayListItem& item);
  void append(const PlayListItem& item);

  int count() const;
  PlayListItem itemAt(int index) const;
  void clear();
  std::recursive_mutex& lock() const { return m_lock; }

  // Replaces the items with those of the list file; false (and an empty list) when it cannot be read.
  // Lines may end in "\r\n" or "\n" and have any length; an empty line is an item with an empty path.
  bool load();
  bool loadFrom(const std::string& file);
  // Writes every path followed by "\r\n"; creates the config folder when missing. The file is replaced
  // as a whole, so an interrupted save leaves the previous list. False when it cannot be written.
  bool save() const;
  bool saveTo(const std::string& file) const;

 private:
  mutable std::recursive_mutex m_lock;
  std::vector<PlayListItem> m_items;
};

}  // namespace app
