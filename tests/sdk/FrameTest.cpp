#include "SdkTestSupport.h"

#include <regex>
#include <sys/stat.h>

using namespace sdktest;

class Frame : public SdkTest
{
};

TEST_F(Frame, ArgumentErrorsReachTheHandlerAndLeaveOutParametersAsDocumented)
{
    lorbane_SetErrorHandler(&recordError);
    EXPECT_EQ(lorbane_File(nullptr), -209);
    ASSERT_EQ(m_reported.size(), 1u);
    EXPECT_EQ(m_reported[0].number, -209);
    EXPECT_EQ(m_reported[0].message, "E209: Null FileList.");
    // The handler slot is emptied by every conversion.
    EXPECT_EQ(lorbane_SetErrorHandler(nullptr), nullptr);

    // lorbane_Mem writes its out-parameters only at a hand-over.
    char byte = 0x5A;
    void* sentinel = &byte;
    void* out = sentinel;
    int size = 77;
    lorbane_SetErrorHandler(&recordError);
    EXPECT_EQ(lorbane_Mem(&byte, 0, &out, &size), -200);
    EXPECT_EQ(out, sentinel);
    EXPECT_EQ(size, 77);
    EXPECT_EQ(m_reported.back().message, "E200: Null Input Buffer");

    // lorbane_Mem_Reader clears them at entry.
    lorbane_SetErrorHandler(&recordError);
    EXPECT_EQ(lorbane_Mem_Reader(nullptr, &out, &size), -208);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(size, 0);

    struct Case
    {
        int (*call)();
        int result;
        const char* message;
    } cases[] = {
        {[]() { return lorbane_Mem_Writer(""); }, -108, "E108: Missing Input File parameter"},
        {[]() { return lorbane_File_Reader(nullptr, ""); }, -207, "E207: Output file name is null"},
        {[]() { return lorbane_File_Reader(nullptr, "out.pdf"); }, -208, "E208: Null DocList."},
    };
    for (const Case& c : cases) {
        m_reported.clear();
        lorbane_SetErrorHandler(&recordError);
        EXPECT_EQ(c.call(), c.result);
        ASSERT_EQ(m_reported.size(), 1u);
        EXPECT_EQ(m_reported[0].message, c.message);
    }
    EXPECT_FALSE(qelGlobalDSPool::exists());
    lorbane_File_Term();
    lorbane_Mem_Term();
    lorbane_Mem_Writer_Term();
    lorbane_Reader_Term();
}

TEST_F(Frame, FormatChecksNameTheRefusedFormat)
{
    struct Case
    {
        std::vector<std::pair<std::string, std::string>> options;
        const char* message;
    } cases[] = {
        {{{"OutputFormat", "XML"}}, "E012: Lorbane is not built for XML output format."},
        {{{"InputFormat", "ASCII"}}, "E012: Lorbane is not built for ASCII input format."},
        {{{"InputFormat", "ASCII"}, {"OutputFormat", "XML"}}, "E012: Lorbane is not built for ASCII input format."},
    };
    for (const Case& c : cases) {
        m_reported.clear();
        std::vector<qelSDKNameValue> options = pairs(c.options);
        lorbane_SetOptions(options.data());
        ASSERT_EQ(lorbane_File_Init(), 0);
        lorbane_SetErrorHandler(&recordError);
        lorbane_ApplyOptions(options.data());
        NameList files({fopHello()});
        EXPECT_EQ(lorbane_File(files.first()), -12);
        lorbane_File_Term();
        ASSERT_EQ(m_reported.size(), 1u);
        EXPECT_EQ(m_reported[0].message, c.message);
    }
}

TEST_F(Frame, OptionPassesAndInitialise)
{
    EXPECT_EQ(lorbane_SetOptions(nullptr), -1);
    EXPECT_EQ(lorbane_ApplyOptions(nullptr), 1);

    // The INI location given in any case is used by the initialise.
    char key[] = "iNiPaTh";
    std::string sub = m_dir + "ini";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    writeBytes(sub + "/lorbane.ini", "[Settings]\nOutputFormat=XML\n");
    ASSERT_EQ(::chdir("/"), 0);
    qelSDKNameValue pair = {key, &sub[0], nullptr};
    EXPECT_EQ(lorbane_SetOptions(&pair), 0);
    EXPECT_EQ(lorbane_File_Init(), 0);
    EXPECT_EQ(qelGlobalDSPool::getInstance()->getIni()->getOutputFormat(), QEL_OUT_XML);
    // Too late once the INI file was read.
    setIniPath("/elsewhere");
    EXPECT_NE(messages().find("setIniPath( /elsewhere ) ignored, as it is called after loading ini\n"),
              std::string::npos);
    lorbane_File_Term();
    qelSDK::releaseGlobals();

    // Without an INI file the initialise fails and releases the pool.
    lorbane_SetErrorHandler(&recordError);
    EXPECT_LT(lorbane_Mem_Init(), 0);
    EXPECT_FALSE(qelGlobalDSPool::exists());
    EXPECT_FALSE(m_reported.empty());
    lorbane_Mem_Term();
}

TEST_F(Frame, DefaultHandlerReaderAndWriter)
{
    EXPECT_EQ(defaultErrorHandler(nullptr), -1);
    EXPECT_EQ(messages(), "");

    writeBytes("empty.afp", "");
    EXPECT_EQ(defaultDocumentReader("empty.afp"), nullptr);
    EXPECT_NE(messages().find("Error! Invalid file size for document empty.afp"), std::string::npos);
    writeBytes("doc.afp", "abc");
    qelSDKDocumentRecord* record = defaultDocumentReader("doc.afp");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(record->data), record->length), "abc");
    std::free(record->data);
    std::free(record);
    EXPECT_EQ(defaultDocumentWriter(nullptr), -1);
}

TEST_F(Frame, DefaultWriterNamesFilesAfterTheDocumentAndRefusesUnsafeNames)
{
    ASSERT_EQ(::mkdir("sub", 0755), 0);
    struct Case
    {
        const char* document;
        int result;
        std::vector<std::string> files;
    } cases[] = {
        {"DOC1.afp", 0, {"DOC1.afp", "DOC1.prop"}},
        {"./doc", 0, {"./doc", "./doc.prop"}},
        {"sub/part.x", 0, {"sub/part.x", "sub/part.prop"}},
        {"../escape.afp", 0, {}},
        {"/tmp/lorbane-absolute.afp", 0, {}},
        {"a/../../b.afp", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        TestParser::documentName = c.document;
        std::vector<qelSDKNameValue> options = pairs();
        lorbane_SetOptions(options.data());
        lorbane_Mem_Writer_Init();
        lorbane_ApplyOptions(options.data());
        // The writer's result never fails the conversion.
        EXPECT_EQ(lorbane_Mem_Writer(fopHello().c_str()), c.result);
        lorbane_Mem_Writer_Term();
        for (const std::string& file : c.files)
            EXPECT_FALSE(readText(file).empty()) << file;
    }
    EXPECT_NE(readText("DOC1.prop").find("Name="), std::string::npos);
    EXPECT_EQ(readText("DOC1.afp"), "PAGES=2");
    EXPECT_EQ(::access("../escape.afp", F_OK), -1);
    EXPECT_EQ(::access("/tmp/lorbane-absolute.afp", F_OK), -1);
    EXPECT_NE(messages().find("Error! Unable to use document name ../escape.afp as a file name"), std::string::npos);
}

TEST_F(Frame, VersionTexts)
{
    const std::string line = lorbane_GetVersion();
    EXPECT_TRUE(std::regex_match(
        line, std::regex(R"(Lorbane SDK v4\.3\.0\.32 \[Built for Linux 64-bit on [A-Z][a-z]{2} [ 123]\d \d{4} at \d\d:\d\d:\d\d\])")))
        << line;
    const char* all = getVersionAll();
    EXPECT_EQ(all, getVersionAll());
    const std::string listing = all;
    EXPECT_EQ(listing.substr(0, line.size() + 1), line + "\n");
    EXPECT_TRUE(std::regex_search(listing, std::regex(R"(\nFreetype Library {20}: V\d+\.\d+\.\d+)")));
    EXPECT_TRUE(std::regex_search(listing, std::regex(R"(\nOrvo PDF Library {20}: V)")));
}
