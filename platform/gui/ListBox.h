#pragma once
// The class library's list box: OnClick reports the user's picks, a click on a line or a move of
// the selection by the keyboard; OnKeyPress sees each typed character first and swallows it by
// setting it to 0.

#include <QListWidget>
#include <cstdint>
#include <functional>

namespace platform::gui {

class TListBox : public QListWidget {
 public:
  explicit TListBox(QWidget* parent = nullptr);

  std::function<void()> OnClick;
  std::function<void(std::uint8_t& key)> OnKeyPress;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace platform::gui
