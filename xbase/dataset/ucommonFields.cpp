// The field classes of the dataset classes: dates in the library's layout, numbers of the
// table's width.

#include "xbase/core/ovcommon.h"
#include "xbase/core/ovutils.h"
#include "xbase/core/timedate.h"
#include "xbase/dataset/ucommon.h"

namespace xbase {

std::string TOvDateField::GetText(bool displayText) const {
  const std::string text = TDateField::GetText(displayText);
  std::string start = text.substr(0, 10);
  std::string check = start;
  return IsValidDate(check) ? start : text;
}

void TOvDateField::SetAsString(const std::string& value) {
  const std::string trimmed = AllTrim(value);
  if (trimmed.empty() || trimmed == AllTrim(BlankDatePicture(SetDateCode)))
    Clear();
  else
    SetAsDateTime(DbfDateToDateTime(value, false));
}

void TOvFloatField::CheckTypeSize(int size) const {
  if (size < 0 || size > 20) TFloatField::CheckTypeSize(size);
}

void TOvIntegerField::CheckTypeSize(int size) const {
  if (size < 0 || size > 20) TIntegerField::CheckTypeSize(size);
}

}  // namespace xbase
