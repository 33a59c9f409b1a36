#pragma once
// The files an export writes: their names, derived from the name chosen in the save dialog,
// and the one way they are written.

#include <QString>
#include <string_view>

// The name without its extension, the folder kept: "/a/Puzzle.ps" gives "/a/Puzzle", and
// a name without an extension stays as it is. The exports add their own, in capitals: ".TXT",
// "-A.EPS".
QString WithoutExtension(const QString& FileName);

// Writes an export file whole (see AtomicFile.h). As on a file system that ignores case, an
// existing file whose name differs only in case is the one replaced, under its own name: the
// "Sunday.eps" that the save dialog offered to replace is replaced by Sunday.EPS.
void WriteExportFile(const QString& FileName, std::string_view Bytes);
