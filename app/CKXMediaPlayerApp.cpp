#include "app/CKXMediaPlayerApp.h"

#include <QApplication>

#include "app/CKXMediaPlayerDlg.h"
#include "app/MainDialogParts.h"
#include "app/QtVideoWindowRegistrar.h"

namespace app {

QString CKXMediaPlayerApp::startupFileOf(const QStringList& arguments) {
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments.at(i);
    if (argument.isEmpty() || argument.startsWith(QLatin1Char('-'))) continue;
    return argument;
  }
  return QString();
}

int CKXMediaPlayerApp::InitInstance(IMainDialogParts* parts) {
  QtVideoWindowRegistrar registrar;
  int result = 0;
  {
    CKXMediaPlayerDlg dialog(&registrar);
    MainDialogParts skinnedParts(dialog);
    dialog.setParts(parts != nullptr ? parts : &skinnedParts);
    dialog.setStartupFile(startupFileOf(QCoreApplication::arguments()));
    dialog.OnInitDialog();
    dialog.show();
    // The window's close ends the program: Qt leaves its loop when the last window closes.
    result = QApplication::exec();
  }
  return result;
}

}  // namespace app
