#ifndef FONT_TEST_SUPPORT_H
#define FONT_TEST_SUPPORT_H

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

// A fresh directory for the code page files and the mapping definition, the
// message output captured, and the pool torn down afterwards.
class FontFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/lorbane-fonts-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = std::string(pattern) + "/";
        m_output = std::tmpfile();
        qelMessageOutput::set(m_output);
        ini()->setCpPath(m_dir.c_str());
        ini()->setAttribute("MappingDefFilename", "mapping.def");
    }

    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        if (m_output)
            std::fclose(m_output);
        qelUtils::releaseGlobals();
        qelUtils::resetEbcdicTables();
        qelUtils::deleteDirectory(m_dir.c_str());
    }

    static qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }

    void write(const std::string& name, const std::string& text) const
    {
        std::ofstream out(m_dir + name, std::ios::binary);
        out << text;
    }

    // Installs a mapping definition read from the text in the pool; the
    // load result through `result`.
    qelMappingDef* installMappingDef(const std::string& text, int* result = nullptr)
    {
        write("mapping.def", text);
        auto* md = new qelMappingDef();
        qelGlobalDSPool::getInstance()->setMappingDef(md);
        int r = md->load();
        if (result)
            *result = r;
        return md;
    }

    // Everything written to the message output so far.
    std::string output() const
    {
        std::fflush(m_output);
        std::rewind(m_output);
        std::string text;
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_output)) > 0)
            text.append(buffer, n);
        return text;
    }

    std::string m_dir;
    std::FILE* m_output = nullptr;
};

#endif
