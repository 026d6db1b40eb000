// -lock: the session locked through ext-session-lock-v1, a lock surface on
// every output showing the saver, and the way out: keys into the password,
// its prompt, and the check by PAM in a child process. Only a password the
// check accepts unlocks; every failure leaves the session locked.
//
// Read in this order: password_buffer (the typed password's one page),
// password_keys (keys into it), password_pipe (the line to the checking
// child), pam_check (the child's work), lock_prompt (what the screen says),
// session_lock.cpp (the lock itself, and the role that ties them together).
#pragma once

#include "wayland/view_role.hpp"

extern const ViewRole lockRole;
