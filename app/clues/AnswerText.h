#pragma once
// An answer as the clue windows show it. The record holds 0 in an empty square; shown as a
// character it would vanish or end the word, so it reads as "_" instead.

#include <QString>
#include <string_view>

QString AnswerForDisplay(std::string_view answer);
