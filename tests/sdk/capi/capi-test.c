/* Uses the C interface as a C program does: the public header and the
   shared library only. */
#include "lorbane.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int g_number = 0;
static char g_message[256];

static int handler(qelSDKError* error)
{
    g_number = error->errorNumber;
    snprintf(g_message, sizeof g_message, "%s", error->errorMessage ? error->errorMessage : "");
    return 0;
}

int main(void)
{
    int failures = 0;
    const char* version = lorbane_GetVersion();
    if (!version || strncmp(version, "Lorbane SDK v", 13) != 0) {
        fprintf(stderr, "unexpected version line: %s\n", version ? version : "(null)");
        ++failures;
    }
    const char* all = getVersionAll();
    if (!all || strncmp(all, version, strlen(version)) != 0) {
        fprintf(stderr, "component listing does not begin with the version line\n");
        ++failures;
    }
    /* The initialise needs an INI file. */
    char directory[] = "/tmp/lorbane-capi-XXXXXX";
    if (!mkdtemp(directory))
        return 1;
    char ini[64];
    snprintf(ini, sizeof ini, "%s/lorbane.ini", directory);
    FILE* file = fopen(ini, "w");
    if (!file)
        return 1;
    fputs("[Settings]\nQuietMode=on\n", file);
    fclose(file);
    qelSDKNameValue option = {(char*)"IniFilePath", directory, NULL};
    lorbane_SetOptions(&option);
    lorbane_SetErrorHandler(&handler);
    int rc = lorbane_File(NULL);
    if (rc != -209 || g_number != -209 || strcmp(g_message, "E209: Null FileList.") != 0) {
        fprintf(stderr, "lorbane_File(NULL): %d, handler %d \"%s\"\n", rc, g_number, g_message);
        ++failures;
    }
    lorbane_File_Term();
    remove(ini);
    rmdir(directory);
    if (failures == 0)
        fprintf(stderr, "%s\n", version);
    return failures == 0 ? 0 : 1;
}
