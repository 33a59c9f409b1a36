#pragma once
// Writes a whole file through a temporary file beside it, renamed over the target only when
// everything is written, so that a failure never leaves a cut-off file, a temporary file, or a
// damaged old file behind. Used for puzzle files and every export.

#include <QString>
#include <string_view>

// Raises EInOutError naming the file and the system's reason.
void WriteFileAtomically(const QString& FileName, std::string_view Bytes);
