#ifndef UTILS_TEST_SUPPORT_H
#define UTILS_TEST_SUPPORT_H

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

// A fresh directory below /tmp, removed with its files at the end.
class ScratchDir
{
public:
    ScratchDir()
    {
        char pattern[] = "/tmp/lrbutilsXXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? made : "/tmp";
    }
    ~ScratchDir()
    {
        std::string command = "rm -rf '" + m_path + "'";
        if (m_path != "/tmp")
            (void)std::system(command.c_str());
    }
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name, const std::string& bytes) const
    {
        std::string p = m_path + "/" + name;
        if (FILE* f = std::fopen(p.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return p;
    }

private:
    std::string m_path;
};

#endif
