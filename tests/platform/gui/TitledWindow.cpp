// A small X client for the window finder's tests: one top-level window with the title given as
// its argument, naming its process (_NET_WM_PID) as today's toolkits do, until it is ended.

#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(
          connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
      &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string title = argc > 1 ? argv[1] : "Titled window";
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) return 1;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const xcb_window_t window = xcb_generate_id(connection);
  const std::uint32_t background[] = {screen->white_pixel};
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 240, 80, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, background);
  const auto length = static_cast<std::uint32_t>(title.size());
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, length,
                      title.data());
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom(connection, "_NET_WM_NAME"),
                      Atom(connection, "UTF8_STRING"), 8, length, title.data());
  const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom(connection, "_NET_WM_PID"), XCB_ATOM_CARDINAL,
                      32, 1, &pid);
  xcb_map_window(connection, window);
  xcb_flush(connection);
  while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) std::free(event);
  xcb_disconnect(connection);
  return 0;
}
