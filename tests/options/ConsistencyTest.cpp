#include "ScratchFolder.h"
#include "CapturedOutput.h"
#include "qelColorEntry.h"
#include "qelColorTable.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogicalLocation.h"
#include "qelMessageOutput.h"
#include "qelOutputScale.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using lrbtest::CapturedOutput;

std::string text(const char* value)
{
    return value ? value : "<null>";
}

bool contains(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

// Every test runs in a fresh empty working directory.
class ConsistencyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldDir = fs::current_path();
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path();
        fs::current_path(m_dir);
        ini = qelGlobalDSPool::getInstance()->getIni();
    }
    void TearDown() override
    {
        qelUtils::releaseGlobals();
        fs::current_path(m_oldDir);
        m_folder.reset();
    }

    std::string makeDir(const std::string& name)
    {
        fs::create_directories(m_dir / name);
        return (m_dir / name).string() + "/";
    }
    std::string get(const char* key) { return text(ini->getAttribute(key)); }
    std::string resolve(const char* path, bool check = false)
    {
        std::unique_ptr<char[]> result(ini->resolvePath(nullptr, path, "Test", check));
        return text(result.get());
    }
    // Runs the directory check and returns the E-number it threw, or 0.
    int checkLogPathId()
    {
        try {
            ini->checkLogPath();
        } catch (qelException* e) {
            int id = e->getId();
            delete e;
            return id;
        }
        return 0;
    }

    fs::path m_oldDir;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    fs::path m_dir;
    qelIni* ini = nullptr;
};

} // namespace

TEST_F(ConsistencyTest, ResolvesPathsAgainstTheIniDirectory)
{
    struct Row
    {
        const char* iniPath;
        const char* path;
        const char* expected;
    };
    const Row rows[] = {
        {"conf/", "log", "conf/log/"},
        {"conf", "log/", "conf/log/"},
        {"conf/", "a\\b", "conf/a/b/"},
        {"conf/", "/abs/dir", "/abs/dir/"},
        {"conf/", "\\\\server\\share", "//server/share/"},
        {"conf/", "C:\\temp", "C:/temp/"},
        {"conf/", "@Host1", "@Host1"},
        {"conf/", "", "conf/"},
        {"/etc/lrb/", "res", "/etc/lrb/res/"},
    };
    for (const Row& row : rows) {
        ini->setIniFilePath(row.iniPath);
        EXPECT_EQ(resolve(row.path), row.expected) << row.iniPath << " + " << row.path;
    }
    EXPECT_EQ(resolve(nullptr), "<null>");

    // The old text may be the path itself.
    char* same = new char[5];
    std::strcpy(same, "logs");
    char* result = ini->resolvePath(same, same, "Log", false);
    EXPECT_STREQ(result, "/etc/lrb/logs/");
    delete[] result;
}

TEST_F(ConsistencyTest, CheckedResolutionFallsBackToTheIniDirectoryOnceThePathsAreChecked)
{
    ini->setIniFilePath(m_dir.c_str());
    ini->setOutputFilePath(makeDir("out").c_str());
    makeDir("fonts");

    // Before the check a missing directory is kept.
    EXPECT_EQ(resolve("missing", true), m_dir.string() + "/missing/");

    CapturedOutput out;
    ASSERT_EQ(checkLogPathId(), 0);
    EXPECT_EQ(resolve("fonts", true), m_dir.string() + "/fonts/");
    EXPECT_EQ(resolve("missing", true), m_dir.string() + "/");
    EXPECT_TRUE(contains(out.text(), "Warning! Invalid Test file path " + m_dir.string() + "/missing\n"));
    EXPECT_TRUE(contains(out.text(), "Writing the Test file in the ini path (" + m_dir.string() + "/)"));
}

TEST_F(ConsistencyTest, CheckPathsResolvesSelectedSettingsAndListsThem)
{
    ini->setIniFilePath("/srv/lrb");
    ini->setAttribute("LogPath", "logs", false);
    ini->setAttribute("OutputFilePath", "out\\pdf", false);
    ini->setAttribute("ScriptProcedure", "scripts\\doc.pm", false);
    ini->setAttribute("OverlayPath", "ovl, /abs/ovl", false);

    // Only the selected bit is resolved.
    ini->checkPaths(0x400);
    EXPECT_EQ(get("LogPath"), "/srv/lrb/logs/");
    EXPECT_EQ(get("OutputFilePath"), "out\\pdf");

    ini->setAttribute("DevTestLevel", "1", false);
    CapturedOutput out;
    ini->checkPaths(-1);
    EXPECT_EQ(get("OutputFilePath"), "/srv/lrb/out/pdf/");
    EXPECT_EQ(get("ScriptProcedure"), "/srv/lrb/scripts/doc.pm");
    EXPECT_EQ(get("ScriptWriter"), "/srv/lrb/scriptwriter.pm");
    EXPECT_EQ(get("PDFParserConfFile"), "/srv/lrb/pdfparser.conf");
    ASSERT_EQ(ini->getOverlayPathList().size(), 2u);
    EXPECT_EQ(ini->getOverlayPathList()[0], "/srv/lrb/ovl/");
    EXPECT_EQ(ini->getOverlayPathList()[1], "/abs/ovl/");
    // An absolute path is never put behind the INI directory.
    EXPECT_EQ(get("LogPath"), "/srv/lrb/logs/");

    const std::string listing = out.text();
    EXPECT_TRUE(contains(listing, "IniPath          : /srv/lrb/\n"));
    EXPECT_TRUE(contains(listing, "OutputPath       : /srv/lrb/out/pdf/\n"));
    EXPECT_TRUE(contains(listing, "ScriptFilename   : /srv/lrb/scripts/doc.pm\n"));
    EXPECT_TRUE(contains(listing, "ScriptWriter     : /srv/lrb/scriptwriter.pm\n"));
    EXPECT_TRUE(contains(listing, "OverlayPathList  : /srv/lrb/ovl/, /abs/ovl/\n"));
    EXPECT_TRUE(contains(listing, "FontPathList     : /srv/lrb/samples/resource/\n"));
}

TEST_F(ConsistencyTest, DirectoryCheckThrowsForMissingIniOrOutputDirectory)
{
    CapturedOutput out;
    ini->setIniFilePath("nowhere");
    EXPECT_EQ(checkLogPathId(), 101);

    qelUtils::releaseGlobals();
    ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setIniFilePath(m_dir.c_str());
    ini->setOutputFilePath("missing-out/");
    EXPECT_EQ(checkLogPathId(), 103);

    // Once checked, a new INI directory must exist at once; the old stays.
    EXPECT_THROW(
        {
            try {
                ini->setIniFilePath("nowhere");
            } catch (qelException* e) {
                EXPECT_EQ(e->getId(), 101);
                delete e;
                throw 1;
            }
        },
        int);
    EXPECT_EQ(get("IniFilePath"), m_dir.string() + "/");
}

TEST_F(ConsistencyTest, DirectoryCheckRepairsPathsAndWarnsEvenWhenQuiet)
{
    const std::string output = makeDir("out");
    ini->setIniFilePath(m_dir.c_str());
    ini->setOutputFilePath(output.c_str());
    ini->setAttribute("LoggingLevel", "1", false);
    ini->setAttribute("LogPath", "nolog/", false);
    ini->setAttribute("CpPath", "nocp/", false);
    ini->setAttribute("TempPath", "notemp/", false);
    ini->setAttribute("FileCreationMode", "DOC_INDEX", false);
    ini->setAttribute("QuietMode", "on", false);

    CapturedOutput out;
    ASSERT_EQ(checkLogPathId(), 0);
    const std::string printed = out.text();
    EXPECT_EQ(get("LogPath"), output);
    EXPECT_TRUE(contains(printed, "Warning! Invalid Log File Path nolog/ \n"));
    EXPECT_TRUE(contains(printed, "Writing the Log File in the output directory (" + output + ")\n"));
    EXPECT_EQ(get("CpPath"), "./");
    EXPECT_TRUE(contains(printed, "Warning! Invalid Codepage Path nocp/, Using default (afpcp)\n"));
    EXPECT_TRUE(contains(printed, "Using current directory (./)\n"));
    EXPECT_NE(get("TempPath"), "notemp/");
    EXPECT_TRUE(contains(printed, "Warning! Invalid Temporary Path, using System Temporary Path " + get("TempPath")));
    // Index path not given: the output directory.
    EXPECT_EQ(get("IndexPath"), output);
    EXPECT_TRUE(ini->isPathsChecked());
}

TEST_F(ConsistencyTest, GivenIndexPathIsCheckedInIndexModes)
{
    const std::string output = makeDir("out");
    ini->setIniFilePath(m_dir.c_str());
    ini->setOutputFilePath(output.c_str());
    ini->setAttribute("FileCreationMode", "DOC_COLD", false);
    ini->setAttribute("IndexPath", "noindex/", false);
    CapturedOutput out;
    ASSERT_EQ(checkLogPathId(), 0);
    EXPECT_EQ(get("IndexPath"), output);
    EXPECT_TRUE(contains(out.text(), "Warning! Invalid Index Path noindex/"));
}

TEST_F(ConsistencyTest, DirectoryGettersFallBackOnceOnFirstUse)
{
    // Resource path: given, then the default, then the current directory.
    ini->setResPath("nores/");
    {
        CapturedOutput out;
        EXPECT_STREQ(ini->getResPath(), "./");
        EXPECT_TRUE(contains(out.text(), "Warning! Invalid resource path nores/, Using default (samples/resource)\n"));
        EXPECT_TRUE(
            contains(out.text(), "Warning! Invalid resource path samples/resource/, Using current directory (./)\n"));
    }
    // Checked once: a later value is answered as it is.
    ini->setResPath("nores/");
    EXPECT_STREQ(ini->getResPath(), "nores/");

    qelUtils::releaseGlobals();
    ini = qelGlobalDSPool::getInstance()->getIni();
    makeDir("samples/resource");
    makeDir("extfont");
    ini->setResPath("nores/");
    ini->setExtFontPath("nofont/");
    ini->setMFMFontPath("nomfm/");
    ini->setOutputFilePath(makeDir("out").c_str());
    ini->setAttribute("QuietMode", "on", false);
    CapturedOutput quiet;
    EXPECT_EQ(get("ResPath"), "samples/resource/");
    EXPECT_EQ(get("ExtFontPath"), "extfont/");
    EXPECT_EQ(get("MFMFontPath"), (m_dir / "out").string() + "/");
    EXPECT_EQ(quiet.text(), "");

    // A logical location name is valid when the location exists.
    qelUtils::releaseGlobals();
    ini = qelGlobalDSPool::getInstance()->getIni();
    auto* location = new qelFTPLogicalLocation;
    location->setName("Host1");
    ini->addLogicalLocation(location);
    ini->setResPath("@host1");
    EXPECT_STREQ(ini->getResPath(), "@host1");
}

TEST_F(ConsistencyTest, ConsistencyPassAdjustsModesAndFormats)
{
    struct Row
    {
        const char* name;
        const char* input;
        const char* output;
        const char* mode;
        const char* pageOutput;
        const char* formatType;
        const char* color;
        const char* pkey;
        bool result;
        const char* expectMode;
        const char* expectPageOutput;
        bool expectUseGD;
        const char* expectColor;
        const char* message; // expected on the message output, or ""
    };
    const Row rows[] = {
        {"LPD forces DOC_COLD", "LPD", "PDF", "ALL", nullptr, nullptr, nullptr, nullptr, true, "DOC_COLD", "off",
         false, "off", "Warning! Invalid file creation mode (ALL) for LPD, forcing DOC_COLD\n"},
        {"LPD in DOC_COLD", "LPD", "PDF", "DOC_COLD", nullptr, nullptr, nullptr, nullptr, true, "DOC_COLD", "off",
         false, "off", ""},
        {"PNG in ALL", "AFP", "PNG", "ALL", nullptr, nullptr, nullptr, nullptr, true, "PAGE", "off", true, "off", ""},
        {"PNG in DOC_INDEX", "AFP", "PNG", "DOC_INDEX", nullptr, nullptr, nullptr, "UseGDI", true, "DOC_INDEX", "on",
         true, "off", ""},
        {"JPEG with GDI", "AFP", "JPEG", "ALL", nullptr, nullptr, nullptr, "UseGDI", true, "PAGE", "off", false, "off",
         ""},
        {"GIF in DOC_COLD", "AFP", "GIF", "DOC_COLD", nullptr, nullptr, nullptr, nullptr, true, "DOC_COLD", "on", true,
         "off", ""},
        {"PDF single page", "AFP", "PDF", "DOC_INDEX", "on", nullptr, nullptr, nullptr, true, "DOC_INDEX", "off",
         false, "off", "Warning! Single page output is not allowed for requested output format. Option is ignored.\n"},
        {"TIFF keeps page output", "AFP", "TIFF", "DOC", "on", "LZW", "on", nullptr, true, "DOC", "on", true, "on",
         ""},
        {"TIFF HUFFMAN", "AFP", "TIFF", "ALL", nullptr, "HUFFMAN", nullptr, nullptr, false, "ALL", "off", false, "off",
         "Error! Unsupported Tiff sub format type: HUFFMAN. Aborting...\n"},
        {"TIFF G4 in colour", "AFP", "TIFF", "ALL", nullptr, "G4_FAX", "on", nullptr, true, "ALL", "off", true, "off",
         "Warning! Color is not supported for TIFF G4 output format. Creating B/W pages... \n"},
        {"AFP BW in colour", "AFP", "AFP", "ALL", nullptr, "BW", "on", nullptr, true, "ALL", "off", false, "off",
         "Warning! Color is not supported for AFP BW output format. Ignoring color option.\n"},
        {"AFP with a raster type", "AFP", "AFP", "ALL", nullptr, "LZW", "on", nullptr, true, "ALL", "off", false, "on",
         "Warning! Invalid AFP format type TIFF LZW. Ignoring format type.\n"},
    };
    for (const Row& row : rows) {
        qelUtils::releaseGlobals();
        ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setAttribute("InputFormat", row.input, false);
        ini->setAttribute("OutputFormat", row.output, false);
        ini->setAttribute("FileCreationMode", row.mode, false);
        if (row.pageOutput)
            ini->setAttribute("PageOutput", row.pageOutput, false);
        if (row.formatType)
            ini->setAttribute("FormatType", row.formatType, false);
        if (row.color)
            ini->setAttribute("Color", row.color, false);
        if (row.pkey)
            ini->setAttribute("PKEY", row.pkey, false);
        CapturedOutput out;
        EXPECT_EQ(ini->checkFileCreationMode(), row.result) << row.name;
        EXPECT_EQ(get("FileCreationMode"), row.expectMode) << row.name;
        EXPECT_EQ(get("PageOutput"), row.expectPageOutput) << row.name;
        EXPECT_EQ(ini->hasSwitch("UseGD"), row.expectUseGD) << row.name;
        EXPECT_EQ(get("Color"), row.expectColor) << row.name;
        if (*row.message) {
            EXPECT_TRUE(contains(out.text(), row.message)) << row.name << ": " << out.text();
        } else {
            EXPECT_EQ(out.text(), "") << row.name;
        }
    }
}

TEST_F(ConsistencyTest, ConsistencyPassSetsModeDependentSettings)
{
    ini->setAttribute("FileCreationMode", "DOC_COLD", false);
    ini->setAttribute("ColdFormat", "PHP", false);
    ini->setAttribute("OutputFormat", "ASCII", false);
    ini->setAttribute("CodedOutput", "off", false);
    ini->setAttribute("ResourceGroup", "1", false);
    ini->setAttribute("StartingDocument", "5", false);
    ini->setAttribute("EndingDocument", "3", false);
    CapturedOutput out;
    ASSERT_TRUE(ini->checkFileCreationMode());
    EXPECT_EQ(get("ColdFormat"), "PERL");
    EXPECT_FALSE(ini->isDocumentGrouping());
    EXPECT_EQ(get("GenerateUniqueFile"), "on");
    EXPECT_EQ(get("CodedOutput"), "on");
    EXPECT_EQ(get("ResourceGroup"), "0");
    EXPECT_EQ(get("StartingDocument"), "3");
    EXPECT_EQ(get("EndingDocument"), "5");
    // The chosen pattern does not count as given.
    EXPECT_EQ(get("FilenamePattern"), "\"%s_%s.%ld\",SPOOLNAME,PID,DOCID");
    EXPECT_TRUE(ini->isNotGiven(0x8));
    EXPECT_TRUE(contains(out.text(), "Start Document Id and End Document Id values are swapped.\n"));

    qelUtils::releaseGlobals();
    ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setAttribute("OutputFormat", "AFP", false);
    ini->setAttribute("ResourceGroup", "1", false);
    ini->setAttribute("GenerateUniqueFile", "on", false);
    ini->setAttribute("PageOutput", "on", false);
    ini->setAttribute("StartingDocument", "-2", false);
    ini->setAttribute("EndingDocument", "-1", false);
    ini->setAttribute("ColorTolerance", "12", false);
    CapturedOutput second;
    ini->checkFileCreationMode();
    EXPECT_TRUE(ini->isDocumentGrouping());
    EXPECT_EQ(get("ResourceGroup"), "1");
    EXPECT_EQ(get("StartingDocument"), "0");
    EXPECT_EQ(get("EndingDocument"), "0");
    EXPECT_TRUE(contains(second.text(), "Warning! Start Document Id value is negative. Option is ignored.\n"));
    EXPECT_TRUE(contains(second.text(), "Warning! End Document Id value is negative. Option is ignored.\n"));
    // AFP output keeps page output off, so the unique pattern is chosen.
    EXPECT_EQ(get("FilenamePattern"), "\"%s_%s.%ld\",SPOOLNAME,PID,DOCID");
    ASSERT_NE(ini->getColorIndex(), nullptr);
    qelColorEntry* red = ini->getColorIndex()->getSlot(qelColorTable::SLOT_RED);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->getTolerance(), 12u);

    // A given pattern stays; page output with GIF picks the page pattern
    // when none is given.
    qelUtils::releaseGlobals();
    ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setAttribute("OutputFormat", "GIF", false);
    ini->setAttribute("FileCreationMode", "DOC_INDEX", false);
    ini->checkFileCreationMode();
    EXPECT_EQ(get("FilenamePattern"), "\"%s_%s.%ld.%ld\",SPOOLNAME,PID,DOCID,PAGEID");
    ini->setAttribute("FilenamePattern", "\"%s.x\",SPOOLNAME", false);
    ini->checkFileCreationMode();
    EXPECT_EQ(get("FilenamePattern"), "\"%s.x\",SPOOLNAME");
    EXPECT_EQ(ini->getFormatType(), 28);
    // The pass can run again without piling up switches.
    EXPECT_STREQ(ini->getPKEY(), "UseGD,");

    // HTML output picks its own script unless one was given.
    qelUtils::releaseGlobals();
    ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setAttribute("OutputFormat", "HTML", false);
    ini->checkFileCreationMode();
    EXPECT_EQ(get("ScriptWriter"), "html.pm");
    EXPECT_TRUE(ini->isNotGiven(0x100));
}

TEST_F(ConsistencyTest, ConsistencyPassLoadsSchemaAndTurnsSizeNamesIntoSizes)
{
    ini->setIniFilePath(m_dir.c_str());
    ini->setAttribute("OutputFormat", "PDFA", false);
    ini->setAttribute("OutputSize", "A4", false);
    ini->setAttribute("OutputScale", "Letter,lt", false);
    ini->setAttribute("ScaleToSize", "A5,gt,10", false);
    {
        std::ofstream schema(m_dir / "lrbschema.xmp");
        schema << "<rdf:Description>own</rdf:Description>";
    }
    ASSERT_TRUE(ini->checkFileCreationMode());
    EXPECT_STREQ(ini->getPDFAExtSchema(), "<rdf:Description>own</rdf:Description>");
    float width = 0;
    float height = 0;
    ini->getOutputSize(&width, &height);
    EXPECT_NEAR(width, 240 * 8.27f, 0.01);
    EXPECT_NEAR(height, 240 * 11.69f, 0.01);
    EXPECT_NEAR(ini->getOutputScale()->getWidth(), 240 * 8.5f, 0.01);
    EXPECT_EQ(ini->getOutputScale()->getResolution(), 240);
    EXPECT_NEAR(ini->getScaleToSize()->getWidth(), 240 * 5.83f, 0.01);
    EXPECT_NEAR(ini->getScaleToSize()->getWidthTolerance(), 240 * 5.83f * 0.1, 0.01);

    qelUtils::releaseGlobals();
    ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setIniFilePath(m_dir.c_str());
    ini->setAttribute("OutputFormat", "PDFA", false);
    ini->setAttribute("PDFAExtSchemaDefFile", "missing.xmp", false);
    ini->setAttribute("OutputScale", "Huge,gt", false);
    const std::string builtIn = ini->getPDFAExtSchema();
    CapturedOutput out;
    ASSERT_TRUE(ini->checkFileCreationMode());
    EXPECT_EQ(ini->getPDFAExtSchema(), builtIn);
    EXPECT_TRUE(contains(out.text(), "Warning! PDF/A Extension schema definition file " + m_dir.string() +
                                         "/missing.xmp does not exist. Using Default Extension Schema\n"));
    EXPECT_TRUE(contains(out.text(), "Warning! Invalid output size macro on output scale: Huge."));
    EXPECT_EQ(ini->getOutputScale()->getWidth(), 0.0f);
}

TEST_F(ConsistencyTest, NamedSwitchesAndNameList)
{
    EXPECT_FALSE(ini->hasSwitch("UseGD"));
    ini->addUseGDSwitch();
    EXPECT_STREQ(ini->getPKEY(), "UseGD,");
    ini->setAttribute("PKEY", "CELLS,bayerdither", false);
    ini->addUseGDSwitch();
    EXPECT_STREQ(ini->getPKEY(), "CELLS,bayerdither,UseGD,");
    EXPECT_TRUE(ini->hasSwitch("usegd"));

    struct DitherRow
    {
        const char* pkey;
        int method;
    };
    const DitherRow dithers[] = {
        {nullptr, 2}, {"ocdither", 1}, {"bayerdither", 3}, {"fldither,bayerdither", 2}, {"ocdither,bayerdither", 3},
    };
    for (const DitherRow& row : dithers) {
        ini->setAttribute("PKEY", row.pkey, false);
        EXPECT_EQ(ini->getDitherMethod(), row.method) << text(row.pkey);
    }

    struct ParamRow
    {
        const char* list;
        const char* name;
        bool expected;
    };
    const ParamRow params[] = {
        {"A,BC,D", "BC", true},  {"A,BC,D", "B", false}, {"A,BC,D", "A", true}, {"A,BC,D", "D", true},
        {"A,BC,D", "", false},   {"", "A", false},       {nullptr, "A", false}, {"A,BC,D", nullptr, false},
    };
    for (const ParamRow& row : params) {
        ini->setAttribute("PKEYParam", row.list, false);
        EXPECT_EQ(ini->isPKEYParam(row.name), row.expected) << text(row.list) << " / " << text(row.name);
    }
    // Long names are tested whole, not cut to a buffer.
    const std::string longName(3000, 'N');
    ini->setAttribute("PKEYParam", ("X," + longName).c_str(), false);
    EXPECT_TRUE(ini->isPKEYParam(longName.c_str()));
    EXPECT_FALSE(ini->isPKEYParam(longName.substr(1).c_str()));
}

TEST_F(ConsistencyTest, OutputNamesFromThePattern)
{
    struct Row
    {
        const char* pattern;
        long pageId;
        long documentId;
        const char* spool;
        const char* expected; // null: no name
    };
    const Row rows[] = {
        {"\"%s_%05d.pdf\",SPOOLNAME,DOCID", 1, 7, "S", "S_00007.pdf"},
        {"\"%s_%s.%ld.%ld\",SPOOLNAME,PID,DOCID,PAGEID", 3, 7, "S", "S_P.7.3"},
        {"\"%s\",SPOOLNAME", 1, 1, "spool", "spool"},
        // %S is a narrow string here, never a wide one.
        {"\"%S_%ld\",SPOOLNAME,DOCID", 1, 7, "spool", "spool_7"},
        {"\"%ls-%d\",SPOOLNAME,DOCID", 1, 7, "spool", "spool-7"},
        {"\"%ld\",DOCID", 1, 5000000000L, "S", "5000000000"},
        {"\"%hhd\",DOCID", 1, 300, "S", "44"},
        {"\"%x.%o\",DOCID,PAGEID", 8, 255, "S", "ff.10"},
        {"\"%-6s|\",SPOOLNAME", 1, 1, "S", "S     |"},
        {"\"%.2s\",SPOOLNAME", 1, 1, "ABCDEF", "AB"},
        {"\"100%%_%d\",DOCID", 1, 7, "S", "100%_7"},
        // '*', argument positions, %n and huge widths give the plain value.
        {"\"n%*d\",DOCID", 1, 7, "S", "7"},
        {"\"n%.*d\",DOCID", 1, 7, "S", "7"},
        {"\"n%1$d\",DOCID", 1, 7, "S", "7"},
        {"\"n%n\",DOCID", 1, 7, "S", "7"},
        {"\"n%99999999d\",DOCID", 1, 7, "S", "7"},
        {"\"n%*s\",SPOOLNAME", 1, 7, "S", "S"},
        // A text field needs an s conversion, a number an integer one.
        {"\"x%d\",SPOOLNAME", 1, 7, "S", "S"},
        {"\"x%s\",DOCID", 1, 7, "S", "7"},
        // More pieces than names: the rest is literal; unknown names give
        // nothing.
        {"\"%s_%d\",SPOOLNAME", 1, 7, "S", "S_%d"},
        {"\"%s_%s\",SPOOLNAME,OTHER", 1, 7, "S", "S"},
        {"\"%s.pdf\",SPOOLNAME,DOCID", 1, 7, "S", "S7"},
        {nullptr, 1, 1, "S", nullptr},
        {"\"%s\"", 1, 1, "S", nullptr},
        {"\"%s\",", 1, 1, "S", nullptr},
        {"\"\",SPOOLNAME", 1, 1, "S", nullptr},
        {",SPOOLNAME", 1, 1, "S", nullptr},
    };
    for (const Row& row : rows) {
        if (row.pattern)
            ini->setFilenamePattern(row.pattern);
        else
            ini->setAttribute("FilenamePattern", "", false);
        std::unique_ptr<char[]> name(ini->formatIndexId(row.pageId, row.documentId, "P", row.spool));
        EXPECT_EQ(text(name.get()), text(row.expected)) << text(row.pattern);
    }

    // Through setAttribute the quotes of the format part stay.
    ini->setAttribute("FilenamePattern", "\"%s_%05d.pdf\",SPOOLNAME,DOCID", false);
    std::unique_ptr<char[]> name(ini->formatIndexId(1, 7, "P", "S"));
    EXPECT_STREQ(name.get(), "S_00007.pdf");
    EXPECT_FALSE(ini->isNotGiven(0x8));

    // Time stamps: twelve digits by default, or the given time format.
    ini->setFilenamePattern("\"%s|%s|%d\",TIMESTAMP,TIMESTAMP:%Y,TIMESTAMP");
    std::unique_ptr<char[]> stamp(ini->formatIndexId(1, 1, "P", "S"));
    ASSERT_NE(stamp, nullptr);
    const std::string stamped(stamp.get());
    // The third piece is not a string conversion: the time alone.
    ASSERT_EQ(stamped.size(), 12u + 1u + 4u + 12u) << stamped;
    EXPECT_EQ(stamped.find_first_not_of("0123456789|"), std::string::npos) << stamped;
}
