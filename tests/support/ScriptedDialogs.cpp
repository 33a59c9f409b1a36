#include "tests/support/ScriptedDialogs.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "platform/gui/Form.h"

namespace testing_support {

using namespace platform::gui;

namespace {

std::string ClassName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                              std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

std::string TypeName(MsgDlgType type) {
  switch (type) {
    case MsgDlgType::Warning: return "Warning";
    case MsgDlgType::Error: return "Error";
    case MsgDlgType::Information: return "Information";
    case MsgDlgType::Confirmation: return "Confirmation";
  }
  return "?";
}

std::string ButtonNames(unsigned buttons) {
  std::string names;
  for (auto [bit, name] : {std::pair{mbYes, "Yes"}, {mbNo, "No"}, {mbOK, "OK"}, {mbCancel, "Cancel"}}) {
    if (!(buttons & bit)) continue;
    if (!names.empty()) names += '|';
    names += name;
  }
  return names.empty() ? "OK" : names;
}

// The modal results a box with these buttons can give.
bool IsButtonOf(int answer, unsigned buttons) {
  if (!buttons) buttons = mbOK;
  return (answer == mrYes && (buttons & mbYes)) || (answer == mrNo && (buttons & mbNo)) ||
         (answer == mrOk && (buttons & mbOK)) || (answer == mrCancel && (buttons & mbCancel));
}

std::string Describe(const DialogCall& call) {
  const auto quoted = [](const QString& text) { return '"' + text.toStdString() + '"'; };
  switch (call.Kind) {
    case DialogKind::Message:
      return "message box (" + TypeName(call.Type) + ", " + ButtonNames(call.Buttons) + ") " + quoted(call.Text);
    case DialogKind::Open:
    case DialogKind::Save:
      return DialogKindName(call.Kind) + " dialog " + quoted(call.File.Title) + " (file " +
             quoted(call.File.FileName) + ", filter " + quoted(call.File.Filter) + ")";
    case DialogKind::PrinterSetup: return "printer setup dialog";
    case DialogKind::Font:
      return "font dialog (" + quoted(call.Font.Name) + " " + std::to_string(call.Font.Size) + ")";
    case DialogKind::Modal: return "modal form " + call.Form + " " + quoted(call.Text);
  }
  return "?";
}

}  // namespace

std::string DialogKindName(DialogKind kind) {
  switch (kind) {
    case DialogKind::Message: return "message";
    case DialogKind::Open: return "open";
    case DialogKind::Save: return "save";
    case DialogKind::PrinterSetup: return "printer setup";
    case DialogKind::Font: return "font";
    case DialogKind::Modal: return "modal";
  }
  return "?";
}

void ScriptedDialogs::ExpectMessage(int answer) { script_.push_back({DialogKind::Message, answer, {}, {}, {}}); }

void ScriptedDialogs::ExpectOpen(std::optional<QString> fileName, int filterIndex) {
  Expectation expectation{DialogKind::Open, 0, {}, {}, {}};
  if (fileName) expectation.File = FileDialogResult{*fileName, filterIndex};
  script_.push_back(std::move(expectation));
}

void ScriptedDialogs::ExpectSave(std::optional<QString> fileName, int filterIndex) {
  Expectation expectation{DialogKind::Save, 0, {}, {}, {}};
  if (fileName) expectation.File = FileDialogResult{*fileName, filterIndex};
  script_.push_back(std::move(expectation));
}

void ScriptedDialogs::ExpectPrinterSetup(bool ok) {
  script_.push_back({DialogKind::PrinterSetup, ok ? mrOk : mrCancel, {}, {}, {}});
}

void ScriptedDialogs::ExpectFont(std::optional<FontChoice> choice) {
  script_.push_back({DialogKind::Font, 0, {}, std::move(choice), {}});
}

void ScriptedDialogs::ExpectModal(std::function<int(TForm&)> drive) {
  script_.push_back({DialogKind::Modal, 0, {}, {}, std::move(drive)});
}

std::optional<ScriptedDialogs::Expectation> ScriptedDialogs::Take(DialogCall call) {
  log_.push_back(call);
  if (script_.empty()) {
    unexpected_.push_back(Describe(call) + " with no dialog expected");
    return std::nullopt;
  }
  if (script_.front().Kind != call.Kind) {
    unexpected_.push_back(Describe(call) + " while a " + DialogKindName(script_.front().Kind) +
                          " dialog was expected");
    return std::nullopt;
  }
  // Taken before it is answered: a modal form's driver may meet further dialogs.
  Expectation expectation = std::move(script_.front());
  script_.pop_front();
  return expectation;
}

int ScriptedDialogs::MessageDlg(const QString& text, MsgDlgType type, unsigned buttons) {
  DialogCall call;
  call.Kind = DialogKind::Message;
  call.Text = text;
  call.Type = type;
  call.Buttons = buttons;
  const std::optional<Expectation> expectation = Take(call);
  if (!expectation) return mrCancel;
  if (!IsButtonOf(expectation->Answer, buttons)) {
    unexpected_.push_back(Describe(call) + " answered with " + std::to_string(expectation->Answer) +
                          ", which is none of its buttons");
  }
  return expectation->Answer;
}

std::optional<FileDialogResult> ScriptedDialogs::FileDialog(DialogKind kind, const FileDialogRequest& request) {
  DialogCall call;
  call.Kind = kind;
  call.File = request;
  const std::optional<Expectation> expectation = Take(call);
  return expectation ? expectation->File : std::nullopt;
}

std::optional<FileDialogResult> ScriptedDialogs::OpenFile(const FileDialogRequest& request) {
  return FileDialog(DialogKind::Open, request);
}

std::optional<FileDialogResult> ScriptedDialogs::SaveFile(const FileDialogRequest& request) {
  return FileDialog(DialogKind::Save, request);
}

bool ScriptedDialogs::PrinterSetup() {
  DialogCall call;
  call.Kind = DialogKind::PrinterSetup;
  const std::optional<Expectation> expectation = Take(call);
  return expectation && expectation->Answer == mrOk;
}

std::optional<FontChoice> ScriptedDialogs::ChooseFont(const FontChoice& initial) {
  DialogCall call;
  call.Kind = DialogKind::Font;
  call.Font = initial;
  const std::optional<Expectation> expectation = Take(call);
  return expectation ? expectation->Font : std::nullopt;
}

int ScriptedDialogs::ShowModal(TForm& form) {
  DialogCall call;
  call.Kind = DialogKind::Modal;
  call.Text = form.Caption();
  call.Form = ClassName(typeid(form));
  const std::optional<Expectation> expectation = Take(call);
  if (!expectation) return mrCancel;

  form.BeginModal();
  int result = mrNone;
  try {
    result = expectation->Drive ? expectation->Drive(form) : mrNone;
  } catch (...) {
    form.EndModal();
    throw;
  }
  if (result == mrNone)
    result = form.ModalResult();
  else
    form.SetModalResult(result);
  form.EndModal();
  return result;
}

}  // namespace testing_support
