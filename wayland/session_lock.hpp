// -lock: the session locked through ext-session-lock-v1, a lock surface on
// every output showing the saver, and the way out: keys into the password,
// its prompt, and the check by PAM in a child process. Only a password the
// check accepts unlocks; every failure leaves the session locked.
#pragma once

#include <cstdint>
#include <string>

#include "wayland/wayland_client.hpp"

// Before the compositor is reached: no core files, the typed password's page
// locked in RAM, the checking child started and ready. False with a reason.
bool PrepareLock(std::string& error);
// -daemonize: this process goes on to lock; the one that started it ends
// with 0 once the session is locked, or 1 when it never is.
bool DetachUntilLocked(std::string& error);
// -daemonize: this process has said why it ends, so the first one says nothing.
void ToldWhyNotLocked();

void LockSession();
void GiveLockRole(OutputView& view);
void DestroyLockSurface(OutputView& view);
// A lock asked for and not given up: the program must not end it.
bool LockHeld();

// The prompt over the image in a view's buffer.
void DrawLockPrompt(const OutputView& view, uint8_t* pixels, uint32_t stride);

// The checking child's end, for the main loop's wait; -1 without -lock.
int CheckerDescriptor();
// Takes the child's answers; the verdict unlocks, or says the password was wrong.
void ReadCheckerAnswers();
// Milliseconds until the prompt hides, silent that long; -1 while nothing waits.
int64_t PromptHidesIn(uint32_t now);
void HidePromptWhenSilent(uint32_t now);

extern const wl_keyboard_listener lockKeyboardListener;
extern const wl_pointer_listener lockPointerListener;
