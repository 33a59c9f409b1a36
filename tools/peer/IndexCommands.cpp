// The peer program's commands on the current area's index files:
//
//   index <expression> TO <name and options>   IndexOnExpr: builds and opens it as order 1
//   keyindex <FIELD> TO <name and options>     IndexOnKeyMaker with the field's stored text as key
//   setindex <names>            SetIndexToList       order <n>     Set_Order_To
//   indexto <slot> <name>       SetIndexTo: one more order, the others kept
//   reindex                     Reindex              closeindex    CloseAllIndexes
//       (each of these answers CurrentOrder; closeindex "-")
//   find <text>    findkey <text>    "<IndexFound> <RecNo>"
//   lockappend <FIELD>=<value> ...   the append lock asked for until granted, the record
//                                    appended, the lock released; answers RecNo
//   read on|off    write on|off      the area's read and write brackets, held across commands
//   nodecache on|off                 SharedNodeCache, for the orders opened after it
//   readtimeout <seconds>            ReadTimeoutSeconds
//   semtries <tries> <pause ms>      tries of the semaphore and table locks, and their pause

#include "tools/peer/IndexCommands.h"
#include "tools/peer/Words.h"

#include <sched.h>

#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/index/ovndx.h"
#include "xbase/workarea/TypedFieldText.h"
#include "xbase/workarea/dbf4.h"

namespace peer {
namespace {

using namespace xbase;

// "<left> TO <right>", split at the first " TO " in any case.
bool SplitTo(const std::string& text, std::string& left, std::string& right) {
  const std::size_t at = UpperStr(text).find(" TO ");
  if (at == std::string::npos) return false;
  left = AllTrim(text.substr(0, at));
  right = AllTrim(text.substr(at + 4));
  return true;
}

std::string Current() { return std::to_string(CurrentOrder()); }

std::string Found() { return std::to_string(IndexFound) + " " + std::to_string(RecNo()); }

std::optional<bool> Switch(std::istringstream& words) {
  std::string word;
  words >> word;
  if (word == "on") return true;
  if (word == "off") return false;
  return std::nullopt;
}

std::optional<std::string> LockAppend(std::istringstream& words) {
  ClearRecord();
  std::string assignment;
  while (words >> assignment) {
    const auto equals = assignment.find('=');
    const int field = equals == std::string::npos ? 0 : FieldNo(assignment.substr(0, equals));
    if (field == 0) return std::nullopt;
    SetTypedFieldText(field, assignment.substr(equals + 1));
  }
  while (!ALock()) {
    if (ErrorCode != 0) return std::to_string(RecNo());
    sched_yield();
  }
  struct Unlocking {
    ~Unlocking() {
      const std::uint16_t code = ErrorCode;
      Unlock();
      if (code != 0) ErrorCode = code;
    }
  } unlocking;
  Append();
  return std::to_string(RecNo());
}

}  // namespace

std::optional<std::string> RunIndexCommand(const std::string& command, std::istringstream& words) {
  if (command == "index" || command == "keyindex") {
    std::string key, name;
    if (!SplitTo(Rest(words), key, name)) return std::nullopt;
    if (command == "index") {
      IndexOnExpr(key, name);
    } else {
      const int field = FieldNo(key);
      if (field == 0) return std::nullopt;
      IndexOnKeyMaker(name, [field](std::uint32_t, std::uint8_t, std::string& text) { text = TypedFieldText(field); }, 0);
    }
    return Current();
  }
  if (command == "setindex") {
    SetIndexToList(Rest(words));
    return Current();
  }
  if (command == "indexto") {
    int slot = 0;
    words >> slot;
    SetIndexTo(Rest(words), static_cast<std::uint8_t>(slot));
    return Current();
  }
  if (command == "order") {
    int n = 0;
    words >> n;
    Set_Order_To(static_cast<std::uint8_t>(n));
    return Current();
  }
  if (command == "reindex") {
    Reindex();
    return Current();
  }
  if (command == "closeindex") {
    CloseAllIndexes();
    return "-";
  }
  if (command == "find" || command == "findkey") {
    const std::string text = Rest(words);
    command == "find" ? Find(text) : FindKey(text);
    return Found();
  }
  if (command == "lockappend") return LockAppend(words);
  if (command == "read" || command == "write") {
    const std::optional<bool> on = Switch(words);
    const auto& bracket = command == "read" ? IndexHookTable.ReadSemaphore : IndexHookTable.LockSemaphore;
    if (!on || !bracket) return std::nullopt;
    bracket(*on);
    return "-";
  }
  if (command == "nodecache") {
    const std::optional<bool> on = Switch(words);
    if (!on) return std::nullopt;
    SharedNodeCache = *on;
    return "-";
  }
  if (command == "readtimeout") {
    words >> ReadTimeoutSeconds;
    return "-";
  }
  if (command == "semtries") {
    words >> SemaphoreLockTries >> SemaphorePauseMs;
    TableLockTries = SemaphoreLockTries;
    return words ? std::optional<std::string>("-") : std::nullopt;
  }
  return std::nullopt;
}

}  // namespace peer
