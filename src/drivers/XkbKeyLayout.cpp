#include "XkbKeyLayout.h"

#include "instrument/KeyMap.h"

#include <xcb/xcb.h>
// The XKB protocol header names a field after a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdlib>

namespace {

// A dead key types nothing by itself: its cap shows the accent.
std::string DeadKeyCap(xkb_keysym_t sym) {
    switch (sym) {
    case XKB_KEY_dead_grave: return "`";
    case XKB_KEY_dead_acute: return "\u00B4";
    case XKB_KEY_dead_circumflex: return "^";
    case XKB_KEY_dead_tilde: return "~";
    case XKB_KEY_dead_diaeresis: return "\u00A8";
    default: return {};
    }
}

constexpr std::uint16_t WatchedEvents =
    XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
constexpr std::uint16_t WatchedMapParts =
    XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
    XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
    XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;

} // namespace

struct TXkbKeyLayout::TState {
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
    // Only for the X server's layout.
    bool fromDisplay = false, tried = false;
    xcb_connection_t* connection = nullptr;
    std::int32_t device = -1;
    std::uint8_t firstXkbEvent = 0;
    TUsKeyLayout us;

    ~TState() {
        Forget();
        if (connection) xcb_disconnect(connection);
        if (context) xkb_context_unref(context);
    }
    void Forget() {
        if (state) xkb_state_unref(state);
        if (keymap) xkb_keymap_unref(keymap);
        state = nullptr;
        keymap = nullptr;
    }
    bool ReadServerKeymap() {
        Forget();
        keymap = xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (keymap) state = xkb_x11_state_new_from_device(keymap, connection, device);
        return state != nullptr;
    }
    // Connects on first use: a program that never shows legends never asks.
    void Connect() {
        if (tried) return;
        tried = true;
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection)) return;
        if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                         XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &firstXkbEvent,
                                         nullptr))
            return;
        device = xkb_x11_get_core_keyboard_device_id(connection);
        if (device < 0 || !ReadServerKeymap()) return;
        xcb_xkb_select_events(connection, static_cast<xcb_xkb_device_spec_t>(device), WatchedEvents, 0, WatchedEvents,
                              WatchedMapParts, WatchedMapParts, nullptr);
        xcb_flush(connection);
    }
};

TXkbKeyLayout::TXkbKeyLayout(std::unique_ptr<TState> state) : s_(std::move(state)) {}
TXkbKeyLayout::~TXkbKeyLayout() = default;

std::unique_ptr<TXkbKeyLayout> TXkbKeyLayout::OfDisplay() {
    auto s = std::make_unique<TState>();
    s->context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    s->fromDisplay = true;
    return std::unique_ptr<TXkbKeyLayout>(new TXkbKeyLayout(std::move(s)));
}

std::unique_ptr<TXkbKeyLayout> TXkbKeyLayout::Named(const std::string& layout, const std::string& variant) {
    auto s = std::make_unique<TState>();
    s->context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!s->context) return nullptr;
    const xkb_rule_names names{"evdev", "pc105", layout.c_str(), variant.c_str(), ""};
    s->keymap = xkb_keymap_new_from_names(s->context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!s->keymap) return nullptr;
    s->state = xkb_state_new(s->keymap);
    if (!s->state) return nullptr;
    return std::unique_ptr<TXkbKeyLayout>(new TXkbKeyLayout(std::move(s)));
}

std::string TXkbKeyLayout::KeyCap(int scanCode) {
    if (s_->fromDisplay) s_->Connect();
    if (!s_->state || scanCode <= 0 || scanCode > 0x7F) return s_->us.KeyCap(scanCode);
    const xkb_keycode_t keycode = KeyMap::ScanCodeToEvdev(static_cast<std::uint8_t>(scanCode), false) + 8;
    const xkb_layout_index_t group = xkb_state_key_get_layout(s_->state, keycode);
    if (group == XKB_LAYOUT_INVALID) return {};
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(s_->keymap, keycode, group, 0, &syms) < 1) return {};
    const xkb_keysym_t sym = xkb_keysym_to_upper(syms[0]);
    std::array<char, 16> text{};
    if (xkb_keysym_to_utf8(sym, text.data(), text.size()) <= 1) return DeadKeyCap(sym);
    // A cap shows a printing character, never a control one.
    if (static_cast<unsigned char>(text[0]) < 0x20 || text[0] == 0x7F) return {};
    return text.data();
}

int TXkbKeyLayout::ChangeFd() {
    if (!s_->fromDisplay) return -1;
    s_->Connect();
    return s_->state ? xcb_get_file_descriptor(s_->connection) : -1;
}

bool TXkbKeyLayout::TakeChanges() {
    if (!s_->connection || !s_->state) return false;
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(s_->connection)) {
        if (event->response_type == s_->firstXkbEvent) {
            // Every XKB event shares this header; its second byte tells the kind.
            const std::uint8_t kind = reinterpret_cast<const std::uint8_t*>(event)[1];
            if (kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY) {
                changed = s_->ReadServerKeymap() || changed;
            } else if (kind == XCB_XKB_STATE_NOTIFY && s_->state) { // none while a new keymap failed to read
                const auto* e = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
                const xkb_layout_index_t before = xkb_state_serialize_layout(s_->state, XKB_STATE_LAYOUT_EFFECTIVE);
                xkb_state_update_mask(s_->state, e->baseMods, e->latchedMods, e->lockedMods,
                                      static_cast<xkb_layout_index_t>(e->baseGroup),
                                      static_cast<xkb_layout_index_t>(e->latchedGroup),
                                      static_cast<xkb_layout_index_t>(e->lockedGroup));
                changed = changed || before != xkb_state_serialize_layout(s_->state, XKB_STATE_LAYOUT_EFFECTIVE);
            }
        }
        std::free(event);
    }
    return changed;
}
