#include "qelSystemServices.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <uuid/uuid.h>

extern char** environ;

namespace
{
// strerror_r comes in two shapes; both end up here.
[[maybe_unused]] const char* chooseText(int result, const char* buffer)
{
    return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* chooseText(const char* result, const char*)
{
    return result;
}
}

bool qelSystemServices::errorText(int code, std::string& text)
{
    if (code <= 0 || !strerrorname_np(code))
        return false;
    char buffer[256] = {};
    const char* message = chooseText(strerror_r(code, buffer, sizeof buffer), buffer);
    if (!message || !*message)
        return false;
    text = message;
    return true;
}

int qelSystemServices::openInViewer(const char* path)
{
    if (!path)
        return VIEWER_FILE_NOT_FOUND;
    struct stat st;
    if (stat(path, &st) != 0)
        return errno == ENOENT ? VIEWER_FILE_NOT_FOUND : VIEWER_PATH_NOT_FOUND;

    // The viewer's own output must not mix with ours.
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return VIEWER_OUT_OF_RESOURCES;
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    char program[] = "xdg-open";
    char* argv[] = {program, const_cast<char*>(path), nullptr};
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        switch (rc) {
        case ENOENT: return VIEWER_NO_ASSOCIATION;
        case ENOMEM: return VIEWER_OUT_OF_MEMORY;
        case EACCES: return VIEWER_ACCESS_DENIED;
        default: return VIEWER_OUT_OF_RESOURCES;
        }
    }

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return VIEWER_OUT_OF_RESOURCES;
    }
    if (!WIFEXITED(status))
        return VIEWER_NO_ASSOCIATION;
    switch (WEXITSTATUS(status)) {
    case 0: return VIEWER_OK;
    case 1: return VIEWER_ASSOCIATION_INCOMPLETE;  // bad command line
    case 2: return VIEWER_FILE_NOT_FOUND;
    default: return VIEWER_NO_ASSOCIATION;          // no tool, or it failed
    }
}

bool qelSystemServices::createUUID(std::string& text)
{
    uuid_t id;
    uuid_generate(id);
    char buffer[37] = {};
    uuid_unparse_lower(id, buffer);
    text.assign(buffer);
    return text.size() == 36;
}
