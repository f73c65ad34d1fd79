// Shared fixture of the PDF visitor tests: a page kind for tests, a run of
// one document through the visitor into memory, and the checker tools.
#pragma once

#include "ScratchFolder.h"
#include "ShellCommand.h"
#include "CApiRun.h"
#include "qelDocument.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelMedia.h"
#include "qelMessageOutput.h"
#include "qelPDFVisitor.h"
#include "qelPage.h"
#include "qelPageCoordinateTransformer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace pdfvtest {

// A page of a given kind with its media size and resolution.
class TestPage : public qelPage, public qelMedia
{
public:
    TestPage(int kind, uint32_t width, uint32_t height, uint16_t resolution) : qelMedia(width, height), m_kind(kind)
    {
        setResolution(resolution);
    }
    void write(qelVisitor*) override {}
    int kind() const override { return m_kind; }
    void destroyBody() override { qelPage::destroyBody(); }

private:
    int m_kind;
};

using lrbtest::CommandResult;
using lrbtest::run;
using lrbtest::toolAvailable;

inline std::string tempPath(const std::string& suffix)
{
    static int counter = 0;
    return "/tmp/pdfvisitor_" + std::to_string(getpid()) + "_" + std::to_string(++counter) + suffix;
}

// Writes the visitor's in-memory PDF to path and frees it (the buffer
// belongs to whoever takes it).
inline void takeOutput(qelPDFVisitor& v, const std::string& path)
{
    {
        std::ofstream out(path, std::ios::binary);
        out.write(static_cast<const char*>(v.getOutputBuffer()), v.getOutputBufferSize());
    }
    std::free(const_cast<void*>(v.getOutputBuffer()));
    v.releaseOutputBuffer();
}

inline bool fileExists(const std::string& path)
{
    std::ifstream f(path);
    return f.good();
}

// Converts AFP files to PDF through the C interface in a scratch folder that
// is the current directory during the test (data/ linked, out/ made).
class FopConversionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
        ASSERT_EQ(::getcwd(m_oldDir, sizeof m_oldDir), m_oldDir);
        ASSERT_EQ(::chdir(m_dir.c_str()), 0);
        ASSERT_EQ(::symlink((std::string(LORBANE_SOURCE_DIR) + "/data").c_str(), "data"), 0);
        ASSERT_EQ(::mkdir("out", 0755), 0);
        std::ofstream(m_dir + "lorbane.ini") << "[Settings]\nCpPath=data/\n";
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
    }
    void TearDown() override
    {
        if (m_dir.empty())
            return;
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
        ASSERT_EQ(::chdir(m_oldDir), 0);
        m_folder.reset();
    }

    // Converts one AFP file in colour; the path of the PDF.
    std::string convert(const std::string& input)
    {
        const lrbtest::OptionPairs pairs = {
            {"IniFilePath", m_dir},   {"OutputFilePath", m_dir + "out/"}, {"LogPath", m_dir},
            {"OutputFormat", "PDF"}, {"Color", "on"},                     {"QuietMode", "on"}};
        EXPECT_GE(lrbtest::convertFile(pairs, input), 0);
        std::string name = input.substr(input.rfind('/') + 1);
        name = name.substr(0, name.rfind('.'));
        return m_dir + "out/" + name + ".pdf";
    }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    char m_oldDir[4096] = {};
    FILE* m_messages = nullptr;
};

class PdfVisitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        ini()->setQuietMode(true);
        ini()->setMemoryOutputStream(true);
        ini()->setColor(true);
        ini()->setAttribute("PDFCompression", "off");
    }
    void TearDown() override
    {
        delete qelGlobalDSPool::getInstance();
        qelMessageOutput::set(nullptr);
        if (m_messages)
            std::fclose(m_messages);
        for (const std::string& f : m_files)
            std::remove(f.c_str());
    }

    static qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }

    // The page start as the page's own write does it: visitor page start,
    // transformer set to the page, origin at the bottom left.
    static void startPage(qelPDFVisitor& v, TestPage& page)
    {
        v.initializePage(&page);
        qelPageCoordinateTransformer* t = qelGlobalDSPool::getInstance()->getPageCoordinateTransformer();
        t->setPageSize(static_cast<uint16_t>(v.getOutputPageWidth()), static_cast<uint16_t>(v.getOutputPageHeight()));
        t->setResolution(page.getResolution());
        v.getPresentationOrigin();
        v.writeWatermark();
    }

    // Runs one document of the given pages through a visitor; draw is
    // called on every page. Returns the PDF file written from memory.
    std::string runDocument(std::vector<TestPage*> pages, const std::function<void(qelPDFVisitor&, int)>& draw)
    {
        qelDocument doc("doc", 1);
        qelPDFVisitor v;
        EXPECT_EQ(1, v.initializeDoc(&doc));
        for (size_t i = 0; i < pages.size(); ++i) {
            startPage(v, *pages[i]);
            if (draw)
                draw(v, static_cast<int>(i));
            v.finalizePage();
        }
        v.finalizeDoc();
        v.cleanup();
        const std::string path = tempPath(".pdf");
        m_files.push_back(path);
        takeOutput(v, path);
        return path;
    }

    std::string runPage(TestPage& page, const std::function<void(qelPDFVisitor&)>& draw)
    {
        return runDocument({&page}, [&](qelPDFVisitor& v, int) {
            if (draw)
                draw(v);
        });
    }

    // Uncompressed content of every page, as qpdf writes it in QDF form.
    std::string contentOf(const std::string& pdf)
    {
        const std::string qdf = tempPath(".qdf");
        m_files.push_back(qdf);
        run("qpdf --qdf --object-streams=disable " + pdf + " " + qdf);
        std::ifstream in(qdf, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    std::vector<std::string> m_files;
    FILE* m_messages = nullptr;
};

// A page rendered to an RGB raster at the given dots per inch.
struct Raster
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    bool load(const std::string& ppm)
    {
        std::ifstream in(ppm, std::ios::binary);
        std::string magic;
        int maxValue = 0;
        in >> magic >> width >> height >> maxValue;
        in.get();
        if (magic != "P6" || width <= 0 || height <= 0)
            return false;
        rgb.resize(static_cast<size_t>(width) * height * 3);
        in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
        return static_cast<size_t>(in.gcount()) == rgb.size();
    }
    // Packed 0xRRGGBB of the pixel; 0xFFFFFFFF outside.
    uint32_t at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0xFFFFFFFFu;
        const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
    }
};

}
