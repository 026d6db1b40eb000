#include "wayland/password_pipe.hpp"

#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr uint8_t messageMark = 'm';
constexpr uint8_t acceptedMark = 'y';
constexpr uint8_t refusedMark = 'n';
constexpr size_t longestMessage = 255;

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
        if (got <= 0)
            return false;
        at += got;
        size -= static_cast<size_t>(got);
    }
    return true;
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
    if (child == 0) {
        close(ends[0]);
        serve(ends[1]);
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
    const ssize_t got = read(fd, held + count, sizeof held - count);
    if (got <= 0)
        return false;
    count += static_cast<size_t>(got);
    return true;
}

bool AnswerReader::Next(CheckAnswer& answer)
{
    size_t used = 0;
    if (count >= 1 && held[0] != messageMark) {
        answer.kind = held[0] == acceptedMark ? CheckAnswer::accepted
            : held[0] == refusedMark          ? CheckAnswer::refused
                                              : CheckAnswer::garbled;
        used = 1;
    } else if (count >= 2 && count >= size_t { 2 } + held[1]) {
        answer.kind = CheckAnswer::message;
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

bool SendMessage(int fd, const char* text)
{
    uint8_t record[2 + longestMessage];
    const size_t length = std::min(std::strlen(text), longestMessage);
    record[0] = messageMark;
    record[1] = static_cast<uint8_t>(length);
    std::memcpy(record + 2, text, length);
    return SendAll(fd, record, 2 + length);
}

bool SendVerdict(int fd, bool accepted)
{
    const uint8_t verdict = accepted ? acceptedMark : refusedMark;
    return SendAll(fd, &verdict, 1);
}
