#include "app/output/XwdPrintUnit.h"

#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>

#include "app/output/GridPagePrint.h"
#include "app/output/ManuscriptPrint.h"
#include "app/output/PuzzlePagePrint.h"
#include "app/tools/XwdMsgUnit.h"
#include "platform/gui/Dialogs.h"

using namespace platform::gui;

TXwdPrintForm* XwdPrintForm = nullptr;

namespace {

constexpr TColor kGraySquare = 0xC0C0C0;

// The settings of the five format boxes and Gray Squares, in the order they are written.
constexpr const char* kFormatSettings[] = {"PrintMSS", "PrintMSG", "PrintNGr", "PrintSGr", "PrintPPg"};
constexpr const char* kGraySetting = "PrintGSq";

// The copies box's number; none for an empty box.
std::optional<int> CopiesOf(const QString& text) {
  bool isNumber = false;
  const int value = text.trimmed().toInt(&isNumber);
  return isNumber ? std::optional<int>(value) : std::nullopt;
}

// The hourglass for as long as the print jobs run.
class TWaitCursor {
 public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The jobs of one print run and where the finished ones went.
class TPrintJobs {
 public:
  explicit TPrintJobs(TPrinter& printer) : printer_(printer) {}

  void End() {
    const QString target = printer_.JobTarget();
    printer_.EndDoc();
    if (!targets_.contains(target)) targets_.append(target);
  }

  // Runs the jobs under the hourglass. Any failure throws the open job away (pages of earlier
  // jobs stay printed) and gives the cursor back; the failure is raised again naming where the
  // job went, for the error report. The next job begins afresh.
  QStringList Run(const std::function<void()>& jobs) {
    QString reason;
    {
      TWaitCursor wait;
      try {
        jobs();
        printer_.Copy = 1;
        return targets_;
      } catch (const std::exception& error) {
        reason = QString::fromUtf8(error.what());
      } catch (...) {
        reason = QStringLiteral("Unknown error");
      }
      const QString target = printer_.JobTarget();
      printer_.Abort();
      printer_.Copy = 1;
      reason = QStringLiteral("Printing to %1 failed: %2").arg(target, reason);
    }
    throw std::runtime_error(reason.toStdString());
  }

 private:
  TPrinter& printer_;
  QStringList targets_;
};

QString FileTitle(const QString& fileName) { return QFileInfo(fileName).completeBaseName(); }

}  // namespace

TXwdPrintForm::TXwdPrintForm()
    : MSChk(new QCheckBox("Manuscript", this)),
      MSGChk(new QCheckBox("Manuscript Grid Only", this)),
      NGChk(new QCheckBox("Numbered Grid", this)),
      SGChk(new QCheckBox("Solution Grid", this)),
      PPChk(new QCheckBox("Puzzle Page", this)),
      CopyEd(new QLineEdit("1", this)),
      UpDown1(new TUpDown(CopyEd, 1, 99, this)),
      PrnLbl(new QLabel(this)),
      TitleEdit(new QLineEdit(this)),
      GrayChk(new QCheckBox("Gray Squares", this)),
      DefChk(new QCheckBox("Default", this)),
      PrintBar(new QProgressBar(this)),
      CancelBtn(new QPushButton("&Cancel", this)),
      PrintBtn(new QPushButton("&Print", this)) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  SetCaption("Print Puzzle");

  auto* format = new QGroupBox(" Format ", this);
  auto* formatLayout = new QVBoxLayout(format);
  for (QCheckBox* box : FormatBoxes()) formatLayout->addWidget(box);

  auto* copies = new QGroupBox(" Copies ", this);
  auto* copiesLayout = new QHBoxLayout(copies);
  auto* copiesImage = new QLabel(copies);
  copiesImage->setPixmap(style()->standardPixmap(QStyle::SP_FileDialogDetailedView));
  QFont copyFont("Arial");
  copyFont.setPointSize(11);
  CopyEd->setFont(copyFont);
  CopyEd->setFixedWidth(CopyEd->fontMetrics().horizontalAdvance("999") + 12);
  copiesLayout->addWidget(copiesImage);
  copiesLayout->addStretch(1);
  copiesLayout->addWidget(CopyEd);
  copiesLayout->addWidget(UpDown1);
  copiesLayout->setSpacing(0);
  // Whole numbers only, within the up-down's range of two digits.
  CopyEd->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,2}"), CopyEd));

  QFont titleFont("Arial");
  titleFont.setPointSize(10);
  TitleEdit->setFont(titleFont);
  TitleEdit->setMaxLength(MaxStringLength);
  PrnLbl->setTextInteractionFlags(Qt::TextSelectableByMouse);
  PrintBar->setRange(0, 100);
  PrintBar->setValue(0);
  PrintBar->setTextVisible(false);

  auto* printerImage = new QLabel(this);
  printerImage->setPixmap(style()->standardPixmap(QStyle::SP_DriveFDIcon));

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(CancelBtn);
  buttons->addWidget(PrintBtn);
  buttons->addStretch(1);

  auto* grid = new QGridLayout(this);
  grid->addWidget(format, 0, 0, 1, 3);
  grid->addLayout(buttons, 0, 3, 2, 1);
  grid->addWidget(copies, 1, 0, 1, 3);
  grid->addWidget(new QLabel("To:", this), 2, 0);
  grid->addWidget(PrnLbl, 2, 1, 1, 2);
  grid->addWidget(printerImage, 2, 3, Qt::AlignCenter);
  grid->addWidget(new QLabel("Title:", this), 3, 0);
  grid->addWidget(TitleEdit, 3, 1, 1, 2);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(GrayChk);
  bottom->addWidget(DefChk);
  bottom->addWidget(PrintBar, 1);
  grid->addLayout(bottom, 4, 1, 1, 2);
  grid->setColumnStretch(2, 1);

  QWidget::setTabOrder(PPChk, TitleEdit);
  QWidget::setTabOrder(TitleEdit, GrayChk);
  QWidget::setTabOrder(GrayChk, DefChk);
  QWidget::setTabOrder(DefChk, CancelBtn);
  QWidget::setTabOrder(CancelBtn, PrintBtn);
  QWidget::setTabOrder(PrintBtn, CopyEd);

  SetCancelButton(CancelBtn);
  QObject::connect(CancelBtn, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
  // Print is the default button: Enter presses it.
  PrintBtn->setDefault(true);
  for (QKeySequence key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
    QObject::connect(new QShortcut(key, this), &QShortcut::activated, PrintBtn, &QPushButton::click);
  QObject::connect(PrintBtn, &QPushButton::clicked, this, Handler([this] {
                     SetModalResult(mrOk);
                     PrintBtnClick();
                   }));
  QObject::connect(DefChk, &QCheckBox::clicked, this, Handler([this] { DefChkClick(); }));
  for (QCheckBox* box : FormatBoxes()) QObject::connect(box, &QCheckBox::toggled, this, [this] { EnablePrint(); });
  QObject::connect(CopyEd, &QLineEdit::textChanged, this, [this] { EnablePrint(); });
  EnablePrint();
}

void TXwdPrintForm::EnablePrint() {
  const auto boxes = FormatBoxes();
  PrintBtn->setEnabled(std::any_of(boxes.begin(), boxes.end(), [](QCheckBox* box) { return box->isChecked(); }) &&
                       CopiesOf(CopyEd->text()));
}

std::array<QCheckBox*, 5> TXwdPrintForm::FormatBoxes() const { return {MSChk, MSGChk, NGChk, SGChk, PPChk}; }

TPrintLayout TXwdPrintForm::Layout(const QString& title) const {
  return {title, SpecsText, SquareColor, Metrics};
}

void TXwdPrintForm::FormShow() {
  TPrinter& printer = Printer();
  printer.Document = PuzzleFileName;
  const QStringList printers = printer.Printers();
  const int index = printer.PrinterIndex();
  PrnLbl->setText(index >= 0 && index < printers.size() ? printers[index] : QString());
  if (TitleEdit->text().isEmpty()) TitleEdit->setText(FileTitle(PuzzleFileName));

  const auto boxes = FormatBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setChecked(XwdProcs->ReadSetting(kFormatSettings[i], false));
  GrayChk->setChecked(XwdProcs->ReadSetting(kGraySetting, false));
  UpDown1->SetPosition(1);
  DefChk->setChecked(false);
  PrintBar->setValue(0);

  Metrics = MeasureManuscriptPage(printer, XwdProcs->ReadSetting("PageBottomMargin", 0));

  adjustSize();
  if (const QScreen* screen = QApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TXwdPrintForm::DefChkClick() {
  if (!DefChk->isChecked()) return;
  const auto boxes = FormatBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) XwdProcs->WriteSetting(kFormatSettings[i], boxes[i]->isChecked());
  XwdProcs->WriteSetting(kGraySetting, GrayChk->isChecked());
}

void TXwdPrintForm::StepBar() {
  PrintBar->setValue(PrintBar->value() + 1);
  // Painted now: no events are processed in the middle of a job.
  PrintBar->repaint();
}

void TXwdPrintForm::PrintBtnClick() {
  const auto boxes = FormatBoxes();
  const int count = static_cast<int>(std::count_if(boxes.begin(), boxes.end(), [](QCheckBox* box) { return box->isChecked(); }));
  const std::optional<int> typed = CopiesOf(CopyEd->text());
  if (count == 0 || !typed) return;
  // A copies value of 0 or below prints nothing.
  const int copies = std::max(0, *typed);
  PrintBar->setRange(0, copies * count + 1);
  PrintBar->setValue(0);
  SquareColor = GrayChk->isChecked() ? kGraySquare : clBlack;
  TPrinter& printer = Printer();
  printer.Document = PuzzleFileName;
  const TPrintLayout layout = Layout(TitleEdit->text());
  TPrintJobs jobs(printer);
  const QStringList targets = jobs.Run([&] {
    StepBar();
    for (int copy = 1; copy <= copies; ++copy) {
      printer.Copy = copy;
      printer.Title = layout.Title;
      if (MSChk->isChecked()) {
        PrintManuscript(printer, layout);
        StepBar();
      }
      for (int kind = 1; kind <= 3; ++kind)
        if (boxes[static_cast<std::size_t>(kind)]->isChecked()) {
          PrintGridPage(printer, layout, kind);
          StepBar();
        }
      if (PPChk->isChecked()) {
        PrintPuzzlePage(printer, layout);
        StepBar();
      }
      if (printer.Printing()) jobs.End();
    }
  });
  if (targets.isEmpty()) return;
  Hide();
  const TInfoNote note(2);
  const TPrintedNote printed(targets);
  XwdProcs->Pause(1000);
}

QStringList TXwdPrintForm::QuickPrintPuzzle() {
  TPrinter& printer = Printer();
  printer.Document = PuzzleFileName;
  const TPrintLayout layout = Layout(FileTitle(PuzzleFileName));
  printer.Title = layout.Title;
  TPrintJobs jobs(printer);
  return jobs.Run([&] {
    PrintPuzzlePage(printer, layout);
    jobs.End();
  });
}

QString PrintedText(const QStringList& targets) {
  QString text = QStringLiteral("Printed to ") + targets.value(0);
  if (targets.size() > 1) text += QStringLiteral(" and ") + QFileInfo(targets[1]).fileName();
  if (targets.size() > 2) text += QStringLiteral(" to ") + QFileInfo(targets.back()).fileName();
  return text;
}

TPrintedNote::TPrintedNote(const QStringList& targets)
    : text_(InfoWin->Panel->text()), size_(InfoWin->Width(), InfoWin->Height()) {
  InfoWin->Panel->setText(PrintedText(targets) + QStringLiteral("   "));
  InfoWin->layout()->activate();
  InfoWin->SetBounds(InfoWin->Left(), InfoWin->Top(), std::max(size_.width(), InfoWin->sizeHint().width()),
                     size_.height());
}

TPrintedNote::~TPrintedNote() {
  InfoWin->Panel->setText(text_);
  InfoWin->layout()->activate();
  InfoWin->SetBounds(InfoWin->Left(), InfoWin->Top(), size_.width(), size_.height());
}
