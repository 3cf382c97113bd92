// A stand-in XEmbed tray that asks for icons with an alpha channel, as compositing panels do:
// it names a 32-bit visual in _NET_SYSTEM_TRAY_VISUAL, takes the tray selection, docks the first
// icon that asks into a 32-bit socket and tells it so. Once the icon has drawn, it reads the
// icon back and judges it: a 32-bit window, transparent in its corner, opaque in its middle.
// Exits 0 when it is, 1 when not (saying why), 77 when the display has no 32-bit visual.
#include <xcb/xcb.h>

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* c, const std::string& name) {
  Reply<xcb_intern_atom_reply_t> r(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.c_str()), nullptr),
      &std::free);
  return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_visualid_t visual32(const xcb_screen_t* screen) {
  for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
    if (d.data->depth != 32) continue;
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
      if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR) return v.data->visual_id;
    }
  }
  return XCB_NONE;
}

int judge(xcb_connection_t* c, xcb_window_t icon) {
  Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, icon), nullptr),
                                    &std::free);
  if (!g) return std::puts("argb_tray: the icon's window is gone"), 1;
  Reply<xcb_get_image_reply_t> image(
      xcb_get_image_reply(c,
                          xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, icon, 0, 0, g->width,
                                        g->height, ~0u),
                          nullptr),
      &std::free);
  if (!image) return std::puts("argb_tray: the icon could not be read"), 1;
  const int depth = g->depth;
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image.get()));
  const std::uint32_t corner = pixels[0];
  const std::uint32_t middle = pixels[(g->height / 2) * g->width + g->width / 2];
  std::printf("argb_tray: icon %dx%d, depth %d, corner %08x, middle %08x\n", g->width, g->height,
              depth, corner, middle);
  if (depth != 32) return std::puts("argb_tray: the icon did not take the tray's visual"), 1;
  if ((corner >> 24) != 0) return std::puts("argb_tray: the icon's corner is not transparent"), 1;
  if ((middle >> 24) != 0xff) return std::puts("argb_tray: the icon's middle is not opaque"), 1;
  return 0;
}

}  // namespace

int main() {
  int screenNumber = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(c)) return std::puts("argb_tray: no display"), 1;
  auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int n = screenNumber; n > 0; --n) xcb_screen_next(&it);
  xcb_screen_t* screen = it.data;
  const xcb_visualid_t visual = visual32(screen);
  if (visual == XCB_NONE) return std::puts("argb_tray: skipped (no 32-bit visual)"), 77;

  const xcb_window_t manager = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, manager, screen->root, -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, manager, atom(c, "_NET_SYSTEM_TRAY_VISUAL"),
                      XCB_ATOM_VISUALID, 32, 1, &visual);
  const xcb_atom_t selection = atom(c, "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber));
  xcb_set_selection_owner(c, manager, selection, XCB_CURRENT_TIME);
  const xcb_atom_t opcode = atom(c, "_NET_SYSTEM_TRAY_OPCODE");
  const xcb_atom_t xembed = atom(c, "_XEMBED");
  xcb_flush(c);
  std::puts("argb_tray: ready");
  std::fflush(stdout);

  xcb_window_t icon = XCB_NONE;
  auto judgeAt = std::chrono::steady_clock::time_point::max();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
  while (std::chrono::steady_clock::now() < end) {
    if (std::chrono::steady_clock::now() >= judgeAt) return judge(c, icon);
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
      const auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
      if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE && m->type == opcode &&
          m->data.data32[1] == 0 && icon == XCB_NONE) {
        icon = m->data.data32[2];
        const xcb_colormap_t colormap = xcb_generate_id(c);
        xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, screen->root, visual);
        const xcb_window_t socket = xcb_generate_id(c);
        const std::uint32_t values[] = {0, 0, 1, colormap};
        xcb_create_window(c, 32, socket, screen->root, 100, 100, 22, 22, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                              XCB_CW_COLORMAP,
                          values);
        xcb_reparent_window(c, icon, socket, 0, 0);
        xcb_map_window(c, socket);
        xcb_client_message_event_t notify{};
        notify.response_type = XCB_CLIENT_MESSAGE;
        notify.format = 32;
        notify.window = icon;
        notify.type = xembed;
        notify.data.data32[0] = XCB_CURRENT_TIME;
        notify.data.data32[1] = 0;  // XEMBED_EMBEDDED_NOTIFY
        notify.data.data32[3] = socket;
        xcb_send_event(c, 0, icon, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        xcb_flush(c);
        judgeAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
      }
      std::free(e);
    }
    if (xcb_connection_has_error(c)) return std::puts("argb_tray: the display went away"), 1;
    poll(&fd, 1, 100);
  }
  return std::puts("argb_tray: no icon asked to dock"), 1;
}
