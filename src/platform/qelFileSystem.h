#ifndef QEL_FILE_SYSTEM_H
#define QEL_FILE_SYSTEM_H

#include <string>
#include <vector>

// File system services: wildcard search and deletion.
namespace qelFileSystem
{
struct Entry
{
    std::string name;
    bool directory;
};

// Entries of a directory whose names match the wildcard part of the
// pattern ("dir/*.txt"; '*' and '?', ignoring case; "*.*" matches every
// name), sorted by name. The directory part ends at the last '/' or '\\'.
// 0 on success, else the error number of opening the directory.
int findFiles(const char* pattern, std::vector<Entry>& entries);
// Case-insensitive wildcard match of a whole name.
bool matchesWildcard(const char* pattern, const char* name);
// 0 on success, else the error number.
int removeFile(const char* path);
int removeDirectory(const char* path);
}

#endif
