#include "tests/support/AppEnvironment.h"

#include <QDir>

#include "platform/gui/Clipboard.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/Pause.h"
#include "platform/gui/ProcessStarter.h"
#include "platform/gui/SettingsStore.h"
#include "platform/gui/Sound.h"
#include "platform/gui/SystemMetrics.h"
#include "platform/gui/WindowFinder.h"

namespace testing_support {

using namespace platform::gui;

void GuiTest::SetUp() {
  ASSERT_TRUE(temp_.isValid());
  for (const char* folder : {"config", "data", "home"}) ASSERT_TRUE(QDir(temp_.path()).mkpath(folder));

  savedSettingsRoot_ = SettingsStore::Root();
  SettingsStore::SetRoot(TempPath("config"));

  // The trash of the data folder is used only for files on the home folder's file system, so
  // the home folder moves into the temporary folder too.
  for (auto [name, folder] : {std::pair{"XDG_DATA_HOME", "data"}, {"HOME", "home"}}) {
    savedEnvironment_.push_back({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
    qputenv(name, TempPath(folder).toLocal8Bit());
  }

  savedPauseScale_ = PauseScale();
  SetPauseScale(0);
  SetFixedMetrics(FixedMetrics{});
  InstallDialogs(&dialogs);
  InstallSoundPlayer(&sounds);
  InstallHelpViewer(&help);
  InstallClipboard(&clipboard);
  InstallProcessStarter(&desktop);
  InstallWindowFinder(&desktop);
}

void GuiTest::TearDown() {
  InstallWindowFinder(nullptr);
  InstallProcessStarter(nullptr);
  InstallClipboard(nullptr);
  InstallHelpViewer(nullptr);
  InstallSoundPlayer(nullptr);
  InstallDialogs(nullptr);
  SetFixedMetrics(std::nullopt);
  SetPauseScale(savedPauseScale_);
  for (const SavedVariable& variable : savedEnvironment_) {
    if (variable.Value)
      qputenv(variable.Name, *variable.Value);
    else
      qunsetenv(variable.Name);
  }
  savedEnvironment_.clear();
  SettingsStore::SetRoot(savedSettingsRoot_);

  EXPECT_TRUE(dialogs.Unexpected().empty()) << ::testing::PrintToString(dialogs.Unexpected());
  EXPECT_EQ(dialogs.Pending(), 0) << "dialog expectations left unused";
}

QString GuiTest::TempPath(const QString& name) const { return temp_.filePath(name); }

}  // namespace testing_support
