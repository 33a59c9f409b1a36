// The field properties of the current area's table.

#include "xbase/dataset/ucommon.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {

std::unique_ptr<TDbfFieldProps> BuildFieldProps(bool privateCopy) {
  const WorkAreaRecord* area = WorkArea(CurrentArea());
  if (area == nullptr) return nullptr;
  auto props = std::make_unique<TDbfFieldProps>();
  std::uint8_t* record = FieldAddress(0);
  const int count = FieldCount();
  for (int n = 1; n <= count; ++n) {
    props->fields_.push_back({Field(n), FieldType(n), static_cast<std::uint16_t>(FieldLen(n)),
                              static_cast<std::uint16_t>(FieldDec(n)),
                              static_cast<std::uint16_t>(FieldAddress(n) - record)});
  }
  if (privateCopy) {
    props->copy_.assign(record, record + area->TypedBufferSize);
    record = props->copy_.data();
  }
  props->recordData_ = record;
  return props;
}

}  // namespace xbase
