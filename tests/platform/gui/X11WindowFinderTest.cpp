// The window finder on a real X server of the test's own, with a window manager: it finds
// other programs' windows by title and by process, brings them forward and restores them.

#include "platform/gui/X11WindowFinder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "ChildProcess.h"
#include "XSession.h"
#include "platform/gui/ProcessStarter.h"

namespace {

using namespace platform::gui;
using namespace std::chrono_literals;
using desktop_test::ChildProcess;
using desktop_test::WaitUntil;
using desktop_test::XSession;

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// What the test itself asks of the X server: the active window, and a minimise request as a
// user's click on the window's minimise button makes it.
class Observer {
 public:
  explicit Observer(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~Observer() { xcb_disconnect(connection_); }

  WindowId ActiveWindow() {
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, 0, root_, Atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
                               nullptr),
        &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) < 4) return 0;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
  }

  void Minimize(WindowId window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window);
    message.type = Atom("WM_CHANGE_STATE");
    message.data.data32[0] = 3;  // IconicState
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
  }

  bool Viewable(WindowId window) {
    Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, static_cast<xcb_window_t>(window)), nullptr),
        &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
  }

 private:
  xcb_atom_t Atom(const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection_,
                              xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
                              nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
};

class X11WindowFinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!XSession::Available()) GTEST_SKIP() << "no Xvfb";
    ASSERT_TRUE(folder_.isValid());
    session_ = std::make_unique<XSession>(folder_.path().toStdString());
    finder_ = std::make_unique<X11WindowFinder>(session_->Display());
    observer_ = std::make_unique<Observer>(session_->Display());
    ASSERT_TRUE(finder_->Connected());
  }

  void TearDown() override {
    observer_.reset();
    finder_.reset();
    programs_.clear();
    session_.reset();
  }

  // xmessage: an old-style client that gives its title but not its process (_NET_WM_PID).
  void XMessage(const std::string& title) {
    programs_.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{"xmessage", "-title", title, title},
        ChildProcess::Options{folder_.path().toStdString(), {{"DISPLAY", session_->Display()}}}));
  }

  WindowId Await(const QString& title) {
    WindowId window = 0;
    WaitUntil([&] { return (window = finder_->FindByTitle(title)) != 0; }, 20s);
    return window;
  }

  QTemporaryDir folder_;
  std::unique_ptr<XSession> session_;
  std::unique_ptr<X11WindowFinder> finder_;
  std::unique_ptr<Observer> observer_;
  std::vector<std::unique_ptr<ChildProcess>> programs_;
};

TEST_F(X11WindowFinderTest, FindsAWindowByItsExactTitleBringsItForwardAndRestoresIt) {
  XMessage("Quillmere Hintvault");
  const WindowId hintvault = Await("Quillmere Hintvault");
  ASSERT_NE(hintvault, 0u);
  EXPECT_EQ(finder_->FindByTitle("Quillmere Hintvaul"), 0u);
  EXPECT_EQ(finder_->FindByTitle("quillmere hintvault"), 0u);
  // xmessage does not name its process: the X server knows it.
  const std::int64_t xmessage = programs_.front()->Pid();
  EXPECT_EQ(finder_->ProcessOf(hintvault), xmessage);
  EXPECT_EQ(finder_->FindByProcess(xmessage), hintvault);
  EXPECT_FALSE(finder_->IsMinimized(hintvault));

  // A newer window takes the front; asked for, Hintvault comes back to it.
  XMessage("Quillmere Postwick");
  const WindowId postwick = Await("Quillmere Postwick");
  ASSERT_NE(postwick, 0u);
  ASSERT_TRUE(WaitUntil([&] { return observer_->ActiveWindow() == postwick; }, 20s));
  EXPECT_TRUE(finder_->BringToTop(hintvault));
  EXPECT_TRUE(WaitUntil([&] { return observer_->ActiveWindow() == hintvault; }, 20s));

  observer_->Minimize(hintvault);
  ASSERT_TRUE(WaitUntil([&] { return finder_->IsMinimized(hintvault); }, 20s));
  EXPECT_FALSE(observer_->Viewable(hintvault));
  finder_->Restore(hintvault);
  EXPECT_TRUE(WaitUntil([&] { return !finder_->IsMinimized(hintvault) && observer_->Viewable(hintvault); }, 20s));
  EXPECT_TRUE(WaitUntil([&] { return observer_->ActiveWindow() == hintvault; }, 20s));

  // Once the program has ended its window is nothing to bring forward.
  programs_.front().reset();
  EXPECT_TRUE(WaitUntil([&] { return finder_->FindByTitle("Quillmere Hintvault") == 0; }, 20s));
  EXPECT_FALSE(finder_->BringToTop(hintvault));
  EXPECT_FALSE(finder_->BringToTop(0));
}

TEST_F(X11WindowFinderTest, FindsTheWindowOfAStartedProgramByItsProcess) {
  // The program a user configured: a path with a blank, started as it stands.
  ASSERT_TRUE(QDir(folder_.path()).mkdir("my tools"));
  const QString path = folder_.filePath("my tools/Jotterly");
  {
    QFile script(path);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QByteArray("#!/bin/sh\nexec '") + TITLED_WINDOW + "' 'Quillmere Jotterly'\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
  }
  const QByteArray display = qgetenv("DISPLAY");
  qputenv("DISPLAY", QByteArray::fromStdString(session_->Display()));
  const auto pid = CurrentProcessStarter().Start(path);
  qputenv("DISPLAY", display);
  ASSERT_TRUE(pid.has_value());

  WindowId window = 0;
  ASSERT_TRUE(WaitUntil([&] { return (window = finder_->FindByProcess(*pid)) != 0; }, 20s));
  EXPECT_EQ(finder_->FindByTitle("Quillmere Jotterly"), window);
  EXPECT_EQ(finder_->ProcessOf(window), pid);
  EXPECT_EQ(finder_->FindByProcess(*pid + 100000), 0u);

  kill(static_cast<pid_t>(*pid), SIGTERM);
  EXPECT_TRUE(WaitUntil([&] { return finder_->FindByProcess(*pid) == 0; }, 20s));
  EXPECT_EQ(finder_->ProcessOf(window), std::nullopt);
}

}  // namespace
