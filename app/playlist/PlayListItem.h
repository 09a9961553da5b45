#pragma once
#include <string>

namespace app {

// One entry of the play list: an id unique within the running program, the full path as it was added
// (UTF-16) and the name shown in the list.
class PlayListItem {
 public:
  PlayListItem() = default;
  PlayListItem(int id, const std::u16string& path);

  int getId() const { return m_id; }
  void setId(int id) { m_id = id; }
  const std::u16string& getPath() const { return m_path; }
  void setPath(const std::u16string& path) { m_path = path; }
  const std::u16string& getName() const { return m_name; }
  void setName(const std::u16string& name) { m_name = name; }

  // The part of the path after its last "/" or "\" (the whole path when it has neither).
  static std::u16string nameFromPath(const std::u16string& path);
  // The path as it names the file from any folder: a relative path is taken from the current folder
  // (where the user gave it), "." and ".." steps and doubled "/" are resolved; empty stays empty.
  static std::u16string absolutePath(const std::u16string& path);

 private:
  int m_id = 0;
  std::u16string m_path;
  std::u16string m_name;
};

}  // namespace app
