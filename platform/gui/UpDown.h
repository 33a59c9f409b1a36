#pragma once
// The class library's up-down control: a pair of arrow buttons that step the whole number in an
// associated edit, which stays free text (so a value out of range or no number at all can be
// typed over it). The Up and Down keys in the edit step it too.

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

namespace platform::gui {

class TUpDown : public QWidget {
 public:
  TUpDown(QLineEdit* associate, int min, int max, QWidget* parent = nullptr);

  int Position() const { return position_; }
  // Sets the position, kept within the range, and writes it into the edit.
  void SetPosition(int position);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Steps from the edit's number when it holds one in range, else from the last position.
  void Step(int by);

  QLineEdit* associate_;
  int min_;
  int max_;
  int position_;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace platform::gui
