// Keys become the password through libxkbcommon, with the keymap the
// compositor sends, so that any layout, and letters such as ä or é, type
// what they show; dead keys and Compose follow the locale's compose table
// (LC_ALL, LC_CTYPE or LANG). Only the lock reads keys this way.
#pragma once

#include <cstdint>

#include "wayland/lock/password_buffer.hpp"

enum class KeyAction {
    other, // no text: a modifier, a function key
    edited,
    cleared, // Escape or Ctrl+U
    submitted, // Return
};

// The compositor's keymap, from its descriptor (closed here); false when it cannot be read.
bool TakeKeymap(int fd, uint32_t size);
void DropKeymap();
void TakeModifiers(uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group);
// A pressed key (the compositor's code), applied to the password.
KeyAction TakePressedKey(uint32_t key, PasswordBuffer& password);
// Escape, which also cancels a check that does not answer.
bool IsEscape(uint32_t key);
// Whether a held key repeats in the keymap (letters and Backspace do, modifiers do not).
bool KeyRepeats(uint32_t key);
bool CapsLockOn();

// A held key repeats at the compositor's rate after its delay.
struct KeyRepeat {
    int32_t rate; // keys a second; 0: none
    int32_t delay; // milliseconds
};
// From the compositor's repeat_info: repeats no faster than a millisecond's timer can pace them.
KeyRepeat TakeRepeatInfo(int32_t rate, int32_t delay);
