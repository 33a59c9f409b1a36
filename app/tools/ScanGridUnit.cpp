#include "app/tools/ScanGridUnit.h"

TScanGridForm* ScanGridForm = nullptr;

TScanGridForm::TScanGridForm() { SetCaption("Scan Grid"); }
