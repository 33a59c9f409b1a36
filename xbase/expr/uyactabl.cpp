#include "xbase/expr/uyactabl.h"

#include <algorithm>

namespace xbase {
namespace {

constexpr KeywordEntry kKeywords[] = {
    {"ABS", TokenAbs, 0},
    {"ASC", TokenAsc, 0},
    {"AT", TokenAt, 0},
    {"CDOW", TokenCdow, 15},
    {"CHR", TokenChr, 2},
    {"CMON", TokenCmonth, 15},
    {"CMONT", TokenCmonth, 15},
    {"CMONTH", TokenCmonth, 15},
    {"CTOD", TokenCtod, 0},
    {"DATE", TokenDate, 0},
    {"DAY", TokenDay, 0},
    {"DELE", TokenDeleted, 0},
    {"DELET", TokenDeleted, 0},
    {"DELETE", TokenDeleted, 0},
    {"DELETED", TokenDeleted, 0},
    {"DOW", TokenDow, 0},
    {"DTOC", TokenDtoc, 11},
    {"DTOS", TokenDtos, 9},
    {"IIF", TokenIif, 256},
    {"INT", TokenInt, 0},
    {"LEFT", TokenLeft, 0},
    {"LEN", TokenLen, 0},
    {"LOWE", TokenLower, 0},
    {"LOWER", TokenLower, 0},
    {"LTRI", TokenLtrim, 0},
    {"LTRIM", TokenLtrim, 0},
    {"MAX", TokenMax, 0},
    {"MIN", TokenMin, 0},
    {"MOD", TokenMod, 0},
    {"MONT", TokenMonth, 0},
    {"MONTH", TokenMonth, 0},
    {"RECN", TokenRecno, 0},
    {"RECNO", TokenRecno, 0},
    {"REPL", TokenReplicate, 256},
    {"REPLI", TokenReplicate, 256},
    {"REPLIC", TokenReplicate, 256},
    {"REPLICA", TokenReplicate, 256},
    {"REPLICAT", TokenReplicate, 256},
    {"REPLICATE", TokenReplicate, 256},
    {"RIGH", TokenRight, 0},
    {"RIGHT", TokenRight, 0},
    {"ROUN", TokenRound, 0},
    {"ROUND", TokenRound, 0},
    {"RTRI", TokenRtrim, 0},
    {"RTRIM", TokenRtrim, 0},
    {"SOUN", TokenSoundex, 15},
    {"SOUND", TokenSoundex, 15},
    {"SOUNDE", TokenSoundex, 15},
    {"SOUNDEX", TokenSoundex, 15},
    {"SPAC", TokenSpace, 256},
    {"SPACE", TokenSpace, 256},
    {"STR", TokenStr, 256},
    {"STUF", TokenStuff, 0},
    {"STUFF", TokenStuff, 0},
    {"SUBS", TokenSubstr, 0},
    {"SUBST", TokenSubstr, 0},
    {"SUBSTR", TokenSubstr, 0},
    {"TRIM", TokenTrim, 0},
    {"UPPE", TokenUpper, 0},
    {"UPPER", TokenUpper, 0},
    {"VAL", TokenVal, 0},
    {"YEAR", TokenYear, 0},
    {".F.", TokenFalse, 0},
    {".T.", TokenTrue, 0},
    {".NOT.", TokenNot, 0},
    {".OR.", TokenOr, 0},
    {".AND.", TokenAnd, 0},
    {"$EOT$", TokenIdentifier, 0},
};

constexpr std::int32_t C = ExprChar;
constexpr std::int32_t N = ExprNumeric;
constexpr std::int32_t L = ExprLogical;
constexpr std::int32_t D = ExprDate;

constexpr OperandRule kPlus[] = {
    {N, N, OpAddNumbers, N}, {N, D, OpAddNumberDate, D}, {D, N, OpAddDateNumber, D}, {C, C, OpConcat, C}};
constexpr OperandRule kMinus[] = {{N, N, OpSubtractNumbers, N},
                                  {D, N, OpSubtractDateNumber, D},
                                  {D, D, OpSubtractDates, N},
                                  {C, C, OpConcatBlanksLast, C}};
constexpr OperandRule kMultiply[] = {{N, N, OpMultiply, N}};
constexpr OperandRule kDivide[] = {{N, N, OpDivide, N}};
constexpr OperandRule kPower[] = {{N, N, OpPower, N}};
constexpr OperandRule kEqual[] = {
    {N, N, OpEqualNumbers, L}, {D, D, OpEqualDates, L}, {C, C, OpEqualTexts, L}, {L, L, OpEqualLogicals, L}};
constexpr OperandRule kExact[] = {{C, C, OpExactTexts, L}};
constexpr OperandRule kContains[] = {{C, C, OpContains, L}};
constexpr OperandRule kGreater[] = {
    {N, N, OpGreaterNumbers, L}, {D, D, OpGreaterDates, L}, {C, C, OpGreaterTexts, L}};
constexpr OperandRule kLess[] = {{N, N, OpLessNumbers, L}, {D, D, OpLessDates, L}, {C, C, OpLessTexts, L}};
constexpr OperandRule kNotEqual[] = {{N, N, OpNotEqualNumbers, L},
                                     {D, D, OpNotEqualDates, L},
                                     {C, C, OpNotEqualTexts, L},
                                     {L, L, OpNotEqualLogicals, L}};
constexpr OperandRule kLessEqual[] = {
    {N, N, OpLessEqualNumbers, L}, {D, D, OpLessEqualDates, L}, {C, C, OpLessEqualTexts, L}};
constexpr OperandRule kGreaterEqual[] = {
    {N, N, OpGreaterEqualNumbers, L}, {D, D, OpGreaterEqualDates, L}, {C, C, OpGreaterEqualTexts, L}};
constexpr OperandRule kOr[] = {{L, L, OpOr, L}};
constexpr OperandRule kAnd[] = {{L, L, OpAnd, L}};
constexpr OperandRule kNot[] = {{0, L, OpNot, L}};
constexpr OperandRule kUnaryPlus[] = {{0, N, OpNone, N}};
constexpr OperandRule kUnaryMinus[] = {{0, N, OpNegate, N}};

constexpr OperatorEntry kBinaryOperators[] = {
    {TokenOr, ".OR.", 1, kOr},
    {TokenAnd, ".AND.", 2, kAnd},
    {'=', "=", 3, kEqual},
    {TokenNotEqual, "<>", 3, kNotEqual},
    {TokenExactEqual, "==", 4, kExact},
    {TokenContains, "$", 4, kContains},
    {'>', ">", 5, kGreater},
    {'<', "<", 5, kLess},
    {TokenLessEqual, "<=", 5, kLessEqual},
    {TokenGreaterEqual, ">=", 5, kGreaterEqual},
    {'+', "+", 6, kPlus},
    {'-', "-", 6, kMinus},
    {'*', "*", 7, kMultiply},
    {'/', "/", 7, kDivide},
    {'^', "** or ^", 8, kPower},
};

constexpr OperatorEntry kUnaryOperators[] = {
    {TokenNot, ".NOT.", 0, kNot},
    {'+', "Unary +", 0, kUnaryPlus},
    {'-', "Unary -", 0, kUnaryMinus},
};

constexpr FunctionSignature kNumberOfNumber[] = {{{N}, 1, N}};
constexpr FunctionSignature kNumberOfText[] = {{{C}, 1, N}};
constexpr FunctionSignature kNumberOfTwoTexts[] = {{{C, C}, 2, N}};
constexpr FunctionSignature kNumberOfDate[] = {{{D}, 1, N}};
constexpr FunctionSignature kNumberOfTwoNumbers[] = {{{N, N}, 2, N}};
constexpr FunctionSignature kMinMax[] = {{{N, N}, 2, N}, {{D, D}, 2, D}};
constexpr FunctionSignature kNumber[] = {{{}, 0, N}};
constexpr FunctionSignature kDateOfText[] = {{{C}, 1, D}};
constexpr FunctionSignature kDate[] = {{{}, 0, D}};
constexpr FunctionSignature kLogical[] = {{{}, 0, L}};
constexpr FunctionSignature kTextOfDate[] = {{{D}, 1, C}};
constexpr FunctionSignature kTextOfNumber[] = {{{N}, 1, C}};
constexpr FunctionSignature kTextOfText[] = {{{C}, 1, C}};
constexpr FunctionSignature kTextOfTextNumber[] = {{{C, N}, 2, C}};
constexpr FunctionSignature kSubstr[] = {{{C, N, N}, 3, C}};
constexpr FunctionSignature kStuff[] = {{{C, N, N, C}, 4, C}};
constexpr FunctionSignature kIif[] = {{{L, C, C}, 3, C}};
constexpr FunctionSignature kStr[] = {{{N}, 1, C}, {{N, N}, 2, C}, {{N, N, N}, 3, C}};

constexpr FunctionEntry kFunctions[] = {
    {TokenAbs, "ABS", kNumberOfNumber},
    {TokenAsc, "ASC", kNumberOfText},
    {TokenAt, "AT", kNumberOfTwoTexts},
    {TokenCdow, "CDOW", kTextOfDate},
    {TokenChr, "CHR", kTextOfNumber},
    {TokenCmonth, "CMONTH", kTextOfDate},
    {TokenCtod, "CTOD", kDateOfText},
    {TokenDate, "DATE", kDate},
    {TokenDay, "DAY", kNumberOfDate},
    {TokenDeleted, "DELETED", kLogical},
    {TokenDow, "DOW", kNumberOfDate},
    {TokenDtoc, "DTOC", kTextOfDate},
    {TokenDtos, "DTOS", kTextOfDate},
    {TokenIif, "IIF", kIif},
    {TokenInt, "INT", kNumberOfNumber},
    {TokenLeft, "LEFT", kTextOfTextNumber},
    {TokenLen, "LEN", kNumberOfText},
    {TokenLower, "LOWER", kTextOfText},
    {TokenLtrim, "LTRIM", kTextOfText},
    {TokenMax, "MAX", kMinMax},
    {TokenMin, "MIN", kMinMax},
    {TokenMod, "MOD", kNumberOfTwoNumbers},
    {TokenMonth, "MONTH", kNumberOfDate},
    {TokenRecno, "RECNO", kNumber},
    {TokenReplicate, "REPLICATE", kTextOfTextNumber},
    {TokenRight, "RIGHT", kTextOfTextNumber},
    {TokenRound, "ROUND", kNumberOfTwoNumbers},
    {TokenRtrim, "RTRIM", kTextOfText},
    {TokenSoundex, "SOUNDEX", kTextOfText},
    {TokenSpace, "SPACE", kTextOfNumber},
    {TokenStr, "STR", kStr},
    {TokenStuff, "STUFF", kStuff},
    {TokenSubstr, "SUBSTR", kSubstr},
    {TokenTrim, "TRIM", kTextOfText},
    {TokenUpper, "UPPER", kTextOfText},
    {TokenVal, "VAL", kNumberOfText},
    {TokenYear, "YEAR", kNumberOfDate},
};

}  // namespace

const std::span<const KeywordEntry> KeywordTable = kKeywords;

const KeywordEntry& FindKeyword(std::string_view name) {
  const auto* found = std::find_if(std::begin(kKeywords), std::end(kKeywords) - 1,
                                   [&](const KeywordEntry& e) { return e.Name == name; });
  return *found;
}

const OperatorEntry* BinaryOperator(std::int32_t token, int level) {
  for (const auto& entry : kBinaryOperators)
    if (entry.Token == token && entry.Level == level) return &entry;
  return nullptr;
}

const OperatorEntry* UnaryOperator(std::int32_t token) {
  for (const auto& entry : kUnaryOperators)
    if (entry.Token == token) return &entry;
  return nullptr;
}

const OperandRule* FindRule(const OperatorEntry& entry, std::int32_t left, std::int32_t right) {
  for (const auto& rule : entry.Rules)
    if (rule.Left == left && rule.Right == right) return &rule;
  return nullptr;
}

const FunctionEntry* FindFunction(std::int32_t token) {
  for (const auto& entry : kFunctions)
    if (entry.Token == token) return &entry;
  return nullptr;
}

bool TakesArguments(const FunctionEntry& entry, std::size_t count) {
  return std::any_of(entry.Signatures.begin(), entry.Signatures.end(),
                     [&](const FunctionSignature& s) { return s.Count == count; });
}

bool TakesMoreArguments(const FunctionEntry& entry, std::size_t count) {
  return std::any_of(entry.Signatures.begin(), entry.Signatures.end(),
                     [&](const FunctionSignature& s) { return s.Count > count; });
}

const FunctionSignature* FindSignature(const FunctionEntry& entry,
                                       std::span<const std::int32_t> arguments) {
  for (const auto& signature : entry.Signatures) {
    if (signature.Count == arguments.size() &&
        std::equal(arguments.begin(), arguments.end(), signature.Arguments.begin()))
      return &signature;
  }
  return nullptr;
}

char TypeLetter(std::int32_t type) {
  switch (type) {
    case ExprChar: return 'C';
    case ExprNumeric: return 'N';
    case ExprLogical: return 'L';
    case ExprDate: return 'D';
    default: return 'M';
  }
}

}  // namespace xbase
