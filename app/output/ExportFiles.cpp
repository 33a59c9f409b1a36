#include "app/output/ExportFiles.h"

#include <QDir>
#include <QFileInfo>

#include "app/puzzle/AtomicFile.h"

QString WithoutExtension(const QString& FileName) {
  const qsizetype dot = FileName.lastIndexOf('.');
  return dot > FileName.lastIndexOf('/') ? FileName.left(dot) : FileName;
}

namespace {

QString ExistingSpelling(const QString& FileName) {
  const QFileInfo target(FileName);
  if (target.exists()) return FileName;
  const QDir folder = target.dir();
  for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
    if (name.compare(target.fileName(), Qt::CaseInsensitive) == 0) return folder.filePath(name);
  return FileName;
}

}  // namespace

void WriteExportFile(const QString& FileName, std::string_view Bytes) {
  WriteFileAtomically(ExistingSpelling(FileName), Bytes);
}
