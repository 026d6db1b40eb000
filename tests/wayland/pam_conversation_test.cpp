#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
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

bool HeapHolds(const char* text)
{
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        unsigned long from = 0, to = 0;
        if (line.ends_with("[heap]") && std::sscanf(line.c_str(), "%lx-%lx", &from, &to) == 2)
            return memmem(reinterpret_cast<const void*>(from), to - from, text, std::strlen(text)) != nullptr;
    }
    ADD_FAILURE() << "no [heap] in /proc/self/maps";
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
    ASSERT_FALSE(HeapHolds(tail));
    const pam_message hidden { PAM_PROMPT_ECHO_OFF, "Code: " };
    const pam_message visible { PAM_PROMPT_ECHO_ON, "Name: " };
    const pam_message* questions[] { &hidden, &hidden, &visible };
    pam_response* answers = nullptr;
    EXPECT_EQ(Converse(3, questions, &answers, &ends[0]), PAM_CONV_ERR);
    EXPECT_FALSE(HeapHolds(tail));
    close(ends[0]);
    close(ends[1]);
}
