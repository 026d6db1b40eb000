#include "wayland/session_lock.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "unix/monotonic_clock.hpp"
#include "wayland/lock_prompt.hpp"
#include "wayland/pam_check.hpp"
#include "wayland/password_keys.hpp"
#include "wayland/password_pipe.hpp"

namespace {

constexpr uint32_t promptSilenceMilliseconds = 10000;

enum class Prompt { hidden, typing, checking, wrong, told };

struct SessionLock {
    ext_session_lock_v1* lock; // null once given up
    bool locked; // the compositor said so, and has not ended it since
    int lockedNotice = -1; // -daemonize: the first process waits on it
    CheckerLink checker;
    AnswerReader answers;
    bool checking; // a password is with the child: only one at a time
    Prompt prompt;
    char told[256]; // PAM's last words in this check
    uint32_t lastKey;
    bool promptFailureTold;
};

SessionLock session;
PasswordBuffer typed; // the only copy on this side, wiped as soon as it is sent

void Fail(const char* why)
{
    if (client.failure == nullptr)
        client.failure = why;
}

void ShowPrompt(Prompt prompt)
{
    session.prompt = prompt;
    ShowLatestFrameAgain();
}

// --- the lock and its surfaces

// -daemonize: 'l', locked; 'f', this process has said why it ends. The first
// process may have gone: SIGPIPE is ignored.
void TellFirstProcess(char notice)
{
    if (session.lockedNotice < 0)
        return;
    (void)!write(session.lockedNotice, &notice, 1);
    close(session.lockedNotice);
    session.lockedNotice = -1;
}

void OnLocked(void*, ext_session_lock_v1*)
{
    session.locked = true;
    TellFirstProcess('l');
}

// Refused (another locker holds the session), or ended by the compositor's
// own means. A lock it ended is answered with nothing: the lock stays
// counted as held, so that nothing more is sent, and the program ends with 1.
void OnFinished(void*, ext_session_lock_v1* lock)
{
    if (session.locked) {
        session.locked = false;
        Fail("the compositor ended the lock by its own means");
        return;
    }
    ext_session_lock_v1_destroy(lock);
    session.lock = nullptr;
    Fail("the compositor would not lock the session: another locker may hold it");
}

const ext_session_lock_v1_listener lockListener { OnLocked, OnFinished };

void OnLockSurfaceConfigure(void* data, ext_session_lock_surface_v1* surface, uint32_t serial, uint32_t width,
    uint32_t height)
{
    ext_session_lock_surface_v1_ack_configure(surface, serial);
    ApplyConfigure(*static_cast<OutputView*>(data), width, height);
}

const ext_session_lock_surface_v1_listener lockSurfaceListener { OnLockSurfaceConfigure };

// Only here does the session unlock: the check accepted the password. The
// roundtrip makes sure the compositor has it before the program goes on.
void Unlock()
{
    if (!session.locked)
        return;
    ext_session_lock_v1_unlock_and_destroy(session.lock);
    session.lock = nullptr;
    session.locked = false;
    typed.Wipe();
    session.prompt = Prompt::hidden;
    if (wl_display_roundtrip(client.display) < 0)
        Fail("lost the connection to the compositor as it unlocked: the session may still be locked");
    else
        client.closeRequested = true;
}

// --- keys

void OnKeymap(void*, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size)
{
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
        close(fd);
        Fail("the compositor's keymap is not an XKB keymap");
    } else if (!TakeKeymap(fd, size)) {
        Fail("cannot read the compositor's keymap");
    }
}

void Submit()
{
    if (!SendPassword(session.checker.fd, typed))
        Fail("the password check's process has gone");
    typed.Wipe();
    session.checking = true;
    session.told[0] = 0;
    ShowPrompt(Prompt::checking);
}

// A key shows the prompt; while a check is under way keys change nothing.
// Keys before the compositor says the session is locked are not the
// password's: an unlock must never come before it.
void OnKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state)
{
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED || !session.locked)
        return;
    session.lastKey = MonotonicMilliseconds();
    if (session.checking)
        return;
    if (TakePressedKey(key, typed) == KeyAction::submitted)
        Submit();
    else
        ShowPrompt(Prompt::typing);
}

void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group)
{
    TakeModifiers(depressed, latched, locked, group);
}

void OnKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) { }
void OnKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) { }
void OnRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) { }

void OnPointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t)
{
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
}

void OnPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) { }
void OnPointerMotion(void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) { }
void OnPointerButton(void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t) { }
void OnPointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) { }
void OnPointerFrame(void*, wl_pointer*) { }
void OnPointerAxisSource(void*, wl_pointer*, uint32_t) { }
void OnPointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) { }
void OnPointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) { }

// --- the check's answers

// The first answer, before any password: PAM can check, or why not.
bool CheckerReady(std::string& error)
{
    CheckAnswer answer {};
    std::string told;
    while (true) {
        while (session.answers.Next(answer)) {
            if (answer.kind == CheckAnswer::accepted)
                return true;
            if (answer.kind == CheckAnswer::message)
                told = answer.text;
            else
                return error = "PAM cannot check passwords for service aurilo-wayland: " + told, false;
        }
        if (!session.answers.ReadFrom(session.checker.fd))
            return error = "the password check's process ended", false;
    }
}

void TakeVerdict(bool accepted)
{
    if (!session.checking) {
        Fail("the password check's process answered no question");
        return;
    }
    session.checking = false;
    if (accepted) {
        Unlock();
        return;
    }
    std::fprintf(stderr, "aurilo-wayland: the password was refused\n");
    session.lastKey = MonotonicMilliseconds();
    ShowPrompt(session.told[0] != 0 ? Prompt::told : Prompt::wrong);
}

const char* PromptWords()
{
    switch (session.prompt) {
    case Prompt::checking:
        return session.told[0] != 0 ? session.told : "checking";
    case Prompt::wrong:
        return "wrong";
    case Prompt::told:
        return session.told;
    default:
        return "typing";
    }
}

// Without a file of its own PAM would check with "other", which refuses
// every password on some systems: a lock no password opens.
bool PamHasService()
{
    return access("/etc/pam.d/aurilo-wayland", R_OK) == 0 || access("/usr/lib/pam.d/aurilo-wayland", R_OK) == 0;
}

} // namespace

const wl_keyboard_listener lockKeyboardListener { OnKeymap, OnKeyboardEnter, OnKeyboardLeave, OnKey, OnModifiers,
    OnRepeatInfo };

const wl_pointer_listener lockPointerListener { .enter = OnPointerEnter, .leave = OnPointerLeave,
    .motion = OnPointerMotion, .button = OnPointerButton, .axis = OnPointerAxis, .frame = OnPointerFrame,
    .axis_source = OnPointerAxisSource, .axis_stop = OnPointerAxisStop, .axis_discrete = OnPointerAxisDiscrete };

bool PrepareLock(std::string& error)
{
    // A reader gone from stderr or from -daemonize's notice must not end the lock.
    signal(SIGPIPE, SIG_IGN);
    const rlimit noCoreFiles { 0, 0 };
    if (!PamHasService())
        error = "PAM has no file for aurilo-wayland in /etc/pam.d or /usr/lib/pam.d: install the package's";
    else if (setrlimit(RLIMIT_CORE, &noCoreFiles) != 0 || prctl(PR_SET_DUMPABLE, 0) != 0)
        error = "cannot keep the password out of core files";
    else if (!typed.LockInMemory())
        error = "cannot lock the password's memory in RAM";
    else if (!StartChecker(session.checker, ServePasswordChecks))
        error = "cannot start the password check's process";
    else
        CheckerReady(error);
    return error.empty();
}

bool DetachUntilLocked(std::string& error)
{
    int notice[2];
    if (pipe2(notice, O_CLOEXEC) != 0)
        return error = "cannot make a pipe for -daemonize", false;
    const pid_t daemon = fork();
    if (daemon < 0)
        return error = "cannot fork for -daemonize", false;
    if (daemon == 0) {
        close(notice[0]);
        setsid();
        session.lockedNotice = notice[1];
        return true;
    }
    close(notice[1]);
    char said = 0;
    ssize_t got;
    do
        got = read(notice[0], &said, 1);
    while (got < 0 && errno == EINTR);
    if (got != 1)
        std::fprintf(stderr, "aurilo-wayland: the session was not locked\n");
    _exit(got == 1 && said == 'l' ? 0 : 1);
}

void ToldWhyNotLocked()
{
    TellFirstProcess('f');
}

void LockSession()
{
    session.lock = ext_session_lock_manager_v1_lock(client.lockManager);
    ext_session_lock_v1_add_listener(session.lock, &lockListener, nullptr);
}

// No commit before the first configure: the compositor forbids it.
void GiveLockRole(OutputView& view)
{
    if (session.lock == nullptr || view.output.proxy == nullptr)
        return;
    view.lockSurface = ext_session_lock_v1_get_lock_surface(session.lock, view.surface, view.output.proxy);
    ext_session_lock_surface_v1_add_listener(view.lockSurface, &lockSurfaceListener, &view);
}

void DestroyLockSurface(OutputView& view)
{
    if (view.lockSurface != nullptr)
        ext_session_lock_surface_v1_destroy(view.lockSurface);
    view.lockSurface = nullptr;
}

bool LockHeld()
{
    return session.lock != nullptr;
}

// A prompt whose words cannot be drawn is drawn without them: the lock holds.
void DrawLockPrompt(const OutputView& view, uint8_t* pixels, uint32_t stride)
{
    if (session.prompt == Prompt::hidden)
        return;
    const OutputLayout& layout = view.layout;
    const uint32_t shownWidth = client.options.compositorScaling ? imageWidth : layout.fit.width;
    const uint32_t shownHeight = client.options.compositorScaling ? imageHeight : layout.fit.height;
    const PromptPlace place { pixels, layout.bufferWidth, layout.bufferHeight, stride, layout.imageX + shownWidth / 2,
        layout.imageY + shownHeight / 2, static_cast<double>(layout.bufferWidth) / layout.width };
    if (DrawPrompt(place, typed.Characters(), PromptWords()))
        return;
    if (!session.promptFailureTold)
        std::fprintf(stderr, "aurilo-wayland: cannot draw the prompt's words; it shows without them\n");
    session.promptFailureTold = true;
    DrawPrompt(place, typed.Characters(), "");
}

int CheckerDescriptor()
{
    return session.checker.fd;
}

void ReadCheckerAnswers()
{
    if (!session.answers.ReadFrom(session.checker.fd)) {
        Fail("the password check's process ended");
        return;
    }
    CheckAnswer answer {};
    while (client.failure == nullptr && session.answers.Next(answer)) {
        if (answer.kind == CheckAnswer::message) {
            std::memcpy(session.told, answer.text, sizeof session.told);
            ShowPrompt(session.prompt);
        } else if (answer.kind == CheckAnswer::garbled) {
            Fail("the password check's process answered what no answer begins with");
        } else {
            TakeVerdict(answer.kind == CheckAnswer::accepted);
        }
    }
}

int64_t PromptHidesIn(uint32_t now)
{
    if (session.prompt == Prompt::hidden || session.checking)
        return -1;
    const uint32_t silent = now - session.lastKey;
    return silent >= promptSilenceMilliseconds ? 0 : promptSilenceMilliseconds - silent;
}

void HidePromptWhenSilent(uint32_t now)
{
    if (PromptHidesIn(now) != 0)
        return;
    typed.Wipe();
    ShowPrompt(Prompt::hidden);
}
