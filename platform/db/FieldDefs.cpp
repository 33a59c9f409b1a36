#include "platform/db/FieldDefs.h"

#include <algorithm>

#include "platform/os/CodePage1252.h"

namespace platform::db {

bool SameFieldName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return platform::os::AnsiUpper(static_cast<std::uint8_t>(x)) ==
                  platform::os::AnsiUpper(static_cast<std::uint8_t>(y));
         });
}

const TFieldDef& TFieldDefs::Add(std::string name, TFieldType dataType, int size, bool required) {
  const int fieldNo = Count() + 1;
  return defs_.emplace_back(TFieldDef{std::move(name), dataType, size, required, fieldNo});
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
  const auto found = std::find_if(defs_.begin(), defs_.end(),
                                  [name](const TFieldDef& def) { return SameFieldName(def.Name, name); });
  return found == defs_.end() ? nullptr : &*found;
}

}  // namespace platform::db
