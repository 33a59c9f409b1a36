#include "platform/gui/FileFilter.h"

#include <QFileInfo>

namespace platform::gui {

QStringList ToQtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) pattern = pattern.trimmed();
    patterns.removeAll(QString());
    if (patterns.isEmpty()) patterns << QStringLiteral("*");

    // Descriptions often repeat the patterns ("Programs (*.EXE)"); Qt reads the patterns from
    // the trailing parentheses, which must list them separated by blanks.
    QString description = parts[i].trimmed();
    for (const QString& separator : {QStringLiteral(";"), QStringLiteral(" ")}) {
      const QString shown = QLatin1Char('(') + patterns.join(separator) + QLatin1Char(')');
      if (description.endsWith(shown, Qt::CaseInsensitive)) {
        description.chop(shown.size());
        description = description.trimmed();
        break;
      }
    }
    const QString qtPatterns = QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    result << (description.isEmpty() ? qtPatterns : description + QLatin1Char(' ') + qtPatterns);
  }
  return result;
}

QString WithDefaultExt(const QString& fileName, const QString& defaultExt) {
  if (defaultExt.isEmpty() || fileName.isEmpty()) return fileName;
  if (QFileInfo(fileName).fileName().contains(QLatin1Char('.'))) return fileName;
  return fileName + QLatin1Char('.') + defaultExt;
}

}  // namespace platform::gui
