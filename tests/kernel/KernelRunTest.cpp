#include "KernelTestSupport.h"

#include "qelGlobalDSPool.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"
#include "qelLogStream.h"
#include "qelProtocol.h"
#include "qelStatistic.h"
#include "qelTripletParser.h"

#include <dirent.h>
#include <sys/stat.h>

using namespace kerneltest;

namespace {

int countFiles(const std::string& dir, const std::string& prefix)
{
    int n = 0;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
            n += std::string(e->d_name).rfind(prefix, 0) == 0 ? 1 : 0;
        ::closedir(d);
    }
    return n;
}

std::string attribute(const WrittenRecord& r, const std::string& name)
{
    for (const auto& a : r.attributes)
        if (a.first == name)
            return a.second;
    return "<none>";
}

} // namespace

TEST_F(KernelTest, StartWithoutInputInWriterModeRaisesE108)
{
    ini->setApiMode(1);
    EXPECT_EQ(raisedId([] { startKernel(); }), 108);
    EXPECT_EQ(qelLorbane::getInstance(), nullptr);

    // Reader, memory and file modes need no input name; a second start
    // keeps the kernel.
    for (unsigned short mode : {2, 4, 16}) {
        ini->setApiMode(mode);
        startKernel();
        qelLorbane* first = qelLorbane::getInstance();
        ASSERT_NE(first, nullptr);
        startKernel();
        EXPECT_EQ(qelLorbane::getInstance(), first);
        stopKernel();
    }
}

TEST_F(KernelTest, DocumentModeEndsOneOutputWhenTheDocumentCompletes)
{
    ini->setFileCreationMode("DOC");
    FakeParser::script = {{"D1", {"P1"}, QEL_PARSE_PAGE}, {"D1", {"P2"}, QEL_PARSE_END_DOCUMENT}};
    convert({input});
    EXPECT_EQ(m_engines.created, 1);
    EXPECT_EQ(m_engines.deleted, 1);
    EXPECT_EQ(m_engines.documents, 1);
    EXPECT_EQ(m_engines.pages, 2);
    EXPECT_EQ(m_engines.cleanups, 1);
}

TEST_F(KernelTest, DocumentModeHandsEachCompletedDocumentToTheWriter)
{
    ini->setFileCreationMode("DOC");
    ini->setApiMode(1);
    ini->setMemoryOutputStream(true);
    FakeParser::script = {{"D1", {"P1"}, QEL_PARSE_PAGE}, {"D1", {"P2"}, QEL_PARSE_END_DOCUMENT}};
    convert({input});
    ASSERT_EQ(m_written.size(), 1u);
    EXPECT_EQ(m_written[0].name, "D1");
    EXPECT_EQ(m_written[0].data, "PAGES=2");
    EXPECT_EQ(attribute(m_written[0], "ID"), "1");
    EXPECT_EQ(attribute(m_written[0], "Format"), "pdf");
    EXPECT_EQ(attribute(m_written[0], "Size"), "7");
    EXPECT_EQ(attribute(m_written[0], "PageCount"), "2");
}

TEST_F(KernelTest, PageModeHandsOverEveryOutputThatHoldsPages)
{
    ini->setFileCreationMode("PAGE");
    ini->setApiMode(1);
    ini->setMemoryOutputStream(true);
    FakeParser::script = {
        {"A", {"P1"}, QEL_PARSE_PAGE},         // page complete
        {"B", {}, QEL_PARSE_INDEX_DOCUMENT_END}, // ended without pages
        {"C", {"P3"}, QEL_PARSE_END_OF_INPUT},  // pages, then the end of the input
    };
    convert({input});
    ASSERT_EQ(m_written.size(), 2u);
    EXPECT_EQ(m_written[0].name, "A");
    EXPECT_EQ(m_written[1].name, "C");
    EXPECT_EQ(m_written[1].data, "PAGES=1");
    EXPECT_EQ(m_engines.created, m_engines.deleted);
}

TEST_F(KernelTest, AllModeWithWriterHandsOverOncePerInputEvenWithoutOutput)
{
    ini->setFileCreationMode("ALL");
    ini->setApiMode(1);
    FakeParser::script = {};
    convert({input});
    ASSERT_EQ(m_written.size(), 1u);
    EXPECT_TRUE(m_written[0].data.empty());
}

TEST_F(KernelTest, DocumentCountNumbersSubDirectoriesAndRestoresTheOutputPath)
{
    ini->setFileCreationMode("DOC");
    ini->setDocumentCount(2);
    FakeParser::script = {{"D1", {"P1"}, QEL_PARSE_END_DOCUMENT},
                          {"D2", {"P1"}, QEL_PARSE_END_DOCUMENT},
                          {"D3", {"P1"}, QEL_PARSE_END_DOCUMENT}};
    convert({input});
    ASSERT_EQ(m_engines.outputNames.size(), 3u);
    EXPECT_EQ(m_engines.outputNames[0].rfind(m_dir + "00/", 0), 0u) << m_engines.outputNames[0];
    EXPECT_EQ(m_engines.outputNames[1].rfind(m_dir + "00/", 0), 0u) << m_engines.outputNames[1];
    EXPECT_EQ(m_engines.outputNames[2].rfind(m_dir + "01/", 0), 0u) << m_engines.outputNames[2];
    struct stat st;
    EXPECT_EQ(::stat((m_dir + "00").c_str(), &st), 0);
    EXPECT_STREQ(ini->getOutputFilePath(), m_dir.c_str());
}

TEST_F(KernelTest, DocumentNamesCannotLeaveTheOutputDirectory)
{
    ini->setFileCreationMode("DOC");
    FakeParser::script = {{"../../etc/x", {"P1"}, QEL_PARSE_END_DOCUMENT},
                          {"a\\b", {"P1"}, QEL_PARSE_END_DOCUMENT}};
    convert({input});
    ASSERT_EQ(m_engines.outputNames.size(), 2u);
    EXPECT_EQ(m_engines.outputNames[0], m_dir + "______etc_x.pdf");
    EXPECT_EQ(m_engines.outputNames[1], m_dir + "a_b.pdf");
}

TEST_F(KernelTest, OneProtocolAndRunTotalsAcrossInputs)
{
    ini->setFileCreationMode("DOC");
    ini->setAttribute("Protocol", "on");
    ini->setAttribute("Statistic", "on");
    std::string second = m_dir + "second.afp";
    writeBytes(second, readText(input));
    FakeParser::script = {{"D1", {"P1", "P2"}, QEL_PARSE_END_DOCUMENT}};
    convert({input, second});
    EXPECT_EQ(countFiles(m_dir, "protocol_"), 1);
    EXPECT_EQ(qelStatistic::getRunDocumentCount(), 2);
    EXPECT_EQ(qelStatistic::getRunPageCount(), 4);
    // Both inputs appear in the one protocol.
    std::string protocol;
    if (DIR* d = ::opendir(m_dir.c_str())) {
        while (dirent* e = ::readdir(d))
            if (std::string(e->d_name).rfind("protocol_", 0) == 0)
                protocol = readText(m_dir + e->d_name);
        ::closedir(d);
    }
    EXPECT_NE(protocol.find("in.afp"), std::string::npos);
    EXPECT_NE(protocol.find("second.afp"), std::string::npos);
}

TEST_F(KernelTest, EachInputStartsWithAFreshTripletReader)
{
    FakeParser::script = {{"D1", {"P1"}, QEL_PARSE_END_DOCUMENT}};
    qelIni::setCurrent(ini);
    qelIni::addInputFile(input.c_str());
    startKernel();
    startRun();
    qelLorbane* kernel = qelLorbane::getInstance();
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    for (int n = 1; n <= 2; ++n) {
        ASSERT_EQ(kernel->openFileInput(input.c_str()), 0);
        qelTripletParser* reader = pool->getTripletParser();
        EXPECT_EQ(reader->getResourceType(), 0) << "input " << n;
        EXPECT_EQ(reader->getMappingOption(), 0xFF) << "input " << n;
        reader->setResourceType(0x40);
        reader->setMappingOption(0x20);
        ASSERT_EQ(kernel->processDocuments(), 0);
        endInput();
        EXPECT_FALSE(pool->hasObject(QEL_POOL_TRIPLET_PARSER)) << "input " << n;
    }
    endRun();
}

TEST_F(KernelTest, InputsThatCannotBeConvertedEndTheCall)
{
    qelIni::setCurrent(ini);
    qelIni::addInputFile(input.c_str());
    startKernel();
    startRun();
    qelLorbane* kernel = qelLorbane::getInstance();

    const std::string pdf = m_dir + "in.pdf";
    writeBytes(pdf, "%PDF-1.4\n");
    const std::string longName = m_dir + std::string(5000, 'x');
    struct Case {
        std::string name;
        int id;
    } cases[] = {
        {m_dir + "missing.afp", 23}, // not there
        {m_dir, 23},                 // a directory
        {longName, 23},              // longer than a path can be
        {pdf, 12},                   // no parser for the format
    };
    for (const Case& c : cases) {
        EXPECT_EQ(raisedId([&] { kernel->openFileInput(c.name.c_str()); }), c.id) << c.name.substr(0, 60);
        endInput();
    }
    EXPECT_NE(qelLorbane::getInstance(), nullptr);
    endRun();
}

TEST_F(KernelTest, LineDataHasParsersOnlyInColdMode)
{
    qelLorbane::registerParser(QEL_IN_LPD, &createParser, nullptr);
    ini->setInputFormat("LPD");
    ini->setAttribute("SpoolFileType", "ASA");
    qelIni::setCurrent(ini);
    qelIni::addInputFile(input.c_str());
    const std::string text = m_dir + "lines.txt";
    writeBytes(text, " line one\n");
    startKernel();
    startRun();
    EXPECT_EQ(raisedId([&] { qelLorbane::getInstance()->openFileInput(text.c_str()); }), 12);
    endInput();
    endRun();
}

TEST_F(KernelTest, OutputFormatsWithoutEnginesAreRefused)
{
    ini->setFileCreationMode("DOC");
    FakeParser::script = {{"D1", {"P1"}, QEL_PARSE_END_DOCUMENT}};
    struct Case {
        const char* format;
        int id;
    } cases[] = {{"TIFF", 12}, {"XML", 24}};
    for (const Case& c : cases) {
        ini->setOutputFormat(c.format);
        qelIni::setCurrent(ini);
        qelIni::addInputFile(input.c_str());
        startKernel();
        startRun();
        qelLorbane* kernel = qelLorbane::getInstance();
        ASSERT_EQ(kernel->openFileInput(input.c_str()), 0);
        EXPECT_EQ(raisedId([&] { kernel->processDocuments(); }), c.id) << c.format;
        endInput();
        endRun();
        stopKernel();
    }
}

TEST_F(KernelTest, MemoryInputSwitchesCodedOutputOnForInputOtherThanPdf)
{
    ini->setCodedOutput(false);
    ini->setQuietMode(false);
    ini->setApiMode(4);
    startKernel();
    startRun();
    const std::string bytes = readText(input);
    qelLorbane* kernel = qelLorbane::getInstance();
    ASSERT_EQ(kernel->openBufferInput(reinterpret_cast<const unsigned char*>(bytes.data()),
                                      static_cast<int>(bytes.size()), "doc1"),
              0);
    EXPECT_TRUE(ini->isCodedOutput());
    EXPECT_NE(messages().find("Warning! Non coded output format is allowed only for PDF input."), std::string::npos);
    EXPECT_EQ(kernel->openBufferInput(nullptr, 5, "none"), -1);
    endInput();
    endRun();
}

TEST_F(KernelTest, RunSetUpGivesTheImageLibraryItsDefaults)
{
    ini->setApiMode(16);
    startKernel();
    EXPECT_EQ(startRun(), 0);
    EXPECT_FLOAT_EQ(qelImgProcessor::getDefaultResolution(), 72.0f);
    EXPECT_NE(std::strstr(qelImgProcessor::getSoftwareName(), "Linux 64-bit"), nullptr)
        << qelImgProcessor::getSoftwareName();
    endRun();
}

TEST_F(KernelTest, RunInstallsTheImageLibraryLogByLogLevel)
{
    struct { const char* level; int imgLevel; } cases[] = {{"DEBUG", 3}, {"ERROR", -1}};
    ini->setApiMode(16);
    startKernel();
    for (const auto& c : cases) {
        qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
        log->setLevel(c.level);
        log->open((m_dir + "img.log").c_str());
        EXPECT_EQ(startRun(), 0);
        qelImgLogger* logger = qelImgProcessor::getLogger();
        EXPECT_EQ(logger ? logger->getLevel() : -1, c.imgLevel) << c.level;
        if (logger)
            logger->error("\tqelImgTest::line() 100%% %s", "verbatim");
        log->close();
        if (logger) {
            EXPECT_NE(readText(m_dir + "img.log").find("\tqelImgTest::line() 100% verbatim\n"), std::string::npos)
                << c.level;
        }
        endRun();
        EXPECT_EQ(qelImgProcessor::getLogger(), nullptr);
    }
}

TEST(KernelAttributes, OnlySetValuesBecomeNodes)
{
    struct Case {
        qelOutputDescription d;
        std::vector<std::string> names;
    } cases[] = {
        {{"out.pdf", 1, "pdf", 120, 3}, {"Name", "ID", "Format", "Size", "PageCount"}},
        {{"out.pdf", 1, "pdf", 0, 3}, {"Name", "ID", "Format", "PageCount"}},
        {{nullptr, 0, nullptr, 0, 0}, {}},
    };
    for (const Case& c : cases) {
        qelSDKNameValue* list = qelLorbane::buildDocumentAttributes(c.d);
        std::vector<std::string> names;
        for (qelSDKNameValue* n = list; n; n = n->next)
            names.push_back(n->name);
        EXPECT_EQ(names, c.names);
        qelLorbane::freeAttributes(list);
    }
}
