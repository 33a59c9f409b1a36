#pragma once
// Every window and data module of the program, created once in a fixed order and alive for the
// whole run.

void CreateApplicationForms();
// Frees them in reverse order and clears their globals (tests build a fresh set per case).
void DestroyApplicationForms();
