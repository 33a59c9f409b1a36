#include "xbase/core/ovcommon.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string_view>
#include <utility>

#include "platform/os/CodePage1252.h"
#include "platform/os/CodePage850.h"

namespace xbase {

// Start-up values are set by OvCommonInit.
std::uint16_t ErrorCode;
std::uint16_t PendingError;
std::string LastErrorMessage;
bool ImmediateErrors;
bool RaiseErrors;
bool InErrorHandler;
std::function<void()> ErrorCallback;
FatalExitHooks FatalExit;

std::uint8_t SetDateCode;
std::uint8_t LanguageDateCode;
bool SetCenturyFlag;
std::uint16_t CenturyWindowStart;
char DecimalPoint;
char ThousandsSeparator;
std::set<char> ValidFieldTypes;
std::uint8_t DefaultVersionByte;
std::uint8_t CustomVersionByte;
std::uint8_t CustomMemoVersionByte;
std::uint16_t DefaultMemoBlockSize;
bool FlushAfterWrite;
bool CountFromFileSize;
bool NetworkLocking;
std::uint32_t ReadAheadSize;
std::uint32_t RecordCacheSize;
std::uint8_t EofByte;
std::string TempFilePrefix;
std::array<std::uint8_t, 36> Level7LanguageDriver;
std::uint8_t CurrentWorkArea;

IndexHooks IndexHookTable;
ExprHooks ExprHookTable;
MemoHooks MemoHookTable;
ErrorHooks ErrorHookTable;
CompiledExpr* CurrentKeyExpr;
std::function<void*()> EvaluateCurrentHook;
std::function<void(const std::string&, void*, std::uint16_t)> VirtualFileHook;
bool IndexingEnabled;
bool ParserPresent;

namespace {

struct CodeText {
  std::uint16_t code;
  std::string_view text;
};

// Sorted by code. 1203..1299 share one text (see CodeTextOf).
constexpr CodeText kErrorCodeTable[] = {
    {1, "Invalid DOS function code"},
    {2, "File not found"},
    {3, "Path not found"},
    {4, "Too many open files"},
    {5, "File access denied"},
    {6, "Invalid file handle"},
    {8, "Not enough memory"},
    {9, "Memory block address invalid"},
    {10, "Environment invalid"},
    {11, "Format invalid"},
    {12, "Invalid file access code"},
    {13, "Data invalid"},
    {14, "Unknown unit"},
    {15, "Invalid drive number"},
    {16, "Cannot remove current directory"},
    {17, "Cannot rename across drives"},
    {18, "Too many open files"},
    {19, "Disk write-protected"},
    {20, "Unknown unit"},
    {21, "Drive not ready"},
    {22, "Unknown command"},
    {23, "CRC error in data"},
    {24, "Bad drive request structure length"},
    {25, "Disk seek error"},
    {26, "Unknown media type"},
    {27, "Disk sector not found"},
    {28, "Printer out of paper"},
    {29, "Device write fault"},
    {30, "Device read fault"},
    {31, "General failure"},
    {32, "File sharing violation"},
    {33, "File lock violation"},
    {34, "Disk change invalid"},
    {35, "File Control Block unavailable"},
    {36, "File sharing buffer overflow"},
    {50, "Unsupported network request"},
    {51, "Remote machine not listening"},
    {52, "Duplicate name on network"},
    {53, "Network name not found"},
    {54, "Network busy"},
    {55, "Device no longer exists on network"},
    {56, "Net-Bios command limit exceeded"},
    {57, "Error in network adapter hardware"},
    {58, "Incorrect response from network"},
    {59, "Unexpected network error"},
    {60, "Remote adapter incompatible"},
    {100, "Disk read error"},
    {101, "Disk write error (probable cause: Disk Full)."},
    {102, "File not assigned"},
    {103, "File not open"},
    {104, "File not open for input"},
    {105, "File not open for output"},
    {106, "Invalid numeric format"},
    {150, "Disk write-protected"},
    {151, "Unknown unit"},
    {152, "Drive not ready"},
    {153, "Unknown command"},
    {154, "CRC error in data"},
    {155, "Bad drive request structure length"},
    {156, "Disk seek error"},
    {157, "Unknown media type"},
    {158, "Disk sector not found"},
    {159, "Printer out of paper"},
    {160, "Device write fault"},
    {161, "Device read fault"},
    {162, "File sharing violation"},
    {200, "Division by zero error"},
    {201, "Range check error"},
    {202, "Stack overflow error"},
    {203, "Heap overflow error"},
    {204, "Invalid pointer operation"},
    {205, "Floating point overflow"},
    {206, "Floating point underflow"},
    {207, "Invalid floating point operation"},
    {208, "Overlay-manager not installed"},
    {209, "Overlay file read error"},
    {210, "Not a dBASE data file"},
    {211, "Invalid database field type encountered"},
    {212, "Request beyond range"},
    {213, "End of file found unexpectedly"},
    {214, "File already in use"},
    {215, "No database in use"},
    {216, "GP Fault"},
    {217, "Insufficient memory"},
    {218, "Invalid pointer specified"},
    {219, "Cannot duplicate file handle"},
    {220, "Invalid parameter"},
    {221, "Index file not open"},
    {222, "Corrupted index file"},
    {223, "Index version mismatch"},
    {224, "Cyclical relationship detected"},
    {225, "Exclusive Use() required"},
    {226, "BROWSE not active"},
    {227, "Insufficient disk space "},
    {228, "Unbalanced Push/Pop operation "},
    {229, "dBASE IV memo files not supported"},
    {230, "No dBASE memory variables loaded"},
    {231, "Screen library not open"},
    {239, "Missing colon in time"},
    {240, "Non-numeric character in time"},
    {241, "Invalid time specified"},
    {242, "Negative time specified"},
    {243, "TimeDiff result negative"},
    {254, "Orvel internal error"},
    {266, "Invalid size"},
    {1003, "Invalid memo address"},
    {1004, "Disk full"},
    {1005, "Memo file write error"},
    {1007, "Memo file is already open"},
    {1012, "Insufficient disk space to pack memo file"},
    {1017, "Cannot lock memo file"},
    {1018, "Cannot unlock memo file"},
    {1019, "Invalid memo operation: database not open or no memo field in database"},
    {1100, "Not a valid operation on Linked List"},
    {1101, "Virtual File Manager Unit not Linked in"},
    {1102, "Virtual File Memory Management Error"},
    {1103, "Invalid Operation "},
    {1200, "Record not locked"},
    {1201, "File not locked"},
    {1202, "Semaphore file error. Possible solutions: log into network or load SHARE.EXE "
           "before running Windows"},
    {1300, "File format not supported"},
};

std::string_view CodeTextOf(std::uint16_t code) {
  if (code >= 1203 && code <= 1299) return "Network Error";
  const auto* end = std::end(kErrorCodeTable);
  const auto* it = std::lower_bound(std::begin(kErrorCodeTable), end, code,
                                    [](const CodeText& e, std::uint16_t c) { return e.code < c; });
  if (it != end && it->code == code) return it->text;
  return "Undefined error";
}

// POSIX keeps 8 bits of an exit status: 256 would read as success.
int ExitStatusOf(std::uint16_t code) { return code > 255 ? 255 : code; }

void WriteBoxToStderr(const std::string& text, const std::string& caption, unsigned) {
  const std::string out =
      platform::os::AnsiToUtf8(caption) + "\n" + platform::os::AnsiToUtf8(text) + "\n";
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
}

// The areas are closed only on the way out: an operation may be using one right now.
void CloseAreasAndExit(int status) {
  if (FatalExit.CloseAllAreas) FatalExit.CloseAllAreas();
  std::exit(status);
}

// Keeps InErrorHandler set while the process is being ended, and clears it again when a
// replacement exit returns or throws.
class InErrorHandlerScope {
 public:
  InErrorHandlerScope() { InErrorHandler = true; }
  ~InErrorHandlerScope() { InErrorHandler = false; }
  InErrorHandlerScope(const InErrorHandlerScope&) = delete;
  InErrorHandlerScope& operator=(const InErrorHandlerScope&) = delete;
};

}  // namespace

void SetError(std::uint16_t code, const std::string& message) {
  ErrorCode = code;
  PendingError = code;
  LastErrorMessage = message;
  if (ImmediateErrors) FatalErrorHandler();
}

void ReportWarning(std::uint16_t code, const std::string& message) {
  if (ErrorHookTable.Warning) ErrorHookTable.Warning(code, message);
}

void FatalErrorHandler() {
  if (InErrorHandler) return;
  PendingError = ErrorCode;
  if (ErrorCallback) {
    ErrorCallback();
    return;
  }
  if (ErrorCode == 0) return;
  std::string text = ErrorText(ErrorCode) + "\r\n" + GetErrorMessage();
  if (RaiseErrors) RaiseOrvelError(text);
  if (text.size() > 255) text.resize(255);
  const int status = ExitStatusOf(ErrorCode);
  ShowErrorBox(text, "Program halted.", kIconHand);
  InErrorHandlerScope closing;
  if (FatalExit.Terminate) FatalExit.Terminate(status);
}

std::string ErrorText(std::uint16_t code) {
  if (code == 0) return {};
  return "Error # " + std::to_string(code) + " (" + std::string(CodeTextOf(code)) + ")";
}

std::string GetErrorMessage() {
  std::string message = std::move(LastErrorMessage);
  LastErrorMessage.clear();
  PendingError = 0;
  return message;
}

std::string PendingErrorText() {
  if (PendingError == 0) return {};
  std::string text = ErrorText(PendingError) + "\r\n";
  return text + GetErrorMessage();
}

bool SetRaiseErrors(bool flag) { return std::exchange(RaiseErrors, flag); }

bool SetImmediateErrors(bool flag) { return std::exchange(ImmediateErrors, flag); }

void RaiseOrvelError(const std::string& message) { throw EOrvelError(message); }

void ShowErrorBox(const std::string& text, const std::string& caption, unsigned flags) {
  if (FatalExit.ShowBox) FatalExit.ShowBox(text, caption, flags);
}

std::uint8_t LanguageDateCodeOf(const platform::os::Language& language) {
  const std::string& lang = language.language;
  if (lang == "de") return 5;
  if (lang == "en") return language.territory == "US" ? 0 : 2;
  if (lang == "es") return 6;
  if (lang == "fr") return language.territory == "CA" ? 7 : 4;
  if (lang == "it") return 3;
  if (lang == "ru") return 8;
  return 0;
}

void GetMem(void*& pointer, std::uint16_t size) { pointer = ::operator new(size); }

void FreeMem(void*& pointer, std::uint16_t) {
  if (pointer == nullptr) {
    SetError(9, "Attempt to free NIL pointer [FreeMem()]");
    return;
  }
  ::operator delete(pointer);
  pointer = nullptr;
}

std::int32_t MaxAvail() { return 0x7FFFFFFF; }

std::string AnsiToOemStr(const std::string& text) { return platform::os::AnsiToOem(text); }

std::string OemToAnsiStr(const std::string& text) { return platform::os::OemToAnsi(text); }

CalendarDate Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday + 1};
}

void OvCommonInit(const platform::os::Language& userLanguage) {
  ErrorCode = 0;
  PendingError = 0;
  LastErrorMessage.clear();
  ImmediateErrors = true;
  RaiseErrors = false;
  InErrorHandler = false;
  ErrorCallback = nullptr;
  FatalExit = {WriteBoxToStderr, nullptr, CloseAreasAndExit};

  LanguageDateCode = LanguageDateCodeOf(userLanguage);
  SetDateCode = LanguageDateCode;
  SetCenturyFlag = false;
  CenturyWindowStart = static_cast<std::uint16_t>(Today().year - 70);
  switch (LanguageDateCode) {
    case 3: case 4: case 5: case 6:
      DecimalPoint = ',';
      ThousandsSeparator = '.';
      break;
    case 8:
      DecimalPoint = '.';
      ThousandsSeparator = ' ';
      break;
    default:
      DecimalPoint = '.';
      ThousandsSeparator = ',';
      break;
  }
  ValidFieldTypes = {'C', 'D', 'F', 'L', 'M', 'N'};
  DefaultVersionByte = 0x8B;
  CustomVersionByte = 0;
  CustomMemoVersionByte = 0;
  DefaultMemoBlockSize = 512;
  FlushAfterWrite = false;
  CountFromFileSize = false;
  NetworkLocking = true;
  ReadAheadSize = 64 * 1024;
  RecordCacheSize = 8 * 1024 * 1024;
  EofByte = 0x1A;
  TempFilePrefix = "OVP";
  Level7LanguageDriver = {'D', 'B', 'W', 'I', 'N', 'W', 'E', '0'};
  CurrentWorkArea = 1;

  IndexHookTable = {};
  ExprHookTable = {};
  MemoHookTable = {};
  ErrorHookTable = {};
  ErrorHookTable.FatalError = FatalErrorHandler;
  CurrentKeyExpr = nullptr;
  EvaluateCurrentHook = nullptr;
  VirtualFileHook = nullptr;
  IndexingEnabled = false;
  ParserPresent = false;
}

void OvCommonDone() { LastErrorMessage.clear(); }

}  // namespace xbase
