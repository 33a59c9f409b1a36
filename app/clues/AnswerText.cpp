#include "app/clues/AnswerText.h"

#include <string>

#include "platform/gui/AnsiText.h"

QString AnswerForDisplay(std::string_view answer) {
  std::string shown(answer);
  for (char& c : shown)
    if (c == '\0') c = '_';
  return platform::gui::FromAnsi(shown);
}
