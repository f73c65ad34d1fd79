#include "SdkTestSupport.h"

#include <functional>
#include <regex>
#include <sys/stat.h>

using namespace sdktest;

namespace {

std::vector<std::string> g_written;

int keepWritten(qelSDKOutputRecord* record)
{
    g_written.emplace_back(static_cast<const char*>(record->data), record->length);
    return 0;
}

qelSDKDocumentRecord* readFile(const char* id)
{
    if (!id || std::string(id) == "missing")
        return nullptr;
    std::string bytes = readText(id);
    auto* record = static_cast<qelSDKDocumentRecord*>(std::calloc(1, sizeof(qelSDKDocumentRecord)));
    record->data = std::malloc(bytes.size());
    std::memcpy(record->data, bytes.data(), bytes.size());
    record->length = static_cast<uint32_t>(bytes.size());
    return record;
}

} // namespace

class Conversion : public SdkTest
{
protected:
    // One whole calling order of a conversion function; its result.
    using Call = std::function<int(Conversion&)>;

    int cycle(int (*init)(), int (*term)(), const std::vector<std::pair<std::string, std::string>>& extra,
              const std::function<int()>& convert)
    {
        std::vector<qelSDKNameValue> options = pairs(extra);
        EXPECT_EQ(lorbane_SetOptions(options.data()), 0);
        EXPECT_EQ(init(), 0);
        lorbane_SetErrorHandler(&recordError);
        EXPECT_EQ(lorbane_ApplyOptions(options.data()), 0);
        int rc = convert();
        term();
        return rc;
    }

    struct Case
    {
        const char* name;
        std::function<int(Conversion&, const std::vector<std::pair<std::string, std::string>>&)> run;
    };

    static std::vector<Case> cases()
    {
        return {
            {"file",
             [](Conversion& t, const std::vector<std::pair<std::string, std::string>>& extra) {
                 NameList files({fopHello()});
                 return t.cycle(&lorbane_File_Init, &lorbane_File_Term, extra,
                                [&]() { return lorbane_File(files.first()); });
             }},
            {"memory",
             [](Conversion& t, const std::vector<std::pair<std::string, std::string>>& extra) {
                 std::string bytes = readText(fopHello());
                 void* out = nullptr;
                 int size = 0;
                 int rc = t.cycle(&lorbane_Mem_Init, &lorbane_Mem_Term, extra, [&]() {
                     return lorbane_Mem(&bytes[0], static_cast<int>(bytes.size()), &out, &size);
                 });
                 if (rc >= 0)
                     g_written.emplace_back(static_cast<const char*>(out), static_cast<size_t>(size));
                 std::free(out);
                 return rc;
             }},
            {"writer",
             [](Conversion& t, const std::vector<std::pair<std::string, std::string>>& extra) {
                 lorbane_SetWriterCallback(&keepWritten);
                 return t.cycle(&lorbane_Mem_Writer_Init, &lorbane_Mem_Writer_Term, extra,
                                []() { return lorbane_Mem_Writer(fopHello().c_str()); });
             }},
            {"memory reader",
             [](Conversion& t, const std::vector<std::pair<std::string, std::string>>& extra) {
                 NameList ids({fopHello()});
                 void* out = nullptr;
                 int size = 0;
                 auto all = extra;
                 all.emplace_back("FileCreationMode", "doc_merge");
                 int rc = t.cycle(&lorbane_Reader_Init, &lorbane_Reader_Term, all,
                                  [&]() { return lorbane_Mem_Reader(ids.first(), &out, &size); });
                 if (rc >= 0)
                     g_written.emplace_back(static_cast<const char*>(out), static_cast<size_t>(size));
                 std::free(out);
                 return rc;
             }},
        };
    }
};

TEST_F(Conversion, EachFunctionConvertsTheSampleTwiceInOneProcess)
{
    for (const Case& c : cases()) {
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(std::string(c.name) + " round " + std::to_string(round));
            TestEngine::log = EngineLog();
            g_written.clear();
            m_reported.clear();
            EXPECT_EQ(c.run(*this, {}), 0);
            EXPECT_EQ(TestEngine::log.documents, 1);
            EXPECT_EQ(TestEngine::log.pages, 2);
            EXPECT_TRUE(m_reported.empty());
            // Every call leaves nothing behind.
            EXPECT_FALSE(qelGlobalDSPool::exists());
            EXPECT_EQ(qelLorbane::getInstance(), nullptr);
            EXPECT_EQ(lorbane_SetErrorHandler(nullptr), nullptr);
        }
        if (std::string(c.name) != "file") {
            ASSERT_EQ(g_written.size(), 1u) << c.name;
            EXPECT_EQ(g_written[0], "PAGES=2") << c.name;
        }
    }
}

TEST_F(Conversion, OutputTheSettingsCannotServeFailsWithE012)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        m_reported.clear();
        TestEngine::log = EngineLog();
        EXPECT_EQ(c.run(*this, {{"OutputFormat", "TIFF"}, {"FormatType", "HUFFMAN"}}), -12);
        ASSERT_EQ(m_reported.size(), 1u);
        EXPECT_EQ(m_reported[0].number, -12);
        EXPECT_EQ(m_reported[0].message, "E012: Lorbane is not built for TIFF output format.");
        EXPECT_EQ(TestEngine::log.documents, 0);
        EXPECT_FALSE(qelGlobalDSPool::exists());
    }
}

// Waits for the kernel's format detection to read a check-out stream: it
// sees the stream's length of 0 as the end and fails with E046.
TEST_F(Conversion, FileReaderConvertsTwiceInOneProcess)
{
    for (int round = 0; round < 2; ++round) {
        TestEngine::log = EngineLog();
        NameList ids({fopHello()});
        std::string output = m_dir + "merged.pdf";
        int rc = cycle(&lorbane_Reader_Init, &lorbane_Reader_Term, {},
                       [&]() { return lorbane_File_Reader(ids.first(), output.c_str()); });
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(TestEngine::log.pages, 2);
    }
}

TEST_F(Conversion, FileReaderTakesDirectoryNameAndExtensionFromTheOutputName)
{
    NameList ids({fopHello()});
    const std::string out = m_dir + "sub/";
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    const std::string output = out + "merged.pdf";
    std::vector<qelSDKNameValue> options = pairs();
    lorbane_SetOptions(options.data());
    lorbane_Reader_Init();
    lorbane_ApplyOptions(options.data());
    EXPECT_EQ(lorbane_File_Reader(ids.first(), output.c_str()), 0);
    lorbane_Reader_Term();
    ASSERT_EQ(TestEngine::log.outputPaths.size(), 1u);
    EXPECT_EQ(TestEngine::log.outputPaths[0], out);
}

TEST_F(Conversion, MemoryReaderSkipsADocumentTheReaderDoesNotDeliver)
{
    lorbane_SetReaderCallback(&readFile);
    NameList ids({fopHello(), "missing", fopHello()});
    std::vector<qelSDKNameValue> options = pairs({{"QuietMode", "off"}, {"FileCreationMode", "doc_merge"}});
    lorbane_SetOptions(options.data());
    lorbane_Reader_Init();
    lorbane_ApplyOptions(options.data());
    void* out = nullptr;
    int size = 0;
    EXPECT_EQ(lorbane_Mem_Reader(ids.first(), &out, &size), 0);
    lorbane_Reader_Term();
    EXPECT_EQ(TestEngine::log.pages, 4);
    EXPECT_EQ(std::string(static_cast<const char*>(out), static_cast<size_t>(size)), "PAGES=4");
    std::free(out);
    const std::string text = messages();
    const std::string warning = "Warning! There is no document object corresponding to the Doc Id:missing\n";
    EXPECT_EQ(text.find(warning), text.rfind(warning));
    EXPECT_NE(text.find(warning), std::string::npos);
    EXPECT_NE(text.find("\nTotal number of files processed: 3 \n"), std::string::npos);
    EXPECT_TRUE(std::regex_search(text, std::regex("\n\nCheckOut finished at : \\d\\d:\\d\\d:\\d\\d\n")));
}

namespace {

// Fails on its first page the way an image object's drawing does.
class ImageFailingEngine : public TestEngine
{
public:
    void initializePage(qelPage* page) override
    {
        TestEngine::initializePage(page);
        throw new qelImgException(__FILE__, __LINE__, 19, 0, false, "memory stream");
    }
};

// Fails while reading, before any document is written.
class ImageFailingParser : public TestParser
{
public:
    qelDocument* parseFirst(void*) override
    {
        throw new qelImgException(__FILE__, __LINE__, 19, 0, false, "memory stream");
    }
};

} // namespace

TEST_F(Conversion, ImageLibraryErrorsWhileWritingAreE013)
{
    const struct
    {
        const char* label;
        bool parser;
        int rc;
        const char* message;
    } failures[] = {
        {"writing", false, -13, "E013: OIL019: Error while creating TIFF handle for memory stream"},
        // The input runner's rule for exceptions of unknown type.
        {"parsing", true, -1, "E001: Unknown error."},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.label);
        if (f.parser)
            qelLorbane::registerParser(QEL_IN_AFP, [](int) -> qelDocumentParser* { return new ImageFailingParser(); },
                                       nullptr);
        else
            qelLorbane::registerOutputEngine(QEL_OUT_PDF,
                                             [](int, bool, bool) -> qelVisitor* { return new ImageFailingEngine(); });
        m_reported.clear();
        TestEngine::log = EngineLog();
        EXPECT_EQ(cases()[0].run(*this, {}), f.rc);
        ASSERT_EQ(m_reported.size(), 1u);
        EXPECT_EQ(m_reported[0].number, f.rc);
        EXPECT_EQ(m_reported[0].message, f.message);
        EXPECT_FALSE(qelGlobalDSPool::exists());
    }
}
