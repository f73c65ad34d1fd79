#include "FontTestSupport.h"

#include "qelException.h"
#include "qelList.h"
#include "qelNamePair.h"

#include <cstring>
#include <vector>

namespace
{

using MappingDefTest = FontFilesTest;

const char* kSample = "; sample font mapping definition\n"
                      "[XFONT]\n"
                      "X0H20000 = C0H20000, T1V10500\n"
                      "X?T10000 = C0T10000, T1V10500\n"
                      "\n"
                      "[CHARSET]\n"
                      "C0H20000 = 2308, 100, 73,1,0\n" // flags count only as the bare text "1"
                      "DEFAULT  = 2308, 120, 80\n"
                      "[FGID]\n"
                      "2308 = Helvetica, Helvetica, Medium, 0\n"
                      "[PDFFONT]\n"
                      "Helvetica=Helvetica:NimbusSans-Regular,\"Arial\":arial.ttf, Liberation Sans\n"
                      "[WINFONT]\n"
                      "Helvetica = Arial\n"
                      "[CODEPG]\n"
                      "T1V10500 = 500, ANSI\n"
                      "DEFAULT  = 500, ANSI\n"
                      "[CHARSET RENDERING]\n"
                      "C0* = 0, 2\n"
                      "C0H20000 = 2\n"
                      "[FONTSUFFIX]\n"
                      "BoldSuffix = -Bd, _bold\n"
                      "[INPUT FONT ALIASES]\n"
                      "Times*=\"NimbusRoman-Regular\", LiberationSerif-Regular\n"
                      "DEFAULT = DejaVuSans\n"
                      "[GCSGID]\n"
                      "2039, 2308 = C0H20000 ; Helvetica\n"
                      "DEFAULT = C0N20000\n"
                      "[AFPFONT]\n"
                      "Helvetica#10#SEMIBOLD = C0H20000, T1V10500\n";

std::vector<std::string> texts(const qelList* list)
{
    std::vector<std::string> out;
    for (const qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next)
        out.push_back(static_cast<const char*>(n->item));
    return out;
}

std::vector<std::pair<std::string, std::string>> pairs(const qelList* list)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        auto* p = static_cast<const qelNamePair*>(n->item);
        out.emplace_back(p->first ? p->first : "<null>", p->second ? p->second : "<null>");
    }
    return out;
}

} // namespace

TEST_F(MappingDefTest, SampleLoadsEverySection)
{
    ini()->setOutputFormat("PDF");
    int result = -1;
    qelMappingDef* md = installMappingDef(kSample, &result);
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(md->isLoaded());

    const qelXFontEntry* x = md->findXFont("X0H20000", false);
    ASSERT_NE(x, nullptr);
    EXPECT_STREQ(x->charSetName, "C0H20000");
    EXPECT_STREQ(x->codePageName, "T1V10500");

    const qelCharSetEntry* cs = md->findCharSet("c0h20000", false);
    ASSERT_NE(cs, nullptr);
    EXPECT_STREQ(cs->fgid, "2308");
    EXPECT_EQ(cs->height, 100);
    EXPECT_EQ(cs->width, 73);
    EXPECT_EQ(cs->strikeover, 1);
    EXPECT_EQ(cs->underline, 0);
    EXPECT_EQ(md->findCodedFont("C0XXXXXX", true)->getHeight(), 120); // the DEFAULT entry

    const qelFGIDEntry* fgid = md->findFGID("2308", false);
    ASSERT_NE(fgid, nullptr);
    EXPECT_STREQ(fgid->weight, "Medium");

    // PDF output reads [PDFFONT], not [WINFONT].
    ASSERT_EQ(md->getOutputFontList()->getCount(), 1);
    const qelOutputFontEntry* out = md->findOutputFontEntry("HELVETICA", false);
    ASSERT_NE(out, nullptr);
    EXPECT_STREQ(out->outputName, "Helvetica");
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(pairs(out->aliases), (std::vector<P>{{"Helvetica", "NimbusSans-Regular"},
                                                   {"Arial", "arial.ttf"},
                                                   {" Liberation Sans", "<null>"}}));

    const qelCodePageEntry* cp = md->findCodePage("t1v10500", false);
    ASSERT_NE(cp, nullptr);
    EXPECT_STREQ(cp->fileName, "500");
    EXPECT_STREQ(cp->encoding, "ANSI");
    EXPECT_STREQ(md->findCodePageByFile(" 500 ")->codePageName, "T1V10500");

    // First matching pattern wins; no name gives 1, no match 0.
    EXPECT_EQ(md->getCharSetRenderingMode("C0H20000"), 0);
    EXPECT_EQ(md->findCharSetRendering("C0H20000")->option, 2);
    EXPECT_EQ(md->getCharSetRenderingMode(nullptr), 1);
    EXPECT_EQ(md->getCharSetRenderingMode("C1XXXXXX"), 0);

    EXPECT_EQ(texts(md->getBoldSuffixes()), (std::vector<std::string>{"-Bd", "_bold"}));
    EXPECT_EQ(texts(md->getItalicSuffixes()), (std::vector<std::string>{"i", "-Italic", "-Oblique"}));
    EXPECT_EQ(texts(md->getBoldItalicSuffixes()), (std::vector<std::string>{"bi", "-BoldItalic", "-BoldOblique"}));

    const qelInputAliasEntry* alias = md->findExternalFont("Times-Roman", true);
    ASSERT_NE(alias, nullptr);
    EXPECT_EQ(pairs(alias->aliases),
              (std::vector<P>{{"NimbusRoman-Regular", "<null>"}, {" LiberationSerif-Regular", "<null>"}}));
    EXPECT_STREQ(md->findExternalFont("Courier", true)->pattern, "DEFAULT");
    EXPECT_EQ(md->findExternalFont("Courier", false), nullptr);

    EXPECT_STREQ(md->findGCSGID(2039, 2308), "C0H20000");
    EXPECT_STREQ(md->findGCSGIDByText("DEFAULT", nullptr), "C0N20000");
    EXPECT_STREQ(md->findGCSGIDByText("2039", "2308"), "C0H20000");
    EXPECT_EQ(md->findGCSGIDByText("0", "2308"), nullptr);

    // [AFPFONT] belongs to AFP output only.
    EXPECT_EQ(md->getAFPFontList(), nullptr);
}

TEST_F(MappingDefTest, OutputSectionsFollowTheOutputFormat)
{
    const std::string text = "[PDFFONT]\nA=B\n[FONT]\nC=D\n[WINFONT]\nE=F\n[PC FONT]\nG=H\n"
                             "[AFPFONT]\nHelvetica#10#BOLD#ITALIC = C0H20000, T1V10500\n";
    struct Case
    {
        const char* format;
        bool coded;
        std::vector<std::string> outputs;
        int afpFonts;
    } cases[] = {{"PDF", false, {"A", "C"}, 0},
                 {"PDFA", false, {"A", "C"}, 0},
                 {"TIFF", false, {"E", "G"}, 0},
                 {"AFP", false, {"E", "G"}, 0},
                 {"AFP", true, {}, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + (c.coded ? " coded" : ""));
        ini()->setOutputFormat(c.format);
        ini()->setCodedOutput(c.coded);
        qelMappingDef* md = installMappingDef(text);
        std::vector<std::string> names;
        for (const qelListNode* n = md->getOutputFontList() ? md->getOutputFontList()->getHead() : nullptr; n;
             n = n->next)
            names.push_back(static_cast<const qelOutputFontEntry*>(n->item)->fontName);
        EXPECT_EQ(names, c.outputs);
        EXPECT_EQ(md->getAFPFontList() ? md->getAFPFontList()->getCount() : 0, c.afpFonts);
        if (c.afpFonts) {
            const qelAFPFontEntry* e = md->findAFPFont(nullptr, "helvetica", 2, true, 10.5f);
            ASSERT_NE(e, nullptr);
            EXPECT_STREQ(e->charSetName, "C0H20000");
            EXPECT_EQ(md->findAFPFont("Helvetica#10#BOLD#ITALIC", nullptr, 0, false, 0.0f), e);
            EXPECT_EQ(md->findAFPFont(nullptr, "Helvetica", 2, true, 12.0f), nullptr);
        }
    }
}

TEST_F(MappingDefTest, AFPFontKeysAndHeights)
{
    ini()->setOutputFormat("AFP");
    ini()->setCodedOutput(true);
    qelMappingDef* md = installMappingDef("[AFPFONT]\n"
                                          "Arial#SEMIBOLD =C0H20000,T1V10500\n"   // height 0: dropped
                                          "Arial#OBLIQUE =CZH20000,T1V10500\n"    // outline: kept
                                          "Times#12.5#Italic =X0N20000,ignored\n" // coded font
                                          "Courier#9#x#Oblique =C0420000,T1V10500\n"
                                          "Helvetica#10 = CZH20000\n" // a blank before the name: no outline mark
                                          "Empty = \n");
    ASSERT_NE(md->getAFPFontList(), nullptr);
    ASSERT_EQ(md->getAFPFontList()->getCount(), 4);
    EXPECT_EQ(md->findAFPFont("Helvetica#10", nullptr, 0, false, 0)->outline, 0);
    const qelAFPFontEntry* arial = md->findAFPFont("Arial#OBLIQUE", nullptr, 0, false, 0);
    ASSERT_NE(arial, nullptr);
    EXPECT_EQ(arial->outline, 1);
    EXPECT_EQ(arial->italic, 1);
    EXPECT_EQ(arial->style, 0);
    const qelAFPFontEntry* times = md->findAFPFont(nullptr, "Times", 0, true, 12.0f);
    ASSERT_NE(times, nullptr);
    EXPECT_FLOAT_EQ(times->height, 12.5f);
    EXPECT_STREQ(times->codedFontName, "X0N20000");
    EXPECT_STREQ(times->codePageName, "");
    const qelAFPFontEntry* courier = md->findAFPFont(nullptr, "Courier", 0, true, 9.0f);
    ASSERT_NE(courier, nullptr);
    EXPECT_EQ(courier->style, 0);
}

TEST_F(MappingDefTest, ErrorsStopTheLoad)
{
    struct Case
    {
        const char* text;
        const char* expected; // start of the exception's message
    } cases[] = {
        {"[XFONT]\nX?H20000=C0H20000,T1V10500\nX0H20000=C0H20000,T1V10500\n", "E113: [XFONT] Section: Duplicate value"},
        {"[CHARSET]\nC?H20000=1,2,3\nC0H20000=1,2,3\n", "E113: [CHARSET]"},
        {"[CHARSET]\nc0h20000=1,2,3\n C0H20000 =1,2,3\n", "E113: [CHARSET]"},
        {"[CHARSET]\nDEFAULT=1,2,3\ndefault=1,2,3\n", "E113: [CHARSET]"},
        {"[CHARSET]\n  ; indented comment\n", "E065: [CHARSET] Section: Missing or Invalid Font Height"},
        {"[CHARSET]\nC0H20000=2308,x,3\n", "E065"},
        {"[FGID]\nDEFAULT=a\ndefault=b\n", "E113: [FGID]"},
        {"[CODEPG]\nT1V10500=500,ANSI\nt1v10500=37,ANSI\n", "E113: [CODEPG]"},
        {"[CHARSET RENDERING]\nC0*=3\n", "E112: [CHARSET RENDERING] Section: Missing or Invalid Value"},
        {"[CHARSET RENDERING]\nC0*=0,4\n", "E112"},
        {"[GCSGID]\n0=C0H20000\n", "E121: Invalid GCSGID entry (0)"},
        {"[GCSGID]\n2039=\n", "E122"},
        {"[GCSGID]\n2039=default\n", "E122: Invalid entry in GCSGID Section of \"mapping.def\" (default)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            installMappingDef(c.text);
            ADD_FAILURE() << "no exception";
        } catch (qelException* e) {
            EXPECT_EQ(std::string(e->getMessage()).rfind(c.expected, 0), 0u) << e->getMessage();
            delete e;
        }
        EXPECT_FALSE(qelGlobalDSPool::getInstance()->getMappingDef()->isLoaded());
    }
    EXPECT_NE(output().find("Warning! Unable to read MappingDef file mapping.def\n"), std::string::npos);
    EXPECT_NE(output().find("E113: [XFONT] Section: Duplicate value (X0H20000=C0H20000,T1V10500) in \"mapping.def\""),
              std::string::npos);
}

TEST_F(MappingDefTest, AcceptedOrdersAndDuplicates)
{
    // Specific before "?", several DEFAULT code pages, duplicate renderings.
    int result = 0;
    qelMappingDef* md = installMappingDef("[XFONT]\nX0H20000=C0H20000,T1V10500\nX?H20000=C0H30000,T1V10037\n"
                                          "[CHARSET]\nC0H20000=1,2,3\nC?H20000=1,2,3\nCZH20000=1,2,3\n"
                                          "[CODEPG]\nDEFAULT=500,ANSI\nDEFAULT=37,ANSI\n"
                                          "[CHARSET RENDERING]\nC0*=1\nC0*=2\n",
                                          &result);
    ASSERT_EQ(result, 1);
    EXPECT_STREQ(md->findXFont("X0H20000", false)->charSetName, "C0H20000");
    EXPECT_STREQ(md->findXFont("X1H20000", false)->charSetName, "C0H30000");
    EXPECT_EQ(md->findXFont("XZH20000", false), nullptr); // 'Z' second: only its own entry
    EXPECT_EQ(md->getCharSetList()->getCount(), 3);
    EXPECT_EQ(md->getCodePageList()->getCount(), 2);
    EXPECT_EQ(md->findCodePage("DEFAULT", false), nullptr);
    EXPECT_STREQ(md->findCodePage("DEFAULT", true)->fileName, "500");
}

TEST_F(MappingDefTest, FallbackStopsAtTheFirstDefault)
{
    qelMappingDef* md = installMappingDef("[CHARSET]\nC0A00000=1,10,10\nDEFAULT=2,20,20\nC?B00000=3,30,30\n");
    EXPECT_EQ(md->findCharSet("C0A00000", true)->height, 10);
    EXPECT_EQ(md->findCharSet("C0B00000", true)->height, 20);  // DEFAULT before the "?" entry
    EXPECT_EQ(md->findCharSet("C0B00000", false)->height, 30); // the "?" entry serves the name
    EXPECT_EQ(md->findCharSet("DEFAULT", false)->height, 20);
    EXPECT_EQ(md->findCharSet("C1C00000", false), nullptr);
}

TEST_F(MappingDefTest, SectionsEndAtAnyBracketedLine)
{
    ini()->setOutputFormat("TIFF");
    qelMappingDef* md = installMappingDef("[CHARSET]\n[FGID]\n1=Font\n[UNKNOWN]\n2=Ignored\n"
                                          "text [PDFFONT] here\nHelvetica=Arial\n"
                                          "[XFONT]\nX0A=C0A,T1\n; [CODEPG]\nT1=1,A\n");
    EXPECT_EQ(md->getCharSetList(), nullptr);
    ASSERT_NE(md->getFGIDList(), nullptr);
    EXPECT_EQ(md->getFGIDList()->getCount(), 1);
    EXPECT_EQ(md->getOutputFontList(), nullptr);
    ASSERT_NE(md->getXFontList(), nullptr);
    EXPECT_EQ(md->getXFontList()->getCount(), 2); // the comment line is skipped, T1=1,A stays in [XFONT]
    EXPECT_EQ(md->getCodePageList(), nullptr);
}

TEST_F(MappingDefTest, LongKeysAndFieldsAreCutToTheirWidths)
{
    qelMappingDef* md = installMappingDef("[CODEPG]\nT1V10500LONGNAME = 500FILENAMELONG, ENCODINGLONGER\n"
                                          "[FGID]\n1234567890123 = " + std::string(200, 'f') + ", FamilyNameIsLong\n");
    const qelCodePageEntry* cp = static_cast<const qelCodePageEntry*>(md->getCodePageList()->getHead()->item);
    EXPECT_STREQ(cp->codePageName, "T1V10500");
    EXPECT_STREQ(cp->fileName, "500FILENA");
    EXPECT_STREQ(cp->encoding, "ENCODINGL");
    const qelFGIDEntry* f = static_cast<const qelFGIDEntry*>(md->getFGIDList()->getHead()->item);
    EXPECT_STREQ(f->fgid, "12345678");
    EXPECT_EQ(std::strlen(f->fontName), 127u);
    EXPECT_STREQ(f->familyName, "FamilyNameI");
}

TEST_F(MappingDefTest, GCSGIDKeysAndValues)
{
    qelMappingDef* md = installMappingDef("[GCSGID]\n"
                                          "1000 = C0A00000\n"            // FGID 255
                                          "1001,0 = C0B00000\n"          // FGID 0: warning, 255
                                          "1002,x = C0C00000\n"          // not a number: 255
                                          "1003,12 = C0D00000 ;comment\n"
                                          "1004,13 = C0E00000 C0F00000\n" // two names: empty name
                                          "1005,14 = C0G00000LONGER\n");
    EXPECT_STREQ(md->findGCSGID(1000, 255), "C0A00000");
    EXPECT_STREQ(md->findGCSGID(1001, 255), "C0B00000");
    EXPECT_STREQ(md->findGCSGID(1002, 255), "C0C00000");
    EXPECT_STREQ(md->findGCSGID(1003, 12), "C0D00000");
    EXPECT_STREQ(md->findGCSGID(1004, 13), "");
    EXPECT_STREQ(md->findGCSGID(1005, 14), "C0G00000");
    EXPECT_NE(output().find("Warning! Invalid value given for FGID, using default value\n"), std::string::npos);
}

TEST_F(MappingDefTest, MissingFileLeavesTheDefinitionUnloaded)
{
    qelMappingDef md;
    EXPECT_EQ(md.load(), 0);
    EXPECT_FALSE(md.isLoaded());
    EXPECT_EQ(md.findXFont("X0H20000", true), nullptr);

    // The file name is matched without regard to case.
    write("Mapping.DEF", "[CODEPG]\nT2=2,B\n");
    EXPECT_EQ(md.load(), 1);
    EXPECT_NE(md.findCodePage("T2", false), nullptr);

    // A name with a directory part is read from there, not from CpPath.
    write("other.def", "[CODEPG]\nT1=1,A\n");
    ini()->setAttribute("MappingDefFilename", (m_dir + "other.def").c_str());
    ini()->setCpPath("/nonexistent/");
    EXPECT_EQ(md.load(), 1);
    EXPECT_NE(md.findCodePage("T1", false), nullptr);
}

TEST_F(MappingDefTest, FontFilesAreFoundThroughAliasesSuffixesAndDefault)
{
    write("NimbusSans-Bold.T1", "x");
    write("Typeface.ttf", "x");
    write("DejaVuSans.ttf", "x");
    ini()->setExtFontPath(m_dir.c_str());
    qelMappingDef* md = installMappingDef("[INPUT FONT ALIASES]\nHelv*=NimbusSans\nDEFAULT=DejaVuSans\n");
    struct Case
    {
        const char* typeface;
        const char* font;
        bool bold;
        int result;
        const char* file;
    } cases[] = {
        {nullptr, "Helvetica", true, 1, "NimbusSans-Bold.T1"}, // alias with the bold suffix "-Bold"
        {"Typeface", "Other", false, 1, "Typeface.ttf"},
        {nullptr, "Helvetica", false, 2, "DejaVuSans.ttf"},    // no plain NimbusSans file
        {nullptr, "Unknown", false, 2, "DejaVuSans.ttf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.font);
        char path[512] = {};
        EXPECT_EQ(md->resolveFontFile(c.typeface, c.font, c.bold, false, path, sizeof path), c.result);
        EXPECT_EQ(std::string(path), m_dir + c.file);
    }
    char small[4] = {};
    EXPECT_EQ(md->resolveFontFile("Typeface", "Other", false, false, small, sizeof small), -1);
    EXPECT_EQ(md->resolveFontFile("Typeface", nullptr, false, false, small, sizeof small), -1);
}
