#include "platform/frame_extents.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace platform {
namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  if (reply == nullptr) return XCB_ATOM_NONE;
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}

bool ReadExtents(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                 FrameExtents& extents) {
  const xcb_get_property_cookie_t cookie =
      xcb_get_property(connection, 0, window, property, XCB_ATOM_CARDINAL, 0, 4);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
  if (reply == nullptr) return false;
  bool found = false;
  if (reply->format == 32 && xcb_get_property_value_length(reply) == 16) {
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    extents = {static_cast<int>(values[0]), static_cast<int>(values[1]),
               static_cast<int>(values[2]), static_cast<int>(values[3])};
    found = true;
  }
  std::free(reply);
  return found;
}

}  // namespace

FrameExtents RequestFrameExtents(WId window) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return {};
  xcb_connection_t* connection = x11->connection();
  const xcb_atom_t request = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
  const xcb_atom_t extentsAtom = Atom(connection, "_NET_FRAME_EXTENTS");
  if (request == XCB_ATOM_NONE || extentsAtom == XCB_ATOM_NONE) return {};
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const auto xwindow = static_cast<xcb_window_t>(window);

  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = xwindow;
  message.type = request;
  xcb_send_event(connection, 0, screen->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(connection);

  // A window manager answers within a few milliseconds; without one nobody answers.
  FrameExtents extents;
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (ReadExtents(connection, xwindow, extentsAtom, extents)) return extents;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return {};
}

}  // namespace platform
