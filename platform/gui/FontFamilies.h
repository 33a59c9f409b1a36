#pragma once
// The font families that stored settings and documents name, mapped to the metric-compatible
// faces installed here, so that text keeps its width and line breaks.

#include <QString>

namespace platform::gui {

// "Arial" gives "Liberation Sans", "Times New Roman" "Liberation Serif", "Courier New"
// "Liberation Mono" (any case); other names stand as they are.
QString ResolveFontFamily(const QString& name);

}  // namespace platform::gui
