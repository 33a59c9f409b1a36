// The program's entry: the application object, the table library, every window once, then the
// message loop.

#include <QApplication>

#include "app/main/ApplicationForms.h"
#include "app/main/LibraryStart.h"
#include "app/main/XwdMainUnit.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // The title of the message boxes. No display name: Qt would append it to every window's caption.
  QApplication::setApplicationName("Quillmere Demo");
  // The grid, clue list and clock windows are top-level too: only the main window ends the run.
  QApplication::setQuitOnLastWindowClosed(false);

  StartLibrary();
  CreateApplicationForms();
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  XwdMainForm->SetCommandLine(arguments);
  XwdMainForm->Show();
  const int status = QApplication::exec();
  DestroyApplicationForms();
  FinishLibrary();
  return status;
}
