// The process starter for real: the configured file itself runs, as one program without
// arguments, and goes on after the program that started it has ended.

#include "platform/gui/ProcessStarter.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "ChildProcess.h"
#include "XSession.h"

namespace {

using namespace platform::gui;
using namespace std::chrono_literals;
using desktop_test::ChildProcess;
using desktop_test::WaitUntil;

class ProcessStarterTest : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return folder_.filePath(name); }

  void Write(const QString& path, const QByteArray& bytes, bool executable) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (executable) file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
  }

  static QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir folder_;
};

TEST_F(ProcessStarterTest, APathWithABlankRunsAsOneProgramThatOutlivesItsStarter) {
  ASSERT_TRUE(QDir(Path("")).mkdir("a b"));
  // Split at the blank, the path would run ".../a" with the argument "b/tool".
  Write(Path("a"), "#!/bin/sh\ntouch '" + Path("wrong").toUtf8() + "'\n", true);
  Write(Path("a b/tool"), "#!/bin/sh\necho \"$#\" > '" + Path("ran").toUtf8() + "'\nexec sleep 60\n", true);

  ChildProcess launcher({PROCESS_LAUNCHER, Path("a b/tool").toStdString(), Path("pid").toStdString()}, {});
  ASSERT_EQ(launcher.WaitForExit(30s), std::optional(0));
  const qint64 pid = Read(Path("pid")).toLongLong();
  ASSERT_GT(pid, 0) << Read(Path("pid")).constData();

  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(Path("ran")); }, 10s));
  EXPECT_EQ(Read(Path("ran")), "0\n") << "the program gets no arguments";
  EXPECT_FALSE(QFile::exists(Path("wrong")));

  ProcessStarter& starter = CurrentProcessStarter();
  EXPECT_TRUE(starter.IsRunning(pid)) << "the program goes on after its starter ended";
  EXPECT_NE(getsid(static_cast<pid_t>(pid)), getsid(0)) << "in a session of its own";
  kill(static_cast<pid_t>(pid), SIGTERM);
  EXPECT_TRUE(WaitUntil([&] { return !starter.IsRunning(pid); }, 10s));
}

TEST_F(ProcessStarterTest, AFileThatCannotRunStartsNothing) {
  Write(Path("notes.txt"), "not a program\n", false);
  ProcessStarter& starter = CurrentProcessStarter();
  for (const QString& path : {QString(), Path("missing"), Path("notes.txt"), Path("")})
    EXPECT_EQ(starter.Start(path), std::nullopt) << path.toStdString();
  EXPECT_FALSE(starter.IsRunning(0));
  EXPECT_FALSE(starter.IsRunning(-1));
}

}  // namespace
