// The checking child's work: PAM, service aurilo-wayland, for the user who
// runs the lock. Each check is a PAM session of its own, ended with pam_end,
// so no handle keeps a password between attempts.
#pragma once

// Serves the screen side on fd until it goes: first whether PAM starts, then
// a verdict for each password.
void ServePasswordChecks(int fd);
