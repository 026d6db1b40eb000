#include <gtest/gtest.h>

#include <string>

#include "windows/command_line.hpp"
#include "tests/windows/cp932_step.hpp"

namespace {

std::string Tail(const char* commandLine)
{
    return SkipProgramName(commandLine, Cp932Step);
}

TEST(SkipProgramName, QuotedPathWithBlanks)
{
    EXPECT_EQ(Tail("\"C:\\Program Files\\aurilo.scr\" /s"), "/s");
    EXPECT_EQ(Tail("\"C:\\a b\\aurilo.scr\"/s"), "/s");
    EXPECT_EQ(Tail("\"C:\\unterminated /s"), "");
    EXPECT_EQ(Tail("\"\" /c"), "/c");
}

TEST(SkipProgramName, UnquotedPathEndsAtTheFirstByteUpTo32)
{
    EXPECT_EQ(Tail("C:\\WINDOWS\\AURILO.SCR /p 1234"), "/p 1234");
    EXPECT_EQ(Tail("aurilo.scr\t\x01 \x1f/s"), "/s");
    EXPECT_EQ(Tail("aurilo.scr"), "");
    EXPECT_EQ(Tail("aurilo.scr   "), "");
}

TEST(SkipProgramName, BytesAbove0x7FBelongToTheName)
{
    // A cp932 name whose trail byte is a backslash-like 0x5C stays whole.
    EXPECT_EQ(Tail("C:\\\x95\x5C\\saver.scr /s"), "/s");
    EXPECT_EQ(Tail("\"C:\\\x83\x5C\x83\x74\x83\x67.scr\" /s"), "/s");
    EXPECT_EQ(Tail("\xE3\x81\x82.scr /s"), "/s");
}

TEST(SkipProgramName, LeadingBlankSkipsNoName)
{
    EXPECT_EQ(Tail(" /s"), "/s");
    EXPECT_EQ(Tail(""), "");
}

struct TailCase {
    const char* tail;
    SaverMode mode;
    const char* text;
};

class ScanTail : public testing::TestWithParam<TailCase> { };

TEST_P(ScanTail, ChoosesTheModeAndTheTextBehindTheSwitch)
{
    const TailCase expected = GetParam();
    const ModeRequest request = ScanCommandTail(expected.tail, true);
    EXPECT_EQ(static_cast<int>(request.mode), static_cast<int>(expected.mode)) << expected.tail;
    if (expected.text != nullptr) {
        EXPECT_STREQ(request.text, expected.text) << expected.tail;
    }
}

INSTANTIATE_TEST_SUITE_P(Tails, ScanTail,
    testing::Values(
        TailCase { "/S", SaverMode::FullScreen, nullptr },
        TailCase { "-s", SaverMode::FullScreen, nullptr },
        TailCase { "s", SaverMode::FullScreen, nullptr },
        TailCase { "/ /s", SaverMode::FullScreen, nullptr },
        TailCase { "//--s", SaverMode::FullScreen, nullptr },
        TailCase { "/scr", SaverMode::FullScreen, nullptr },
        TailCase { "/save", SaverMode::FullScreen, nullptr },
        TailCase { "/p 1234", SaverMode::Preview, "1234" },
        TailCase { "/p1234", SaverMode::Preview, "1234" },
        TailCase { "/P   77", SaverMode::Preview, "77" },
        TailCase { "/p:1234", SaverMode::Preview, ":1234" },
        TailCase { "/p", SaverMode::Preview, "" },
        TailCase { "/l 1234", SaverMode::Preview, "1234" },
        TailCase { "/L\t1234", SaverMode::Preview, "\t1234" },
        TailCase { "/c", SaverMode::Configure, "" },
        TailCase { "/c:1234", SaverMode::Configure, "1234" },
        TailCase { "/C:", SaverMode::Configure, "" },
        TailCase { "/c 1234", SaverMode::Configure, "" },
        TailCase { "", SaverMode::ConfigureUnowned, nullptr },
        TailCase { " - / ", SaverMode::ConfigureUnowned, nullptr },
        TailCase { "/a 1234", SaverMode::PasswordChange, "1234" },
        TailCase { "-A", SaverMode::PasswordChange, "" },
        TailCase { "/\ts", SaverMode::Refused, nullptr },
        TailCase { "/x", SaverMode::Refused, nullptr },
        TailCase { "5", SaverMode::Refused, nullptr },
        TailCase { "\x83\x73", SaverMode::Refused, nullptr },
        TailCase { "/\xE3s", SaverMode::Refused, nullptr }));

TEST(ScanTail, PasswordChangeIsRefusedOnTheNtFamily)
{
    EXPECT_EQ(ScanCommandTail("/a 1234", false).mode, SaverMode::Refused);
    EXPECT_EQ(ScanCommandTail("/s", false).mode, SaverMode::FullScreen);
}

TEST(ParseWindowNumber, DecimalDigitsAtTheStartOnly)
{
    EXPECT_EQ(ParseWindowNumber("1234"), 1234u);
    EXPECT_EQ(ParseWindowNumber("12ab"), 12u);
    EXPECT_EQ(ParseWindowNumber(""), 0u);
    EXPECT_EQ(ParseWindowNumber("abc"), 0u);
    EXPECT_EQ(ParseWindowNumber(" 12"), 0u);
    EXPECT_EQ(ParseWindowNumber("-12"), 0u);
    EXPECT_EQ(ParseWindowNumber("0x1F"), 0u);
    EXPECT_EQ(ParseWindowNumber("4294967295"), 4294967295u);
    EXPECT_EQ(ParseWindowNumber("4294967296"), 0u);
    EXPECT_EQ(ParseWindowNumber("4294967300"), 4u);
}

} // namespace
