#include "XSession.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace desktop_test {
namespace {

constexpr auto kStartTime = std::chrono::seconds(30);

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> Owned(T* reply) {
  return Reply<T>(reply, &std::free);
}

// The display number Xvfb writes to the descriptor once it accepts clients.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  const auto until = std::chrono::steady_clock::now() + kStartTime;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw std::runtime_error("Xvfb did not start");
    pollfd ready{fd, POLLIN, 0};
    const int n = poll(&ready, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) continue;
    char c;
    const ssize_t got = read(fd, &c, 1);
    if (got <= 0) throw std::runtime_error("Xvfb ended before it started");
    if (c == '\n') return number;
    number += c;
  }
}

}  // namespace

std::string Describe(const std::optional<Place>& place) {
  if (!place) return "no window";
  return std::to_string(place->x) + "," + std::to_string(place->y) + " " + std::to_string(place->width) + "x" +
         std::to_string(place->height) + (place->framed ? " framed" : " unframed");
}

void XSession::StartServer() {
  int pipe[2];
  if (pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  const std::string screen = std::to_string(screen_.width) + "x" + std::to_string(screen_.height) + "x24";
  server_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(pipe[1]), "-screen", "0", screen,
                               "-nolisten", "tcp"},
      ChildProcess::Options{folder_, {}, pipe[1]});
  close(pipe[1]);
  try {
    display_ = ":" + ReadDisplayNumber(pipe[0]);
  } catch (...) {
    close(pipe[0]);
    server_.reset();
    throw;
  }
  close(pipe[0]);
  connection_ = xcb_connect(display_.c_str(), nullptr);
  if (xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    connection_ = nullptr;
    server_.reset();
    throw std::runtime_error("cannot connect to " + display_);
  }
}

bool XSession::Available() { return access("/usr/bin/Xvfb", X_OK) == 0; }

XSession::XSession(const std::string& folder, Manager manager, ScreenSize screen) : folder_(folder), screen_(screen) {
  // Two servers starting at once may both try the same free display; the loser ends, at once or
  // just after naming it, and a second try finds the next one.
  for (int attempt = 1;; ++attempt) {
    try {
      StartServer();
      break;
    } catch (const std::runtime_error&) {
      if (attempt == 5) throw;
    }
  }

  root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  if (manager == Manager::None) return;

  // The window manager's own settings stay in the test's folder.
  windowManager_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"openbox", "--sm-disable"},
      ChildProcess::Options{folder, {{"DISPLAY", display_}, {"HOME", folder}, {"XDG_CONFIG_HOME", folder + "/config"}}});
  const xcb_atom_t check = Atom("_NET_SUPPORTING_WM_CHECK");
  const bool managed = WaitUntil(
      [&] {
        auto reply = Owned(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, root_, check, XCB_ATOM_WINDOW, 0, 1), nullptr));
        return reply && xcb_get_property_value_length(reply.get()) > 0;
      },
      kStartTime);
  if (!managed) throw std::runtime_error("openbox did not start");
  // openbox names itself before it handles map requests: one that comes too early leaves its
  // window unmapped for good. A window of the session's own, managed and gone again, shows
  // that openbox is ready.
  if (!ManagesNewWindows()) throw std::runtime_error("openbox does not manage windows");
}

bool XSession::ManagesNewWindows() {
  const xcb_window_t probe = xcb_generate_id(connection_);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, probe, root_, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, 0, nullptr);
  const xcb_atom_t clients = Atom("_NET_CLIENT_LIST");
  const auto listed = [&] {
    auto reply = Owned(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, root_, clients, XCB_ATOM_WINDOW, 0, 1024), nullptr));
    if (!reply) return false;
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(windows, windows + count, probe) != windows + count;
  };
  // A request that came too early is lost, not kept: the window is mapped again until it is.
  const bool managed = WaitUntil(
      [&] {
        xcb_map_window(connection_, probe);
        xcb_flush(connection_);
        return WaitUntil(listed, std::chrono::milliseconds(250));
      },
      kStartTime);
  xcb_destroy_window(connection_, probe);
  xcb_flush(connection_);
  return managed && WaitUntil([&] { return !listed(); }, kStartTime);
}

XSession::~XSession() {
  if (connection_ != nullptr) xcb_disconnect(connection_);
  windowManager_.reset();
  server_.reset();
}

xcb_atom_t XSession::Atom(const char* name) {
  auto reply = Owned(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string XSession::Title(xcb_window_t window) {
  for (const xcb_atom_t property : {Atom("_NET_WM_NAME"), xcb_atom_t{XCB_ATOM_WM_NAME}}) {
    auto reply = Owned(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
    if (reply && xcb_get_property_value_length(reply.get()) > 0)
      return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
  }
  return {};
}

bool XSession::Viewable(xcb_window_t window) {
  auto reply = Owned(
      xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr));
  return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<xcb_window_t> XSession::FindWindow(xcb_window_t under, const std::string& title) {
  auto tree = Owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, under), nullptr));
  if (!tree) return std::nullopt;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    if (Viewable(children[i]) && Title(children[i]) == title) return children[i];
    if (const auto found = FindWindow(children[i], title)) return found;
  }
  return std::nullopt;
}

std::optional<Place> XSession::PlaceOf(const std::string& title) {
  const auto window = FindWindow(root_, title);
  if (!window) return std::nullopt;
  // The frame is the window's ancestor just below the root (the window itself when unframed).
  xcb_window_t top = *window;
  for (;;) {
    auto tree = Owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, top), nullptr));
    if (!tree) return std::nullopt;
    if (tree->parent == root_) break;
    top = tree->parent;
  }
  auto geometry = Owned(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, top), nullptr));
  if (!geometry) return std::nullopt;
  auto extents = Owned(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, *window, Atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4), nullptr));
  Place place;
  place.x = geometry->x;
  place.y = geometry->y;
  place.width = geometry->width + 2 * geometry->border_width;
  place.height = geometry->height + 2 * geometry->border_width;
  place.framed = extents && xcb_get_property_value_length(extents.get()) == 16;
  return place;
}

bool XSession::TypeKeys(const std::string& title, const std::string& keys) {
  const auto window = FindWindow(root_, title);
  if (!window) return false;
  return RunXdotool({"xdotool", "windowactivate", "--sync", std::to_string(*window)}, keys);
}

bool XSession::GiveKeyboard(const std::string& title) {
  const auto window = FindWindow(root_, title);
  if (!window) return false;
  return RunXdotool({"xdotool", "windowfocus", "--sync", std::to_string(*window)}, "");
}

bool XSession::HasKeyboard(const std::string& title) {
  const auto window = FindWindow(root_, title);
  auto focus = Owned(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  return window && focus && focus->focus == *window;
}

bool XSession::IsActive(const std::string& title) {
  const auto window = FindWindow(root_, title);
  auto reply = Owned(xcb_get_property_reply(
      connection_, xcb_get_property(connection_, 0, root_, Atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
      nullptr));
  return window && reply && xcb_get_property_value_length(reply.get()) == 4 &&
         *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get())) == *window;
}

bool XSession::TypeKeys(const std::string& keys) { return RunXdotool({"xdotool"}, keys); }

bool XSession::TypeText(const std::string& text) {
  ChildProcess xdotool({"xdotool", "type", "--clearmodifiers", "--", text},
                       ChildProcess::Options{folder_, {{"DISPLAY", display_}}});
  const auto status = xdotool.WaitForExit(std::chrono::seconds(20));
  return status && *status == 0;
}

bool XSession::RunXdotool(std::vector<std::string> command, const std::string& keys) {
  std::istringstream words(keys);
  std::vector<std::string> typed{std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
  if (!typed.empty()) {
    command.insert(command.end(), {"key", "--clearmodifiers"});
    command.insert(command.end(), typed.begin(), typed.end());
  }
  ChildProcess xdotool(command, ChildProcess::Options{folder_, {{"DISPLAY", display_}}});
  const auto status = xdotool.WaitForExit(std::chrono::seconds(20));
  return status && *status == 0;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds within) {
  const auto until = std::chrono::steady_clock::now() + within;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= until) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace desktop_test
