#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "wayland/lock/pam_check.hpp"
#include "wayland/lock/password_pipe.hpp"

// A visible question fails the conversation after the hidden one was answered,
// which must free that answer (the sanitizer build sees a leak), or after PAM's
// words went to the prompt, which left no answer to wipe.
TEST(PamConversation, AVisibleQuestionAfterAHiddenOneOrWordsFailsAndHandsBackNothing)
{
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    const pam_message hidden { PAM_PROMPT_ECHO_OFF, "Password: " };
    const pam_message words { PAM_TEXT_INFO, "Touch the reader" };
    const pam_message visible { PAM_PROMPT_ECHO_ON, "Name: " };
    for (const pam_message* first : { &hidden, &words }) {
        const pam_message* questions[] { first, &visible };
        pam_response* answers = nullptr;
        EXPECT_EQ(Converse(2, questions, &answers, &ends[0]), PAM_CONV_ERR);
        EXPECT_EQ(answers, nullptr);
    }
    AnswerReader reader;
    CheckAnswer told {};
    ASSERT_TRUE(reader.ReadFrom(ends[1]) && reader.Next(told));
    EXPECT_STREQ(told.text, "Touch the reader");
    close(ends[0]);
    close(ends[1]);
}

namespace {

// Whether the mapping that holds heapAddress holds the text: found by address, for under qemu's
// user mode the heap has no "[heap]" name, and read into static storage, for the look must not
// allocate what could take a freed answer's place.
bool HeapHolds(const void* heapAddress, const char* text)
{
    static char maps[1 << 16];
    size_t size = 0;
    const int fd = open("/proc/self/maps", O_RDONLY);
    ssize_t got = 0;
    while (fd >= 0 && (got = read(fd, maps + size, sizeof maps - 1 - size)) > 0)
        size += static_cast<size_t>(got);
    close(fd);
    maps[size] = 0;
    const auto at = reinterpret_cast<unsigned long>(heapAddress);
    for (const char* line = maps; *line != 0;) {
        unsigned long from = 0, to = 0;
        if (std::sscanf(line, "%lx-%lx", &from, &to) == 2 && from <= at && at < to)
            return memmem(reinterpret_cast<const void*>(from), to - from, text, std::strlen(text)) != nullptr;
        const char* end = std::strchr(line, '\n');
        line = end != nullptr ? end + 1 : "";
    }
    ADD_FAILURE() << "no mapping in /proc/self/maps holds the heap";
    return true;
}

} // namespace

// A one-time code answered, then a visible question: the code's copy is wiped
// before it is freed. Freed, glibc overwrites only its first 16 bytes.
TEST(PamConversation, AFailedConversationLeavesNoAnswerInTheHeap)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's allocator keeps its own heap";
#endif
    constexpr char tail[] = "the one-time code's tail";
    static PasswordBuffer code;
    ASSERT_TRUE(code.Append("0123456789abcdef", 16) && code.Append(tail, sizeof tail - 1));
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    ASSERT_TRUE(SendPassword(ends[1], code) && SendPassword(ends[1], code)); // for a first hidden question too
    code.Wipe();
    void* const inHeap = std::malloc(1);
    ASSERT_FALSE(HeapHolds(inHeap, tail));
    const pam_message hidden { PAM_PROMPT_ECHO_OFF, "Code: " };
    const pam_message visible { PAM_PROMPT_ECHO_ON, "Name: " };
    const pam_message* questions[] { &hidden, &hidden, &visible };
    pam_response* answers = nullptr;
    EXPECT_EQ(Converse(3, questions, &answers, &ends[0]), PAM_CONV_ERR);
    EXPECT_FALSE(HeapHolds(inHeap, tail));
    std::free(inHeap);
    close(ends[0]);
    close(ends[1]);
}
