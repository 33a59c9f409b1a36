#pragma once
// Text, number and file routines shared by the whole library; several expression functions
// (OCCURS, AT, REPLICATE, VAL, ...) are these routines.
//
// Text is bytes of Windows-1252: case and letters follow fixed tables, never the locale.
// File names are the bytes of the file system (UTF-8). '\' and '/' both separate path parts;
// paths that the library builds use '/'. No name or path is cut to a fixed length.
// A name given by a caller resolves to an existing file exactly first, then without regard to
// case per path part (WalkPathNames); a name that resolves to nothing is used as given.

#include <cstdint>
#include <string>
#include <string_view>

namespace xbase {

// ---- Text

// Remove trailing, leading, or both, characters with codes up to 32 (blanks and controls).
std::string RTrimStr(std::string_view s);
std::string LTrimStr(std::string_view s);
std::string AllTrim(std::string_view s);
// AllTrim and RTrimStr without a copy: the part of s that they keep.
std::string_view AllTrimView(std::string_view s);
std::string_view RTrimView(std::string_view s);

std::string UpperStr(std::string_view s);
char UpCaseChar(char c);
char LowCaseChar(char c);

// The first character is a letter; false for an empty text.
bool IsAlphaStr(std::string_view s);

// How often sub occurs in s, without overlaps (a one-character sub counts every equal
// character); 0 when either is empty.
int Occurs(std::string_view sub, std::string_view s);

// 1-based position of the n-th occurrence of sub in s, occurrences overlapping; a negative n
// counts from the right end. 0 when there is none or when s, sub or n is empty or zero.
int AT(int n, std::string_view sub, std::string_view s);

// n copies of c; empty for n <= 0.
std::string Replicate(char c, int n);

std::string IifStr(bool condition, std::string_view a, std::string_view b);

// ---- Numbers (following DecimalPoint and ThousandsSeparator)

// The integer at the start of a number text, clamped to -32768..32767: leading blanks and one
// '+' removed, thousands marks removed, the first '$' removed, cut at the first blank and then
// before the first character that is neither a digit nor '-'.
std::int16_t ValInt(std::string_view s);

// Rewrites a number text as digits with '.' as decimal point and at most a leading '-':
// "$ -1.234,5" with decimal point ',' becomes "-1234.5", "-.5" becomes "-0.5", a text of signs
// only becomes empty.
void NormalizeNumberText(std::string& s);

// The integer part of the normalised text, clamped to 32 bits; 0 for an empty text.
std::int32_t ValLong(std::string_view s);

// x right-aligned in width with the given decimals, DecimalPoint as the decimal point. A
// number wider than width is not cut.
std::string StrFloat(double x, int width, int decimals);

// n right-aligned in width.
std::string StrInt(std::int64_t n, int width);

// The text with blanks in front up to width; a longer text is not cut.
std::string RightAligned(std::string text, int width);

// ---- Option words in command strings

// A character that, after an option word, makes it part of a longer word: a letter, a digit,
// '\', '/' or '_'.
bool ContinuesOptionWord(char c);

// Upper-cases s, removes every occurrence of the upper-cased word that is not followed by a
// letter, a digit, '\', '/' or '_', and trims s on both sides; tells whether one was removed.
// Callers pass the word with its leading blank (" EXCLUSIVE"). An empty word only trims s.
bool RemoveWord(std::string_view word, std::string& s);

// RemoveWord for a text whose other characters keep their case (file names): removes every
// occurrence of the upper-case word, found without regard to case, that does not go on into a
// longer word; nothing is trimmed. Tells whether one was removed.
bool CutOptionWord(std::string& text, std::string_view word);

// ---- File names

// Directory (with its trailing separator), name without extension, extension with its '.'.
void FSplit(std::string_view path, std::string& dir, std::string& name, std::string& ext);

std::string StripExtension(std::string_view name);

// The last part of a path: the name with its extension, without the folder.
std::string FileNameOf(std::string_view path);

// The name without folder and extension.
std::string BaseNameOf(std::string_view path);

// The name unchanged when its last part has an extension, else directory + name (trailing
// blanks removed) + "." + ext.
std::string DefaultExtension(std::string_view name, std::string_view ext);

// The name with its extension replaced by "." + ext.
std::string ForceExtension(std::string_view name, std::string_view ext);

// The absolute path of a name: the current folder in front of a relative name, "." and ".."
// parts resolved by the text alone; the file need not exist.
std::string FullPathName(std::string_view name);

// The full path spelled as on disk: each part found exactly, else without regard to case
// (Windows-1252 case rules). Empty when a part does not exist.
std::string WalkPathNames(std::string_view path);

// The name of an existing file as WalkPathNames spells it; a name that finds no file is
// returned as given.
std::string ResolvedFileName(std::string_view name);

// ---- Files

bool FileFound(std::string_view name);

// The file exists and was last written today (local time).
bool FileIsDatedToday(std::string_view name);

// Deletes a file unless another open of the library holds it (32); the result, also stored in
// ErrorCode, is 0 when the file was deleted.
std::uint16_t EraseFile(std::string_view name);

// Deletes one file, or every regular file that matches a mask with '*' or '?' in its last
// part (without regard to case; "*.*" matches names without an extension too). Reports the
// failure of a single file with its code, of n matching files with 5.
void EraseFiles(std::string_view mask);

// KB available to the caller on the file system of path (the current folder for an empty
// path); $7FFFFFFF at most, and also when the query fails.
std::int32_t DiskSpace(std::string_view path);

// There are no drive letters: every drive number answers for the current folder.
std::int32_t DiskSpaceOfDrive(int drive);

// Creates a new empty file in the temporary folder, named TempFilePrefix and six random
// characters, and returns its path; on failure reports the system error and returns "".
std::string UniqueFilename();

// Called by the work-area engine at every navigation step and lock retry.
void IdleProc();

}  // namespace xbase
