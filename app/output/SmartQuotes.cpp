#include "app/output/SmartQuotes.h"

std::string SmartQuotes(std::string text) {
  bool opening = true;
  for (char& c : text) {
    if (c == '"') {
      c = opening ? '\x93' : '\x94';
      opening = !opening;
    } else if (c == '\'') {
      c = '\x92';
    }
  }
  return text;
}
