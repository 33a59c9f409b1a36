#pragma once
// The free-resources figure of the about box. The system library that gave it elsewhere has no
// counterpart here, so the figure comes from a replaceable routine that answers 80.

// Asked for a kind of resources (0: the system's), the routine answers a percentage.
using TFreeResourcesRoutine = int (*)(int Kind);

int DefaultFreeResources(int Kind);

// The routine in force: DefaultFreeResources unless replaced.
extern TFreeResourcesRoutine FreeResourcesRoutine;

// The percentage of free system resources.
int GetFreeSystemResources();
