// Both ends of the line between the lock's screen side and its checking
// child, a socket pair made before anything else runs. The screen side sends
// a password as a 4-byte length and its bytes; the child answers with any
// number of messages (byte 'm', a length byte, the text as UTF-8 that the
// prompt can draw, cut on a character's boundary) and then one
// verdict byte, 'y' or 'n'. A second hidden question from PAM (a one-time
// code) comes as 'q' with PAM's words, and is answered as a password is.
// The child's first answer, before any password, says whether it can check
// at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

#include "wayland/lock/password_buffer.hpp"

struct CheckerLink {
    int fd = -1; // this side's end
    pid_t child = -1; // on the screen side, the checking child
};

// Forks the checking child, which runs serve on its end and then exits;
// false when no child could be made.
bool StartChecker(CheckerLink& link, void (*serve)(int fd));

// --- the screen side
bool SendPassword(int fd, const PasswordBuffer& password);

struct CheckAnswer {
    enum Kind { message, accepted, refused, garbled, question }; // garbled: no answer begins so
    Kind kind;
    char text[256]; // a message's or a question's, with its terminating zero
};

// Gathers the child's answers as they arrive, in whatever pieces.
class AnswerReader {
public:
    // Reads what is there; false when the child has gone.
    bool ReadFrom(int fd);
    // The next whole answer; false while none is complete.
    bool Next(CheckAnswer& answer);

private:
    uint8_t held[2 * 257];
    size_t count = 0;
};

// --- the checking child
// The next password, into the buffer; false when the screen side has gone.
bool ReceivePassword(int fd, PasswordBuffer& password);
bool SendMessage(int fd, const char* text);
bool SendQuestion(int fd, const char* text);
bool SendVerdict(int fd, bool accepted);
