#include <gtest/gtest.h>

#include "wayland/lock/pam_check.hpp"

// The hidden question is answered first; the visible one then fails the
// conversation, which must free that answer (the sanitizer build sees a leak).
TEST(PamConversation, AVisibleQuestionAfterAHiddenOneFailsAndHandsBackNothing)
{
    const pam_message hidden { PAM_PROMPT_ECHO_OFF, "Password: " };
    const pam_message visible { PAM_PROMPT_ECHO_ON, "Name: " };
    const pam_message* questions[] { &hidden, &visible };
    pam_response* answers = nullptr;
    EXPECT_EQ(Converse(2, questions, &answers, nullptr), PAM_CONV_ERR);
    EXPECT_EQ(answers, nullptr);
}
