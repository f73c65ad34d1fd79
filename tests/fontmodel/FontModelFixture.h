#ifndef FONT_MODEL_FIXTURE_H
#define FONT_MODEL_FIXTURE_H

#include "ScratchFolder.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// Fresh pool per test, console texts captured, a scratch directory.
class FontModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_console = std::tmpfile();
        qelMessageOutput::set(m_console);
        ini = qelGlobalDSPool::getInstance()->getIni();
        m_folder.reset(new lrbtest::ScratchFolder());
        scratch = m_folder->path() + "/";
    }
    void TearDown() override
    {
        qelUtils::releaseGlobals();
        qelMessageOutput::set(nullptr);
        if (m_console)
            std::fclose(m_console);
        m_folder.reset();
    }

    std::string writeFile(const std::string& name, const std::vector<unsigned char>& bytes) const
    {
        const std::string path = scratch + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        if (f) {
            if (!bytes.empty())
                std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }
    static bool exists(const std::string& path)
    {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (f)
            std::fclose(f);
        return f != nullptr;
    }

    qelIni* ini = nullptr;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string scratch;

private:
    FILE* m_console = nullptr;
};

#endif
