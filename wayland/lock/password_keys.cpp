#include "wayland/lock/password_keys.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sys/mman.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

namespace {

xkb_context* context = nullptr;
xkb_keymap* keymap = nullptr;
xkb_state* state = nullptr;
xkb_compose_table* composeTable = nullptr; // none where the locale has no table: keys type alone
xkb_compose_state* compose = nullptr;

// Wayland's key codes are evdev's; XKB's are 8 higher.
constexpr uint32_t evdevToXkb = 8;

bool ControlHeld()
{
    return xkb_state_mod_name_is_active(state, XKB_MOD_NAME_CTRL, XKB_STATE_MODS_EFFECTIVE) > 0;
}

// Text a key types, control characters aside.
KeyAction TypeText(xkb_keycode_t code, PasswordBuffer& password)
{
    char text[16];
    const int length = xkb_state_key_get_utf8(state, code, text, sizeof text);
    KeyAction action = KeyAction::other;
    const auto first = static_cast<unsigned char>(text[0]);
    if (length > 0 && static_cast<size_t>(length) < sizeof text && first >= 0x20 && first != 0x7F
        && password.Append(text, static_cast<size_t>(length)))
        action = KeyAction::edited;
    explicit_bzero(text, sizeof text);
    return action;
}

// The locale's dead keys and Compose sequences, as the environment names it.
void StartComposing()
{
    const char* locale = nullptr;
    for (const char* name : { "LC_ALL", "LC_CTYPE", "LANG" })
        if (locale == nullptr || *locale == 0)
            locale = std::getenv(name);
    composeTable = xkb_compose_table_new_from_locale(context, locale != nullptr && *locale != 0 ? locale : "C",
        XKB_COMPOSE_COMPILE_NO_FLAGS);
    if (composeTable != nullptr)
        compose = xkb_compose_state_new(composeTable, XKB_COMPOSE_STATE_NO_FLAGS);
}

// A dead key or Compose waits for the rest of its sequence; a finished one
// types its text; a sequence that cannot go on types nothing. The next key
// after either starts afresh: libxkbcommon resets the state itself.
KeyAction TypeComposed(xkb_keysym_t symbol, xkb_keycode_t code, PasswordBuffer& password)
{
    if (compose == nullptr || xkb_compose_state_feed(compose, symbol) != XKB_COMPOSE_FEED_ACCEPTED)
        return TypeText(code, password);
    switch (xkb_compose_state_get_status(compose)) {
    case XKB_COMPOSE_COMPOSING:
    case XKB_COMPOSE_CANCELLED:
        return KeyAction::other;
    case XKB_COMPOSE_COMPOSED: {
        char text[64];
        const int length = xkb_compose_state_get_utf8(compose, text, sizeof text);
        const bool typed = length > 0 && static_cast<size_t>(length) < sizeof text
            && password.Append(text, static_cast<size_t>(length));
        explicit_bzero(text, sizeof text);
        return typed ? KeyAction::edited : KeyAction::other;
    }
    default:
        return TypeText(code, password);
    }
}

} // namespace

bool TakeKeymap(int fd, uint32_t size)
{
    DropKeymap();
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (mapped == MAP_FAILED)
        return false;
    context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const auto* text = static_cast<const char*>(mapped);
    if (context != nullptr)
        keymap = xkb_keymap_new_from_buffer(context, text, strnlen(text, size), XKB_KEYMAP_FORMAT_TEXT_V1,
            XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(mapped, size);
    if (keymap != nullptr)
        state = xkb_state_new(keymap);
    if (state != nullptr)
        StartComposing();
    return state != nullptr;
}

void TakeModifiers(uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group)
{
    if (state != nullptr)
        xkb_state_update_mask(state, depressed, latched, locked, 0, 0, group);
}

KeyAction TakePressedKey(uint32_t key, PasswordBuffer& password)
{
    if (state == nullptr)
        return KeyAction::other;
    const xkb_keycode_t code = key + evdevToXkb;
    const xkb_keysym_t symbol = xkb_state_key_get_one_sym(state, code);
    // Editing keys act at once, and end any sequence half typed.
    if (compose != nullptr && (symbol == XKB_KEY_BackSpace || symbol == XKB_KEY_Escape || symbol == XKB_KEY_Return
            || symbol == XKB_KEY_KP_Enter))
        xkb_compose_state_reset(compose);
    switch (symbol) {
    case XKB_KEY_BackSpace:
        password.DeleteLastCharacter();
        return KeyAction::edited;
    case XKB_KEY_Escape:
        password.Wipe();
        return KeyAction::cleared;
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
        return KeyAction::submitted;
    case XKB_KEY_u:
    case XKB_KEY_U:
        if (ControlHeld()) {
            password.Wipe();
            return KeyAction::cleared;
        }
        break;
    default:
        break;
    }
    return TypeComposed(symbol, code, password);
}

bool IsEscape(uint32_t key)
{
    return state != nullptr && xkb_state_key_get_one_sym(state, key + evdevToXkb) == XKB_KEY_Escape;
}

KeyRepeat TakeRepeatInfo(int32_t rate, int32_t delay)
{
    return { rate >= 1 && rate <= 1000 ? rate : 0, std::max(delay, 0) };
}

bool KeyRepeats(uint32_t key)
{
    return keymap != nullptr && xkb_keymap_key_repeats(keymap, key + evdevToXkb) != 0;
}

bool CapsLockOn()
{
    return state != nullptr && xkb_state_mod_name_is_active(state, XKB_MOD_NAME_CAPS, XKB_STATE_MODS_LOCKED) > 0;
}

void DropKeymap()
{
    xkb_compose_state_unref(compose);
    xkb_compose_table_unref(composeTable);
    compose = nullptr;
    composeTable = nullptr;
    xkb_state_unref(state);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    state = nullptr;
    keymap = nullptr;
    context = nullptr;
}
