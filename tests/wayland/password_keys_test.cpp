#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/mman.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include "wayland/lock/password_keys.hpp"

namespace {

// The compositor's keymap arrives as a file, its text ending in a NUL.
int KeymapFile(const char* text, uint32_t& size)
{
    size = static_cast<uint32_t>(std::strlen(text) + 1);
    const int fd = memfd_create("keymap", 0);
    EXPECT_EQ(write(fd, text, size), static_cast<ssize_t>(size));
    return fd;
}

// A US keymap (or the layouts named) from the system's rules.
int UsKeymapFile(uint32_t& size, const char* variant = "", const char* layouts = "us")
{
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names us { "evdev", "pc105", layouts, variant, "" };
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &us, XKB_KEYMAP_COMPILE_NO_FLAGS);
    char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const int fd = KeymapFile(text, size);
    free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return fd;
}

TEST(PasswordKeys, KeysEditThePasswordWithTheKeymapTakenFromItsFileWhichIsClosed)
{
    uint32_t size = 0;
    const int fd = UsKeymapFile(size);
    ASSERT_TRUE(TakeKeymap(fd, size));
    EXPECT_EQ(fcntl(fd, F_GETFD), -1); // a file a keymap: none kept open, nor mapped
    std::ifstream maps("/proc/self/maps");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(maps), {}).find("memfd:keymap"), std::string::npos);
    static PasswordBuffer password;
    constexpr uint32_t keyA = 30, backspace = 14, escape = 1, enter = 28, leftShift = 42; // evdev codes
    EXPECT_EQ(TakePressedKey(keyA, password), KeyAction::edited);
    TakePressedKey(keyA, password);
    TakePressedKey(backspace, password);
    EXPECT_EQ(std::string(password.Text()), "a");
    EXPECT_EQ(TakePressedKey(enter, password), KeyAction::submitted);
    EXPECT_EQ(TakePressedKey(escape, password), KeyAction::cleared);
    EXPECT_EQ(password.Length(), 0u);
    EXPECT_TRUE(IsEscape(escape) && !IsEscape(keyA));
    EXPECT_TRUE(KeyRepeats(backspace) && KeyRepeats(keyA) && !KeyRepeats(leftShift));
    constexpr uint32_t capsLock = 2, numLock = 16; // Lock and Mod2 in the us keymap's mask bits
    constexpr uint32_t keypad1 = 79;
    TakePressedKey(keypad1, password); // End without Num Lock: no text
    TakeModifiers(0, 0, numLock | capsLock, 0);
    EXPECT_TRUE(CapsLockOn());
    TakePressedKey(keypad1, password);
    EXPECT_EQ(std::string(password.Text()), "1");
    TakeModifiers(0, 0, 0, 0);
    EXPECT_FALSE(CapsLockOn());
    constexpr uint32_t keyU = 22, control = 4; // Control's mask bit
    TakePressedKey(keyU, password); // u alone types
    EXPECT_EQ(std::string(password.Text()), "1u");
    TakeModifiers(control, 0, 0, 0);
    EXPECT_EQ(TakePressedKey(keyU, password), KeyAction::cleared);
    EXPECT_EQ(password.Length(), 0u);
    TakeModifiers(0, 0, 0, 0);
    password.Wipe();
    DropKeymap();
}

TEST(PasswordKeys, TheLayoutIsTheOneTheCompositorSays)
{
    uint32_t size = 0;
    const int fd = UsKeymapFile(size, "", "us,de");
    ASSERT_TRUE(TakeKeymap(fd, size));
    static PasswordBuffer password;
    constexpr uint32_t keyY = 21; // y in the us layout, z in the German one
    TakeModifiers(0, 0, 0, 0);
    TakePressedKey(keyY, password);
    TakeModifiers(0, 0, 0, 1);
    TakePressedKey(keyY, password);
    EXPECT_EQ(std::string(password.Text()), "yz");
    password.Wipe();
    DropKeymap();
}

TEST(PasswordKeys, DeadKeysComposeInTheLocalesTable)
{
    setenv("LC_ALL", "C.UTF-8", 1);
    uint32_t size = 0;
    const int fd = UsKeymapFile(size, "intl");
    ASSERT_TRUE(TakeKeymap(fd, size));
    static PasswordBuffer password;
    constexpr uint32_t apostrophe = 40, keyE = 18, backspace = 14; // us-intl's apostrophe is dead_acute
    EXPECT_EQ(TakePressedKey(apostrophe, password), KeyAction::other);
    EXPECT_EQ(TakePressedKey(keyE, password), KeyAction::edited);
    TakePressedKey(apostrophe, password);
    TakePressedKey(backspace, password); // deletes the é, and drops the half-typed sequence
    TakePressedKey(keyE, password);
    EXPECT_EQ(std::string(password.Text()), "e");
    setenv("LC_ALL", "xx_YY.UTF-8", 1); // no table of its own, and C's does not stand in: the dead key types nothing
    const int keymapFile = UsKeymapFile(size, "intl");
    ASSERT_TRUE(TakeKeymap(keymapFile, size));
    TakePressedKey(apostrophe, password);
    TakePressedKey(keyE, password);
    EXPECT_EQ(std::string(password.Text()), "ee");
    password.Wipe();
    DropKeymap();
    unsetenv("LC_ALL");
}

// A key whose text is too long for the room read for it types none of it, not a part.
TEST(PasswordKeys, AKeyTypingMoreThanFifteenBytesTypesNothing)
{
    const std::string fifteen = "a,a,a,a,a,a,a,a,a,a,a,a,a,a,a";
    const std::string keymap = "xkb_keymap { xkb_keycodes { <K> = 38; <L> = 39; }; xkb_types { include \"basic\" };"
                               " xkb_compat { }; xkb_symbols { key <K> { [ {"
        + fifteen + "} ] }; key <L> { [ {b," + fifteen + "} ] }; }; };";
    uint32_t size = 0;
    const int fd = KeymapFile(keymap.c_str(), size);
    ASSERT_TRUE(TakeKeymap(fd, size));
    static PasswordBuffer password;
    constexpr uint32_t keyK = 30, keyL = 31; // evdev's numbers: XKB's less 8
    EXPECT_EQ(TakePressedKey(keyL, password), KeyAction::other); // 16 bytes
    EXPECT_EQ(TakePressedKey(keyK, password), KeyAction::edited); // 15
    EXPECT_EQ(std::string(password.Text()), "aaaaaaaaaaaaaaa");
    password.Wipe();
    DropKeymap();
}

// The same for a Compose sequence's text: one byte types, 63 fill the room, 64 type none of it.
TEST(PasswordKeys, AComposedTextTooLongForItsRoomTypesNothing)
{
    char table[] = "/tmp/aurilo-compose-XXXXXX";
    const int file = mkstemp(table);
    const std::string fills(63, 'y');
    const std::string rules = "<dead_acute> <a> : \"x\"\n<dead_acute> <b> : \"" + fills + "\"\n<dead_acute> <c> : \""
        + fills + "z\"\n";
    ASSERT_EQ(write(file, rules.c_str(), rules.size()), static_cast<ssize_t>(rules.size()));
    close(file);
    setenv("XCOMPOSEFILE", table, 1);
    uint32_t size = 0;
    const int fd = UsKeymapFile(size, "intl");
    ASSERT_TRUE(TakeKeymap(fd, size));
    unsetenv("XCOMPOSEFILE");
    unlink(table);
    static PasswordBuffer password;
    constexpr uint32_t apostrophe = 40, keyA = 30, keyB = 48, keyC = 46; // us-intl's apostrophe is dead_acute
    for (const uint32_t key : { keyC, keyA, keyB }) {
        TakePressedKey(apostrophe, password);
        TakePressedKey(key, password);
    }
    EXPECT_EQ(std::string(password.Text()), "x" + fills);
    password.Wipe();
    DropKeymap();
}

// From one key a second to one a millisecond; a rate past that, or none, repeats nothing.
TEST(PasswordKeys, HeldKeysRepeatAsTheCompositorSaysWhereATimerCanFollow)
{
    const KeyRepeat slowest = TakeRepeatInfo(1, 1), fastest = TakeRepeatInfo(1000, 600);
    EXPECT_EQ(slowest.rate, 1);
    EXPECT_EQ(slowest.delay, 1);
    EXPECT_EQ(fastest.rate, 1000);
    EXPECT_EQ(TakeRepeatInfo(1001, 600).rate, 0);
    const KeyRepeat none = TakeRepeatInfo(0, -1);
    EXPECT_EQ(none.rate, 0);
    EXPECT_EQ(none.delay, 0);
}

} // namespace
