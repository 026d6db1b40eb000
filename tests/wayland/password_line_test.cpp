#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "wayland/lock/password_pipe.hpp"

namespace {

TEST(PasswordBuffer, KeepsUtf8WholeDeletesWholeCharactersAndWipesEveryByte)
{
    static PasswordBuffer password;
    ASSERT_TRUE(password.Append("p\xC3\xA4s", 4)); // "päs"
    EXPECT_EQ(password.Characters(), 3u);
    password.DeleteLastCharacter();
    password.DeleteLastCharacter();
    EXPECT_EQ(std::string(password.Text()), "p");
    std::string full(PasswordBuffer::capacity - 1, 'x');
    EXPECT_TRUE(password.Append(full.data(), full.size()));
    EXPECT_FALSE(password.Append("yz", 2)); // would not fit: nothing added
    EXPECT_EQ(password.Length(), PasswordBuffer::capacity);
    password.Wipe();
    const char* bytes = password.Text();
    EXPECT_EQ(password.Length(), 0u);
    for (size_t i = 0; i <= PasswordBuffer::capacity; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
}

struct Line : testing::Test {
    int ends[2];
    void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0); }
    void TearDown() override
    {
        close(ends[0]);
        close(ends[1]);
    }
};

TEST_F(Line, APasswordCrossesAsLengthAndBytesAndTooLongAOneIsRefused)
{
    static PasswordBuffer sent, received;
    sent.Append("\xC3\xA9t\xC3\xA9", 5); // "été"
    ASSERT_TRUE(SendPassword(ends[0], sent));
    char header[4];
    ASSERT_EQ(recv(ends[1], header, 4, MSG_PEEK), 4);
    EXPECT_EQ(std::memcmp(header, "\x05\0\0\0", 4), 0);
    ASSERT_TRUE(ReceivePassword(ends[1], received));
    EXPECT_EQ(std::string(received.Text()), "\xC3\xA9t\xC3\xA9");
    const uint32_t tooLong = PasswordBuffer::capacity + 1;
    const std::string bytes(tooLong, 'x');
    ASSERT_EQ(write(ends[0], &tooLong, sizeof tooLong), 4);
    ASSERT_EQ(write(ends[0], bytes.data(), bytes.size()), static_cast<ssize_t>(tooLong));
    EXPECT_FALSE(ReceivePassword(ends[1], received));
}

TEST_F(Line, APasswordWrittenAByteAtATimeIsReadWhole)
{
    static PasswordBuffer received;
    std::thread writer([this] {
        for (const char byte : std::string("\x02\0\0\0ab", 6)) {
            usleep(20000);
            ASSERT_EQ(write(ends[0], &byte, 1), 1);
        }
    });
    EXPECT_TRUE(ReceivePassword(ends[1], received));
    writer.join();
    EXPECT_EQ(std::string(received.Text()), "ab");
}

// An ended line reads as ended even while errno still says an earlier read was interrupted.
TEST_F(Line, APasswordThatFillsThePageIsReadWholeAndOneCutShortByTheLinesEndIsRefused)
{
    static PasswordBuffer received;
    const std::string bytes(PasswordBuffer::capacity, 'x');
    ASSERT_EQ(write(ends[0], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    EXPECT_TRUE(received.ReadFrom(ends[1], bytes.size()));
    received.Wipe();
    ASSERT_EQ(write(ends[0], "abc", 3), 3);
    shutdown(ends[0], SHUT_WR);
    errno = EINTR;
    EXPECT_FALSE(received.ReadFrom(ends[1], 5));
    errno = EINTR;
    EXPECT_FALSE(ReceivePassword(ends[1], received));
    AnswerReader reader;
    errno = EINTR;
    EXPECT_FALSE(reader.ReadFrom(ends[1]));
}

TEST_F(Line, AnswersArriveInPiecesAndOnlyYesAccepts)
{
    const char stream[] = "m\x05Hello" "n" "y" "?" "m\x00"; // an empty message last: whole, with nothing after it
    AnswerReader reader;
    CheckAnswer answer {};
    std::string kinds;
    for (size_t i = 0; i < sizeof stream - 1; ++i) {
        ASSERT_EQ(write(ends[0], stream + i, 1), 1);
        ASSERT_TRUE(reader.ReadFrom(ends[1]));
        while (reader.Next(answer))
            kinds += std::to_string(answer.kind) + (answer.kind == CheckAnswer::message ? answer.text : "") + ' ';
    }
    EXPECT_EQ(kinds, "0Hello 2 1 3 0 ");
}

TEST_F(Line, PamWordsArriveAsUtf8CutOnACharacter)
{
    const std::string cutInsideE = std::string(254, 'a') + "\xC3\xA9";
    const std::string fillsTheRoom = std::string(253, 'a') + "\xC3\xA9";
    ASSERT_TRUE(SendMessage(ends[0], "f\xFCr Gro\xDF \xC3")); // Latin-1, and a lead byte with nothing after it
    ASSERT_TRUE(SendMessage(ends[0], cutInsideE.c_str()));
    ASSERT_TRUE(SendMessage(ends[0], fillsTheRoom.c_str()));
    // Then the first and last characters those rules allow: U+0800, U+D7FF, U+10000, U+10FFFF.
    const char* const edges = "\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    ASSERT_TRUE(SendMessage(ends[0], ("\xE0\x80\x80\xED\xA0\x80\xF4\x90\x80\x80\xC1\xBF " + std::string(edges)).c_str()));
    // The leads' own edges: U+007F, a lone continuation byte, U+0080, U+07FF, and 0xF5, which leads nothing.
    ASSERT_TRUE(SendMessage(ends[0], "\x7F\x80\xC2\x80\xDF\xBF\xF5\x80"));
    shutdown(ends[0], SHUT_WR);
    AnswerReader reader;
    CheckAnswer answer {};
    std::string told;
    while (reader.ReadFrom(ends[1]))
        while (reader.Next(answer))
            told += std::string(answer.text) + '|';
    std::string unknown12; // overlong, surrogate, past U+10FFFF and overlong again: each byte unknown
    for (int i = 0; i < 12; ++i)
        unknown12 += "\xEF\xBF\xBD";
    EXPECT_EQ(told, "f\xEF\xBF\xBDr Gro\xEF\xBF\xBD \xEF\xBF\xBD|" + std::string(254, 'a') + "|" + fillsTheRoom + "|" + unknown12
            + " " + edges + "|\x7F\xEF\xBF\xBD\xC2\x80\xDF\xBF\xEF\xBF\xBD\xEF\xBF\xBD|");
}

int heldByTheParent = -1; // as the compositor's connection is: the child must not have it

void ServeOneRefusalThenEnd(int fd)
{
    static PasswordBuffer password;
    SendVerdict(fd, fcntl(heldByTheParent, F_GETFD) == -1);
    ReceivePassword(fd, password);
    SendMessage(fd, "Authentication failure");
    SendVerdict(fd, false);
}

TEST(Checker, AChildHoldsOnlyItsEndAndOneThatEndsIsSeenAsGoneAndWritingToItRaisesNoSignal)
{
    CheckerLink link;
    heldByTheParent = fcntl(STDERR_FILENO, F_DUPFD, 10);
    ASSERT_TRUE(StartChecker(link, ServeOneRefusalThenEnd));
    close(heldByTheParent);
    static PasswordBuffer password;
    password.Append("x", 1);
    AnswerReader reader;
    CheckAnswer answer {};
    ASSERT_TRUE(reader.ReadFrom(link.fd));
    ASSERT_TRUE(reader.Next(answer));
    EXPECT_EQ(answer.kind, CheckAnswer::accepted);
    ASSERT_TRUE(SendPassword(link.fd, password));
    int status = 0;
    ASSERT_EQ(waitpid(link.child, &status, 0), link.child);
    std::string told;
    while (reader.ReadFrom(link.fd))
        while (reader.Next(answer))
            told += answer.kind == CheckAnswer::message ? std::string(answer.text) : '|' + std::to_string(answer.kind);
    EXPECT_EQ(told, "Authentication failure|2");
    EXPECT_FALSE(SendPassword(link.fd, password)); // EPIPE, not SIGPIPE
    close(link.fd);
}

// A signal whose handler has no SA_RESTART, as the locker's stop signals, while a side waits.
void InterruptOn(int signal)
{
    struct sigaction interrupting {};
    interrupting.sa_handler = [](int) { };
    sigaction(signal, &interrupting, nullptr);
}

// The verdict comes late, so that the screen side waits for it too.
void ServeAfterASignal(int fd)
{
    InterruptOn(SIGUSR1);
    static PasswordBuffer password;
    SendVerdict(fd, true);
    const bool right = ReceivePassword(fd, password) && std::string(password.Text()) == "after";
    usleep(300000);
    SendVerdict(fd, right);
}

TEST(Checker, ASignalWhileEitherSideWaitsEndsNothing)
{
    CheckerLink link;
    AnswerReader reader;
    CheckAnswer answer {};
    ASSERT_TRUE(StartChecker(link, ServeAfterASignal) && reader.ReadFrom(link.fd) && reader.Next(answer));
    usleep(100000);
    kill(link.child, SIGUSR1);
    static PasswordBuffer password;
    password.Append("after", 5);
    ASSERT_TRUE(SendPassword(link.fd, password));
    InterruptOn(SIGUSR2);
    std::thread interrupter([screenSide = pthread_self()] {
        usleep(100000);
        pthread_kill(screenSide, SIGUSR2);
    });
    bool read = true;
    while (read && !reader.Next(answer))
        read = reader.ReadFrom(link.fd);
    interrupter.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(answer.kind, CheckAnswer::accepted);
    waitpid(link.child, nullptr, 0);
    close(link.fd);
}

} // namespace
