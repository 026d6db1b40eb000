#include "wayland/lock/session_lock.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ext-session-lock-v1-client.h"
#include "unix/monotonic_clock.hpp"
#include "unix/stop_signals.hpp"
#include "wayland/lock/lock_prompt.hpp"
#include "wayland/lock/pam_check.hpp"
#include "wayland/lock/password_keys.hpp"
#include "wayland/lock/password_pipe.hpp"
#include "wayland/wayland_client.hpp"

namespace {

constexpr uint32_t promptSilenceMilliseconds = 10000;
constexpr uint32_t slowCheckMilliseconds = 10000;

enum class Prompt { hidden, typing, checking, stillChecking, asked, wrong, told };

struct SessionLock {
    ext_session_lock_manager_v1* manager;
    ext_session_lock_v1* lock; // null once given up
    bool locked; // the compositor said so, and has not ended it since
    int lockedNotice = -1; // -daemonize: the first process waits on it
    CheckerLink checker;
    AnswerReader answers;
    bool checking; // a password is with the child: only one at a time
    bool asked; // ... and PAM asks another hidden question, typed as a password is
    Prompt prompt;
    char told[256]; // PAM's last words in this check
    char words[320]; // what the prompt says, Caps Lock included
    uint32_t lastKey;
    uint32_t checkStarted;
    KeyRepeat repeat;
    bool repeating;
    uint32_t repeatKey;
    uint32_t nextRepeat;
};

SessionLock session;
ext_session_lock_surface_v1* lockSurfaces[maxViews]; // each view's, by its place
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

// Signed, so that the millisecond clock may wrap.
int32_t MillisecondsUntil(uint32_t moment, uint32_t now)
{
    return static_cast<int32_t>(moment - now);
}

bool Due(uint32_t moment, uint32_t now)
{
    return MillisecondsUntil(moment, now) <= 0;
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

// Keys type while no check is out, or while PAM waits for another answer.
bool TakesTyping()
{
    return !session.checking || session.asked;
}

void Submit()
{
    if (!SendPassword(session.checker.fd, typed))
        Fail("the password check's process has gone");
    typed.Wipe();
    session.checking = true;
    session.asked = false;
    session.repeating = false;
    session.checkStarted = MonotonicMilliseconds();
    session.told[0] = 0;
    ShowPrompt(Prompt::checking);
}

bool CheckerReady(std::string& error);

// A check that does not answer (a fingerprint reader waiting, a server
// gone) must not hold the lock shut: its child is ended and a new one,
// holding nothing else of ours, takes its place.
void CancelCheck()
{
    kill(session.checker.child, SIGKILL);
    waitpid(session.checker.child, nullptr, 0);
    close(session.checker.fd);
    session.checker = {};
    session.answers = AnswerReader {};
    session.checking = false;
    std::string error;
    if (!StartChecker(session.checker, ServePasswordChecks) || !CheckerReady(error)) {
        static std::string words; // read as the program ends
        words = "cannot start a new password check's process";
        if (!error.empty())
            words += ": " + error;
        Fail(words.c_str());
        return;
    }
    std::fprintf(stderr, "aurilo-wayland: the password check was cancelled\n");
    session.told[0] = 0;
    ShowPrompt(Prompt::typing);
}

void TakeKey(uint32_t key)
{
    if (TakePressedKey(key, typed) == KeyAction::submitted)
        Submit();
    else
        ShowPrompt(Prompt::typing);
}

// A key shows the prompt; while a check is under way only Escape counts.
// Keys before the compositor says the session is locked are not the
// password's: an unlock must never come before it.
void OnKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state)
{
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) {
        if (key == session.repeatKey)
            session.repeating = false;
        return;
    }
    if (!session.locked)
        return;
    const uint32_t now = MonotonicMilliseconds();
    session.lastKey = now;
    if (session.checking && IsEscape(key)) {
        CancelCheck();
        return;
    }
    if (!TakesTyping())
        return;
    session.repeating = session.repeat.rate != 0 && KeyRepeats(key);
    session.repeatKey = key;
    session.nextRepeat = now + static_cast<uint32_t>(session.repeat.delay);
    TakeKey(key);
}

void RepeatHeldKey(uint32_t now)
{
    if (!session.repeating || !TakesTyping() || !Due(session.nextRepeat, now))
        return;
    session.lastKey = now;
    session.nextRepeat = now + static_cast<uint32_t>(1000 / session.repeat.rate);
    TakeKey(session.repeatKey);
}

void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group)
{
    TakeModifiers(depressed, latched, locked, group);
}

void OnKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) { }

void OnKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*)
{
    session.repeating = false;
}

void OnRepeatInfo(void*, wl_keyboard*, int32_t rate, int32_t delay)
{
    session.repeat = TakeRepeatInfo(rate, delay);
}

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

const char* StateWords()
{
    switch (session.prompt) {
    case Prompt::checking:
        return session.told[0] != 0 ? session.told : "checking";
    case Prompt::stillChecking:
        return "still checking: Escape cancels";
    case Prompt::wrong:
        return "wrong";
    case Prompt::asked:
    case Prompt::told:
        return session.told;
    default:
        return "typing";
    }
}

const char* PromptWords()
{
    std::snprintf(session.words, sizeof session.words, "%s%s", StateWords(), CapsLockOn() ? " (Caps Lock is on)" : "");
    return session.words;
}

// Without a file of its own PAM would check with "other", which refuses
// every password on some systems: a lock no password opens.
bool PamHasService()
{
    return access("/etc/pam.d/aurilo-wayland", R_OK) == 0 || access("/usr/lib/pam.d/aurilo-wayland", R_OK) == 0;
}

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

void BindLockManager(wl_registry* registry, uint32_t name, std::string_view interface, uint32_t)
{
    if (interface != ext_session_lock_manager_v1_interface.name)
        return;
    session.manager = static_cast<ext_session_lock_manager_v1*>(
        wl_registry_bind(registry, name, &ext_session_lock_manager_v1_interface, 1));
}

bool HasLockManager(std::string& error)
{
    if (session.manager == nullptr)
        error = "-lock needs ext_session_lock_manager_v1, which this compositor lacks";
    return session.manager != nullptr;
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
    // A stop signal ends the wait too: whoever sent it gives up on the lock.
    char said = 0;
    ssize_t got;
    do
        got = read(notice[0], &said, 1);
    while (got < 0 && errno == EINTR && !StopRequested());
    if (got != 1)
        std::fprintf(stderr, "aurilo-wayland: the session was not locked\n");
    _exit(got == 1 && said == 'l' ? 0 : 1);
}

// -daemonize first, so that the checking child belongs to the process that locks.
bool PrepareToLock(std::string& error)
{
    return (!client.options.daemonize || DetachUntilLocked(error)) && PrepareLock(error);
}

void ToldWhyNotLocked()
{
    TellFirstProcess('f');
}

void LockSession()
{
    session.lock = ext_session_lock_manager_v1_lock(session.manager);
    ext_session_lock_v1_add_listener(session.lock, &lockListener, nullptr);
}

// No commit before the first configure: the compositor forbids it.
void GiveLockRole(OutputView& view)
{
    if (session.lock == nullptr || view.output.proxy == nullptr)
        return;
    ext_session_lock_surface_v1*& surface = lockSurfaces[ViewIndex(view)];
    surface = ext_session_lock_v1_get_lock_surface(session.lock, view.surface, view.output.proxy);
    ext_session_lock_surface_v1_add_listener(surface, &lockSurfaceListener, &view);
}

void DestroyLockSurface(OutputView& view)
{
    ext_session_lock_surface_v1*& surface = lockSurfaces[ViewIndex(view)];
    if (surface != nullptr)
        ext_session_lock_surface_v1_destroy(surface);
    surface = nullptr;
}

bool LockHeld()
{
    return session.lock != nullptr;
}

void DrawLockPrompt(const OutputView& view, uint8_t* pixels, uint32_t stride)
{
    if (session.prompt == Prompt::hidden)
        return;
    const OutputLayout& layout = view.layout;
    const uint32_t shownWidth = client.options.compositorScaling ? imageWidth : layout.fit.width;
    const uint32_t shownHeight = client.options.compositorScaling ? imageHeight : layout.fit.height;
    const PromptPlace place { pixels, layout.bufferWidth, layout.bufferHeight, stride, layout.imageX + shownWidth / 2,
        layout.imageY + shownHeight / 2, static_cast<double>(layout.bufferWidth) / layout.width };
    DrawPrompt(place, typed.Characters(), PromptWords());
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
        } else if (answer.kind == CheckAnswer::question && session.checking) {
            std::memcpy(session.told, answer.text, sizeof session.told);
            session.asked = true;
            ShowPrompt(Prompt::asked);
        } else if (answer.kind == CheckAnswer::garbled) {
            Fail("the password check's process answered what no answer begins with");
        } else {
            TakeVerdict(answer.kind == CheckAnswer::accepted);
        }
    }
}

// The prompt hides once no key has come for a while, but never during a check.
bool PromptAwaitsKeys()
{
    return session.prompt != Prompt::hidden && !session.checking;
}

// A check out for long is said to be slow, once.
bool CheckShownAsUnderWay()
{
    return session.prompt == Prompt::checking && session.checking;
}

int64_t LockTimersDueIn(uint32_t now)
{
    constexpr int64_t none = std::numeric_limits<int64_t>::max();
    int64_t due = none;
    const auto sooner = [&due, now](uint32_t moment) {
        due = std::min<int64_t>(due, std::max(0, MillisecondsUntil(moment, now)));
    };
    if (PromptAwaitsKeys())
        sooner(session.lastKey + promptSilenceMilliseconds);
    if (CheckShownAsUnderWay())
        sooner(session.checkStarted + slowCheckMilliseconds);
    if (session.repeating && TakesTyping())
        sooner(session.nextRepeat);
    return due == none ? -1 : due;
}

void RunLockTimers(uint32_t now)
{
    RepeatHeldKey(now);
    if (CheckShownAsUnderWay() && Due(session.checkStarted + slowCheckMilliseconds, now))
        ShowPrompt(Prompt::stillChecking);
    if (PromptAwaitsKeys() && Due(session.lastKey + promptSilenceMilliseconds, now)) {
        typed.Wipe();
        ShowPrompt(Prompt::hidden);
    }
}

} // namespace

const ViewRole lockRole { .prepare = PrepareToLock, .bindGlobal = BindLockManager, .hasWhatItNeeds = HasLockManager,
    .give = GiveLockRole, .takeAway = DestroyLockSurface, .keyboard = &lockKeyboardListener,
    .pointer = &lockPointerListener, .drawOver = DrawLockPrompt, .onShow = LockSession,
    .descriptor = CheckerDescriptor, .readDescriptor = ReadCheckerAnswers, .timersDueIn = LockTimersDueIn,
    .runTimers = RunLockTimers, .holdsSession = LockHeld, .onFailure = ToldWhyNotLocked };
