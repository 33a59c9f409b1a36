#pragma once
// An edit validator for text that is stored as Windows-1252 bytes: typing or pasting a character
// without such a byte, or a control character, is refused instead of being lost on storing.

#include <QValidator>

namespace platform::gui {

class AnsiValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

}  // namespace platform::gui
