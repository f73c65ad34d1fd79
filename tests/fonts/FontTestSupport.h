#ifndef FONT_TEST_SUPPORT_H
#define FONT_TEST_SUPPORT_H

#include "CapturedOutput.h"
#include "ScratchFolder.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>

// A fresh directory for the code page files and the mapping definition, the
// message output captured, and the pool torn down afterwards.
class FontFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
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
        m_folder.reset();
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
    std::string output() const { return lrbtest::streamText(m_output); }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    std::FILE* m_output = nullptr;
};

#endif
