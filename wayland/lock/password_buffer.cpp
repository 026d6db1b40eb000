#include "wayland/lock/password_buffer.hpp"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

bool ContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

bool PasswordBuffer::LockInMemory()
{
    return mlock(bytes, sizeof bytes) == 0;
}

bool PasswordBuffer::Append(const char* text, size_t added)
{
    if (added > capacity - length)
        return false;
    std::memcpy(bytes + length, text, added);
    length += added;
    return true;
}

void PasswordBuffer::DeleteLastCharacter()
{
    while (length > 0 && ContinuationByte(bytes[length - 1]))
        bytes[--length] = 0;
    if (length > 0)
        bytes[--length] = 0;
}

bool PasswordBuffer::ReadFrom(int fd, size_t count)
{
    if (count > capacity - length)
        return false;
    for (size_t received = 0; received < count;) {
        const ssize_t got = read(fd, bytes + length, count - received);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        length += static_cast<size_t>(got);
        received += static_cast<size_t>(got);
    }
    return true;
}

// explicit_bzero: a plain memset of memory read no more may be left out by the compiler.
void PasswordBuffer::Wipe()
{
    explicit_bzero(bytes, sizeof bytes);
    length = 0;
}

size_t PasswordBuffer::Characters() const
{
    size_t characters = 0;
    for (size_t i = 0; i < length; ++i)
        characters += ContinuationByte(bytes[i]) ? 0 : 1;
    return characters;
}
