#include "tests/support/PrinterSetup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPrintDialog>
#include <QTimer>

namespace testing_support {

QString AcceptPrinterSetup(platform::gui::QtPrinter& printer, const QString& pdf) {
  QString proposed;
  bool answered = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    // The file name field of Qt's dialog.
    if (auto* file = dialog->findChild<QLineEdit*>("filename")) {
      proposed = file->text();
      if (!pdf.isEmpty()) file->setText(pdf);
    }
    answered = true;
    dialog->accept();
  });
  EXPECT_TRUE(printer.Setup(nullptr));
  EXPECT_TRUE(answered) << "no print dialog";
  return proposed;
}

}  // namespace testing_support
