#pragma once
// Byte images of table files for tests, built field by field and record by record, with every
// header value open to be set wrong on purpose.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace xbase {

struct FieldSpec {
  std::string name;  // stored as given, NUL-padded (no check of its length)
  char type = 'C';
  std::uint8_t length = 0;
  std::uint8_t decimals = 0;
};

class DbfImage {
 public:
  // Version 0x02 builds a dBase II header, 0x04 and 0x8C level-7 headers.
  explicit DbfImage(std::uint8_t version = 0x03) : version_(version) {}

  DbfImage& Field(std::string name, char type, std::uint8_t length, std::uint8_t decimals = 0) {
    fields_.push_back({std::move(name), type, length, decimals});
    return *this;
  }
  // A record of the field bytes after its deleted flag.
  DbfImage& Record(const std::string& fieldBytes, bool deleted = false) {
    records_.push_back((deleted ? "*" : " ") + fieldBytes);
    return *this;
  }

  // Header values that differ from what the fields and records give.
  std::optional<std::uint32_t> count;
  std::optional<std::uint16_t> headerLength;
  std::optional<std::uint16_t> recordLength;
  std::uint8_t year = 124, month = 3, day = 15;  // 2024-03-15
  std::uint8_t tableFlags = 0;
  std::string reserved;  // bytes 12.. of the header (at most 16)
  bool endByte = true;

  std::uint16_t RecordLengthOfFields() const {
    std::uint16_t length = 1;
    for (const auto& f : fields_) length = static_cast<std::uint16_t>(length + f.length);
    return length;
  }

  std::string Bytes() const { return version_ == 0x02 ? Dbase2Bytes() : DbfBytes(); }

 private:
  bool Level7() const { return version_ == 0x04 || version_ == 0x8C; }

  static void Put16(std::string& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  }
  static void Put32(std::string& out, std::size_t at, std::uint32_t v) {
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
  }

  std::string Body(std::string header) const {
    for (const auto& r : records_) header += r;
    if (endByte) header += '\x1A';
    return header;
  }

  std::string DbfBytes() const {
    const std::size_t size = Level7() ? 48 : 32;
    const std::size_t first = Level7() ? 68 : 32;
    std::string header(first + fields_.size() * size + 1, '\0');
    header[0] = static_cast<char>(version_);
    header[1] = static_cast<char>(year);
    header[2] = static_cast<char>(month);
    header[3] = static_cast<char>(day);
    Put32(header, 4, count.value_or(static_cast<std::uint32_t>(records_.size())));
    header.replace(12, reserved.size(), reserved);
    header[28] = static_cast<char>(tableFlags);
    if (Level7()) header.replace(32, 8, "DBWINWE0");
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      const auto& f = fields_[i];
      const std::size_t at = first + i * size;
      header.replace(at, f.name.size(), f.name);
      header[at + (Level7() ? 32 : 11)] = f.type;
      header[at + (Level7() ? 33 : 16)] = static_cast<char>(f.length);
      header[at + (Level7() ? 34 : 17)] = static_cast<char>(f.decimals);
    }
    header.back() = '\x0D';
    const std::size_t length = headerLength.value_or(static_cast<std::uint16_t>(header.size()));
    header.resize(std::max(length, header.size()), '\0');
    Put16(header, 8, static_cast<std::uint32_t>(length));
    Put16(header, 10, recordLength.value_or(RecordLengthOfFields()));
    return Body(header);
  }

  std::string Dbase2Bytes() const {
    std::string header(521, '\0');
    header[0] = 0x02;
    Put16(header, 1, count.value_or(static_cast<std::uint32_t>(records_.size())));
    header[3] = static_cast<char>(month);
    header[4] = static_cast<char>(day);
    header[5] = static_cast<char>(year);
    Put16(header, 6, recordLength.value_or(RecordLengthOfFields()));
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      const auto& f = fields_[i];
      const std::size_t at = 8 + i * 16;
      header.replace(at, f.name.size(), f.name);
      header[at + 11] = f.type;
      header[at + 12] = static_cast<char>(f.length);
      header[at + 15] = static_cast<char>(f.decimals);
    }
    if (fields_.size() < 32) header[8 + fields_.size() * 16] = '\x0D';
    header[520] = '\x0D';
    return Body(header);
  }

  std::uint8_t version_;
  std::vector<FieldSpec> fields_;
  std::vector<std::string> records_;
};

}  // namespace xbase
