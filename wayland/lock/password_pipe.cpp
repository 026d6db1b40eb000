#include "wayland/lock/password_pipe.hpp"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr uint8_t messageMark = 'm';
constexpr uint8_t questionMark = 'q';
constexpr uint8_t acceptedMark = 'y';
constexpr uint8_t refusedMark = 'n';
constexpr size_t longestMessage = 255;
constexpr int checkerFd = 3; // the child's end, the first after standard error

// MSG_NOSIGNAL: a child that has gone is an answer (false), not SIGPIPE.
bool SendAll(int fd, const void* data, size_t size)
{
    const auto* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t sent = send(fd, at, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        at += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool ReceiveAll(int fd, void* data, size_t size)
{
    auto* at = static_cast<uint8_t*>(data);
    while (size > 0) {
        const ssize_t got = read(fd, at, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        at += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

// The length of the UTF-8 character that text starts with; 0 when its bytes
// are no such character (overlong, a surrogate, past U+10FFFF, cut short).
size_t Utf8CharacterLength(const uint8_t* text)
{
    const uint8_t lead = text[0];
    const size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    for (size_t i = 1; i < length; ++i)
        if ((text[i] & 0xC0) != 0x80)
            return 0;
    const bool overlongOrSurrogate = (lead == 0xE0 && text[1] < 0xA0) || (lead == 0xED && text[1] >= 0xA0)
        || (lead == 0xF0 && text[1] < 0x90) || (lead == 0xF4 && text[1] >= 0x90);
    return length > 1 && overlongOrSurrogate ? 0 : length;
}

// PAM's words as the prompt can draw them: each byte that is not UTF-8 becomes
// U+FFFD, and the text ends on a character's boundary within the room.
size_t CopyAsUtf8(const char* text, uint8_t* out, size_t room)
{
    static const uint8_t replacement[] = { 0xEF, 0xBF, 0xBD };
    const auto* at = reinterpret_cast<const uint8_t*>(text);
    size_t written = 0;
    while (*at != 0) {
        const size_t length = Utf8CharacterLength(at);
        const uint8_t* character = length != 0 ? at : replacement;
        const size_t size = length != 0 ? length : sizeof replacement;
        if (written + size > room)
            break;
        std::memcpy(out + written, character, size);
        written += size;
        at += length != 0 ? length : 1;
    }
    return written;
}

} // namespace

bool StartChecker(CheckerLink& link, void (*serve)(int fd))
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0) {
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    // The child holds its end and nothing else of ours: not the compositor's
    // connection, not -daemonize's notice.
    if (child == 0) {
        if (dup2(ends[1], checkerFd) != checkerFd)
            _exit(1);
        close_range(checkerFd + 1, ~0U, 0);
        serve(checkerFd);
        _exit(0);
    }
    close(ends[1]);
    link.fd = ends[0];
    link.child = child;
    return true;
}

bool SendPassword(int fd, const PasswordBuffer& password)
{
    const uint32_t length = static_cast<uint32_t>(password.Length());
    return SendAll(fd, &length, sizeof length) && SendAll(fd, password.Text(), length);
}

bool AnswerReader::ReadFrom(int fd)
{
    ssize_t got;
    do
        got = read(fd, held + count, sizeof held - count);
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        return false;
    count += static_cast<size_t>(got);
    return true;
}

bool AnswerReader::Next(CheckAnswer& answer)
{
    size_t used = 0;
    const bool carriesText = count >= 1 && (held[0] == messageMark || held[0] == questionMark);
    if (count >= 1 && !carriesText) {
        answer.kind = held[0] == acceptedMark ? CheckAnswer::accepted
            : held[0] == refusedMark          ? CheckAnswer::refused
                                              : CheckAnswer::garbled;
        used = 1;
    } else if (count >= 2 && count >= size_t { 2 } + held[1]) {
        answer.kind = held[0] == questionMark ? CheckAnswer::question : CheckAnswer::message;
        std::memcpy(answer.text, held + 2, held[1]);
        answer.text[held[1]] = 0;
        used = size_t { 2 } + held[1];
    } else {
        return false;
    }
    std::memmove(held, held + used, count - used);
    count -= used;
    return true;
}

bool ReceivePassword(int fd, PasswordBuffer& password)
{
    uint32_t length = 0;
    password.Wipe();
    return ReceiveAll(fd, &length, sizeof length) && password.ReadFrom(fd, length);
}

namespace {

bool SendText(int fd, uint8_t mark, const char* text)
{
    uint8_t record[2 + longestMessage];
    const size_t length = CopyAsUtf8(text, record + 2, longestMessage);
    record[0] = mark;
    record[1] = static_cast<uint8_t>(length);
    return SendAll(fd, record, 2 + length);
}

} // namespace

bool SendMessage(int fd, const char* text)
{
    return SendText(fd, messageMark, text);
}

bool SendQuestion(int fd, const char* text)
{
    return SendText(fd, questionMark, text);
}

bool SendVerdict(int fd, bool accepted)
{
    const uint8_t verdict = accepted ? acceptedMark : refusedMark;
    return SendAll(fd, &verdict, 1);
}
