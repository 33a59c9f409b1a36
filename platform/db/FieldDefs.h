#pragma once
// The definitions of a dataset's fields as its table declares them, from which the dataset
// makes its default fields.

#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DbTypes.h"

namespace platform::db {

struct TFieldDef {
  std::string Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
  bool Required = false;
  int FieldNo = 0;  // 1-based position
};

class TFieldDefs {
 public:
  void Clear() { defs_.clear(); }
  const TFieldDef& Add(std::string name, TFieldType dataType, int size = 0, bool required = false);

  int Count() const { return static_cast<int>(defs_.size()); }
  const TFieldDef& operator[](int index) const { return defs_.at(static_cast<std::size_t>(index)); }
  // The definition of that name, case ignored; null when there is none.
  const TFieldDef* Find(std::string_view name) const;

  auto begin() const { return defs_.begin(); }
  auto end() const { return defs_.end(); }

 private:
  std::vector<TFieldDef> defs_;
};

// Field names compare without regard to case (Windows-1252 case rules).
bool SameFieldName(std::string_view a, std::string_view b);

}  // namespace platform::db
