#include "xbase/Library.h"

#include "xbase/core/ovcommon.h"
#include "xbase/core/timedate.h"
#include "xbase/expr/ovparser.h"
#include "xbase/index/ovndx.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {
namespace {

void InitUnits(const platform::os::Language& language) {
  OvCommonInit(language);
  TimeDateInit();
  Dbf4Init();
  ParserInit();
  OvNdxInit();
}

}  // namespace

void Init() { InitUnits(platform::os::UserLanguage()); }

void Done() {
  OvNdxDone();
  ParserDone();
  Dbf4Done();
  OvCommonDone();
}

void ResetForTests(const platform::os::Language& language) { InitUnits(language); }

}  // namespace xbase
