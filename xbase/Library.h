#pragma once
// Start-up and shut-down of the table library. Each unit has one Init and one Done; they run
// here in unit order (Done in reverse), never from static constructors, so that no order of
// static initialisation can matter. A new unit adds its Init and Done to Library.cpp.

#include "platform/os/UserLanguage.h"

namespace xbase {

// Starts every unit; the date layout and separators follow the user's language, and then the
// platform's date format of that language (ApplyLocaleDateFormat).
void Init();

// Shuts every unit down.
void Done();

// Puts every unit back into its start-up state as if the process had just started with
// `language` (by default the C locale), so that tests neither depend on each other nor on the
// machine's locale. Note that this restores the default modes: raising is off again. The
// platform's date format is set for the language but not taken over: tests of the dataset
// classes call ApplyLocaleDateFormat themselves.
void ResetForTests(const platform::os::Language& language = {});

}  // namespace xbase
