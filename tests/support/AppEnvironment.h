#pragma once
// The fixture for tests that use the platform services. Per test it makes a temporary folder
// and points the settings store (<tmp>/config), the trash (<tmp>/data/Trash) and the home folder
// (<tmp>/home) into it; it sets pauses to return at once, fixes the system metrics and installs
// scripted dialogs, a sound recorder, a help recorder, a recording clipboard and a fake desktop
// for the programs the Tools menu starts. At the end it
// puts everything back and fails the test on any unexpected dialog or unused expectation.
//
// A fixture that overrides SetUp or TearDown calls GuiTest's first.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QTemporaryDir>
#include <optional>

#include "tests/support/FakeDesktop.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RecordingClipboard.h"
#include "tests/support/RecordingHelpViewer.h"
#include "tests/support/RecordingSoundPlayer.h"
#include "tests/support/ScriptedDialogs.h"

namespace testing_support {

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A path inside this test's temporary folder.
  QString TempPath(const QString& name) const;

  ScriptedDialogs dialogs;
  RecordingSoundPlayer sounds;
  RecordingHelpViewer help;
  RecordingClipboard clipboard;
  FakeDesktop desktop;

 private:
  struct SavedVariable {
    const char* Name;
    std::optional<QByteArray> Value;
  };

  QTemporaryDir temp_;
  QString savedSettingsRoot_;
  double savedPauseScale_ = 1.0;
  std::vector<SavedVariable> savedEnvironment_;
};

}  // namespace testing_support
