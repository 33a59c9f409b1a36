#include "app/main/LibraryStart.h"

#include <QApplication>
#include <memory>

#include "app/main/LibraryMessageDisplay.h"
#include "platform/db/Application.h"
#include "platform/db/DbErrors.h"
#include "platform/gui/AnsiText.h"
#include "platform/gui/Dialogs.h"
#include "platform/os/MessagePump.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"

using platform::gui::CurrentDialogs;
using platform::gui::FromAnsi;
using platform::gui::MsgDlgType;

namespace {

std::unique_ptr<TLibraryMessageDisplay> messageDisplay;

void ReportException(std::exception_ptr error) {
  QString text = QStringLiteral("Unknown error.");
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    text = FromAnsi(e.what());
  } catch (...) {
  }
  CurrentDialogs().MessageDlg(text, MsgDlgType::Error, platform::gui::mbOK);
}

}  // namespace

void StartLibrary() {
  xbase::Init();
  platform::os::MessagePump.ProcessMessages = [] { QCoreApplication::processEvents(); };
  platform::os::MessagePump.Terminating = [] { return QCoreApplication::closingDown(); };
  messageDisplay = std::make_unique<TLibraryMessageDisplay>();
  xbase::SetMsgWindowDisplay(messageDisplay.get());

  xbase::FatalExit.ShowBox = [](const std::string& text, const std::string&, unsigned) {
    CurrentDialogs().MessageDlg(FromAnsi(text), MsgDlgType::Error, platform::gui::mbOK);
  };
  xbase::FatalExit.Terminate = [](int) { throw platform::db::EAbort(); };

  platform::db::ApplicationSinks.ShowMessage = [](const std::string& text) {
    CurrentDialogs().MessageDlg(FromAnsi(text), MsgDlgType::Information, platform::gui::mbOK);
  };
  platform::db::ApplicationSinks.HandleException = ReportException;
  // A dataset asks for the end after an error it has reported; the program goes on.
  platform::db::ApplicationSinks.Terminate = [] {};
}

void FinishLibrary() {
  xbase::FatalExit.ShowBox = [](const std::string&, const std::string&, unsigned) {};
  xbase::FatalExit.Terminate = [](int) {};
  try {
    xbase::Done();
  } catch (const std::exception&) {
    // The program ends: there is nobody left to tell.
  }
  xbase::SetMsgWindowDisplay(nullptr);
  messageDisplay.reset();
  platform::db::ApplicationSinks = {};
  platform::os::MessagePump = {};
}

TLibraryMessageDisplay* LibraryMessageDisplay() { return messageDisplay.get(); }
