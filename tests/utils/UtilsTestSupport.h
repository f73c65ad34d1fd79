#ifndef UTILS_TEST_SUPPORT_H
#define UTILS_TEST_SUPPORT_H

#include "ScratchFolder.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

// A scratch folder that also writes files.
class ScratchDir : public lrbtest::ScratchFolder
{
public:
    std::string file(const std::string& name, const std::string& bytes) const
    {
        std::string p = ScratchFolder::file(name);
        if (FILE* f = std::fopen(p.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return p;
    }
};

#endif
