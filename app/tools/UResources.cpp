#include "app/tools/UResources.h"

int DefaultFreeResources(int) { return 80; }

TFreeResourcesRoutine FreeResourcesRoutine = DefaultFreeResources;

int GetFreeSystemResources() { return FreeResourcesRoutine(0); }
