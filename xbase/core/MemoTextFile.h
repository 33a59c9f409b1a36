#pragma once
// A text file whose lines come from, or go to, a device that a binder plugs in: the memo store
// binds one to a memo field (MemoHookTable.AssignMemo), so that the expression evaluator and
// Locate read memo lines as text without depending on the memo store.
//
// The file works like the runtime's text files: characters pass through a buffer of
// kBufferSize characters, and the device fills it (input) or takes it (output).
//  - Reading asks the device for more whenever the buffer is used up; a device that fills
//    nothing marks the end of the text. A line ends at CR, at CR LF or at LF.
//  - Writing hands the buffer to the device whenever it is full, and every Write (and
//    WriteLine) ends with the device's flush, so the device sees each write statement at once.
//  - Each call answers 0 or a runtime I/O code: 102 "File not assigned" without a device,
//    103 "File not open", 104 "File not open for input", 105 "File not open for output";
//    the device's own codes (8, 100, 101, 102, 104 for memos) pass through unchanged.
//
// A file destroyed while open is not closed: what was written since the open is dropped, and
// the device's destructor releases what the device holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace xbase {

class MemoTextFile;

enum class TextFileMode : std::uint8_t {
  Closed,
  Input,   // reading from the first line
  Output,  // writing a new text
  Append,  // writing after the text there is; the file is in output mode once open
};

// What a binder plugs into a MemoTextFile: four routines that answer 0 or a runtime I/O code.
class MemoTextDevice {
 public:
  virtual ~MemoTextDevice() = default;

  // Prepares the device for file.Mode() (Input, Output or Append).
  virtual std::uint16_t Open(MemoTextFile& file) = 0;
  // Input: puts the next characters into the buffer (FillBuffer); filling nothing ends the
  //   text. Output: takes the buffered characters (BufferedOutput) and empties the buffer.
  virtual std::uint16_t InOut(MemoTextFile& file) = 0;
  // Runs after every ReadLine, Write and WriteLine and on Flush.
  virtual std::uint16_t Flush(MemoTextFile& file) = 0;
  // Ends the text; an output device stores it here.
  virtual std::uint16_t Close(MemoTextFile& file) = 0;
};

class MemoTextFile {
 public:
  static constexpr std::size_t kBufferSize = 255;

  MemoTextFile() = default;
  ~MemoTextFile() = default;
  MemoTextFile(const MemoTextFile&) = delete;
  MemoTextFile& operator=(const MemoTextFile&) = delete;

  // Binds the file to a device, dropping the previous one; the file is closed afterwards.
  void Assign(std::unique_ptr<MemoTextDevice> device);
  // The bound device, for the binder that knows its type; null when unassigned.
  MemoTextDevice* Device() const { return device_.get(); }

  // Opens in Input, Output or Append mode; an open file is closed first. Another mode, or a
  // file without a device: 102. A failed open leaves the file closed.
  std::uint16_t Open(TextFileMode mode);

  // The next line without its end. At the end of the text: 0 with line empty, and Eof() true.
  std::uint16_t ReadLine(std::string& line);
  // The same, telling whether a line end followed (not so for a last line that the end of the
  // text cut).
  std::uint16_t ReadLine(std::string& line, bool& ended);
  // True when the text is used up (asks the device for more when the buffer is empty). A
  // failure of that request also counts as the end; ReadLine then reports its code.
  bool Eof();

  // Writes text; WriteLine adds CR LF.
  std::uint16_t Write(std::string_view text);
  std::uint16_t WriteLine(std::string_view text);

  std::uint16_t Flush();

  // Hands buffered output to the device and closes it; the file is closed afterwards, also
  // when the device reports a failure (which is returned). A closed file: 103.
  std::uint16_t Close();

  TextFileMode Mode() const { return mode_; }

  // ---- For devices

  // Input: the buffer holds the first kBufferSize characters of text, read from the start;
  // an empty text ends the input until the file is opened again.
  void FillBuffer(std::string_view text);
  // Output: the characters written since the buffer was last emptied.
  std::string_view BufferedOutput() const { return {buffer_.data(), position_}; }
  // Empties the buffer (output: after taking it; input: drops what was not read).
  void ClearBuffer() { position_ = end_ = 0; }

 private:
  // Asks the device for more input; false at the end of the text or on a failure (code).
  bool Refill(std::uint16_t& code);
  // The next character of input, refilling when the buffer is used up.
  bool NextChar(char& c, std::uint16_t& code);
  std::uint16_t CheckOpen(TextFileMode wanted) const;

  std::unique_ptr<MemoTextDevice> device_;
  TextFileMode mode_ = TextFileMode::Closed;
  std::array<char, kBufferSize> buffer_{};
  std::size_t position_ = 0;  // next character to read, or characters written
  std::size_t end_ = 0;       // input: characters in the buffer
  std::uint16_t pendingCode_ = 0;  // a failure met by Eof, for the next ReadLine
  bool ended_ = false;             // input: the device filled nothing, the text is over
};

}  // namespace xbase
