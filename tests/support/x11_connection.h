#pragma once
// A connection of the test's own to the X server: what the window system
// holds for a window (read back from the server, not from Qt), the windows on
// the screen by caption, and keys pressed through the server (XTEST), as from a
// keyboard. Plain xcb, so a test of another program's windows can use it too.

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

class X11Connection {
 public:
  X11Connection() : c_(xcb_connect(nullptr, nullptr)) {}
  ~X11Connection() { xcb_disconnect(c_); }
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  bool ok() const { return xcb_connection_has_error(c_) == 0; }

  // The bytes of a window property as the server holds them; empty when unset.
  std::string Property(xcb_window_t window, const char* name) {
    const xcb_atom_t atom = Atom(name);
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c_, xcb_get_property(c_, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr);
    if (reply == nullptr) return {};
    std::string value(static_cast<const char*>(xcb_get_property_value(reply)),
                      static_cast<size_t>(xcb_get_property_value_length(reply)));
    free(reply);
    return value;
  }

  // The window that has the keyboard focus.
  xcb_window_t Focus() {
    xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr);
    const xcb_window_t window = reply != nullptr ? reply->focus : XCB_NONE;
    free(reply);
    return window;
  }

  // The caption the window system shows for a widget's top-level window (UTF-8).
  template <class Widget>
  std::string Title(const Widget* w) {
    return Property(static_cast<xcb_window_t>(w->window()->winId()), "_NET_WM_NAME");
  }

  // The mapped top-level windows whose caption (_NET_WM_NAME, UTF-8) passes
  // match: another program's windows too.
  std::vector<xcb_window_t> TopLevels(const std::function<bool(const std::string& caption)>& match) {
    std::vector<xcb_window_t> found;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root), nullptr);
    if (tree == nullptr) return found;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
      xcb_get_window_attributes_reply_t* a =
          xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, children[i]), nullptr);
      const bool viewable = a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE;
      free(a);
      if (viewable && match(Property(children[i], "_NET_WM_NAME"))) found.push_back(children[i]);
    }
    free(tree);
    return found;
  }

  // What a window manager sends when the user closes the window.
  void Close(xcb_window_t window) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = window;
    e.type = Atom("WM_PROTOCOLS");
    e.data.data32[0] = Atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    xcb_flush(c_);
  }

  // A key pressed and released through the server (XTEST), as from a keyboard:
  // it goes to whichever window has the input focus.
  void Key(xcb_keycode_t code, bool shift = false, bool alt = false) {
    const xcb_window_t none = XCB_NONE;
    if (kShift == 0) kShift = Code(0xffe1);
    if (kAlt == 0) kAlt = Code(0xffe9);
    if (shift) xcb_test_fake_input(c_, XCB_KEY_PRESS, kShift, XCB_CURRENT_TIME, none, 0, 0, 0);
    if (alt) xcb_test_fake_input(c_, XCB_KEY_PRESS, kAlt, XCB_CURRENT_TIME, none, 0, 0, 0);
    xcb_test_fake_input(c_, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, none, 0, 0, 0);
    xcb_test_fake_input(c_, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, none, 0, 0, 0);
    if (alt) xcb_test_fake_input(c_, XCB_KEY_RELEASE, kAlt, XCB_CURRENT_TIME, none, 0, 0, 0);
    if (shift) xcb_test_fake_input(c_, XCB_KEY_RELEASE, kShift, XCB_CURRENT_TIME, none, 0, 0, 0);
    xcb_flush(c_);
  }
  // The keycode whose first level is this keysym; 0 when none has it.
  xcb_keycode_t Code(uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, static_cast<uint8_t>(count)), nullptr);
    if (map == nullptr) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t found = 0;
    for (int i = 0; i < count && found == 0; ++i) {
      if (syms[i * map->keysyms_per_keycode] == keysym) found = static_cast<xcb_keycode_t>(setup->min_keycode + i);
    }
    free(map);
    return found;
  }
  // Presses a key by keysym (X11/keysymdef.h values: 0xff09 Tab, 0xff0d Return,
  // 0xff1b Escape, 0xff54 Down, 0xff52 Up, or a lower-case letter or digit).
  void Press(uint32_t keysym, bool shift = false, bool alt = false) { Key(Code(keysym), shift, alt); }
  // Keeps a key (a modifier) down while f presses others.
  template <class F>
  void Hold(xcb_keycode_t code, F&& f) {
    xcb_test_fake_input(c_, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    f();
    xcb_test_fake_input(c_, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(c_);
  }
  // Types ASCII letters and digits.
  void Type(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
      const bool upper = *p >= 'A' && *p <= 'Z';
      Press(static_cast<uint32_t>(upper ? *p - 'A' + 'a' : *p), upper);
    }
  }

 private:
  xcb_atom_t Atom(const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    return atom;
  }

  xcb_connection_t* c_;
  xcb_keycode_t kShift = 0;
  xcb_keycode_t kAlt = 0;
};
