#include "xbase/Library.h"

#include "xbase/core/ovcommon.h"
#include "xbase/core/timedate.h"

namespace xbase {
namespace {

void InitUnits(const platform::os::Language& language) {
  OvCommonInit(language);
  TimeDateInit();
}

}  // namespace

void Init() { InitUnits(platform::os::UserLanguage()); }

void Done() { OvCommonDone(); }

void ResetForTests(const platform::os::Language& language) { InitUnits(language); }

}  // namespace xbase
