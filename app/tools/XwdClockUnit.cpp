#include "app/tools/XwdClockUnit.h"

TXwdClockForm* XwdClockForm = nullptr;

TXwdClockForm::TXwdClockForm() { SetCaption("Clock"); }
