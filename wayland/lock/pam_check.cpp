#include "wayland/lock/pam_check.hpp"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <security/pam_appl.h>
#include <unistd.h>

#include "wayland/lock/password_pipe.hpp"

namespace {

constexpr char serviceName[] = "aurilo-wayland";

PasswordBuffer password; // the one being checked
PasswordBuffer reply; // to a later hidden question
int answerFd = -1;
int hiddenQuestions = 0; // asked in this check

// The first hidden question gets the password; any later one (a one-time
// code) is asked on the prompt in PAM's words, never answered with it.
char* AnswerHidden(int line, const char* question)
{
    if (hiddenQuestions++ == 0)
        return strdup(password.Text());
    if (!SendQuestion(line, question) || !ReceivePassword(line, reply))
        return nullptr;
    char* answer = strdup(reply.Text());
    reply.Wipe();
    return answer;
}

} // namespace

int Converse(int count, const pam_message** messages, pam_response** responses, void* answerLine)
{
    const int line = *static_cast<const int*>(answerLine);
    auto* answers = static_cast<pam_response*>(calloc(static_cast<size_t>(count), sizeof(pam_response)));
    if (answers == nullptr)
        return PAM_BUF_ERR;
    for (int i = 0; i < count; ++i) {
        const int style = messages[i]->msg_style;
        if (style == PAM_PROMPT_ECHO_OFF) {
            answers[i].resp = AnswerHidden(line, messages[i]->msg);
            if (answers[i].resp != nullptr)
                continue;
        } else if ((style == PAM_ERROR_MSG || style == PAM_TEXT_INFO) && SendMessage(line, messages[i]->msg)) {
            continue;
        }
        for (int j = 0; j < i; ++j) {
            if (answers[j].resp != nullptr)
                explicit_bzero(answers[j].resp, std::strlen(answers[j].resp));
            free(answers[j].resp);
        }
        free(answers);
        return PAM_CONV_ERR;
    }
    *responses = answers;
    return PAM_SUCCESS;
}

namespace {

// Copied: PAM's modules look users up too, in the same static storage.
const char* UserName()
{
    static char name[256];
    const passwd* user = getpwuid(getuid());
    if (user == nullptr || std::strlen(user->pw_name) >= sizeof name)
        return nullptr;
    std::strcpy(name, user->pw_name);
    return name;
}

// One PAM session: started, the password and the account checked, ended.
int Authenticate(const char* user)
{
    const pam_conv conversation { Converse, &answerFd };
    pam_handle_t* handle = nullptr;
    hiddenQuestions = 0;
    int status = pam_start(serviceName, user, &conversation, &handle);
    if (status == PAM_SUCCESS)
        status = pam_authenticate(handle, 0);
    // The account's rules too (expired, pam_access, pam_time); a password due
    // for change still unlocks, as the desktops' own lockers allow.
    if (status == PAM_SUCCESS) {
        status = pam_acct_mgmt(handle, 0);
        if (status == PAM_NEW_AUTHTOK_REQD)
            status = PAM_SUCCESS;
    }
    // Kerberos tickets and the like renewed; a failure here is not the password's.
    if (status == PAM_SUCCESS)
        pam_setcred(handle, PAM_REFRESH_CRED);
    if (handle != nullptr)
        pam_end(handle, status);
    return status;
}

// Before any password: can PAM start for this user at all?
bool PamStarts(const char* user)
{
    pam_handle_t* handle = nullptr;
    const pam_conv conversation { Converse, &answerFd };
    const int status = user != nullptr ? pam_start(serviceName, user, &conversation, &handle) : PAM_USER_UNKNOWN;
    if (handle != nullptr)
        pam_end(handle, status);
    if (status != PAM_SUCCESS) {
        SendMessage(answerFd, user == nullptr ? "no user name for this user id" : pam_strerror(nullptr, status));
        return false;
    }
    return true;
}

} // namespace

void ServePasswordChecks(int fd)
{
    answerFd = fd;
    // The screen side decides when the lock ends: the terminal's Ctrl+C is not ours.
    signal(SIGINT, SIG_IGN);
    const char* user = UserName();
    bool ready = password.LockInMemory() && reply.LockInMemory();
    if (!ready)
        SendMessage(fd, "cannot lock the password's memory in RAM");
    ready = ready && PamStarts(user);
    if (!SendVerdict(fd, ready) || !ready)
        return;
    while (ReceivePassword(fd, password)) {
        const bool accepted = Authenticate(user) == PAM_SUCCESS;
        password.Wipe();
        if (!SendVerdict(fd, accepted))
            break;
    }
    password.Wipe();
}
