/* A PAM module for the lock's checks: the account's password is due for
   change, and setcred appends the flags it was given to the file named by
   flags_to=PATH. */
#include <security/pam_modules.h>
#include <stdio.h>
#include <string.h>

PAM_EXTERN int pam_sm_authenticate(pam_handle_t* handle, int flags, int argc, const char** argv)
{
    (void)handle, (void)flags, (void)argc, (void)argv;
    return PAM_IGNORE;
}

PAM_EXTERN int pam_sm_acct_mgmt(pam_handle_t* handle, int flags, int argc, const char** argv)
{
    (void)handle, (void)flags, (void)argc, (void)argv;
    return PAM_NEW_AUTHTOK_REQD;
}

PAM_EXTERN int pam_sm_setcred(pam_handle_t* handle, int flags, int argc, const char** argv)
{
    (void)handle;
    for (int i = 0; i < argc; i++) {
        if (strncmp(argv[i], "flags_to=", 9) != 0)
            continue;
        FILE* file = fopen(argv[i] + 9, "a");
        if (file == NULL)
            return PAM_SYSTEM_ERR;
        fprintf(file, "%#x\n", (unsigned)(flags & ~PAM_SILENT));
        fclose(file);
    }
    return PAM_SUCCESS;
}
