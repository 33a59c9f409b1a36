#pragma once
// Appends little-endian integers and raw bytes to a buffer, for the binary file formats we write.

#include <QByteArray>
#include <cstdint>

namespace platform::gui {

class LittleEndianWriter {
 public:
  void U8(std::uint8_t v) { bytes_.append(static_cast<char>(v)); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void I16(int v) { U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
  void I32(int v) { U32(static_cast<std::uint32_t>(v)); }
  void Bytes(const QByteArray& data) { bytes_.append(data); }
  // Zero bytes up to the next multiple of `alignment`.
  void Pad(int alignment) {
    while (bytes_.size() % alignment != 0) U8(0);
  }
  qsizetype Size() const { return bytes_.size(); }
  const QByteArray& Data() const { return bytes_; }

 private:
  QByteArray bytes_;
};

}  // namespace platform::gui
