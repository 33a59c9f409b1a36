#pragma once
// The help viewer on Qt: one window with the contents list, the keyword index and the page.
// The pages are compiled in (":/help/"), so the help file the caller names is not read.

#include <QPointer>

#include "platform/gui/HelpViewer.h"

namespace platform::gui {

class HelpWindow;

class QtHelpViewer final : public HelpViewer {
 public:
  ~QtHelpViewer() override;
  void ShowContents(const QString& helpFile) override;
  void ShowKeywordIndex(const QString& helpFile, const QString& keyword) override;
  void Quit() override;

 private:
  HelpWindow& Window();
  QPointer<HelpWindow> window_;
};

}  // namespace platform::gui
