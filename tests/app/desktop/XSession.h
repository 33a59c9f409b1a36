#pragma once
// A virtual X display of a test's own: Xvfb on a display number that the server picks itself
// (-displayfd), so that tests running at the same time never meet, with the openbox window
// manager or none, and what the X server says about the windows on it.

#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace desktop_test {

// A window's place on the screen: its frame's when the window manager framed it.
struct Place {
  int x = 0, y = 0, width = 0, height = 0;
  bool framed = false;  // the window manager has given it its frame extents

  bool operator==(const Place&) const = default;
};

std::string Describe(const std::optional<Place>& place);

struct ScreenSize {
  int width = 1280, height = 1024;
};

class XSession {
 public:
  static constexpr int kScreenWidth = ScreenSize{}.width;
  static constexpr int kScreenHeight = ScreenSize{}.height;

  // Whether Xvfb is installed; desktop tests skip without it.
  static bool Available();

  enum class Manager { Openbox, None };

  // Starts Xvfb with a screen of that size and openbox, unless none is asked for (their files
  // under folder), and waits until both are up.
  explicit XSession(const std::string& folder, Manager manager = Manager::Openbox, ScreenSize screen = {});
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  const std::string& Display() const { return display_; }
  ScreenSize Screen() const { return screen_; }

  // The place of the viewable top-level window whose title is exactly title; nothing while
  // there is none.
  std::optional<Place> PlaceOf(const std::string& title);

  // Activates the viewable window of that title and types the keys into it (xdotool key names
  // separated by blanks, such as "ctrl+x" or "alt+p x"); false when there is no such window.
  bool TypeKeys(const std::string& title, const std::string& keys);

  // Gives the keyboard to the viewable window of that title, as a window manager would; false
  // when there is no such window.
  bool GiveKeyboard(const std::string& title);

  // Whether the viewable window of that title has the keyboard.
  bool HasKeyboard(const std::string& title);

  // Whether the window manager calls the viewable window of that title its active one.
  bool IsActive(const std::string& title);

  // Types the keys into whatever window has the keyboard now.
  bool TypeKeys(const std::string& keys);

  // Types the text into whatever window has the keyboard now.
  bool TypeText(const std::string& text);

 private:
  void StartServer();  // Xvfb on a display it finds free, connected to
  bool ManagesNewWindows();  // whether openbox maps a new window and lets it go again
  std::optional<xcb_window_t> FindWindow(xcb_window_t under, const std::string& title);
  std::string Title(xcb_window_t window);
  bool RunXdotool(std::vector<std::string> command, const std::string& keys);
  bool Viewable(xcb_window_t window);
  xcb_atom_t Atom(const char* name);

  std::string folder_;
  ScreenSize screen_;
  std::string display_;
  std::unique_ptr<ChildProcess> server_;
  std::unique_ptr<ChildProcess> windowManager_;
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
};

// Polls condition until it holds or the time is up; the last answer.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds within);

}  // namespace desktop_test
