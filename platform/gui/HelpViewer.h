#pragma once
// The help viewer: the program's own help pages in a window with a contents list and a
// keyword index.

#include <QString>

namespace platform::gui {

class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  virtual void ShowContents(const QString& helpFile) = 0;
  // An empty keyword opens the index with nothing chosen.
  virtual void ShowKeywordIndex(const QString& helpFile, const QString& keyword) = 0;
  virtual void Quit() = 0;
};

HelpViewer& CurrentHelpViewer();
// nullptr restores the Qt viewer. The caller keeps ownership.
void InstallHelpViewer(HelpViewer* viewer);

}  // namespace platform::gui
