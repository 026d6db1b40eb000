// The typed password: one page of memory locked in RAM, so it is never
// swapped out, and wiped after each check, on clear and when the prompt
// hides. Nothing else in the program holds the secret.
#pragma once

#include <cstddef>

class PasswordBuffer {
public:
    static constexpr size_t capacity = 1023; // bytes of UTF-8; one page with its terminating zero

    // Locks the page in RAM; false when the system will not.
    bool LockInMemory();
    // Adds typed text; false, and nothing added, when it would not fit.
    bool Append(const char* text, size_t length);
    // Removes the last character, all of its UTF-8 bytes.
    void DeleteLastCharacter();
    // Reads exactly count bytes from a descriptor straight into the page,
    // after what it holds; false when they do not come or do not fit.
    bool ReadFrom(int fd, size_t count);
    void Wipe();

    const char* Text() const { return bytes; }
    size_t Length() const { return length; }
    size_t Characters() const;

private:
    alignas(4096) char bytes[capacity + 1] = {};
    size_t length = 0;
};
