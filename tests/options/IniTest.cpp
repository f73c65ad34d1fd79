#include "CapturedOutput.h"
#include "qelColorEntry.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogicalLocation.h"
#include "qelMessageOutput.h"
#include "qelOutputScale.h"
#include "qelScriptLibrary.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

using lrbtest::CapturedOutput;

std::string answer(const char* text)
{
    return text ? text : "<null>";
}

class IniTest : public ::testing::Test
{
protected:
    void SetUp() override { ini = qelGlobalDSPool::getInstance()->getIni(); }
    void TearDown() override { qelUtils::releaseGlobals(); }

    std::string get(const char* key) { return answer(ini->getAttribute(key)); }

    qelIni* ini = nullptr;
};

} // namespace

// Every key of the options object with its answer right after creation.
TEST_F(IniTest, EveryKeyAnswersItsDefault)
{
    struct Row
    {
        const char* key;
        const char* expected; // null: not answered / unset
    };
    const Row rows[] = {
        {"InputFormat", "AFP"}, {"IOMode", nullptr}, {"SpoolFileType", nullptr}, {"PageParse", "-1"},
        {"StartingDocument", "0"}, {"EndingDocument", "0"}, {"StartingPage", "-1"}, {"EndingPage", "-1"},
        {"SkipPage", "off"}, {"SkipObjectSize", "2048"}, {"Strict", "off"}, {"AutoSplit", "off"},
        {"QELNOP", "off"}, {"ResourceGroup", "n"}, {"IPSPageResolution", nullptr},
        {"OutputFormat", "PDF"}, {"FormatType", "G4_FAX"}, {"OutputFilePath", "pdf/"},
        {"CustomFileExtension", nullptr}, {"CodedOutput", "on"}, {"Color", "off"}, {"CMYKTORGB", "on"},
        {"PageOutput", "off"}, {"MemoryOutputStream", "off"}, {"LaunchPreview", "off"}, {"Resolution", "240"},
        {"PageRotation", "0"}, {"OutputSize", "0.000000,0.000000"}, {"OutputScale", ""}, {"ScaleToSize", ""},
        {"AutoRotateImage", "off"}, {"FontMetric", "off"},
        {"FileCreationMode", "ALL"}, {"FilenamePattern", "\"%s\",SPOOLNAME"}, {"GenerateUniqueFile", "off"},
        {"DocumentCount", "0"},
        {"IniFilePath", "./"}, {"IniFilename", "lorbane.ini"}, {"LogPath", "log/"},
        {"ResPath", "samples/resource/"}, {"CpPath", "afpcp/"}, {"ExtFontPath", "extfont/"},
        {"MFMFontPath", "afpcp/mfm/"}, {"AFPFontPath", nullptr}, {"FormDefPath", nullptr},
        {"PageDefPath", nullptr}, {"OverlayPath", nullptr}, {"PageSegmentPath", nullptr},
        {"FormdefExt", "*"}, {"PagedefExt", "*"}, {"OverlayExt", "*"}, {"PageSegExt", "*"}, {"CharSetExt", "*"},
        {"CodePageExt", "*"}, {"CodedFontExt", "*"}, {"FormdefFilename", nullptr}, {"PagedefFilename", nullptr},
        {"ResourceGroupFilename", nullptr}, {"DocumentIndexFilename", nullptr},
        {"MappingDefFilename", "mapping.def"}, {"PDFParserConfFile", "pdfparser.conf"},
        {"CodePage", "T1GIG500"}, {"CodePageDefaultChar", " "}, {"Alias", "None"}, {"FontResolution", "300"},
        {"TTFontInterpreter", "AutoHint"}, {"FontAliasing", "off"},
        {"SpaceGlyphNames", "space,nbspace,qelspace,sp010000"}, {"PDFFontHeightFactor", "1.000000"},
        {"TextPresentationFidelity", "Char"}, {"MaxValueForSOCAResolve", "145"},
        {"ColorTableEntry", ""}, {"ColorTolerance", nullptr}, {"LightColorLimit", "175,175,175"},
        {"ColorMapPercentage", nullptr}, {"CurveSamplingFactor", "64"}, {"PrintableLineWidth", "1"},
        {"GOCALineWidth", "1"}, {"GOCALineWidthFactor", "0.010000"}, {"MaxGraphicPrimitives", "100"},
        {"MaxVectorObjects", "-1"}, {"ROGTolerance", "20"}, {"ClipTolerance", "5"},
        {"RectangleThickness", "5.00"}, {"MarkerWidth", "0.100000"}, {"MarkerHeight", "0.100000"},
        {"BarcodeWidth", "0.000000"}, {"BarcodeHeight", "0.000000"}, {"Colorspace", "RGB"},
        {"IOCAColorSpace", "YCbCr"},
        {"Keywords", "AFP LPD PDF TIFF"}, {"PDFCompression", "on"}, {"FlateParameters", "6"},
        {"JPEGQuality", "50"}, {"PDFSecurity", nullptr}, {"PDFDocLimits", "200"}, {"PDFUIOptions", "0"},
        {"PDFWinOptions", "0"}, {"PDFBookMark", "off"}, {"PDFALevel", nullptr}, {"PDFAIdentifier", "1,0,0"},
        {"PDFAExtSchemaDefFile", nullptr}, {"Watermark", nullptr}, {"Flush", "off"},
        {"PDFCustomFilterStream", "on,on"},
        {"ImageMaxCacheSize", "5242880"}, {"SaveOCDataOnDisk", "off"}, {"ImageProcessFlags", "on"},
        {"ImageProcessValues", "72.00"}, {"ImageResizeFilter", "MITCHELL,LANCZOS"},
        {"ImageRotationFilter", "NONE"}, {"BWSampler", "Dither"}, {"SkipImageSize", "0.000000,0.000000"},
        {"AFPComplianceLevel", "modcap"}, {"AFPIS2ComplianceFlags", "On,Off"}, {"ZUZOvoputFlags", "On,Off"},
        {"IndexPath", "pdf/"}, {"IndexFormat", "xml"},
        {"IndexRecord", "PAGE_GROUP_NAME,PAGE_NAME,PAGE_COUNT,FILE_NAME,FILE_TYPE,INDEX,FILE_SIZE"},
        {"ScriptProcedure", "lorbane.pm"}, {"ScriptArgument", nullptr}, {"ScriptUnitBase", "Pixel"},
        {"ScriptWriter", "scriptwriter.pm"}, {"ScriptWriterArgument", nullptr}, {"ColdFormat", nullptr},
        {"LoggingLevel", "0"}, {"Logging", "off"}, {"LoggingFont", "off"}, {"ExceptionLoggingLevel", "1"},
        {"Protocol", "off"}, {"Statistic", "off"}, {"QuietMode", "off"}, {"Quiet2Mode", "off"},
        {"MaxCols", "0"}, {"MaxRows", "0"}, {"PageLength", "100"},
        {"SDK", nullptr}, {"PKEY", nullptr}, {"PKEYParam", nullptr}, {"DevTest", "off"}, {"DevTestLevel", "0"},
    };
    // Decided by the build or the environment, so only their presence is pinned.
    const char* const environmental[] = {"Title", "Subject", "Creator", "TempPath", "TransformationProfile"};
    EXPECT_EQ(sizeof rows / sizeof rows[0] + sizeof environmental / sizeof environmental[0], 146u);

    // The first-use checks of the three checked directories depend on the
    // working directory; they are tested with the consistency rules.
    ini->addCheckedOnce(0x7);
    for (const Row& row : rows)
        EXPECT_EQ(get(row.key), answer(row.expected)) << row.key;

    EXPECT_NE(std::string(ini->getAttribute("Title")).find("Lorbane SDK v4.3.0.32 [Built for Linux 64-bit on "),
              std::string::npos);
    EXPECT_NE(ini->getAttribute("Subject"), nullptr);
    EXPECT_NE(ini->getAttribute("Creator"), nullptr);
    EXPECT_EQ(ini->getAttribute("TransformationProfile"), nullptr);

    // Every listed key is known to setAttribute as well; unknown and null keys are not.
    CapturedOutput out;
    for (const Row& row : rows)
        EXPECT_EQ(ini->setAttribute(row.key, nullptr, false), 0) << row.key;
    EXPECT_EQ(ini->setAttribute("NoSuchKey", "1", false), -1);
    EXPECT_EQ(ini->setAttribute(nullptr, "1", false), -1);
    EXPECT_EQ(ini->getAttribute("NoSuchKey"), nullptr);
    EXPECT_EQ(ini->getAttribute(nullptr), nullptr);
}

TEST_F(IniTest, CreationCompletesPathsColourTableAndSettings)
{
    ASSERT_EQ(ini->getColorTableEntryCount(), 18);
    qelColorEntry* mustard = ini->findColorTableEntry("MUSTARD");
    ASSERT_NE(mustard, nullptr);
    EXPECT_EQ(mustard->getRed(), 196);
    EXPECT_EQ(mustard->getBlue(), 32);
    EXPECT_EQ(mustard->getGrayLower(), 20);
    EXPECT_EQ(mustard->getGrayUpper(), 235);
    ASSERT_EQ(ini->getAFPFontPathList().size(), 1u);
    EXPECT_EQ(ini->getAFPFontPathList()[0], "samples/resource/");
    EXPECT_EQ(ini->getPathGivenMask(), 0x4000u | 0x8000u | 0x20000u);
    EXPECT_TRUE(ini->isNotGiven(0xFFFFFFFFu));
    EXPECT_EQ(ini->getPermissions(), 0xC0);
    EXPECT_EQ(ini->getKeyLength(), 40);
    EXPECT_FALSE(ini->hasWatermark());
    EXPECT_EQ(qelScriptLibrary::getUnit(), qelScriptLibrary::UNIT_PIXEL);
    EXPECT_FLOAT_EQ(ini->getImageProcessValues(), 72.0f);
}

// One accepted and one rejected value per kind of key, with the warning the
// rejection prints (or none).
TEST_F(IniTest, AcceptedAndRejectedValuesPerKind)
{
    struct Row
    {
        const char* key;
        const char* value;
        bool fromIni;
        const char* expectedAnswer;
        const char* warning; // expected message output, "" for none
    };
    const Row rows[] = {
        // integers, two warning forms
        {"PageParse", "x", false, "-1", "Warning! Invalid page parse count (x) to setAttribute function, Using default"},
        {"PageParse", "x", true, "-1",
         "Warning! [Settings] Section: Invalid Page Parse Count (x) in (lorbane.ini), Using default"},
        {"PageParse", "12", false, "12", ""},
        {"Resolution", "0", false, "240", ""},
        {"Resolution", "abc", false, "240",
         "Warning! Invalid page resolution (abc) to setAttribute function, Using default"},
        {"Resolution", "abc", true, "240",
         "Warning! [Settings] Section: Invalid Page Resolution (abc) in (lorbane.ini), Using default"},
        {"Resolution", "300", false, "300", ""},
        {"JPEGQuality", "101", false, "50", "Warning! Invalid JPEG quality (101) to setAttribute function"},
        {"JPEGQuality", "100", false, "100", ""},
        {"StartingPage", " 3 ", false, "3", ""},
        // byte keys always name the section
        {"ColorTolerance", "q", false, "<null>",
         "Warning! [Settings] Section: Invalid Color Tolerance (q), Using default (0)"},
        {"MaxValueForSOCAResolve", "q", false, "145",
         "Warning! [Settings] Section: Invalid SOCA Color value (q), Using default (145)"},
        {"MaxValueForSOCAResolve", "q", true, "145",
         "Warning! [Settings] Section: Invalid SOCA Color value (q) in (lorbane.ini), Using default (145)"},
        {"MaxValueForSOCAResolve", "200", false, "200", ""},
        // one-form keys, whatever the INI flag
        {"CurveSamplingFactor", "8x", true, "64",
         "Warning! Invalid curve sampling factor value (8x) to setAttribute function, Using default (64)"},
        {"CurveSamplingFactor", "8", false, "8", ""},
        {"RectangleThickness", "thick", false, "5.00",
         "Warning! Invalid Rectangle Thickness value (thick) to setAttribute function, Using default (5)"},
        {"RectangleThickness", "2.5", false, "2.50", ""},
        {"PDFFontHeightFactor", "1.1.1", false, "1.000000",
         "Warning! Invalid PDF Font Height Factor (1.1.1) to setAttribute function, Using default(1.0)\n"},
        {"MaxVectorObjects", "-", false, "0", ""},
        {"ExceptionLoggingLevel", "2", false, "2", ""},
        {"ExceptionLoggingLevel", "3", false, "1", "Warning! Invalid Exception Log Level Value:3. Using default(1).\n"},
        {"ExceptionLoggingLevel", nullptr, false, "1",
         "Warning! Exception Log Level Value ((null)) to setAttribute function, Using default(1)\n"},
        // numbers ignored silently
        {"ImageMaxCacheSize", "1.5", false, "1572864", ""},
        {"ImageMaxCacheSize", "big", false, "1572864", ""},
        {"ImageMaxCacheSize", "-1", false, "1572864", ""},
        {"ImageMaxCacheSize", "5000", false, "1572864", ""},
        // switches
        {"SkipPage", "ON", false, "on", ""},
        {"SkipPage", "yes", false, "off", ""},
        {"Color", "yes", false, "on", ""},
        {"CodedOutput", "OFF", false, "off", ""},
        {"CodedOutput", nullptr, false, "off", ""},
        {"Protocol", "-p", false, "on", ""},
        {"LaunchPreview", "-pv", false, "on", ""},
        {"GenerateUniqueFile", "-u", false, "on", ""},
        // texts
        {"Title", "\"My Title\"", false, "My Title", ""},
        {"Title", "", false, "", ""},
        {"Title", nullptr, false, "<null>", ""},
        {"PKEY", "UseGD,CELLS", false, "UseGD,CELLS,", ""},
        {"ResourceGroup", "yes", false, "n", ""},
        {"ResourceGroup", "1abc", false, "1", ""},
        {"IndexFormat", "CSV", false, "csv", ""},
        {"IndexFormat", "json", false, "xml", "Warning! Invalid Index Format json - Using Default Format xml \n"},
        // vocabularies
        {"outputformat", " TIFF ", false, "TIFF", ""},
        {"OutputFormat", "WORD", false, "AFP", ""},
        {"InputFormat", "PNG", false, "AFP", ""},
        {"InputFormat", "PNGIN", false, "PNG", ""},
        {"FileCreationMode", "doc_cold", false, "DOC_COLD", ""},
        {"FileCreationMode", "SOME", false, "DOC_COLD", ""},
        {"FormatType", "JPEG", false, "JPG", ""},
        {"FormatType", "G4D", false, "G4_FAX(Dithered Output)", ""},
        {"FormatType", "ZIP", false, "G4_FAX(Dithered Output)", "Warning! Invalid Format Type (ZIP), Ignoring Format Type\n"},
        {"PageRotation", "360", false, "0", ""},
        {"PageRotation", "landscape", false, "363", ""},
        {"PageRotation", "45", false, "363", "Warning! Invalid PageRotation (45). Using default value (0)\n"},
        {"TTFontInterpreter", "bytecode", false, "ByteCode", ""},
        {"TTFontInterpreter", "none", false, "", ""},
        {"TextPresentationFidelity", "ochar", false, "<null>", ""},
        {"IOCAColorSpace", "cielab", false, "CIELAB", ""},
        {"IOCAColorSpace", "HSV", false, "YCbCr", ""},
        {"SDK", "checkout", false, "CheckOut", ""},
        {"IOMode", "si", false, "si", ""},
        {"BWSampler", "THRESHOLD:50", false, "Threshold:50", ""},
        {"BWSampler", "threshold:101", false, "Threshold:50",
         "Warning! Invalid BWSampler value (threshold:101) to setAttribute API, BWSampler ignored."},
        {"ColorMapPercentage", "150", false, "<null>",
         "Warning! Invalid Color map percentage. Color map percentage should be with in the range 0-100. Usingthe "
         "default value 40\n "},
        {"DevTestLevel", "32", false, "34", ""},
        {"DevTestLevel", "10", false, "4", ""},
        {"DevTestLevel", "1,2", false, "4",
         "Warning! Invalid DevTest Level (1,2) to setAttribute function, Using default (0)"},
        {"ImageRotationFilter", "Nearest Neighbour", false, "NEAREST_NEIGHBOUR", ""},
        {"ImageRotationFilter", "NEAREST_NEIGHBOUR", false, "NONE",
         "Invalid Rotation Filter name=NEAREST_NEIGHBOUR. Using default filter \"None\".\n"},
        {"ImageResizeFilter", "Bicubic,Box", false, "BICUBIC,BOX", ""},
        {"ImageResizeFilter", "Blur,Box", false, "MITCHELL,BOX",
         "Invalid Stretch Filter name=Blur. Using default filter \"Mitchell\".\n"},
        // composite values
        {"CodePageDefaultChar", "0x41", false, "A", ""},
        {"CodePageDefaultChar", "\"#\"", false, "#", ""},
        {"LightColorLimit", "1,2", false, "1,2,0", ""},
        {"PDFSecurity", "x=o,u,128,0|1|3", false, "o,u,128,0|1|3", ""},
        {"PDFSecurity", "x=", false, "o,u,128,0|1|3", ""},
        {"PDFDocLimits", "500", false, "500", ""},
        {"PDFDocLimits", "10,20,,x", false, "10,20,,x", ""},
        {"PDFDocLimits", "many", false, "10,20,,x",
         "Warning! Invalid PDF document limits (many) to setAttribute function, Using default"},
        {"PDFAIdentifier", "2,x,3", false, "2,0,3", ""},
        {"PDFUIOptions", "on,,on", false, "5", ""},
        {"PDFCustomFilterStream", "on,off", false, "on,off", ""},
        {"PDFCustomFilterStream", "off,off,off", false, "on,on", ""},
        {"ImageProcessFlags", "off", false, "off", ""},
        {"ImageProcessValues", "dpi=150.5,3", false, "150.50", ""},
        {"ImageProcessValues", "dpi=", false, "150.50", ""},
        {"SkipImageSize", "10,x", false, "10.000000,0.000000", ""},
        {"OutputSize", "A4", false, "0.000000,0.000000", ""},
        {"OutputSize", "A11", false, "0.000000,0.000000",
         "Warning! Unknown Output Paper Size: A11. Output Paper Size value ignored.\n"},
        {"OutputSize", "100,0", false, "100.000000,0.000000", "Warning! Invalid Output Size: 100,0\n"},
        {"ZUZOvoputFlags", "off,on", false, "Off,On", ""},
        {"ZUZOvoputFlags", "maybe", false, "On,Off",
         "Warning! Invalid token \"maybe\" given for AFP output flags to write 5A, Using default value (on)\n"},
        {"AFPIS2ComplianceFlags", "on,off,on,on", false, "On,Off", ""},
        {"AFPIS2ComplianceFlags", "on,x", false, "On,Off",
         "Warning! Invalid token \" x \"given for AFP IS2 compliance flag, Using default value (off)\n"},
        {"ColorTableEntry", "Teal,0,128,128", false, "", ""},
        {"Watermark", "w=Draft, Courier ,300", false, "Draft,Courier,300,0,0,0,0", ""},
        {"ScaleToSize", "", false, "",
         "Warning! Invalid scale to size value () ignored.\n"},
        {"ScaleToSize", "A4,lt,150", false, "A4,lt,20,on", "Warning! Ignored invalid tolerance (150), using default 0.\n"},
        {"ScaleToSize", "1,2,gt,5,off,9", false, "1,2,gt,5,off",
         "Warning! Ignored additional (>5) values of scale to size (1,2,gt,5,off,9).\n"},
        {"OutputScale", "A4,ne", false, "A4,ne", ""},
        {"OutputScale", "a,b,c,d", false, "", ""},
    };
    for (const Row& row : rows) {
        CapturedOutput out;
        EXPECT_EQ(ini->setAttribute(row.key, row.value, row.fromIni), 0) << row.key << "=" << answer(row.value);
        EXPECT_EQ(get(row.key), row.expectedAnswer) << row.key << "=" << answer(row.value);
        EXPECT_EQ(out.text(), row.warning) << row.key << "=" << answer(row.value);
    }
}

TEST_F(IniTest, SideEffectsBetweenKeys)
{
    // Quiet2Mode with any value switches QuietMode on.
    ini->setAttribute("Quiet2Mode", "off", false);
    EXPECT_EQ(get("Quiet2Mode"), "off");
    EXPECT_EQ(get("QuietMode"), "on");

    // Logging and LoggingFont rewrite the level list.
    ini->setAttribute("Logging", "on", false);
    EXPECT_STREQ(ini->getLoggingLevel(), "LOGGING");
    EXPECT_EQ(get("LoggingLevel"), "1,2,3,4,font");
    EXPECT_EQ(get("Logging"), "on");
    ini->setAttribute("LoggingFont", "off", false);
    EXPECT_STREQ(ini->getLoggingLevel(), "LOGGING");
    ini->setAttribute("LoggingFont", "-lf", false);
    EXPECT_EQ(get("LoggingFont"), "on");
    ini->setAttribute("Logging", "nope", false);
    EXPECT_EQ(get("LoggingLevel"), "0");

    // Raster output formats choose their format type; JPEG through the
    // output format is 8, through the key 5.
    ini->setAttribute("OutputFormat", "jpg", false);
    EXPECT_EQ(ini->getOutputFormat(), 16);
    EXPECT_EQ(ini->getFormatType(), 8);
    ini->setAttribute("FormatType", "jpeg", false);
    EXPECT_EQ(ini->getFormatType(), 5);
    ini->setAttribute("OutputFormat", "GIF", false);
    EXPECT_EQ(ini->getFormatType(), 28);
    EXPECT_EQ(ini->getAttribute("FormatType"), nullptr);
    EXPECT_FALSE(ini->isNotGiven(0x2 | 0x80));

    // A null output format stores AFP without counting as given.
    ini->toggleGiven(0x2);
    ini->setAttribute("OutputFormat", nullptr, false);
    EXPECT_EQ(ini->getOutputFormat(), 1);
    EXPECT_TRUE(ini->isNotGiven(0x2));

    // An invalid format type under TIFF names the G4 default.
    ini->setAttribute("OutputFormat", "tif", false);
    {
        CapturedOutput out;
        ini->setAttribute("FormatType", nullptr, false);
        EXPECT_EQ(out.text(), "");  // quiet mode is on
    }
    ini->setAttribute("QuietMode", "off", false);
    {
        CapturedOutput out;
        ini->setAttribute("FormatType", "X", false);
        EXPECT_EQ(out.text(), "Warning! Invalid Format Type (X), Using default Format G4_FAX\n");
    }

    // DOC_COLD also chooses the script language.
    ini->setAttribute("FileCreationMode", "DOC_COLD", false);
    EXPECT_EQ(get("ColdFormat"), "PERL");

    // Switches that keep their state on a null value, and one that does not.
    for (const char* key : {"AutoRotateImage", "GenerateUniqueFile", "PageOutput", "Strict"}) {
        ini->setAttribute(key, "on", false);
        ini->setAttribute(key, nullptr, false);
        EXPECT_EQ(get(key), "on") << key;
    }
    ini->setAttribute("SkipPage", "on", false);
    ini->setAttribute("SkipPage", nullptr, false);
    EXPECT_EQ(get("SkipPage"), "off");

    // The script unit follows ScriptUnitBase.
    ini->setAttribute("ScriptUnitBase", "MM", false);
    EXPECT_EQ(qelScriptLibrary::getUnit(), qelScriptLibrary::UNIT_MM);
    ini->setAttribute("ScriptUnitBase", "points", false);
    EXPECT_EQ(qelScriptLibrary::getUnit(), qelScriptLibrary::UNIT_PIXEL);

    // DevTestLevel 32 also switches DevTest off.
    ini->setAttribute("DevTest", "on", false);
    ini->setAttribute("DevTestLevel", "32", false);
    EXPECT_FALSE(ini->isDevTest());
}

TEST_F(IniTest, NumericWarningsIgnoreQuietModeButParserWarningsDoNot)
{
    ini->setAttribute("QuietMode", "on", false);
    CapturedOutput out;
    ini->setAttribute("MaxCols", "wide", true);
    ini->setAttribute("PageRotation", "45", false);
    ini->setAttribute("BWSampler", nullptr, false);
    EXPECT_EQ(out.text(),
              "Warning! [Settings] Section: Invalid ASCII Page Maximum Column Limit (wide) in (lorbane.ini), Using "
              "default"
              "Warning! Invalid BWSampler value ((null)) to setAttribute API, BWSampler ignored.");
}

TEST_F(IniTest, CompositeRecords)
{
    ini->setAttribute("PDFSecurity", "x=own , usr ,128,0|1|3", false);
    EXPECT_EQ(ini->getPermissions(), 0xD4);
    EXPECT_EQ(ini->getKeyLength(), 128);
    EXPECT_STREQ(ini->getOwnerPassword(), "own");
    EXPECT_STREQ(ini->getUserPassword(), "usr");
    {
        CapturedOutput out;
        ini->setAttribute("PDFSecurity", "a,b,40,1|9", false);
        EXPECT_EQ(ini->getPermissions(), 0x4);
        EXPECT_EQ(out.text(), "Warning! Invalid Permission Flag 9 in PDFSecurity Option. Option Ignored.\n");
    }
    // Passwords longer than the field are cut.
    std::string longPassword(300, 'p');
    ini->setAttribute("PDFSecurity", (longPassword + ",u").c_str(), false);
    EXPECT_EQ(std::strlen(ini->getOwnerPassword()), 255u);

    ini->setAttribute("PDFDocLimits", "10,20,,x", false);
    const int* limits = ini->getPDFDocLimits();
    EXPECT_EQ(limits[0], 10);
    EXPECT_EQ(limits[1], 20);
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(limits[i], 0);
    EXPECT_FALSE(ini->isPDFDocLimitsSingle());

    ini->setAttribute("Watermark", nullptr, false);
    EXPECT_EQ(get("Watermark"), "Confidential,Helvetica,600,60,189,219,231");

    ini->setAttribute("ScaleToSize", "A4,lt,10,off", false);
    qelOutputScale* scale = ini->getScaleToSize();
    ASSERT_NE(scale, nullptr);
    EXPECT_EQ(scale->getCondition(), qelOutputScale::COND_LT);
    EXPECT_DOUBLE_EQ(scale->getToleranceFraction(), 0.1);
    EXPECT_FALSE(scale->isOn());
    EXPECT_EQ(get("ScaleToSize"), "A4,lt,10,off");

    ini->setAttribute("ColorTableEntry", "red,1,2,3,0,200", false);
    EXPECT_EQ(ini->getColorTableEntryCount(), 18);
    qelColorEntry* red = ini->findColorTableEntry("Red");
    EXPECT_EQ(red->getRed(), 1);
    EXPECT_EQ(red->getGrayLower(), 20);
    EXPECT_EQ(red->getGrayUpper(), 200);
    ini->setAttribute("ColorTableEntry", "Teal,,0,128,x", false);
    ASSERT_NE(ini->findColorTableEntry("teal"), nullptr);
    EXPECT_EQ(ini->findColorTableEntry("teal")->getGreen(), 128);
    EXPECT_EQ(ini->findColorTableEntry("teal")->getBlue(), 0);
}

// The scale answers print whole sizes; a size beyond the int range must come
// out as the number, not as garbage.
TEST_F(IniTest, ScaleAnswersFormatWholeSizes)
{
    ini->setAttribute("OutputScale", "12000000000,2400.9,gt", false);
    EXPECT_EQ(get("OutputScale"), "12000000000,2400,gt");
    ini->setAttribute("ScaleToSize", "1700.5,2200,ne,50,on", false);
    EXPECT_EQ(get("ScaleToSize"), "1700,2200,ne,50,on");
    ini->setAttribute("OutputScale", "ThisPaperNameIsFarTooLongToKeep", false);
    EXPECT_EQ(get("OutputScale"), "ThisPaperNameIsFarTooLo,gt");
}

TEST_F(IniTest, PathsSwitchesAndLists)
{
    ini->setAttribute("FormDefPath", "a\\b, c/ ,,@RES", false);
    ASSERT_EQ(ini->getFormDefPathList().size(), 3u);
    EXPECT_EQ(ini->getFormDefPathList()[0], "a/b/");
    EXPECT_EQ(ini->getFormDefPathList()[1], "c/");
    EXPECT_EQ(ini->getFormDefPathList()[2], "@RES");
    EXPECT_EQ(get("FormDefPath"), "a\\b, c/ ,,@RES");
    EXPECT_NE(ini->getPathGivenMask() & 0x20, 0u);
    ini->setFormDefPath(nullptr);
    EXPECT_TRUE(ini->getFormDefPathList().empty());

    ini->setAttribute("ScriptWriter", "dir\\out.pm", false);
    EXPECT_EQ(get("ScriptWriter"), "dir/out.pm");
    EXPECT_FALSE(ini->isNotGiven(0x100));
    ini->setAttribute("ScriptWriter", nullptr, false);
    EXPECT_EQ(get("ScriptWriter"), "dir/out.pm");

    ini->setIniFilename("conf\\my.ini");
    EXPECT_EQ(get("IniFilename"), "my.ini");
    EXPECT_EQ(get("IniFilePath"), "conf/");

    // Switches are found by name plus ',' in any case, also inside longer names.
    ini->setAttribute("PKEY", "NoUseGD,FlushLog", false);
    EXPECT_TRUE(ini->hasSwitch("usegd"));
    EXPECT_TRUE(ini->hasSwitch("FlushLog"));
    EXPECT_FALSE(ini->hasSwitch("Flush"));
    EXPECT_FALSE(ini->hasSwitch(""));
    EXPECT_FALSE(ini->hasSwitch(nullptr));
    std::string longList(5000, 'S');
    ini->setAttribute("PKEY", (longList + ",Tail").c_str(), false);
    EXPECT_EQ(std::strlen(ini->getPKEY()), 5000u + 6u);
    EXPECT_TRUE(ini->hasSwitch("Tail"));

    ini->addFormdefEntry("F1TEST=x,");
    ini->addFormdefEntry("F1OTHER=y,");
    std::unique_ptr<char[]> entry(ini->findFormdefEntry("OTHER"));
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry.get(), "F1OTHER=y,");
    std::unique_ptr<char[]> first(ini->findFormdefEntry(""));
    EXPECT_STREQ(first.get(), "F1TEST=x,");
    EXPECT_EQ(ini->findFormdefEntry("none"), nullptr);

    auto* location = new qelFTPLogicalLocation;
    location->setName("RES");
    location->setHostName("\"h\"");
    ini->addLogicalLocation(location);
    EXPECT_EQ(ini->findLogicalLocation("res"), location);
    EXPECT_STREQ(ini->resolveLogicalLocation("Res"), "Type=FTP Name=RES HostName=h Port=21");
    EXPECT_EQ(ini->resolveLogicalLocation("other"), nullptr);

    qelIni::setCurrent(ini);
    qelIni::addInputFile("a.afp");
    qelIni::setCurrentFileListMode();
    EXPECT_EQ(ini->getInputFiles().size(), 1u);
    EXPECT_TRUE(ini->isApiMode(16));
    qelIni::setCurrent(nullptr);
}

TEST(OutputScale, AppliesToComparesWithTolerances)
{
    qelOutputScale scale;
    scale.setWidth(100);
    scale.setHeight(200);
    struct Row
    {
        int condition;
        float width, height;
        int resolution;
        bool expected;
    };
    const Row rows[] = {
        {qelOutputScale::COND_GT, 101, 10, 0, true},
        {qelOutputScale::COND_GT, 100, 200, 0, false},
        {qelOutputScale::COND_GT, 50, 100, 120, false},  // 100 x 200 at 240
        {qelOutputScale::COND_GT, 51, 100, 120, true},
        {qelOutputScale::COND_LT, 99, 300, 0, true},
        {qelOutputScale::COND_NE, 100, 200, 240, false},
        {qelOutputScale::COND_NE, 100, 201, 0, true},
        {qelOutputScale::COND_NONE, 500, 500, 0, false},
        {qelOutputScale::COND_GT, 0, 0, 0, false},
    };
    for (const Row& row : rows) {
        scale.setCondition(row.condition);
        EXPECT_EQ(scale.appliesTo(row.width, row.height, row.resolution), row.expected)
            << row.condition << " " << row.width << "x" << row.height << "@" << row.resolution;
    }
    scale.setCondition(qelOutputScale::COND_GT);
    scale.setWidthTolerance(10);
    EXPECT_FALSE(scale.appliesTo(110, 100, 0));
    EXPECT_FALSE(scale.appliesToSize(55, 100)); // no resolution conversion
}

TEST(ColorEntry, ToleranceRangesAndNames)
{
    qelColorEntry entry;
    entry.setName("DarkCyan");
    entry.setTypeRGB();
    entry.setRGB(0, 146, 250);
    entry.setTolerance(10);
    EXPECT_EQ(entry.getMinimum()[1], 0);
    EXPECT_EQ(entry.getMaximum()[3], 255);
    EXPECT_EQ(entry.getMinimum()[2], 136);
    EXPECT_TRUE(entry.matchesRGB(5, 140, 255, true));
    EXPECT_FALSE(entry.matchesRGB(5, 140, 255, false));
    EXPECT_TRUE(entry.matchesRGB(0, 146, 250, false));
    EXPECT_EQ(entry.getOCAColor(), 13);
    EXPECT_EQ(entry.getValue(), 0x000092FAu);
    entry.setName("Magenta");
    EXPECT_EQ(entry.getOCAColor(), 3);
    entry.clear();
    EXPECT_EQ(entry.getName(), nullptr);
    EXPECT_EQ(entry.getOCAColor(), 0);
}

TEST(LogicalLocation, Descriptions)
{
    qelFTPLogicalLocation ftp;
    ftp.setName("RES");
    ftp.setHostName("h");
    ftp.setUserName("u");
    ftp.setStartDir("/res");
    ftp.addInitialCommand("SITE A");
    ftp.addInitialCommand("SITE B");
    std::unique_ptr<char[]> text(ftp.describe());
    EXPECT_STREQ(text.get(), "Type=FTP Name=RES HostName=h Port=21 UserName=u StartDir=/res "
                             "InitialCommands=SITE A;SITE B;\r\n");
    EXPECT_STREQ(ftp.getDescription(), "Type=FTP Name=RES HostName=h Port=21 UserName=u StartDir=/res "
                                       "InitialCommands=SITE A;SITE B;");

    qelFTPLogicalLocation port;
    port.setPort(7);
    port.setPassword("p");
    EXPECT_STREQ(port.getDescription(), "Type=FTP Port=07 Password=p");

    qelDIRLogicalLocation dir;
    dir.setName("D");
    dir.setFileCount(3);
    EXPECT_EQ(dir.getKind(), QEL_LOCATION_DIR);
    EXPECT_STREQ(dir.getDescription(), "Type=DIR Name=D FileCount=3");
}
