#pragma once
#include <QString>
#include <QStringList>

class QWidget;

namespace app {

class IMainDialogParts;

// The application: builds the main window, hands it the file named on the command line, runs it until
// it is closed. The Qt application object exists before InitInstance is called.
class CKXMediaPlayerApp {
 public:
  // The file name of a command line (program name first): the first argument that is not an option
  // (one that starts with "-"), or the first one after "--"; empty when there is none.
  static QString startupFileOf(const QStringList& arguments);

  // The whole life of the program; its exit code.
  int InitInstance(IMainDialogParts* parts = nullptr);

  // What SIGTERM, SIGINT and SIGHUP do: dismiss open menus and dialogs, then close `window` and leave
  // the event loop, exactly as the close button would.
  static void closeOnSignal(QWidget* window);
};

}  // namespace app
