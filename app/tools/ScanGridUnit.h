#pragma once
// The scan grid window: the constructor checks the answers of the grid. Scan For lists every
// word that contains the letters typed; Scan All lists groups of words that look alike and marks
// exact repeats. Picking a line shows that word in the grid window.

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <vector>

#include "app/tools/GridScans.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Form.h"
#include "platform/gui/ListBox.h"

class TScanGridForm : public platform::gui::TForm {
 public:
  // Every result line is this high.
  static constexpr int ItemHeight = 15;

  TScanGridForm();

  QLineEdit* ScanEdit;
  QPushButton* ScanBtn;
  QPushButton* AllBtn;
  QPushButton* OkBtn;
  platform::gui::TListBox* ScanList;
  QLabel* ErrPanel;
  QLabel* ExImg;
  QFrame* Bevel1;

  // The word of each result line, line k at index k.
  const std::vector<TScanHit>& Hits() const { return hits_; }

  // Handlers.
  void ScanBtnClick();
  void AllBtnClick();
  void ScanEditChange();
  void ScanListClick();
  // Draws result line Index into Rect: Scan All's group heads bold, similar words regular,
  // exact repeats red, a selected line white on the selection colour.
  void ScanListDrawItem(platform::gui::Canvas& Canvas, int Index, const QRect& Rect, bool Selected);
  void OkBtnClick();

  // Another puzzle is shown: the text, the results and the message of the last one go.
  void ForgetScan();

  // Shows a message over the list for a second.
  void ShowScanError(const QString& Text);

 protected:
  void FormShow() override;
  void FormResize() override;

 private:
  void AddScanHit(const TScanHit& Hit);
  void ClearScanList();

  std::vector<TScanHit> hits_;
};

extern TScanGridForm* ScanGridForm;
