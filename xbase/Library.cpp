#include "xbase/Library.h"

#include "xbase/core/ovcommon.h"
#include "xbase/core/timedate.h"
#include "xbase/dataset/ovprimds.h"
#include "xbase/dataset/ucommon.h"
#include "xbase/expr/ovparser.h"
#include "xbase/index/ovndx.h"
#include "xbase/memo/memo.h"
#include "xbase/workarea/dbf4.h"

namespace xbase {
namespace {

void InitUnits(const platform::os::Language& language) {
  OvCommonInit(language);
  TimeDateInit();
  Dbf4Init();
  ParserInit();
  MemoInit();
  OvNdxInit();
  UCommonInit(language);
}

}  // namespace

void Init() {
  InitUnits(platform::os::UserLanguage());
  ApplyLocaleDateFormat();
}

void Done() {
  OvPrimDsDone();
  OvNdxDone();
  ParserDone();
  Dbf4Done();
  OvCommonDone();
}

void ResetForTests(const platform::os::Language& language) { InitUnits(language); }

}  // namespace xbase
