#pragma once
// The tables of the expression compiler: the numbers of value types, tokens and opcodes (the
// index engine reads compiled code by them, so they never change), the keyword table with its
// accepted abbreviations, and the type rules of every operator and function.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace xbase {

// Value types of expressions and of their code entries.
enum ExprType : std::int32_t {
  ExprChar = 331,
  ExprNumeric = 332,  // F fields read as N
  ExprLogical = 333,
  ExprDate = 334,
  ExprMemo = 335,
};

// Tokens of the lexer. A single character that is no part of a longer token is its own code
// ( ) , + - * / ^ = > < and any other byte.
enum Token : std::int32_t {
  TokenEnd = 0,
  // Functions, 257 to 320; the opcode of a call is its token.
  TokenAbs = 257,
  TokenAsc = 259,
  TokenAt = 261,
  TokenCdow = 264,
  TokenChr = 266,
  TokenCmonth = 267,
  TokenCtod = 269,
  TokenDate = 270,
  TokenDay = 271,
  TokenDeleted = 272,
  TokenDow = 274,
  TokenDtoc = 275,
  TokenDtos = 277,
  TokenIif = 283,
  TokenInt = 284,
  TokenLeft = 288,
  TokenLen = 289,
  TokenLower = 292,
  TokenLtrim = 293,
  TokenMax = 294,
  TokenMin = 295,
  TokenMod = 296,
  TokenMonth = 297,
  TokenRecno = 300,
  TokenReplicate = 301,
  TokenRight = 302,
  TokenRound = 303,
  TokenRtrim = 305,
  TokenSoundex = 308,
  TokenSpace = 310,
  TokenStr = 311,
  TokenStuff = 312,
  TokenSubstr = 313,
  TokenTrim = 316,
  TokenUpper = 318,
  TokenVal = 319,
  TokenYear = 320,
  // Fields of the current area, by type; the opcode of a field read is its token.
  TokenCharField = 321,
  TokenNumericField = 322,
  TokenLogicalField = 323,
  TokenDateField = 324,
  TokenMemoField = 325,
  // The same named as alias->field.
  TokenAliasCharField = 326,
  TokenAliasNumericField = 327,
  TokenAliasLogicalField = 328,
  TokenAliasDateField = 329,
  TokenAliasMemoField = 330,
  TokenCharLiteral = 331,
  TokenNumericLiteral = 332,
  TokenIdentifier = 336,  // any other name
  TokenFalse = 337,
  TokenTrue = 338,
  TokenNot = 339,
  TokenOr = 340,
  TokenAnd = 341,
  TokenNotEqual = 342,  // <> or #
  TokenLessEqual = 343,
  TokenGreaterEqual = 344,
  TokenExactEqual = 345,  // ==
  TokenContains = 346,    // $
};

inline constexpr std::int32_t FirstFunctionToken = 257;
inline constexpr std::int32_t LastFunctionToken = 320;
inline constexpr std::int32_t AliasFieldOffset = TokenAliasCharField - TokenCharField;

// Opcodes of code entries besides functions and fields.
enum Opcode : std::int32_t {
  OpEnd = -1,
  OpLiteral = 0,
  OpAddNumbers = 347,
  OpAddNumberDate = 348,
  OpAddDateNumber = 349,
  OpConcat = 350,
  OpSubtractNumbers = 351,
  OpSubtractDateNumber = 352,
  OpSubtractDates = 353,
  OpConcatBlanksLast = 354,  // text - text: the trailing blanks of the left text move after the right
  OpMultiply = 355,
  OpDivide = 356,
  OpPower = 357,
  OpEqualNumbers = 358,
  OpEqualDates = 359,
  OpEqualTexts = 360,  // the left text begins with the right one
  OpEqualLogicals = 361,
  OpExactTexts = 362,
  OpContains = 363,
  OpGreaterNumbers = 364,
  OpGreaterDates = 365,
  OpGreaterTexts = 366,
  OpLessNumbers = 367,
  OpLessDates = 368,
  OpLessTexts = 369,
  OpNotEqualNumbers = 370,
  OpNotEqualDates = 371,
  OpNotEqualTexts = 372,
  OpNotEqualLogicals = 373,
  OpLessEqualNumbers = 374,
  OpLessEqualDates = 375,
  OpLessEqualTexts = 376,
  OpGreaterEqualNumbers = 377,
  OpGreaterEqualDates = 378,
  OpGreaterEqualTexts = 379,
  OpOr = 380,
  OpAnd = 381,
  OpNot = 382,
  OpNegate = 383,
};

// ---------------------------------------------------------------------------------------------
// Keywords: function names with their accepted abbreviations, and the dotted words. A keyword
// adds its pool demand (the working-pool bytes its result needs) to the compile's estimate.

struct KeywordEntry {
  std::string_view Name;  // at most 10 characters
  std::int32_t Token;
  std::uint16_t PoolDemand;
};

// Ends with the entry "$EOT$" (an unknown name).
extern const std::span<const KeywordEntry> KeywordTable;

// The entry of a name (upper case, exactly as spelled); the "$EOT$" entry when there is none.
const KeywordEntry& FindKeyword(std::string_view name);

// ---------------------------------------------------------------------------------------------
// Type rules

// No opcode: unary + leaves its operand as it is.
inline constexpr std::int32_t OpNone = -2;

struct OperandRule {
  std::int32_t Left;   // 0 for a unary operator
  std::int32_t Right;  // the operand of a unary operator
  std::int32_t Opcode;
  std::int32_t Result;
};

struct OperatorEntry {
  std::int32_t Token;
  std::string_view Name;  // as type mismatches name it
  int Level;              // binary operators: 1 (.OR.) binds loosest, 8 (^) tightest; unary 0
  std::span<const OperandRule> Rules;
};

inline constexpr int LoosestLevel = 1;
inline constexpr int TightestLevel = 8;

// The binary operator of a token at a level, or null.
const OperatorEntry* BinaryOperator(std::int32_t token, int level);

// The unary operator of a token (- + .NOT.), or null.
const OperatorEntry* UnaryOperator(std::int32_t token);

// The rule of an operator for its operand types, or null for a type mismatch.
const OperandRule* FindRule(const OperatorEntry& entry, std::int32_t left, std::int32_t right);

struct FunctionSignature {
  std::array<std::int32_t, 4> Arguments;
  std::size_t Count;
  std::int32_t Result;
};

struct FunctionEntry {
  std::int32_t Token;
  std::string_view Name;  // the full name, as type mismatches name it
  std::span<const FunctionSignature> Signatures;
};

// The function of a token (257 to 320), or null.
const FunctionEntry* FindFunction(std::int32_t token);

// Whether some signature of the function takes `count` arguments, or more than `count`.
bool TakesArguments(const FunctionEntry& entry, std::size_t count);
bool TakesMoreArguments(const FunctionEntry& entry, std::size_t count);

// The signature for the argument types, or null for a type mismatch.
const FunctionSignature* FindSignature(const FunctionEntry& entry,
                                       std::span<const std::int32_t> arguments);

// The letter of a value type: C, N, L, D or M.
char TypeLetter(std::int32_t type);

}  // namespace xbase
