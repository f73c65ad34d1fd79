// FOP's print file converted to PDF with its character sets taken from a
// font library: raster sets become Type 3 fonts, outline sets embedded
// Type 1 fonts; the result is checked with poppler's tools and qpdf.
#include "FontLibrary.h"
#include "ScratchTest.h"
#include "ShellCommand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace lrbtest;
using namespace lrbtest::foca;

namespace
{

std::string dataDir() { return std::string(LORBANE_SOURCE_DIR) + "/data"; }
std::string fopData(const char* name) { return std::string(LORBANE_TEST_DATA) + "/fop/" + name; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> wordsOf(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    std::string w;
    while (in >> w)
        if (w != "\u20AC")
            out.push_back(w);
    return out;
}

struct Box
{
    std::string word;
    double x0, y0, x1, y1;
};

std::vector<Box> wordBoxes(const std::string& xhtml)
{
    std::vector<Box> out;
    const std::regex word(R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
    for (std::sregex_iterator it(xhtml.begin(), xhtml.end(), word), end; it != end; ++it)
        out.push_back({(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    return out;
}

// A binary PGM: width, height and the grey values.
struct Gray
{
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
    bool inkIn(const Box& b) const
    {
        for (int y = std::max(0, int(b.y0)); y < std::min(height, int(b.y1 + 1)); ++y)
            for (int x = std::max(0, int(b.x0)); x < std::min(width, int(b.x1 + 1)); ++x)
                if (pixels[static_cast<size_t>(y) * width + x] < 128)
                    return true;
        return false;
    }
};

Gray readPgm(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    Gray g;
    std::string magic;
    int maxValue = 0;
    in >> magic >> g.width >> g.height >> maxValue;
    in.get();
    if (magic != "P5" || g.width <= 0 || g.height <= 0)
        return Gray();
    g.pixels.resize(static_cast<size_t>(g.width) * g.height);
    in.read(reinterpret_cast<char*>(g.pixels.data()), static_cast<std::streamsize>(g.pixels.size()));
    return g;
}

class FopFontsPdfTest : public ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        m_demo = demoProgram();
        if (m_demo.empty())
            GTEST_SKIP() << "the demonstration program is not built";
        for (const char* tool : {"qpdf", "pdffonts", "pdftotext", "pdftoppm"})
            if (!haveCommand(tool))
                GTEST_SKIP() << tool << " is not installed";
        std::ofstream(m_dir + "/lorbane.ini") << readText(std::string(LORBANE_SOURCE_DIR) + "/demo/lorbane.ini");
        ASSERT_EQ(::symlink(dataDir().c_str(), (m_dir + "/data").c_str()), 0);
        for (const char* folder : {"/pdf", "/log", "/lib"})
            ASSERT_EQ(::mkdir((m_dir + folder).c_str(), 0755), 0);
        writeFile("fop-hello.afp", lrbtest::readFile(fopData("fop-hello.afp")));
    }

    // Converts fop-hello with the library of the given sets; the PDF path.
    std::string convert(LibrarySets sets, std::string& printed)
    {
        writeFopLibrary(m_dir + "/lib", dataDir(), sets);
        const std::string command = "cd " + shellQuote(m_dir) + " && " + shellQuote(m_demo)
                                    + " lorbane -PDF -rp:lib/ fop-hello.afp >demo.log 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        printed = readText(m_dir + "/demo.log");
        return m_dir + "/pdf/fop-hello.pdf";
    }

    // Font rows of pdffonts: name, type and embedded flag.
    std::vector<std::vector<std::string>> fonts(const std::string& pdf)
    {
        std::vector<std::vector<std::string>> rows;
        std::istringstream in(commandOutput("pdffonts " + shellQuote(pdf)));
        std::string line;
        while (std::getline(in, line)) {
            std::smatch m;
            if (std::regex_match(line, m, std::regex(R"((\S+)\s+(Type 3|Type 1|Type 1C|TrueType)\s+\S+\s+(yes|no)\s.*)")))
                rows.push_back({m[1], m[2], m[3]});
        }
        return rows;
    }

    // Common checks of the PDF: structure, words and ink in the word boxes.
    void checkPdf(const std::string& pdf, const std::string& printed)
    {
        const CommandResult check = run("qpdf --check " + shellQuote(pdf));
        EXPECT_EQ(check.status, 0) << check.output;
        EXPECT_FALSE(contains(printed, "cannot be embedded")) << printed;
        EXPECT_FALSE(contains(printed, "E0")) << printed;
        EXPECT_FALSE(contains(printed, "E1")) << printed;
        const std::vector<std::string> expected =
            wordsOf(commandOutput("pdftotext " + shellQuote(fopData("fop-hello.ref.pdf")) + " -"));
        EXPECT_EQ(wordsOf(commandOutput("pdftotext " + shellQuote(pdf) + " -")), expected);

        // Page coordinates of pdftotext's boxes are points: rendered at 72
        // pixels per inch every box holds ink.
        const std::vector<Box> boxes = wordBoxes(commandOutput("pdftotext -bbox -f 1 -l 1 " + shellQuote(pdf) + " -"));
        ASSERT_FALSE(boxes.empty());
        ASSERT_EQ(run("pdftoppm -f 1 -l 1 -r 72 -gray " + shellQuote(pdf) + " " + shellQuote(m_dir + "/page")).status, 0);
        std::string pgm = m_dir + "/page-1.pgm";
        if (!std::ifstream(pgm))
            pgm = m_dir + "/page-01.pgm";
        const Gray page = readPgm(pgm);
        ASSERT_GT(page.width, 0);
        for (const Box& b : boxes) {
            if (b.word != "\u20AC") {
                EXPECT_TRUE(page.inkIn(b)) << b.word << " at " << b.x0 << "," << b.y0;
            }
        }
    }

    std::string m_demo;
};

} // namespace

TEST_F(FopFontsPdfTest, RasterCharacterSetsBecomeType3Fonts)
{
    std::string printed;
    const std::string pdf = convert(LibrarySets::LATIN1_RASTER, printed);
    const auto rows = fonts(pdf);
    ASSERT_FALSE(rows.empty()) << commandOutput("pdffonts " + shellQuote(pdf));
    std::set<std::string> sets;
    for (const auto& row : rows) {
        EXPECT_EQ(row[1], "Type 3") << row[0];
        EXPECT_TRUE(sets.insert(row[0].substr(0, 8)).second) << row[0];
    }
    EXPECT_EQ(sets, (std::set<std::string>{"C0H200D0", "C0H200B0", "C0N40000", "C0420090"}));
    checkPdf(pdf, printed);
}

TEST_F(FopFontsPdfTest, OutlineCharacterSetsBecomeEmbeddedType1Fonts)
{
    std::string printed;
    const std::string pdf = convert(LibrarySets::LATIN1_OUTLINE, printed);
    const auto rows = fonts(pdf);
    ASSERT_FALSE(rows.empty()) << commandOutput("pdffonts " + shellQuote(pdf));
    for (const auto& row : rows) {
        EXPECT_TRUE(row[1] == "Type 1" || row[1] == "Type 1C") << row[0] << " " << row[1];
        EXPECT_EQ(row[2], "yes") << row[0];
    }
    // Glyphs are named as in the embedded programs, not by GCGID.
    const std::string qdf = m_dir + "/hello.qdf";
    ASSERT_EQ(run("qpdf --qdf --object-streams=disable " + shellQuote(pdf) + " " + shellQuote(qdf)).status, 0);
    const std::string content = readText(qdf);
    EXPECT_TRUE(std::regex_search(content, std::regex(R"(/Differences \[[^\]]*/H\s+/I\b)"))) << content;
    EXPECT_FALSE(std::regex_search(content, std::regex(R"(/Differences \[[^\]]*/L[A-Z]0[12]0000)")));
    checkPdf(pdf, printed);
}
