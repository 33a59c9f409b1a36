#pragma once
// The dialog service on Qt's own message box and common dialogs.

#include "platform/gui/Dialogs.h"

namespace platform::gui {

class QtDialogs final : public Dialogs {
 public:
  int MessageDlg(const QString& text, MsgDlgType type, unsigned buttons) override;
  std::optional<FileDialogResult> OpenFile(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> SaveFile(const FileDialogRequest& request) override;
  bool PrinterSetup() override;
  std::optional<FontChoice> ChooseFont(const FontChoice& initial) override;
  int ShowModal(TForm& form) override;
};

}  // namespace platform::gui
