#include "platform/gui/FontFamilies.h"

namespace platform::gui {

QString ResolveFontFamily(const QString& name) {
  static const struct {
    const char* Name;
    const char* Face;
  } substitutes[] = {
      {"Arial", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"},
      {"Courier New", "Liberation Mono"},
  };
  const QString wanted = name.trimmed();
  for (const auto& s : substitutes)
    if (wanted.compare(QLatin1String(s.Name), Qt::CaseInsensitive) == 0) return QString::fromLatin1(s.Face);
  return name;
}

}  // namespace platform::gui
