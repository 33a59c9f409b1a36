#pragma once
// The table library as the program runs it. StartLibrary starts its units and gives it the
// program's services: the message loop for its waits, its message and progress windows, message
// boxes for its messages, and ends for its errors that keep the program and the puzzle: a table
// error shows its box and abandons the operation that failed (platform::db::EAbort, which the
// clue database window takes silently), never the program.

class TLibraryMessageDisplay;

void StartLibrary();
// Closes every table and shuts the library down; an error on the way is not reported.
void FinishLibrary();

// The display of the library's message windows while the library runs; null otherwise.
TLibraryMessageDisplay* LibraryMessageDisplay();
