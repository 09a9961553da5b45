#pragma once
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <string>
#include <vector>

#include "app/playlist/PlayList.h"
#include "tests/app/FakeMainDialog.h"

namespace apptest {

// An executable folder of its own whose images are the build's generated skin, and an empty
// play-list store; the store is emptied again afterwards.
class PanelEnvironment {
 public:
  PanelEnvironment() {
    QDir(QString::fromStdString(m_dir.path())).mkpath(QStringLiteral("mplayerstyle"));
    QFile::link(QString::fromUtf8(KX_APP_DATA_DIR) + QStringLiteral("/images"),
                QString::fromStdString(m_dir.path()) + QStringLiteral("mplayerstyle/images"));
    app::PlayList::getInstance().clear();
  }
  ~PanelEnvironment() { app::PlayList::getInstance().clear(); }
  std::string path() const { return m_dir.path(); }

 private:
  ScopedModuleDir m_dir;
};

inline std::vector<int> storeIds() {
  std::vector<int> ids;
  const app::PlayList& store = app::PlayList::getInstance();
  for (int i = 0; i < store.count(); ++i) ids.push_back(store.itemAt(i).getId());
  return ids;
}

inline std::vector<int> rowIds(const QListWidget& list) {
  std::vector<int> ids;
  for (int row = 0; row < list.count(); ++row) ids.push_back(list.item(row)->data(Qt::UserRole).toInt());
  return ids;
}

}  // namespace apptest
