#include "app/puzzle/AtomicFile.h"

#include <QDir>
#include <QSaveFile>

#include "app/puzzle/XwdProcsUnit.h"

void WriteFileAtomically(const QString& FileName, std::string_view Bytes) {
  QSaveFile file(FileName);
  const auto fail = [&](const char* what) {
    throw EInOutError(QStringLiteral("Cannot %1 file \"%2\". %3.")
                          .arg(QLatin1String(what), QDir::toNativeSeparators(FileName), file.errorString())
                          .toStdString());
  };
  // Unbuffered, so that a short write (a full disk) shows in write's count: a buffered save
  // would meet it only while committing. A short write is tried again for the remainder,
  // which fails with the system's reason.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) fail("create");
  for (std::string_view rest = Bytes; !rest.empty();) {
    const qint64 written = file.write(rest.data(), static_cast<qint64>(rest.size()));
    if (written <= 0) fail("write");
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  if (!file.commit()) fail("write");
}
