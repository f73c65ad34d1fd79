#include "qelFileSystem.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool matchFrom(const char* p, const char* n)
{
    // Iterative match with backtracking to the last '*'.
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*n) {
        if (*p == '*') {
            starP = p++;
            starN = n;
        } else if (*p == '?' || (*p && std::tolower(static_cast<unsigned char>(*p))
                                               == std::tolower(static_cast<unsigned char>(*n)))) {
            ++p;
            ++n;
        } else if (starP) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}
}

bool qelFileSystem::matchesWildcard(const char* pattern, const char* name)
{
    if (!pattern || !name)
        return false;
    if (std::strcmp(pattern, "*.*") == 0)
        return true;
    return matchFrom(pattern, name);
}

int qelFileSystem::findFiles(const char* pattern, std::vector<Entry>& entries)
{
    entries.clear();
    if (!pattern)
        return EINVAL;
    std::string text(pattern);
    size_t cut = text.find_last_of("/\\");
    std::string directory = cut == std::string::npos ? std::string(".") : text.substr(0, cut + 1);
    std::string wildcard = cut == std::string::npos ? text : text.substr(cut + 1);
    if (directory.empty())
        directory = "/";

    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return errno ? errno : ENOENT;
    while (struct dirent* item = readdir(dir)) {
        if (!matchesWildcard(wildcard.c_str(), item->d_name))
            continue;
        std::string full = directory;
        if (full.back() != '/' && full.back() != '\\')
            full += '/';
        full += item->d_name;
        struct stat st;
        bool isDir = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back({item->d_name, isDir});
    }
    closedir(dir);
    // Sorted without regard to case; names that differ only in case keep a
    // fixed order.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        int order = strcasecmp(a.name.c_str(), b.name.c_str());
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return 0;
}

int qelFileSystem::removeFile(const char* path)
{
    if (!path)
        return EINVAL;
    return unlink(path) == 0 ? 0 : errno;
}

int qelFileSystem::removeDirectory(const char* path)
{
    if (!path)
        return EINVAL;
    return rmdir(path) == 0 ? 0 : errno;
}
