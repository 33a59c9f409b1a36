// A program that shares tables with others through the library, driven over its standard input
// so that tests can run several of them against one table. One command a line:
//
//   use <name and options>    select <n>    go <n>    skip <n>    close
//   rlock    alock    flock    unlock    delete    reccount
//   append <FIELD>=<value> ...     (a blank record with these fields, appended)
//   replace <FIELD>=<value> ...    (the current record with these fields changed)
//   get <FIELD>                    (the field of the current record, trailing blanks removed)
//   probe <offset> <length>        (a lock of any open on the current table that overlaps the
//                                   range, seen from a separate open: "w <offset> <length>")
//   filter <expression>            (the current area's filter, the old one freed; an empty
//                                   expression removes it: its type letter, "-" when it does not
//                                   compile)
//   eval <expression>              (compiled, evaluated on the current record and freed: the type
//                                   letter, a blank and the value: C and M as the hex of their
//                                   bytes ("-" for empty), N with six decimals, D as its day
//                                   number, L as T or F; "-" for no value)
//   list                           (GoTop, then Skip to EOF: the record numbers, comma-separated)
//   lasterror                      (the message of the last error, line breaks as blanks)
//   faultafter <n> <text> kill|stop
//                                  (after the n-th write from now to a file whose path holds the text,
//                                   the program dies or stops: WriteFault.h)
//   and the memo commands of MemoCommands.cpp and the index commands of IndexCommands.cpp
//
// Every command answers one line "ok <ErrorCode> <result>", or "error <text>" for a command it
// does not know. Library errors never end the program: they only set ErrorCode; one that the
// library raises all the same (the index semaphore's) answers "ok <ErrorCode> raised <text>",
// its line breaks turned into blanks. The program ends at the end of its input.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/os/ByteRangeLocks.h"
#include "tools/peer/IndexCommands.h"
#include "tools/peer/MemoCommands.h"
#include "tools/peer/Words.h"
#include "tools/peer/WriteFault.h"
#include "xbase/Library.h"
#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/expr/ovparser.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace {

using namespace xbase;
using peer::Rest;

// Sets the fields named in "FIELD=value ..." in the typed record; false for an unknown field.
bool SetFields(std::istringstream& words) {
  std::string assignment;
  while (words >> assignment) {
    const auto equals = assignment.find('=');
    if (equals == std::string::npos) return false;
    const int field = FieldNo(assignment.substr(0, equals));
    if (field == 0) return false;
    SetTypedFieldText(field, assignment.substr(equals + 1));
  }
  return true;
}

std::string Probe(std::int64_t offset, std::int64_t length) {
  const int fd = open(CurrentTableName().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "cannot-open";
  const auto lock = platform::os::ProbeFileRange(fd, offset, length);
  close(fd);
  if (!lock) return "none";
  return std::string(lock->exclusive ? "w " : "r ") + std::to_string(lock->offset) + " " +
         std::to_string(lock->length);
}

std::string Flag(bool value) { return value ? "1" : "0"; }

std::string Filter(const std::string& text) {
  WorkAreaRecord* area = WorkArea(CurrentArea());
  if (area == nullptr) {
    CheckAreaOpen("filter");
    return "-";
  }
  FreeExpr(area->FilterExpr);
  area->FilterExpr = nullptr;
  if (text.empty()) return "-";
  area->FilterExpr = AssignExpr(text);
  return area->FilterExpr != nullptr ? std::string(1, area->FilterExpr->ResultType) : "-";
}

std::string ValueText(const CompiledExpr& expr, const void* result) {
  if (result == nullptr) return "-";
  char text[64];
  double number = 0;
  switch (expr.ResultType) {
    case 'C': case 'M': {
      std::string hex;
      for (const char* c = static_cast<const char*>(result); *c != '\0'; ++c) {
        std::snprintf(text, sizeof text, "%02X", static_cast<unsigned char>(*c));
        hex += text;
      }
      return hex.empty() ? "-" : hex;
    }
    case 'N':
      std::memcpy(&number, result, sizeof number);
      std::snprintf(text, sizeof text, "%.6f", number);
      return text;
    case 'D':
      std::memcpy(&number, result, sizeof number);
      return {text, std::to_chars(text, text + sizeof text, number).ptr};
    default:
      return *static_cast<const std::int32_t*>(result) != 0 ? "T" : "F";
  }
}

std::string Eval(const std::string& text) {
  CompiledExpr* expr = AssignExpr(text);
  if (expr == nullptr) return "-";
  const std::string value = std::string(1, expr->ResultType) + " " + ValueText(*expr, Evaluate(expr));
  FreeExpr(expr);
  return value;
}

std::string List() {
  std::string numbers;
  for (GoTop(); ErrorCode == 0 && !dEOF(); Skip(1))
    numbers += (numbers.empty() ? "" : ",") + std::to_string(RecNo());
  return numbers;
}

// Runs one command; the result text, or nothing for an unknown command.
std::optional<std::string> Run(const std::string& line) {
  std::istringstream words(line);
  std::string command;
  words >> command;
  ErrorCode = 0;
  if (command == "use") {
    Use(Rest(words), nullptr, 0);
    return AliasOfCurrent();
  }
  if (command == "select") {
    int n = 0;
    words >> n;
    Select(static_cast<std::uint8_t>(n));
    return std::to_string(CurrentArea());
  }
  if (command == "go" || command == "skip") {
    std::int32_t n = 0;
    words >> n;
    command == "go" ? Go(n) : Skip(n);
    return std::to_string(RecNo());
  }
  if (command == "rlock") return Flag(RLock());
  if (command == "alock") return Flag(ALock());
  if (command == "flock") return Flag(FLock());
  if (command == "unlock") {
    Unlock();
    return "-";
  }
  if (command == "append" || command == "replace") {
    if (command == "append") ClearRecord();
    if (!SetFields(words)) return std::nullopt;
    command == "append" ? Append() : Replace();
    return std::to_string(RecNo());
  }
  if (command == "delete") {
    DeleteRec();
    return std::to_string(RecNo());
  }
  if (command == "reccount") return std::to_string(RecCount());
  if (command == "get") {
    std::string name;
    words >> name;
    const int field = FieldNo(name);
    if (field == 0) return std::nullopt;
    return RTrimStr(TypedFieldText(field));
  }
  if (command == "close") {
    CloseArea();
    return "-";
  }
  if (command == "filter") return Filter(Rest(words));
  if (command == "eval") return Eval(Rest(words));
  if (command == "list") return List();
  if (command == "lasterror") {
    std::string message = LastErrorMessage;
    for (char& c : message)
      if (c == '\r' || c == '\n') c = ' ';
    return message;
  }
  if (command == "faultafter") {
    unsigned n = 0;
    std::string fileText, action;
    words >> n >> fileText >> action;
    if (action != "kill" && action != "stop") return std::nullopt;
    peer::ArmWriteFault(n, fileText, action == "kill" ? SIGKILL : SIGSTOP);
    return "-";
  }
  if (command == "probe") {
    std::string offset, length;
    words >> offset >> length;
    return Probe(std::stoll(offset, nullptr, 0), std::stoll(length, nullptr, 0));
  }
  if (auto result = peer::RunIndexCommand(command, words)) return result;
  return peer::RunMemoCommand(command, words);
}

}  // namespace

int main() {
  xbase::Init();
  xbase::SetImmediateErrors(false);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.empty()) continue;
    std::optional<std::string> result;
    try {
      result = Run(line);
    } catch (const xbase::EOrvelError& e) {
      std::string text = e.what();
      for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
      result = "raised " + text;
    } catch (const std::exception& e) {
      std::cout << "error " << e.what() << std::endl;
      continue;
    }
    if (result)
      std::cout << "ok " << xbase::ErrorCode << ' ' << (result->empty() ? "-" : *result) << std::endl;
    else
      std::cout << "error cannot run \"" << line << '"' << std::endl;
  }
  xbase::Done();
  return 0;
}
