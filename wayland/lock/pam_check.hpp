// The checking child's work: PAM, service aurilo-wayland, for the user who
// runs the lock. Each check is a PAM session of its own, ended with pam_end,
// so no handle keeps a password between attempts.
#pragma once

#include <security/pam_appl.h>

// PAM's conversation, over the line to the screen side (answerLine points to
// its descriptor): the first hidden question gets the password being checked,
// later ones and PAM's words go to the prompt; a question with visible echo
// fails the check, with every answer given so far wiped and freed.
int Converse(int count, const pam_message** messages, pam_response** responses, void* answerLine);

// Serves the screen side on fd until it goes: first whether PAM starts, then
// a verdict for each password.
void ServePasswordChecks(int fd);
