#include "xbase/expr/ExprLexer.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "xbase/core/ovcommon.h"
#include "xbase/expr/ExprCompiler.h"
#include "xbase/workarea/dbf4.h"

namespace xbase::expr {
namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool IsNameCharacter(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

// The field token of a field type; TokenIdentifier for a type expressions do not read.
std::int32_t FieldToken(char fieldType) {
  switch (fieldType) {
    case 'C': return TokenCharField;
    case 'N': case 'F': return TokenNumericField;
    case 'L': return TokenLogicalField;
    case 'D': return TokenDateField;
    case 'M': return TokenMemoField;
    default: return TokenIdentifier;
  }
}

// The lowest caller's area whose alias is `alias`, 0 for none.
int AreaOfAlias(std::string_view alias) {
  for (unsigned n = 1; n < CallerWorkAreas; ++n) {
    const WorkAreaRecord* area = WorkArea(n);
    if (area != nullptr && area->Alias == alias) return static_cast<int>(n);
  }
  return 0;
}

}  // namespace

ExprLexer::ExprLexer(std::string_view text, CompileEstimates& estimates, NodeList& literals)
    : text_(text.substr(0, text.find('\0'))), estimates_(estimates), literals_(literals) {}

char ExprLexer::Peek(std::size_t ahead) const {
  return position_ + ahead < text_.size() ? UpperAscii(text_[position_ + ahead]) : '\0';
}

char ExprLexer::Take() {
  const char c = Peek();
  lastRead_ = std::min(position_, text_.size());
  ++position_;
  return c;
}

std::int32_t ExprLexer::NextToken() {
  while (Peek() == ' ' || Peek() == '\t') Take();
  if (position_ >= text_.size()) {
    lastRead_ = text_.size();
    return TokenEnd;
  }
  const char c = Peek();
  if (IsDigit(c)) return ReadNumber();
  if (c == '\'' || c == '"') return ReadLiteral();
  if (IsLetter(c) || c == '_') return ReadName();
  if (c == '.') {
    if (const KeywordEntry* word = DottedWordHere()) {
      for (std::size_t i = 0; i < word->Name.size(); ++i) Take();
      return Keyword(*word);
    }
  }
  Take();
  const char next = Peek();
  switch (c) {
    case '=':
      if (next != '=') return '=';
      Take();
      return TokenExactEqual;
    case '*':
      if (next != '*') return '*';
      Take();
      return '^';
    case '>':
      if (next != '=') return '>';
      Take();
      return TokenGreaterEqual;
    case '<':
      if (next != '=' && next != '>') return '<';
      Take();
      return next == '=' ? TokenLessEqual : TokenNotEqual;
    case '#': return TokenNotEqual;
    case '$': return TokenContains;
    default: return static_cast<unsigned char>(c);
  }
}

// Digits with at most one '.' and one E, which a sign may follow when digits do. A '.' that
// starts a dotted word ends the number, so that texts without blanks ("AMT>3.AND.X") read as
// written. A number too small for a double is 0; one too large is refused where it stands.
std::int32_t ExprLexer::ReadNumber() {
  const std::size_t start = position_;
  bool point = false;
  bool exponent = false;
  bool negativeExponent = false;
  for (;;) {
    const char c = Peek();
    if (IsDigit(c)) {
      Take();
    } else if (c == '.' && !point && !exponent && DottedWordHere() == nullptr) {
      point = true;
      Take();
    } else if (c == 'E' && !exponent) {
      exponent = true;
      Take();
      if ((Peek() == '+' || Peek() == '-') && IsDigit(Peek(1))) negativeExponent = Take() == '-';
    } else {
      break;
    }
  }
  const std::string_view digits = text_.substr(start, position_ - start);
  estimates_.width = 0;
  estimates_.decimals = 2;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number_);
  if (end != digits.data() + digits.size()) return TokenIdentifier;  // "1E" is no number
  if (ec == std::errc::result_out_of_range) {
    if (!negativeExponent) FailCompile(text_, lastRead_, "Numeric overflow");
    number_ = 0;
  } else if (ec != std::errc()) {
    return TokenIdentifier;
  }
  return TokenNumericLiteral;
}

std::int32_t ExprLexer::ReadLiteral() {
  const char quote = text_[position_];
  Take();
  const std::size_t close = text_.find(quote, position_);
  if (close == std::string_view::npos) {
    position_ = text_.size();
    lastRead_ = text_.size();
    return TokenEnd;
  }
  const std::string_view content = text_.substr(position_, close - position_);
  literal_ = static_cast<char*>(ListAllocNode(literals_, content.size() + 1));
  if (literal_ == nullptr) {
    SetError(217, " [AssignExpr()]");
    throw CompileFailed();
  }
  std::memcpy(literal_, content.data(), content.size());
  position_ = close + 1;
  lastRead_ = close;
  estimates_.width = 0;
  estimates_.decimals = 2;
  return TokenCharLiteral;
}

std::int32_t ExprLexer::ReadName() {
  std::string name;
  while (IsNameCharacter(Peek())) name += Take();
  if (Peek() == '-' && Peek(1) == '>') {
    Take();
    Take();
    std::string field;
    while (IsNameCharacter(Peek())) field += Take();
    return ResolveIdentifier(name, field);
  }
  const std::int32_t field = ResolveIdentifier("", name);
  if (field != TokenIdentifier) return field;
  return Keyword(FindKeyword(name));
}

const KeywordEntry* ExprLexer::DottedWordHere() const {
  for (const KeywordEntry& entry : KeywordTable) {
    if (entry.Name.front() != '.') continue;
    std::size_t i = 0;
    while (i < entry.Name.size() && Peek(i) == entry.Name[i]) ++i;
    if (i == entry.Name.size()) return &entry;
  }
  return nullptr;
}

std::int32_t ExprLexer::Keyword(const KeywordEntry& entry) {
  if (entry.Token == TokenIdentifier) return TokenIdentifier;
  estimates_.pool += entry.PoolDemand;
  estimates_.width = 0;
  estimates_.decimals = 2;
  return entry.Token;
}

std::int32_t ExprLexer::ResolveIdentifier(std::string_view alias, std::string_view name) {
  const int area = alias.empty() ? CurrentWorkArea : AreaOfAlias(alias);
  const WorkAreaRecord* record = WorkArea(static_cast<unsigned>(area));
  if (record == nullptr) return TokenIdentifier;
  const auto& fields = record->FieldTable;
  const auto found = std::find_if(fields.begin(), fields.end(),
                                  [&](const FieldEntry& f) { return f.Name == name; });
  if (found == fields.end()) return TokenIdentifier;
  const std::int32_t token = FieldToken(found->FieldType);
  if (token == TokenIdentifier) return TokenIdentifier;
  // A name followed by "(" is a function, whatever fields there are.
  std::size_t ahead = 0;
  while (Peek(ahead) == ' ' || Peek(ahead) == '\t') ++ahead;
  if (Peek(ahead) == '(') return TokenIdentifier;

  fieldNumber_ = static_cast<int>(found - fields.begin()) + 1;
  areaNumber_ = alias.empty() ? 0 : area;
  estimates_.width = found->Length;
  if (token == TokenCharField) estimates_.pool += found->Length + 1u;
  if (token == TokenNumericField)
    estimates_.decimals =
        estimates_.decimals == CompileEstimates::kDecimalsUnset ? found->Decimals : 2;
  return alias.empty() ? token : token + AliasFieldOffset;
}

}  // namespace xbase::expr
