#include "app/clues/ClueVault.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/os/CodePage1252.h"
#include "xbase/core/ovutils.h"

namespace {

constexpr char kEntryField[] = "ENTRY";
constexpr char kMoreField[] = "MORE";
constexpr int kFirstClueField = 3;
constexpr std::size_t kCluesPerRecord = 10;
constexpr std::size_t kMaxKey = 255;

bool IsContinuation(std::string_view entry) { return !entry.empty() && entry.back() == '&'; }

std::string BaseWord(std::string entry) {
  while (IsContinuation(entry)) entry.pop_back();
  return entry;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return platform::os::AnsiUpper(a) == platform::os::AnsiUpper(b);
}

// One reading of the table, ended on every way out.
class ReadingScope {
 public:
  explicit ReadingScope(TClueTable& table) : table_(table) { table_.BeginReading(); }
  ~ReadingScope() { table_.EndReading(); }
  ReadingScope(const ReadingScope&) = delete;
  ReadingScope& operator=(const ReadingScope&) = delete;

 private:
  TClueTable& table_;
};

// Releases a lock on every way out of a scope; a table error while releasing is left to the
// next operation, which reports it.
class LockRelease {
 public:
  explicit LockRelease(std::function<void()> release) : release_(std::move(release)) {}
  ~LockRelease() {
    try {
      release_();
    } catch (...) {
    }
  }
  LockRelease(const LockRelease&) = delete;
  LockRelease& operator=(const LockRelease&) = delete;

 private:
  std::function<void()> release_;
};

}  // namespace

// The clue fields of the table: the listed ones are the C and memo fields from field 3 on; the
// first ten C fields take the clues that a rewrite packs, the other C fields are blanked.
struct TClueVault::ClueFields {
  std::vector<std::string> Listed;
  std::vector<std::string> Written;
  std::vector<std::string> Blanked;
  std::vector<char> ListedTypes;
  int EntryLength = 0;
};

// The records of one entry, first to last, and what they hold.
struct TClueVault::EntryRecords {
  std::string Word;
  // The entry's records, and for an add those that an unfinished add left after them.
  std::vector<std::uint32_t> RecNos;
  std::size_t RecordsWithMemo = 0;  // the records up to the last one that holds a memo
  std::vector<std::string> Clues;   // the C-field clues of the entry's records
  std::vector<std::string> Notes;   // their memos
  std::vector<std::string> Packed;  // the C-field clues of every record in RecNos
};

TClueVault::TClueVault(TClueTable& table) : table_(table) {}

TClueVault::~TClueVault() = default;

bool TClueVault::IsCompleteWord(std::string_view word) {
  return !word.empty() && word.find_first_of(std::string_view("\0 ?", 3)) == word.npos;
}

const TClueVault::ClueFields& TClueVault::FindClueFields() {
  if (fields_ != nullptr && fieldsOpening_ == table_.Openings()) return *fields_;
  auto found = std::make_unique<ClueFields>();
  ClueFields& fields = *found;
  fields.EntryLength = table_.FieldLength(kEntryField);
  const int count = table_.FieldCount();
  for (int n = kFirstClueField; n <= count; ++n) {
    const std::string name = table_.Field(n);
    const char type = table_.FieldType(name);
    if (type != 'C' && type != 'M') continue;
    fields.Listed.push_back(name);
    fields.ListedTypes.push_back(type);
    if (type != 'C') continue;
    (fields.Written.size() < kCluesPerRecord ? fields.Written : fields.Blanked).push_back(name);
  }
  fields_ = std::move(found);
  fieldsOpening_ = table_.Openings();
  return *fields_;
}

std::string TClueVault::CurrentEntryText() {
  if (table_.IsEmpty()) return {};
  return xbase::RTrimStr(table_.FieldText(kEntryField));
}

// ---- Reading

TClueVault::EntryRecords TClueVault::ReadEntry(const std::string& word, const ClueFields& fields, bool forAdd) {
  EntryRecords records;
  records.Word = word;
  bool unfinished = false;  // past the record whose MORE ends the entry
  for (std::size_t continuations = 0;; ++continuations) {
    records.RecNos.push_back(table_.RecNo());
    for (std::size_t i = 0; i < fields.Listed.size(); ++i) {
      const std::string text = xbase::RTrimStr(table_.FieldText(fields.Listed[i]));
      if (text.empty()) continue;
      if (fields.ListedTypes[i] == 'C') {
        records.Packed.push_back(text);
        if (!unfinished) records.Clues.push_back(text);
      } else {
        records.RecordsWithMemo = records.RecNos.size();
        if (!unfinished) records.Notes.push_back(text);
      }
    }
    if (!table_.GetFieldAsBoolean(kMoreField)) {
      // An add appends its new continuation record before the entry says "more": one that
      // ended before that left the record behind, and the next add takes it in.
      if (!forAdd) break;
      unfinished = true;
    }
    // A damaged entry may say "more" on the last record or before another word.
    table_.Skip(1);
    if (table_.IsEof()) break;
    if (CurrentEntryText() != word + std::string(continuations + 1, '&')) {
      table_.Skip(-1);
      break;
    }
  }
  SeekEntryStart();
  return records;
}

const TClueEntry& TClueVault::LookupEntry(const std::string& word) {
  if (adding_) return entry_;
  entry_ = {word, false, {}, {}};
  missStand_ = MissStand::None;
  if (!IsCompleteWord(word)) return entry_;
  // The seek, the entry's records and the way back are one reading of the table.
  const ReadingScope reading(table_);
  const ClueFields& fields = FindClueFields();
  const std::string key = word.substr(0, kMaxKey);
  if (table_.FindExact(key)) {
    EntryRecords records = ReadEntry(word, fields, false);
    entry_.Found = true;
    entry_.Clues = std::move(records.Clues);
    entry_.Notes = std::move(records.Notes);
  } else {
    table_.FindNear(key);
    missStand_ = table_.IsEof() || table_.IsEmpty() ? MissStand::PastEnd : MissStand::OnFollowing;
  }
  return entry_;
}

std::string TClueVault::FollowingEntryText() {
  return missStand_ == MissStand::OnFollowing ? CurrentEntryText() : std::string();
}

void TClueVault::SeekEntryStart() {
  if (table_.IsEmpty()) return;
  const std::string base = BaseWord(CurrentEntryText());
  while (IsContinuation(CurrentEntryText())) {
    table_.Skip(-1);
    if (table_.IsBof()) return;
    // An orphaned continuation starts its own group.
    if (BaseWord(CurrentEntryText()) != base) {
      table_.Skip(1);
      return;
    }
  }
}

bool TClueVault::StepBackToFirstRecord() {
  while (IsContinuation(CurrentEntryText())) {
    table_.Skip(-1);
    if (table_.IsBof()) return false;
  }
  return true;
}

bool TClueVault::StepOnToFirstRecord() {
  while (IsContinuation(CurrentEntryText())) {
    table_.Skip(1);
    if (table_.IsEof()) return false;
  }
  return true;
}

const TClueEntry& TClueVault::NextEntry() {
  if (adding_ || table_.IsEmpty()) return entry_;
  // After a miss the table stands on the entry that follows the word: that one is next.
  const bool onFollowing = missStand_ == MissStand::OnFollowing && !IsContinuation(CurrentEntryText());
  if (!onFollowing) {
    table_.Skip(1);
    if (table_.IsEof() || !StepOnToFirstRecord()) {
      // The last entry, whole: from its first record.
      table_.LastRec();
      if (!StepBackToFirstRecord()) return entry_;
    }
  }
  return LookupEntry(CurrentEntryText());
}

const TClueEntry& TClueVault::PriorEntry() {
  if (adding_ || table_.IsEmpty()) return entry_;
  // After a miss past every entry the last one comes before the word.
  if (missStand_ == MissStand::PastEnd)
    table_.LastRec();
  else
    table_.Skip(-1);
  if (!StepBackToFirstRecord()) {
    // Nothing but orphaned continuations before: the first entry stays.
    table_.FirstRec();
    if (!StepOnToFirstRecord()) return entry_;
  }
  return LookupEntry(CurrentEntryText());
}

// ---- Adding

bool TClueVault::WaitForLock(const std::function<bool()>& tryLock) {
  for (int waited = 0;; waited += LockTryMilliseconds) {
    if (tryLock()) return true;
    if (waited >= LockWaitMilliseconds) return false;
    if (Pause)
      Pause(LockTryMilliseconds);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(LockTryMilliseconds));
  }
}

bool TClueVault::LockRecords(const std::vector<std::uint32_t>& recNos) {
  for (const std::uint32_t recNo : recNos) {
    table_.GoToRecNo(recNo);
    if (!WaitForLock([this] { return table_.RLock(); })) return false;
  }
  return true;
}

TClueAddResult TClueVault::AddClue(const std::string& clue) {
  if (adding_) return TClueAddResult::Busy;
  // The word of the look-up that the add began with, whatever is looked up while it waits.
  const std::string word = entry_.Word;
  TClueAddResult result;
  {
    struct Adding {
      bool& flag;
      explicit Adding(bool& f) : flag(f) { flag = true; }
      ~Adding() { flag = false; }
    } adding(adding_);
    result = AddTo(word, clue);
  }
  // The list shows what the table holds now, also after a refusal.
  LookupEntry(word);
  return result;
}

TClueAddResult TClueVault::AddTo(const std::string& word, const std::string& clue) {
  if (!IsCompleteWord(word)) return TClueAddResult::NoRoom;
  if (xbase::AllTrim(clue).empty()) return TClueAddResult::Blank;
  const ClueFields fields = FindClueFields();
  if (fields.Written.empty() || word.size() > static_cast<std::size_t>(fields.EntryLength))
    return TClueAddResult::NoRoom;
  // The entry is read again and written under the table lock: what another program added
  // meanwhile is kept.
  if (!WaitForLock([this] { return table_.FLock(); })) return TClueAddResult::Busy;
  const LockRelease tableLock([this] { table_.FUnLock(); });
  if (!table_.FindExact(word)) return AppendNewEntry(word, clue, fields);
  const EntryRecords records = ReadEntry(word, fields, true);
  const std::string added = xbase::RTrimStr(clue);
  const auto same = [&](const std::string& held) { return SameTextIgnoringCase(held, added); };
  if (std::any_of(records.Clues.begin(), records.Clues.end(), same) ||
      std::any_of(records.Notes.begin(), records.Notes.end(), same))
    return TClueAddResult::Duplicate;
  std::vector<std::string> clues = records.Packed;
  // An add that did not finish may have stored it already.
  if (std::none_of(clues.begin(), clues.end(), same)) clues.push_back(clue);
  return AddClueToVault(records, clues, fields);
}

TClueAddResult TClueVault::AppendNewEntry(const std::string& word, const std::string& clue,
                                          const ClueFields& fields) {
  if (!WaitForLock([this] { return table_.ALock(); })) return TClueAddResult::Busy;
  const LockRelease appendLock([this] { table_.UnLock(); });
  table_.ClearRecord();
  table_.SetFieldAsString(kEntryField, word);
  table_.SetFieldAsBoolean(kMoreField, false);
  table_.SetFieldAsString(fields.Written.front(), clue);
  table_.AppendRec();
  return TClueAddResult::Added;
}

TClueAddResult TClueVault::AddClueToVault(const EntryRecords& records, const std::vector<std::string>& clues,
                                          const ClueFields& fields) {
  const std::size_t perRecord = fields.Written.size();
  // A record that holds a memo stays, so that its memo is kept.
  const std::size_t needed =
      std::max({std::size_t{1}, (clues.size() + perRecord - 1) / perRecord, records.RecordsWithMemo});
  if (records.Word.size() + needed - 1 > static_cast<std::size_t>(fields.EntryLength))
    return TClueAddResult::NoRoom;

  // Record r of the entry as it is to be: its key, its flag and its share of the clues.
  const auto fill = [&](std::size_t r) {
    table_.SetFieldAsString(kEntryField, records.Word + std::string(r, '&'));
    table_.SetFieldAsBoolean(kMoreField, r + 1 < needed);
    for (std::size_t i = 0; i < perRecord; ++i) {
      const std::size_t at = r * perRecord + i;
      table_.SetFieldAsString(fields.Written[i], at < clues.size() ? clues[at] : std::string());
    }
    for (const std::string& name : fields.Blanked) table_.SetFieldAsString(name, {});
  };

  // New continuation records go in first, whole, while the entry's last record still ends it:
  // readers pass them by until the rewrite takes them in. The records to rewrite are tried
  // before, so that a record another program holds leaves the table as it was.
  std::vector<std::uint32_t> appended;
  if (needed > records.RecNos.size()) {
    {
      const LockRelease recordLocks([this] { table_.UnLock(); });
      if (!LockRecords(records.RecNos)) return TClueAddResult::Busy;
    }
    if (!WaitForLock([this] { return table_.ALock(); })) return TClueAddResult::Busy;
    const LockRelease appendLock([this] { table_.UnLock(); });
    for (std::size_t r = records.RecNos.size(); r < needed; ++r) {
      table_.ClearRecord();
      fill(r);
      table_.AppendRec();
      appended.push_back(table_.RecNo());
    }
  }

  // Every record of the entry is locked before the first is written, so that a record
  // another program holds leaves the entry as it was.
  const LockRelease recordLocks([this] { table_.UnLock(); });
  if (!LockRecords(records.RecNos)) {
    // Taken by another program since it was tried: the appended records go again.
    for (const std::uint32_t recNo : appended) {
      table_.GoToRecNo(recNo);
      if (WaitForLock([this] { return table_.RLock(); })) table_.DeleteRec();
    }
    return TClueAddResult::Busy;
  }
  const std::size_t kept = std::min(needed, records.RecNos.size());
  for (std::size_t r = 0; r < kept; ++r) {
    table_.GoToRecNo(records.RecNos[r]);
    fill(r);
    table_.ReplaceRec();
  }
  // The records no longer needed, collected while reading; a delete may move the table on
  // and release the record locks, so each one is found and locked again.
  for (std::size_t r = kept; r < records.RecNos.size(); ++r) {
    table_.GoToRecNo(records.RecNos[r]);
    if (!WaitForLock([this] { return table_.RLock(); })) return TClueAddResult::Busy;
    table_.DeleteRec();
  }
  return TClueAddResult::Added;
}
