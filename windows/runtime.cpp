// The few C runtime routines the compiler calls on its own (block copies and
// fills). The saver has no C runtime: it starts at ProgramEntry.
// No header: the C library's own declarations would import these from a DLL.
using size_t = __SIZE_TYPE__;

extern "C" {

void* memcpy(void* destination, const void* source, size_t count)
{
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    while (count-- != 0)
        *to++ = *from++;
    return destination;
}

void* memset(void* destination, int value, size_t count)
{
    auto* to = static_cast<unsigned char*>(destination);
    while (count-- != 0)
        *to++ = static_cast<unsigned char>(value);
    return destination;
}

}
