#ifndef KERNEL_TEST_SUPPORT_H
#define KERNEL_TEST_SUPPORT_H

#include "NullVisitor.h"
#include "ScratchTest.h"
#include "qelDocument.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelPage.h"
#include "qelUtils.h"
#include "qelVisitor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kerneltest {

using lrbtest::raisedId;

using lrbtest::readText;

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A page that tells the visitor it starts and ends.
class FakePage : public qelPage
{
public:
    explicit FakePage(const char* name = nullptr)
    {
        if (name)
            setName(name);
    }
    void write(qelVisitor* visitor) override
    {
        visitor->initializePage(this);
        visitor->finalizePage();
    }
    int kind() const override { return 11; }
};

// What every engine saw, shared by the engines of a run.
struct EngineLog
{
    int created = 0;
    int deleted = 0;
    int documents = 0;
    int pages = 0;
    int cleanups = 0;
    std::vector<std::string> outputNames;
    std::vector<std::string> calls;
};

// An output engine that opens at the first document, counts pages and at
// cleanup leaves a small output buffer behind.
class FakeEngine : public lrbtest::NullVisitor
{
public:
    static EngineLog* log;

    FakeEngine() { ++log->created; }
    ~FakeEngine() override { ++log->deleted; }

    int initializeDoc(qelDocument* document) override
    {
        int rc = qelVisitor::initializeDoc(document);
        m_open = true;
        ++log->documents;
        log->outputNames.push_back(getOutputFileName() ? getOutputFileName() : "");
        return rc;
    }
    void initializePage(qelPage* page) override
    {
        qelVisitor::initializePage(page);
        ++log->pages;
        setPageCount(++m_pages);
    }
    bool isDocumentOpen() override { return m_open; }
    void cleanup() override
    {
        ++log->cleanups;
        // Like real engines, output goes to memory only when asked.
        if (!getOptions() || !getOptions()->isMemoryOutputStream())
            return;
        std::string data = "PAGES=" + std::to_string(m_pages);
        setOutputBufferWithLength(data.data(), static_cast<int>(data.size()));
    }
    void finalizeDoc() override { log->calls.push_back("finalizeDoc"); }
    void addDocumentIndex(qelDocument*) override { log->calls.push_back("addDocumentIndex"); }


private:
    bool m_open = false;
    int m_pages = 0;
};

// One document the fake parser hands out: its name, page names and the
// parse state it leaves.
struct ScriptedDocument
{
    std::string name;
    std::vector<std::string> pages;
    int state;
};

// A document parser that returns scripted documents.
class FakeParser : public qelDocumentParser
{
public:
    static std::vector<ScriptedDocument> script;
    static int released;

    int loadResourceFile() override { return 0; }
    int getParserType() override { return 25; }
    qelDocument* parseFirst(void*) override
    {
        m_next = 0;
        return parseNext(nullptr);
    }
    qelDocument* parseNext(void*) override
    {
        if (m_next >= script.size())
            return nullptr;
        const ScriptedDocument& scripted = script[m_next++];
        auto* document = new qelDocument();
        document->setName(scripted.name.c_str());
        document->setId(static_cast<int32_t>(m_next));
        for (const std::string& page : scripted.pages)
            document->addPage(new FakePage(page.empty() ? nullptr : page.c_str()), 0);
        setParseState(scripted.state);
        return document;
    }

private:
    size_t m_next = 0;
};

// Records what the document writer receives.
struct WrittenRecord
{
    std::string name;
    std::string data;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::pair<std::string, std::string>> indexes;
};

// A fresh pool and kernel set-up per test: its own output directory, the
// message output captured, fake parser and engine registered.
class KernelTest : public ::testing::Test
{
protected:
    static std::vector<WrittenRecord>* s_written;

    static int recordWriter(qelSDKOutputRecord* record)
    {
        WrittenRecord r;
        r.name = record->name ? record->name : "";
        if (record->data)
            r.data.assign(static_cast<const char*>(record->data), record->length);
        for (qelSDKNameValue* n = record->attributeList; n; n = n->next)
            r.attributes.emplace_back(n->name, n->value ? n->value : "");
        for (qelSDKNameValue* n = record->indexList; n; n = n->next)
            r.indexes.emplace_back(n->name ? n->name : "", n->value ? n->value : "");
        s_written->push_back(r);
        return 0;
    }

    void SetUp() override
    {
        m_capture.reset(new lrbtest::CapturedOutput());
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
        FakeEngine::log = &m_engines;
        FakeParser::script.clear();
        FakeParser::released = 0;
        s_written = &m_written;
        qelLorbane::registerParser(QEL_IN_AFP, &createParser, nullptr);
        qelLorbane::registerOutputEngine(QEL_OUT_PDF, &createEngine);
        qelLorbane::setDocumentWriter(&recordWriter);

        ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setOutputFilePath(m_dir.c_str());
        ini->setIniFilePath(m_dir.c_str());
        ini->setPathsChecked(true);
        ini->setQuietMode(true);
        ini->setOutputFormat("PDF");
        input = m_dir + "in.afp";
        writeBytes(input, std::string("\x5A\x00\x10\xD3\xA8\xA8\x00\x00\x00", 9));
    }

    void TearDown() override
    {
        stopKernel();
        qelLorbane::clearChoices();
        qelLorbane::setDocumentWriter(nullptr);
        qelUtils::releaseGlobals();
        m_capture.reset();
        m_folder.reset();
    }

    static qelDocumentParser* createParser(int) { return new FakeParser(); }
    static qelVisitor* createEngine(int, bool, bool) { return new FakeEngine(); }

    // startKernel, startRun, the inputs with their document loops, endRun.
    void convert(const std::vector<std::string>& inputs)
    {
        qelIni::setCurrent(ini);
        for (const std::string& name : inputs)
            qelIni::addInputFile(name.c_str());
        startKernel();
        startRun();
        qelLorbane* kernel = qelLorbane::getInstance();
        for (const std::string& name : inputs) {
            ASSERT_EQ(kernel->openFileInput(name.c_str()), 0);
            ASSERT_EQ(kernel->processDocuments(), 0);
            endInput();
        }
        endRun();
    }

    std::string messages() { return m_capture->text(); }

    qelIni* ini = nullptr;
    std::string input;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
    EngineLog m_engines;
    std::vector<WrittenRecord> m_written;
    std::unique_ptr<lrbtest::CapturedOutput> m_capture;
};

} // namespace kerneltest

#endif
