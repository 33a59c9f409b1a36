#include "platform/gui/QtDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QVBoxLayout>
#include <array>

#include "platform/gui/FileFilter.h"
#include "platform/gui/FontStyle.h"
#include "platform/gui/Form.h"
#include "platform/gui/QtPrinter.h"

namespace platform::gui {
namespace {

// Held over a modal run: when the modal window has closed, the window that had the keyboard
// before gets it back. A window manager does that itself; without one (a bare X display) no
// window would have the keyboard, and the keys typed next would go nowhere.
class KeyboardReturn {
 public:
  KeyboardReturn() : window_(QApplication::activeWindow()) {}
  ~KeyboardReturn() {
    const QWidget* active = QApplication::activeWindow();
    if (window_ && window_->isVisible() && (active == nullptr || !active->isVisible())) window_->activateWindow();
  }
  KeyboardReturn(const KeyboardReturn&) = delete;
  KeyboardReturn& operator=(const KeyboardReturn&) = delete;

 private:
  QPointer<QWidget> window_;
};

QWidget* ParentWindow() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

QMessageBox::Icon IconFor(MsgDlgType type) {
  switch (type) {
    case MsgDlgType::Warning: return QMessageBox::Warning;
    case MsgDlgType::Error: return QMessageBox::Critical;
    case MsgDlgType::Information: return QMessageBox::Information;
    case MsgDlgType::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

struct ButtonMapping {
  MsgDlgButton button;
  QMessageBox::StandardButton qt;
  int result;
};

constexpr std::array<ButtonMapping, 4> kButtons{{
    {mbYes, QMessageBox::Yes, mrYes},
    {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},
    {mbCancel, QMessageBox::Cancel, mrCancel},
}};

bool Confirm(QWidget* parent, const QString& text) {
  const KeyboardReturn keyboard;
  return QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(), text,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void Refuse(QWidget* parent, const QString& text) {
  const KeyboardReturn keyboard;
  QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(), text);
}

std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request,
                                              QFileDialog::AcceptMode mode) {
  const KeyboardReturn keyboard;
  const bool saving = mode == QFileDialog::AcceptSave;
  const QString folder = request.InitialDir.isEmpty() ? QDir::currentPath() : request.InitialDir;
  QFileDialog dialog(ParentWindow(), request.Title, folder);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(!saving && (request.Options & ofFileMustExist) ? QFileDialog::ExistingFile
                                                                     : QFileDialog::AnyFile);
  // The overwrite question is ours, asked about the name with its default extension.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  // Qt's own suffix rule, so that the dialog shows and checks the completed name.
  dialog.setDefaultSuffix(request.DefaultExt);

  const QStringList filters = ToQtNameFilters(request.Filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = request.FilterIndex >= 1 && request.FilterIndex <= filters.size() ? request.FilterIndex : 1;
    dialog.selectNameFilter(filters[index - 1]);
  }
  if (!request.FileName.isEmpty()) dialog.selectFile(request.FileName);

  for (;;) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString fileName = WithDefaultExt(dialog.selectedFiles().front(), request.DefaultExt);
    const QFileInfo info(fileName);
    if ((request.Options & (ofPathMustExist | ofFileMustExist)) && !info.absoluteDir().exists()) {
      Refuse(&dialog, QObject::tr("%1\nThe folder does not exist.").arg(QDir::toNativeSeparators(fileName)));
      continue;
    }
    if ((request.Options & ofFileMustExist) && !info.exists()) {
      Refuse(&dialog, QObject::tr("%1\nFile not found.").arg(QDir::toNativeSeparators(fileName)));
      continue;
    }
    if (saving && (request.Options & ofOverwritePrompt) && info.exists() &&
        !Confirm(&dialog, QObject::tr("%1 already exists.\nDo you want to replace it?")
                              .arg(QDir::toNativeSeparators(fileName)))) {
      continue;
    }
    const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
    return FileDialogResult{fileName, chosen >= 0 ? int(chosen) + 1 : request.FilterIndex};
  }
}

QPixmap Swatch(TColor color) {
  QPixmap swatch(16, 16);
  swatch.fill(ToQColor(color));
  return swatch;
}

}  // namespace

int QtDialogs::MessageDlg(const QString& text, MsgDlgType type, unsigned buttons) {
  const KeyboardReturn keyboard;
  QMessageBox::StandardButtons qtButtons;
  for (const ButtonMapping& mapping : kButtons)
    if (buttons & mapping.button) qtButtons |= mapping.qt;
  if (!qtButtons) qtButtons = QMessageBox::Ok;

  QMessageBox box(IconFor(type), QGuiApplication::applicationDisplayName(), text, qtButtons, ParentWindow());
  box.exec();
  const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
  for (const ButtonMapping& mapping : kButtons)
    if (pressed == mapping.qt) return mapping.result;
  return mrCancel;
}

std::optional<FileDialogResult> QtDialogs::OpenFile(const FileDialogRequest& request) {
  return RunFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<FileDialogResult> QtDialogs::SaveFile(const FileDialogRequest& request) {
  return RunFileDialog(request, QFileDialog::AcceptSave);
}

bool QtDialogs::PrinterSetup() {
  const KeyboardReturn keyboard;
  return SharedQtPrinter().Setup(ParentWindow());
}

std::optional<FontChoice> QtDialogs::ChooseFont(const FontChoice& initial) {
  const KeyboardReturn keyboard;
  QDialog dialog(ParentWindow());
  dialog.setWindowTitle(QObject::tr("Font"));

  // The dialog lists only the faces installed: it starts on the face that the name stands for.
  QFont shown = MakeFont(initial.Name, initial.Size, initial.Style);
  const QFontInfo matched(shown);
  const QString face = matched.family();
  shown.setFamily(face);
  // The dialog finds a style by its name, and faces name their regular style in their own way
  // ("Book", "Roman"): it starts on the face's own style of that weight and slant, or else on
  // the face's first style, which may be italic or bold.
  if (matched.bold() == shown.bold() && matched.italic() == shown.italic()) shown.setStyleName(matched.styleName());
  auto* fonts = new QFontDialog(shown);
  fonts->setWindowFlags(Qt::Widget);
  fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  // The font part is a dialog of its own that would end alone (Escape) or keep Return in its
  // fields: both end this one.
  QObject::connect(fonts, &QDialog::finished, &dialog, &QDialog::done);
  for (QLineEdit* field : fonts->findChildren<QLineEdit*>())
    QObject::connect(field, &QLineEdit::returnPressed, &dialog, &QDialog::accept);

  auto* colors = new QComboBox;
  for (TColor color : StandardColors)
    colors->addItem(Swatch(color), QString::fromStdString(ColorToString(color).substr(2)), color);
  if (colors->findData(initial.Color) < 0)
    colors->addItem(Swatch(initial.Color), QString::fromStdString(ColorToString(initial.Color)), initial.Color);
  colors->setCurrentIndex(colors->findData(initial.Color));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  auto* colorRow = new QFormLayout;
  colorRow->addRow(QObject::tr("&Color:"), colors);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(fonts);
  layout->addLayout(colorRow);
  layout->addWidget(buttons);

  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QFont font = fonts->currentFont();
  // While that face stays chosen the name it was given is kept ("Arial", not Liberation Sans),
  // so the settings keep their names.
  return FontChoice{font.family() == face ? initial.Name : font.family(), font.pointSize(), FontStyleOf(font),
                    colors->currentData().toInt()};
}

int QtDialogs::ShowModal(TForm& form) {
  const KeyboardReturn keyboard;
  return form.ExecModal();
}

}  // namespace platform::gui
