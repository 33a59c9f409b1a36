#pragma once
// The dialog service for tests: every dialog is answered from a script of expectations, in
// order, and logged. A dialog the script does not expect is recorded as unexpected and
// answered as if the user cancelled it.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/Dialogs.h"
#include "tests/support/QtPrinters.h"

namespace testing_support {

enum class DialogKind { Message, Open, Save, PrinterSetup, Font, Modal };

std::string DialogKindName(DialogKind kind);

struct DialogCall {
  DialogKind Kind = DialogKind::Message;
  QString Text;                                   // message: the text; modal: the form's caption
  platform::gui::MsgDlgType Type = platform::gui::MsgDlgType::Information;  // message
  unsigned Buttons = 0;                           // message
  platform::gui::FileDialogRequest File;          // open and save
  platform::gui::FontChoice Font;                 // font: the choice offered
  std::string Form;                               // modal: the form's class
};

class ScriptedDialogs final : public platform::gui::Dialogs {
 public:
  // The user presses the button with this modal result (mrYes, mrNo, mrOk, mrCancel).
  void ExpectMessage(int answer);
  // nullopt: the user cancels.
  void ExpectOpen(std::optional<QString> fileName, int filterIndex = 1);
  void ExpectSave(std::optional<QString> fileName, int filterIndex = 1);
  void ExpectPrinterSetup(bool ok);
  void ExpectFont(std::optional<platform::gui::FontChoice> choice);
  // ShowModal runs BeginModal, then drive(form), then EndModal. The result is drive's, or the
  // form's ModalResult when drive returns mrNone.
  void ExpectModal(std::function<int(platform::gui::TForm&)> drive);

  const std::vector<DialogCall>& Log() const { return log_; }
  const std::vector<std::string>& Unexpected() const { return unexpected_; }
  int Pending() const { return static_cast<int>(script_.size()); }

  int MessageDlg(const QString& text, platform::gui::MsgDlgType type, unsigned buttons) override;
  std::optional<platform::gui::FileDialogResult> OpenFile(const platform::gui::FileDialogRequest& request) override;
  std::optional<platform::gui::FileDialogResult> SaveFile(const platform::gui::FileDialogRequest& request) override;
  bool PrinterSetup() override;
  std::optional<platform::gui::FontChoice> ChooseFont(const platform::gui::FontChoice& initial) override;
  int ShowModal(platform::gui::TForm& form) override;

 private:
  struct Expectation {
    DialogKind Kind;
    int Answer = 0;
    std::optional<platform::gui::FileDialogResult> File;
    std::optional<platform::gui::FontChoice> Font;
    std::function<int(platform::gui::TForm&)> Drive;
  };

  // Logs the call and takes the next expectation when it is of this kind.
  std::optional<Expectation> Take(DialogCall call);
  // An open or save dialog: the scripted file, or none for Cancel.
  std::optional<platform::gui::FileDialogResult> FileDialog(DialogKind kind,
                                                            const platform::gui::FileDialogRequest& request);

  std::deque<Expectation> script_;
  std::vector<DialogCall> log_;
  std::vector<std::string> unexpected_;
};

}  // namespace testing_support
