#pragma once
// The clue database: looking answers up in a clue table and adding clues to it, shared by the
// clue database window and tools/cluedb. No Qt here.
//
// Content of the table: field 1 ENTRY (C) holds the answer; field 2 MORE (L) says that the
// entry goes on in the next record; every C and memo field from field 3 on holds a clue. An
// entry is its first record (ENTRY the word) and continuation records whose ENTRY is the word
// followed by one "&" per continuation; the index on ENTRY keeps them together, since "&" sorts
// after the blank that pads the word and before every letter.
//
// Memo fields hold the entry's notes, listed apart from its clues.
//
// Writing packs the entry's C-field clues, ten to a record (fewer when the table has fewer C
// fields from field 3 on), the new clue last; notes are never rewritten: a record that holds one
// is kept. Records the entry no longer needs are deleted. An add holds the table lock from the
// moment it reads the entry again until its last write, so programs that add at the same time
// take turns and lose nothing; every write has its own lock beside it. A new continuation record
// is appended, whole, before the entry's records are rewritten to take it in, so that an add
// refused a lock leaves the table as it was. A lock is waited for a bounded time while Pause lets
// the program's messages run; a look-up asked for meanwhile leaves the table to the add.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/clues/ClueTable.h"

struct TClueEntry {
  std::string Word;  // the answer looked up
  bool Found = false;
  std::vector<std::string> Clues;  // trailing blanks removed, in record and field order
  std::vector<std::string> Notes;  // the memos, in the same order
};

enum class TClueAddResult {
  Added,
  Duplicate,  // the entry holds the clue already, in any letter case
  Blank,      // nothing but blanks
  NoRoom,     // no word to add to, no clue field, or a key longer than ENTRY
  Busy,       // a lock was not granted within the wait
};

class TClueVault {
 public:
  explicit TClueVault(TClueTable& table);
  ~TClueVault();

  // Waits between lock tries: the pause (milliseconds) and the longest wait for one lock.
  std::function<void(int milliseconds)> Pause;
  int LockWaitMilliseconds = 2000;
  int LockTryMilliseconds = 50;

  // An answer with an empty square (0) or a placeholder ("?", or the blank it is stored as) is
  // not looked up.
  static bool IsCompleteWord(std::string_view word);

  // The last look-up.
  const TClueEntry& Entry() const { return entry_; }

  // Reads the entry of the word and stands on its first record. On a miss the table stands on
  // the entry that follows the word (FindNear). An incomplete word is not looked up.
  const TClueEntry& LookupEntry(const std::string& word);
  // The next and the previous entry of the table, staying on the last and the first; an
  // orphaned continuation record (one without its first record) is no entry.
  const TClueEntry& NextEntry();
  const TClueEntry& PriorEntry();
  // Back from a continuation record to the first record of its entry.
  void SeekEntryStart();
  // The ENTRY the table stands on, trailing blanks removed; "" when it has no record.
  std::string CurrentEntryText();
  // After a miss: the ENTRY of the record that follows the word; "" past the last entry.
  std::string FollowingEntryText();

  // Adds a clue to the entry of the last look-up, then reads the entry again (also when the
  // add did not happen). Every write uses the word of that look-up. While the add waits for a
  // lock (in Pause), look-ups and steps leave the table alone and answer Entry(), and another
  // add answers Busy.
  TClueAddResult AddClue(const std::string& clue);

 private:
  struct EntryRecords;
  struct ClueFields;
  // Where a miss left the table: on the record that follows the word, or after the last one.
  enum class MissStand { None, OnFollowing, PastEnd };

  // The clue fields of the open table, found again after each open.
  const ClueFields& FindClueFields();
  // Reads the entry whose first record the table stands on. For an add it also takes the
  // continuation records that an add which did not finish left after the entry's last record.
  EntryRecords ReadEntry(const std::string& word, const ClueFields& fields, bool forAdd);
  TClueAddResult AddTo(const std::string& word, const std::string& clue);
  TClueAddResult AppendNewEntry(const std::string& word, const std::string& clue, const ClueFields& fields);
  TClueAddResult AddClueToVault(const EntryRecords& records, const std::vector<std::string>& clues,
                                const ClueFields& fields);
  // Locks every record of the entry, waiting for each; false when one is refused.
  bool LockRecords(const std::vector<std::uint32_t>& recNos);
  // Tries a lock until it is granted or the wait is over.
  bool WaitForLock(const std::function<bool()>& tryLock);
  // From a continuation record back to a first record, or on to one; false when there is none
  // that way (the table then stands at that end).
  bool StepBackToFirstRecord();
  bool StepOnToFirstRecord();

  TClueTable& table_;
  std::unique_ptr<const ClueFields> fields_;  // of the open numbered fieldsOpening_
  std::uint64_t fieldsOpening_ = 0;
  TClueEntry entry_;
  MissStand missStand_ = MissStand::None;
  bool adding_ = false;  // an add is waiting for a lock or writing
};
