#pragma once
// Message boxes, common dialogs and modal forms: everything that waits on a person goes
// through this service, so tests can answer from a script.

#include <QString>
#include <optional>

#include "platform/gui/Colors.h"

namespace platform::gui {

class TForm;

enum class MsgDlgType { Warning, Error, Information, Confirmation };

enum MsgDlgButton : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };

// Modal results, numbered as the class library numbers them.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
              mrYes = 6, mrNo = 7;

enum FileDialogOption : unsigned {
  ofOverwritePrompt = 1u << 0,
  ofHideReadOnly = 1u << 1,
  ofNoChangeDir = 1u << 2,
  ofPathMustExist = 1u << 3,
  ofFileMustExist = 1u << 4,
};

struct FileDialogRequest {
  QString Title;
  QString FileName;
  QString Filter;      // "Description|*.ext|Other|*.oth"
  QString DefaultExt;  // without the dot; appended when the typed name has no extension
  QString InitialDir;  // empty: the process's current folder
  unsigned Options = 0;
  int FilterIndex = 1;  // 1-based, as the class library counts
};

struct FileDialogResult {
  QString FileName;
  int FilterIndex = 1;
};

struct FontChoice {
  QString Name;
  int Size = 10;
  int Style = 0;  // bold 1, italic 2, underline 4, strike-out 8
  TColor Color = clBlack;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Returns the modal result of the button pressed (mrYes, mrNo, mrOk, mrCancel).
  virtual int MessageDlg(const QString& text, MsgDlgType type, unsigned buttons) = 0;
  virtual std::optional<FileDialogResult> OpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<FileDialogResult> SaveFile(const FileDialogRequest& request) = 0;
  virtual bool PrinterSetup() = 0;
  virtual std::optional<FontChoice> ChooseFont(const FontChoice& initial) = 0;
  // Runs the form modally and returns its modal result.
  virtual int ShowModal(TForm& form) = 0;
};

// The service in force: the Qt implementation unless a test installed another.
Dialogs& CurrentDialogs();
// nullptr restores the Qt implementation. The caller keeps ownership.
void InstallDialogs(Dialogs* dialogs);

}  // namespace platform::gui
