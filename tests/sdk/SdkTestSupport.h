#ifndef SDK_TEST_SUPPORT_H
#define SDK_TEST_SUPPORT_H

#include "CApiRun.h"
#include "NullVisitor.h"
#include "ScratchTest.h"
#include "lorbane.h"
#include "qelDocument.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelImgException.h"
#include "qelIni.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelPage.h"
#include "qelSDKKernel.h"
#include "qelStream.h"
#include "qelVisitor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace sdktest {

using lrbtest::readText;

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string fopHello()
{
    return std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp";
}

// What the test engines of a call saw.
struct EngineLog
{
    int documents = 0;
    int pages = 0;
    std::vector<std::string> outputPaths;
};

class TestPage : public qelPage
{
public:
    void write(qelVisitor* visitor) override
    {
        visitor->initializePage(this);
        visitor->finalizePage();
    }
    int kind() const override { return 11; }
};

// Counts documents and pages; with memory output it leaves "PAGES=n".
class TestEngine : public lrbtest::NullVisitor
{
public:
    static EngineLog log;

    int initializeDoc(qelDocument* document) override
    {
        int rc = qelVisitor::initializeDoc(document);
        m_open = true;
        ++log.documents;
        const char* path = getOptions() ? getOptions()->getOutputFilePath() : nullptr;
        log.outputPaths.push_back(path ? path : "");
        return rc;
    }
    void initializePage(qelPage* page) override
    {
        qelVisitor::initializePage(page);
        ++log.pages;
        setPageCount(++m_pages);
    }
    bool isDocumentOpen() override { return m_open; }
    void cleanup() override
    {
        if (!getOptions() || !getOptions()->isMemoryOutputStream())
            return;
        std::string data = "PAGES=" + std::to_string(m_pages);
        setOutputBufferWithLength(data.data(), static_cast<int>(data.size()));
    }
    void finalizeDoc() override {}
    void addDocumentIndex(qelDocument*) override {}

private:
    bool m_open = false;
    int m_pages = 0;
};

// Reads the structured fields of its input (file, buffer or check-out
// stream) and hands out one document per Begin/End Document pair with one
// page per Begin Page. Documents are named documentName when it is set.
class TestParser : public qelDocumentParser
{
public:
    static std::string documentName;

    int loadResourceFile() override { return 0; }
    int getParserType() override { return 25; }
    qelDocument* parseFirst(void*) override
    {
        readInput();
        m_position = 0;
        return parseNext(nullptr);
    }
    qelDocument* parseNext(void*) override
    {
        std::unique_ptr<qelDocument> document;
        while (m_position + 6 <= m_bytes.size()) {
            const auto* b = reinterpret_cast<const unsigned char*>(m_bytes.data()) + m_position;
            if (b[0] != 0x5A)
                throw new qelException(__FILE__, __LINE__, 1 /* E001 */, 0, true);
            const size_t length = (static_cast<size_t>(b[1]) << 8) | b[2];
            if (length < 5)
                throw new qelException(__FILE__, __LINE__, 1 /* E001 */, 0, true);
            m_position += 1 + length;
            const unsigned id = (static_cast<unsigned>(b[3]) << 16) | (b[4] << 8) | b[5];
            if (id == 0xD3A8A8) {
                document.reset(new qelDocument());
                document->setName(documentName.empty() ? "document" : documentName.c_str());
            } else if (id == 0xD3A8AF && document) {
                document->addPage(new TestPage(), 0);
            } else if (id == 0xD3A9A8 && document) {
                setParseState(QEL_PARSE_END_DOCUMENT);
                return document.release();
            }
        }
        return nullptr;
    }

private:
    void readInput()
    {
        m_bytes.clear();
        if (getInputKind() == QEL_INPUT_MEMORY && getInputBuffer()) {
            m_bytes.assign(static_cast<const char*>(getInputBuffer()), static_cast<size_t>(getInputLength()));
        } else if (getInputKind() == QEL_INPUT_DOCUMENT_LIST && getInputStream()) {
            qelStream* stream = getInputStream();
            try {
                for (int c = stream->getChar(); c >= 0; c = stream->getChar())
                    m_bytes += static_cast<char>(c);
            } catch (qelException* e) {
                // The end of the last document.
                delete e;
            }
        } else if (getInputFileName()) {
            m_bytes = readText(getInputFileName());
        }
    }

    std::string m_bytes;
    size_t m_position = 0;
};

// Each test runs in a fresh directory with an INI file, its own message
// output and the test parser and engine in the kernel's registry.
class SdkTest : public ::testing::Test
{
protected:
    struct Reported
    {
        int number;
        std::string message;
    };
    static std::vector<Reported>* s_reported;

    static int recordError(qelSDKError* error)
    {
        s_reported->push_back({error->errorNumber, error->errorMessage ? error->errorMessage : ""});
        return error->errorNumber;
    }

    void SetUp() override
    {
        m_out = std::tmpfile();
        qelMessageOutput::set(m_out);
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
        ASSERT_EQ(::getcwd(m_oldDir, sizeof m_oldDir), m_oldDir);
        ASSERT_EQ(::chdir(m_dir.c_str()), 0);
        writeBytes(m_dir + "lorbane.ini", "[Settings]\n");
        TestEngine::log = EngineLog();
        TestParser::documentName.clear();
        s_reported = &m_reported;
        qelSDK::registerBuiltInEngines();
        qelLorbane::registerParser(QEL_IN_AFP, &createParser, nullptr);
        qelLorbane::registerOutputEngine(QEL_OUT_PDF, &createEngine);
    }

    void TearDown() override
    {
        lorbane_SetErrorHandler(nullptr);
        lorbane_SetWriterCallback(nullptr);
        lorbane_SetReaderCallback(nullptr);
        qelLorbane::clearChoices();
        qelMessageOutput::set(nullptr);
        std::fclose(m_out);
        ASSERT_EQ(::chdir(m_oldDir), 0);
        m_folder.reset();
    }

    static qelDocumentParser* createParser(int) { return new TestParser(); }
    static qelVisitor* createEngine(int, bool, bool) { return new TestEngine(); }

    // The option pairs of a call: the test directory for every path, quiet,
    // the given extra pairs last.
    std::vector<qelSDKNameValue> pairs(std::vector<std::pair<std::string, std::string>> extra = {})
    {
        m_texts.clear();
        m_texts.reserve(16);
        std::vector<std::pair<std::string, std::string>> all = {
            {"IniFilePath", m_dir}, {"OutputFilePath", m_dir}, {"LogPath", m_dir}, {"QuietMode", "on"}};
        all.insert(all.end(), extra.begin(), extra.end());
        std::vector<qelSDKNameValue> nodes(all.size());
        for (size_t i = 0; i < all.size(); ++i) {
            m_texts.push_back(all[i].first);
            m_texts.push_back(all[i].second);
        }
        for (size_t i = 0; i < all.size(); ++i) {
            nodes[i].name = &m_texts[2 * i][0];
            nodes[i].value = &m_texts[2 * i + 1][0];
            nodes[i].next = i + 1 < all.size() ? &nodes[i + 1] : nullptr;
        }
        return nodes;
    }

    std::string messages() { return lrbtest::streamText(m_out); }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    char m_oldDir[4096] = {};
    std::vector<std::string> m_texts;
    std::vector<Reported> m_reported;
    FILE* m_out = nullptr;
};

using lrbtest::NameList;

} // namespace sdktest

#endif
