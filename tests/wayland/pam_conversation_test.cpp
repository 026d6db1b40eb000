#include <gtest/gtest.h>

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
