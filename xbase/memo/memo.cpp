// Start-up of the memo store: its hooks into the lower layers and its settings.

#include "xbase/memo/memo.h"

#include "xbase/core/ovcommon.h"

namespace xbase {

void MemoInit() {
  MemoLockTries = 11;
  MemoLockWait = std::chrono::milliseconds(10);
  MemoHookTable.AssignMemo = AssignMemo;
  MemoHookTable.PackMemofile = PackMemofile;
  MemoHookTable.OpenMemo = OpenMemofile;
  MemoHookTable.CloseMemo = CloseMemofile;
  MemoHookTable.Slot4 = [](std::uint8_t area, std::int32_t block) {
    return CopyMemo(area, block, false);
  };
  MemoHookTable.Slot5 = [](std::uint8_t area, std::int32_t block) {
    return CopyMemo(area, block, true);
  };
  MemoHookTable.CreateMemo = CreateMemo;
  MemoHookTable.AddMemo = [](const std::string& text) { return AddMemo(text); };
}

}  // namespace xbase
