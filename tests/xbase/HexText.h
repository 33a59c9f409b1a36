#pragma once
// Bytes as lower-case hex digits, two a byte: how tests hand bytes to the peer program and to the
// scripts of the independent readers.

#include <string>

namespace xbase {

inline std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

}  // namespace xbase
