#include "platform/gui/X11WindowFinder.h"

#include <xcb/res.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace platform::gui {

struct X11WindowFinder::Connection {
  xcb_ewmh_connection_t ewmh{};
  int screen = 0;
  xcb_atom_t wmState = XCB_ATOM_NONE;  // the window manager's WM_STATE of a client

  xcb_connection_t* X() const { return ewmh.connection; }

  std::vector<xcb_window_t> Clients() {
    xcb_ewmh_get_windows_reply_t list;
    if (!xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, screen), &list, nullptr)) return {};
    std::vector<xcb_window_t> windows(list.windows, list.windows + list.windows_len);
    xcb_ewmh_get_windows_reply_wipe(&list);
    return windows;
  }

  bool IsClient(WindowId window) {
    const std::vector<xcb_window_t> clients = Clients();
    return window != 0 && std::find(clients.begin(), clients.end(), window) != clients.end();
  }

  QString Title(xcb_window_t window) {
    xcb_ewmh_get_utf8_strings_reply_t name;
    if (xcb_ewmh_get_wm_name_reply(&ewmh, xcb_ewmh_get_wm_name(&ewmh, window), &name, nullptr)) {
      QString title = QString::fromUtf8(name.strings, name.strings_len);
      xcb_ewmh_get_utf8_strings_reply_wipe(&name);
      return title;
    }
    // Older programs give only WM_NAME, in Latin-1 unless they say UTF-8.
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(X(), xcb_get_property(X(), 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                               nullptr),
        &std::free);
    if (!reply) return {};
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    return reply->type == ewmh.UTF8_STRING ? QString::fromUtf8(text, length) : QString::fromLatin1(text, length);
  }

  std::optional<std::int64_t> Pid(xcb_window_t window) {
    std::uint32_t pid = 0;
    if (xcb_ewmh_get_wm_pid_reply(&ewmh, xcb_ewmh_get_wm_pid(&ewmh, window), &pid, nullptr)) return pid;
    return ClientPid(window);
  }

  // Programs that do not name their process (xmessage and the other Xt programs): the X server
  // knows the process of the local client that made the window (X-Resource 1.2).
  std::optional<std::int64_t> ClientPid(xcb_window_t window) {
    if (!clientIds) return std::nullopt;
    const xcb_res_client_id_spec_t asked{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    std::unique_ptr<xcb_res_query_client_ids_reply_t, decltype(&std::free)> reply(
        xcb_res_query_client_ids_reply(X(), xcb_res_query_client_ids(X(), 1, &asked), nullptr), &std::free);
    if (!reply) return std::nullopt;
    for (auto id = xcb_res_query_client_ids_ids_iterator(reply.get()); id.rem > 0; xcb_res_client_id_value_next(&id)) {
      if ((id.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) == 0 ||
          xcb_res_client_id_value_value_length(id.data) < 1)
        continue;
      return *xcb_res_client_id_value_value(id.data);
    }
    return std::nullopt;
  }

  bool clientIds = false;  // the server answers which process a client is

  void Activate(xcb_window_t window) {
    // As a pager does: the user asked for this window, so the window manager lets it come
    // forward rather than just marking it as wanting attention.
    xcb_ewmh_request_change_active_window(&ewmh, screen, window, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME,
                                          XCB_NONE);
    xcb_flush(X());
  }
};

namespace {

constexpr std::uint32_t kIconicState = 3;

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(
          connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
      &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

bool ClientIdsSupported(xcb_connection_t* connection) {
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_res_id);
  if (!extension || !extension->present) return false;
  std::unique_ptr<xcb_res_query_version_reply_t, decltype(&std::free)> version(
      xcb_res_query_version_reply(connection, xcb_res_query_version(connection, 1, 2), nullptr), &std::free);
  return version && (version->server_major > 1 || (version->server_major == 1 && version->server_minor >= 2));
}

}  // namespace

X11WindowFinder::X11WindowFinder(const std::string& display) {
  int screen = 0;
  xcb_connection_t* connection = xcb_connect(display.empty() ? nullptr : display.c_str(), &screen);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return;
  }
  auto opened = std::make_unique<Connection>();
  if (!xcb_ewmh_init_atoms_replies(&opened->ewmh, xcb_ewmh_init_atoms(connection, &opened->ewmh), nullptr)) {
    xcb_disconnect(connection);
    return;
  }
  opened->screen = screen;
  opened->wmState = InternAtom(connection, "WM_STATE");
  opened->clientIds = ClientIdsSupported(connection);
  ewmh_ = opened.release();
}

X11WindowFinder::~X11WindowFinder() {
  if (!ewmh_) return;
  xcb_disconnect(ewmh_->X());
  xcb_ewmh_connection_wipe(&ewmh_->ewmh);
  delete ewmh_;
}

WindowId X11WindowFinder::FindByTitle(const QString& title) {
  if (!ewmh_) return 0;
  for (const xcb_window_t window : ewmh_->Clients())
    if (ewmh_->Title(window) == title) return window;
  return 0;
}

WindowId X11WindowFinder::FindByProcess(std::int64_t pid) {
  if (!ewmh_) return 0;
  for (const xcb_window_t window : ewmh_->Clients())
    if (ewmh_->Pid(window) == pid) return window;
  return 0;
}

std::optional<std::int64_t> X11WindowFinder::ProcessOf(WindowId window) {
  if (!ewmh_ || !ewmh_->IsClient(window)) return std::nullopt;
  return ewmh_->Pid(static_cast<xcb_window_t>(window));
}

bool X11WindowFinder::BringToTop(WindowId window) {
  if (!ewmh_ || !ewmh_->IsClient(window)) return false;
  ewmh_->Activate(static_cast<xcb_window_t>(window));
  return true;
}

bool X11WindowFinder::IsMinimized(WindowId window) {
  if (!ewmh_ || !ewmh_->IsClient(window)) return false;
  const auto x = static_cast<xcb_window_t>(window);
  xcb_ewmh_get_atoms_reply_t states;
  if (xcb_ewmh_get_wm_state_reply(&ewmh_->ewmh, xcb_ewmh_get_wm_state(&ewmh_->ewmh, x), &states, nullptr)) {
    const bool hidden = std::find(states.atoms, states.atoms + states.atoms_len,
                                  ewmh_->ewmh._NET_WM_STATE_HIDDEN) != states.atoms + states.atoms_len;
    xcb_ewmh_get_atoms_reply_wipe(&states);
    if (hidden) return true;
  }
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(ewmh_->X(), xcb_get_property(ewmh_->X(), 0, x, ewmh_->wmState, ewmh_->wmState, 0, 2),
                             nullptr),
      &std::free);
  return reply && xcb_get_property_value_length(reply.get()) >= 4 &&
         *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get())) == kIconicState;
}

void X11WindowFinder::Restore(WindowId window) {
  if (!ewmh_ || !ewmh_->IsClient(window)) return;
  // Mapping an iconic window asks its window manager to show it again (ICCCM).
  xcb_map_window(ewmh_->X(), static_cast<xcb_window_t>(window));
  ewmh_->Activate(static_cast<xcb_window_t>(window));
}

}  // namespace platform::gui
