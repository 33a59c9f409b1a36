#include "platform/gui/HelpIndex.h"

#include <QStringList>
#include <algorithm>

namespace platform::gui {

HelpIndex ParseHelpIndex(const QString& text) {
  HelpIndex index;
  std::vector<HelpEntry>* section = nullptr;
  for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
    const QString line = rawLine.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      const QString name = line.mid(1, line.size() - 2).trimmed();
      if (name.compare(QLatin1String("Contents"), Qt::CaseInsensitive) == 0)
        section = &index.Contents;
      else if (name.compare(QLatin1String("Keywords"), Qt::CaseInsensitive) == 0)
        section = &index.Keywords;
      else
        section = nullptr;
      continue;
    }
    const qsizetype bar = line.lastIndexOf(QLatin1Char('|'));
    if (!section || bar < 0) continue;
    HelpEntry entry{line.left(bar).trimmed(), line.mid(bar + 1).trimmed()};
    if (entry.Text.isEmpty() || entry.Page.isEmpty()) continue;
    section->push_back(std::move(entry));
  }
  std::stable_sort(index.Keywords.begin(), index.Keywords.end(), [](const HelpEntry& a, const HelpEntry& b) {
    return a.Text.compare(b.Text, Qt::CaseInsensitive) < 0;
  });
  return index;
}

}  // namespace platform::gui
