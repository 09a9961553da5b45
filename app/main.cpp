#include <QApplication>

#include "app/CKXMediaPlayerApp.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  application.setApplicationName(QStringLiteral("KXMediaPlayer"));
  app::CKXMediaPlayerApp player;
  return player.InitInstance();
}
