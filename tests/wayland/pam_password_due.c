/* A PAM module for the lock's checks. In the account stack, the password is
   due for change. In the auth stack, setcred appends the flags it was given
   to the file named by log=PATH; with ask_visible, authenticate writes
   "asked" there, asks a question with visible echo, writes "answered" if it
   got an answer and then lets the stack go on; otherwise it fails it. With
   garble=FD, authenticate first writes a byte that begins no answer onto
   descriptor FD, as a module writing on what it should not would. */
#include <security/pam_modules.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char* Argument(int argc, const char** argv, const char* name)
{
    const size_t length = strlen(name);
    for (int i = 0; i < argc; i++)
        if (strncmp(argv[i], name, length) == 0)
            return argv[i] + length;
    return NULL;
}

static int Note(int argc, const char** argv, const char* text)
{
    const char* path = Argument(argc, argv, "log=");
    FILE* file = path != NULL ? fopen(path, "a") : NULL;
    if (file == NULL)
        return PAM_SYSTEM_ERR;
    fprintf(file, "%s\n", text);
    fclose(file);
    return PAM_SUCCESS;
}

PAM_EXTERN int pam_sm_authenticate(pam_handle_t* handle, int flags, int argc, const char** argv)
{
    (void)flags;
    const struct pam_conv* conversation = NULL;
    const char* garble = Argument(argc, argv, "garble=");
    const unsigned char noAnswer = 0xFF;
    if (garble != NULL && write(atoi(garble), &noAnswer, 1) != 1)
        return PAM_SYSTEM_ERR;
    if (Argument(argc, argv, "ask_visible") == NULL)
        return PAM_IGNORE;
    if (pam_get_item(handle, PAM_CONV, (const void**)&conversation) != PAM_SUCCESS || conversation == NULL)
        return PAM_SYSTEM_ERR;
    Note(argc, argv, "asked");
    const struct pam_message question = { PAM_PROMPT_ECHO_ON, "Name: " };
    const struct pam_message* questions[] = { &question };
    struct pam_response* answer = NULL;
    if (conversation->conv(1, questions, &answer, conversation->appdata_ptr) != PAM_SUCCESS || answer == NULL)
        return PAM_AUTH_ERR;
    free(answer->resp);
    free(answer);
    Note(argc, argv, "answered");
    return PAM_SUCCESS;
}

PAM_EXTERN int pam_sm_acct_mgmt(pam_handle_t* handle, int flags, int argc, const char** argv)
{
    (void)handle, (void)flags, (void)argc, (void)argv;
    return PAM_NEW_AUTHTOK_REQD;
}

PAM_EXTERN int pam_sm_setcred(pam_handle_t* handle, int flags, int argc, const char** argv)
{
    (void)handle;
    char text[16];
    snprintf(text, sizeof text, "%#x", (unsigned)(flags & ~PAM_SILENT));
    return Note(argc, argv, text);
}
