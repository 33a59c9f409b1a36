#pragma once
// Small routines shared by the index engine and the expression engine: helpers for
// NUL-terminated text, the two key comparators, SOUNDEX codes, circular node lists (the
// allocation unit of compiled expressions and of the index build) and the calendar arithmetic
// between dates and day numbers. No state of its own.
//
// Day numbers (JulianDayNumber) are whole days held in a double: 1721426 is 1 January of the
// year 1 of the proleptic Gregorian calendar, 5373484 is 31 December 9999, and 0 is the blank
// date. Dates inside expressions and numeric index keys are day numbers; tables store dates
// as YYYYMMDD text, 8 blanks for a blank date.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xbase/core/ovcommon.h"
#include "xbase/core/timedate.h"  // IsLeapYear

namespace xbase {

// ---------------------------------------------------------------------------------------------
// Text and memory helpers (bytes, no locale)

inline std::uint8_t* OffsetPtr(void* pointer, std::ptrdiff_t count) {
  return static_cast<std::uint8_t*>(pointer) + count;
}
inline const std::uint8_t* OffsetPtr(const void* pointer, std::ptrdiff_t count) {
  return static_cast<const std::uint8_t*>(pointer) + count;
}

// Bytes before the NUL.
std::size_t StrLenZ(const char* text);

// Copies the source and a NUL into a destination of `capacity` bytes (at least 1), cutting
// the source to capacity - 1 bytes. Returns the destination.
char* StrCopyZ(char* destination, std::size_t capacity, const char* source);

// The bytes before the NUL, cut to `maximum` (0 to 255; larger counts as 255).
std::string PCharToStr(const char* text, std::size_t maximum);

// Copies the text's bytes and a NUL into a destination of `capacity` bytes (at least 1),
// cutting the text to capacity - 1 bytes.
void StrToPChar(char* destination, std::size_t capacity, std::string_view text);

// The decimal text of n with '0' in front until it has at least `width` characters.
std::string ZeroPad(std::uint16_t n, std::size_t width);

// Reverses `count` bytes in place.
void ReverseBlock(void* block, std::size_t count);

// Swaps two adjacent blocks in place (first, then second, become second, then first); nothing
// when either is empty.
void RotateBlock(void* block, std::size_t firstLength, std::size_t secondLength);

inline bool IsUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }

// A copy with a to z turned into A to Z, every other byte as it is.
std::string UpperAscii(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Key comparators

// 0 when the first n bytes agree, else the first differing byte of a minus that of b (both
// unsigned). Character keys are compared over their key length.
int CompareBytes(const void* a, const void* b, std::uint16_t n);

// a and b point at doubles: 0 when equal, 1 when a > b, -1 when a < b. Numeric and date keys
// are always doubles.
int CompareDouble(const void* a, const void* b);

// ---------------------------------------------------------------------------------------------
// SOUNDEX

inline constexpr std::size_t SoundexLength = 4;

// The 4-character code of at most the first 100 characters of the text: the first character
// as it stands (a to z upper-cased), then the digits of the following letters (B F P V 1;
// C G J K Q S X Z 2; D T 3; L 4; M N 5; R 6), a digit equal to the one before it dropped,
// A E H I O U W Y separating equal digits; '0' fills the rest. "0000" for an empty text.
std::string Soundex(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Node lists: circular, doubly linked lists of heap nodes. A list variable points at its
// newest node (the head); head->Next is the oldest, so walking Next from the oldest reaches
// the head last. An empty list is null. A node's payload follows its header, aligned for any
// type.

struct ListNode {
  ListNode* Next;
  ListNode* Prev;
  std::size_t NodeSize;  // header and payload, for releasing the node
};

using NodeList = ListNode*;

inline constexpr std::size_t ListHeaderSize =
    (sizeof(ListNode) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
    alignof(std::max_align_t);

inline void* NodePayload(ListNode* node) { return OffsetPtr(node, ListHeaderSize); }
inline ListNode* PayloadNode(void* payload) {
  return reinterpret_cast<ListNode*>(OffsetPtr(payload, -static_cast<std::ptrdiff_t>(ListHeaderSize)));
}

// Allocates a node with `size` zeroed payload bytes, inserts it as the new head and returns
// its payload; null when memory is short (the caller reports 217).
void* ListAllocNode(NodeList& list, std::size_t size);

// Makes the node the head: alone in an empty list, else between the head and the oldest node.
void ListInsert(NodeList& list, ListNode* node);

// Unlinks the head and returns it (null for an empty list); the node before it becomes the
// head. To remove a given node, first make it the head.
ListNode* ListRemove(NodeList& list);

// From null the oldest node, from the head null, else the next newer node: walking from null
// visits the nodes from the oldest to the newest.
ListNode* ListNext(NodeList list, const ListNode* node);

// Releases a node that is in no list.
void ListFreeNode(ListNode* node);

// Releases every node of a list and leaves it empty.
void ListFreeAll(NodeList& list);

// ---------------------------------------------------------------------------------------------
// Calendar (leap years: timedate's IsLeapYear)

using JulianDayNumber = double;

inline constexpr JulianDayNumber JulianOffset = 1721425;  // added to a count from 1 January 1
inline constexpr JulianDayNumber LastJulianDay = 5373484;  // 31 December 9999

// Days before month m of a common year, m = 0..12; entry m is the day of the year of the last
// day of month m.
inline constexpr std::array<int, 13> CumulativeDays = {0,   31,  59,  90,  120, 151, 181,
                                                      212, 243, 273, 304, 334, 365};

// 1 to 366, or -1 for a date that does not exist (a year before 1 included).
int DayOfYear(int year, int month, int day);

// Days in the years before `year`; 0 for the year 1 and before.
std::int64_t DaysBeforeYear(int year);

struct MonthDay {
  int month = 0;
  int day = 0;
};

// The month and day of a day of the year (1 to 365, or 366 in a leap year).
MonthDay DayOfYearToMonthDay(int dayOfYear, bool leap);

// The day number of a date, 0 when it does not exist.
JulianDayNumber YmdToJulian(int year, int month, int day);

// The date of a day number, with its day of the week; nothing for a day number that is not
// finite or outside 1 January 1 .. 31 December 9999 (the blank date 0 among them).
std::optional<CalendarDate> JulianToCalendarDate(JulianDayNumber day);

// The stored date YYYYMMDD (at most 8 characters, ending at a NUL) as a day number; 0 for 8
// blanks and for a date that does not exist.
JulianDayNumber DbfDateToJulian(std::string_view text);

// YYYYMMDD, or 8 blanks where JulianToCalendarDate gives nothing.
std::string JulianToDbfDate(JulianDayNumber day);

// The date in the SET DATE layout, with four-digit years under SET CENTURY:
//   0 MM/DD/YY   1 YY.MM.DD   2 and 8 DD/MM/YY   3 DD-MM-YY   4 to 7 DD.MM.YY
// and its blank text ("  /  /  ", ...) where JulianToCalendarDate gives nothing.
std::string JulianToDateText(JulianDayNumber day);

// A date text of any SET DATE layout (at most 10 characters; two-digit years through the
// century window) as a day number; 0 for a blank or impossible date.
JulianDayNumber DateTextToJulian(std::string_view text);

// The same date as YYYYMMDD; 8 blanks for a blank or impossible date.
std::string DateTextToDbfDate(std::string_view text);

}  // namespace xbase
