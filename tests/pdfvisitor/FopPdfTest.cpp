// Every AFP file made by FOP converted to PDF through the C interface and
// compared with FOP's own PDF rendering of the same source: the checker
// passes, the fonts are those FOP names, the words come in the same order at
// the same places, and underscores and turned texts land where FOP draws them.
#include "PdfVisitorSupport.h"

#include "lorbane.h"

#include <algorithm>
#include <map>
#include <dirent.h>
#include <regex>
#include <sys/stat.h>

using namespace pdfvtest;

namespace {

// One word of pdftotext's box listing, pages counted from 1.
struct Word
{
    int page;
    std::string text;
    float xMin, yMin, xMax, yMax;
};

std::vector<Word> wordsOf(const std::string& pdf)
{
    const std::string xml = run("pdftotext -bbox '" + pdf + "' -").output;
    std::vector<Word> words;
    const std::regex item(
        R"re(<page |<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">([^<]*)</word>)re");
    int page = 0;
    for (auto m = std::sregex_iterator(xml.begin(), xml.end(), item); m != std::sregex_iterator(); ++m) {
        if ((*m)[5].matched)
            words.push_back(Word{page, (*m)[5], std::stof((*m)[1]), std::stof((*m)[2]), std::stof((*m)[3]),
                                 std::stof((*m)[4])});
        else
            ++page;
    }
    return words;
}

std::string listOf(const std::vector<Word>& words)
{
    std::string out;
    for (const Word& w : words)
        out += std::to_string(w.page) + ":" + w.text + " ";
    return out;
}

float distance(const Word& a, const Word& b)
{
    return std::max(std::max(std::abs(a.xMin - b.xMin), std::abs(a.yMin - b.yMin)),
                    std::max(std::abs(a.xMax - b.xMax), std::abs(a.yMax - b.yMax)));
}

// Font names pdffonts lists, sorted.
std::vector<std::string> fontNames(const std::string& pdf)
{
    std::vector<std::string> names;
    std::istringstream in(run("pdffonts '" + pdf + "'").output);
    std::string line;
    for (int skip = 2; skip > 0 && std::getline(in, line); --skip) {
    }
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        if (fields >> name)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Rows and columns of a grey raster that hold a dark run of at least
// minRun pixels: the drawn score lines.
struct Runs
{
    std::vector<int> rows;
    std::vector<int> columns;
};

// A grey raster as pdftoppm writes it; empty when unreadable.
struct Grey
{
    int width = 0, height = 0;
    std::vector<unsigned char> px;
    bool dark(int x, int y) const { return px[static_cast<size_t>(y) * width + x] < 128; }
};

Grey loadGrey(const std::string& pgm)
{
    Grey g;
    std::ifstream in(pgm, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> g.width >> g.height >> maxValue;
    in.get();
    if (magic != "P5" || g.width <= 0 || g.height <= 0)
        return Grey();
    g.px.resize(static_cast<size_t>(g.width) * g.height);
    in.read(reinterpret_cast<char*>(g.px.data()), static_cast<std::streamsize>(g.px.size()));
    return g;
}

Runs longRuns(const std::string& pgm, int minRun)
{
    Runs runs;
    const Grey g = loadGrey(pgm);
    const int w = g.width, h = g.height;
    for (int y = 0; y < h; ++y) {
        int run = 0, best = 0;
        for (int x = 0; x < w; ++x)
            best = std::max(best, run = g.dark(x, y) ? run + 1 : 0);
        if (best >= minRun)
            runs.rows.push_back(y);
    }
    for (int x = 0; x < w; ++x) {
        int run = 0, best = 0;
        for (int y = 0; y < h; ++y)
            best = std::max(best, run = g.dark(x, y) ? run + 1 : 0);
        if (best >= minRun)
            runs.columns.push_back(x);
    }
    return runs;
}

// A dark rectangle of a grey raster made of runs of at least minRun pixels
// along one axis: a drawn rule. Pixels, edges exclusive at the far end.
struct Box
{
    int x0, y0, x1, y1;
};

std::vector<Box> ruleBoxes(const std::string& pgm, int minRun)
{
    std::vector<Box> boxes;
    const Grey g = loadGrey(pgm);
    const int w = g.width, h = g.height;
    for (bool rows : {true, false}) {
        const int lines = rows ? h : w, length = rows ? w : h;
        // Runs on neighbouring lines (gaps of up to two) with the same
        // extent make one rule.
        struct Open
        {
            int first, last, from, to;
        };
        std::vector<Open> open;
        for (int a = 0; a < lines; ++a) {
            int from = -1;
            for (int b = 0; b <= length; ++b) {
                const bool dark = b < length && (rows ? g.dark(b, a) : g.dark(a, b));
                if (dark && from < 0)
                    from = b;
                if (dark || from < 0)
                    continue;
                if (b - from >= minRun) {
                    auto same = std::find_if(open.begin(), open.end(), [&](const Open& o) {
                        return a - o.last <= 3 && std::abs(o.from - from) <= 2 && std::abs(o.to - b) <= 2;
                    });
                    if (same != open.end())
                        same->last = a;
                    else
                        open.push_back(Open{a, a, from, b});
                }
                from = -1;
            }
        }
        for (const Open& o : open)
            boxes.push_back(rows ? Box{o.from, o.first, o.to, o.last + 1} : Box{o.first, o.from, o.last + 1, o.to});
    }
    return boxes;
}

std::string describe(const Box& b, double scale)
{
    std::ostringstream out;
    out << "(" << b.x0 * scale << ", " << b.y0 * scale << ")-(" << b.x1 * scale << ", " << b.y1 * scale << ")";
    return out.str();
}

bool near(const std::vector<int>& set, int value, int tolerance)
{
    for (int v : set)
        if (std::abs(v - value) <= tolerance)
            return true;
    return false;
}

class FopPdfTest : public FopConversionTest
{
protected:
    void SetUp() override
    {
        for (const char* tool : {"qpdf", "pdffonts", "pdftotext", "pdftoppm"})
            if (!toolAvailable(tool))
                GTEST_SKIP() << tool << " missing";
        FopConversionTest::SetUp();
    }

    static std::vector<std::string> fixtures()
    {
        std::vector<std::string> names;
        const std::string dir = std::string(LORBANE_TEST_DATA) + "/fop/";
        if (DIR* d = ::opendir(dir.c_str())) {
            while (dirent* e = ::readdir(d)) {
                const std::string n = e->d_name;
                if (n.size() > 4 && n.compare(n.size() - 4, 4, ".afp") == 0)
                    names.push_back(dir + n.substr(0, n.size() - 4));
            }
            ::closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST_F(FopPdfTest, EveryFixtureConvertsWithFOPsFontsAndWordsAtFOPsPlaces)
{
    // The standard fonts FOP's AFP fonts stand for, as FOP's PDF names them.
    const std::map<std::string, std::vector<std::string>> fonts = {
        {"fop-border", {"Helvetica"}},
        {"fop-bw", {"Helvetica"}},
        {"fop-hello", {"Courier", "Helvetica", "Times-Bold"}},
        {"fop-images-native", {"Helvetica"}},
        {"fop-orient", {"Helvetica"}},
        {"fop-overlay", {"Helvetica"}},
        {"fop-rich", {"Courier", "Helvetica", "Helvetica-Bold", "Times-Italic"}},
        {"fop-tle", {"Helvetica"}},
        {"fop-underline", {"Helvetica"}},
    };
    const std::vector<std::string> bases = fixtures();
    ASSERT_FALSE(bases.empty());
    for (const std::string& base : bases) {
        const std::string name = base.substr(base.rfind('/') + 1);
        SCOPED_TRACE(name);
        const std::string pdf = convert(base + ".afp");
        ASSERT_TRUE(fileExists(pdf));
        const std::string ref = base + ".ref.pdf";
        ASSERT_TRUE(fileExists(ref)) << "no FOP rendering beside the fixture";
        const CommandResult check = run("qpdf --check '" + pdf + "'");
        EXPECT_EQ(check.status, 0) << check.output;

        const auto row = fonts.find(name);
        if (row == fonts.end()) {
            ADD_FAILURE() << "no font row for the fixture; FOP uses " << ::testing::PrintToString(fontNames(ref));
        } else {
            EXPECT_EQ(fontNames(pdf), row->second);
            EXPECT_EQ(fontNames(ref), row->second);
        }

        // FOP writes characters its AFP code page lacks (the euro sign in
        // code page 500) as X'3F', so they cannot appear in our output.
        std::vector<Word> fop = wordsOf(ref);
        fop.erase(std::remove_if(fop.begin(), fop.end(), [](const Word& w) { return w.text == "\xE2\x82\xAC"; }),
                  fop.end());
        const std::vector<Word> ours = wordsOf(pdf);
        ASSERT_FALSE(fop.empty());
        ASSERT_EQ(listOf(ours), listOf(fop));
        for (size_t i = 0; i < ours.size(); ++i)
            EXPECT_LE(distance(ours[i], fop[i]), 1.0f)
                << "page " << ours[i].page << " word " << i << " " << ours[i].text << " at (" << ours[i].xMin << ", "
                << ours[i].yMin << ", " << ours[i].xMax << ", " << ours[i].yMax << "), FOP's at (" << fop[i].xMin
                << ", " << fop[i].yMin << ", " << fop[i].xMax << ", " << fop[i].yMax << ")";
    }
}

TEST_F(FopPdfTest, UnderscoresAndTurnedTextsLandWhereFOPDrawsThem)
{
    const std::string base = std::string(LORBANE_TEST_DATA) + "/fop/fop-underline";
    const std::string pdf = convert(base + ".afp");
    const std::string ref = base + ".ref.pdf";
    run("pdftoppm -gray -r 72 -singlefile '" + pdf + "' " + m_dir + "ours");
    run("pdftoppm -gray -r 72 -singlefile '" + ref + "' " + m_dir + "fop");
    const Runs ours = longRuns(m_dir + "ours.pgm", 40), fop = longRuns(m_dir + "fop.pgm", 40);
    // Two upright underscores and the one of the 180-degree text are rows,
    // those of the 90- and 270-degree texts columns.
    ASSERT_GE(fop.rows.size(), 3u);
    ASSERT_GE(fop.columns.size(), 2u);
    for (int y : fop.rows)
        EXPECT_TRUE(near(ours.rows, y, 1)) << "underscore row " << y;
    for (int x : fop.columns)
        EXPECT_TRUE(near(ours.columns, x, 1)) << "underscore column " << x;
    for (int y : ours.rows)
        EXPECT_TRUE(near(fop.rows, y, 1)) << "extra row " << y;
    for (int x : ours.columns)
        EXPECT_TRUE(near(fop.columns, x, 1)) << "extra column " << x;

    // The turned texts read in FOP's directions: their words are taller
    // than wide (turned) where FOP's are.
    const std::vector<Word> a = wordsOf(pdf), b = wordsOf(ref);
    ASSERT_EQ(listOf(a), listOf(b));
    for (size_t i = 0; i < a.size(); ++i) {
        const bool turnedOurs = (a[i].yMax - a[i].yMin) > (a[i].xMax - a[i].xMin);
        const bool turnedFop = (b[i].yMax - b[i].yMin) > (b[i].xMax - b[i].xMin);
        EXPECT_EQ(turnedOurs, turnedFop) << a[i].text;
    }
}

TEST_F(FopPdfTest, BorderRulesOfTurnedBlocksMatchFOPsWithinAPoint)
{
    const std::string base = std::string(LORBANE_TEST_DATA) + "/fop/fop-border";
    const std::string pdf = convert(base + ".afp");
    const std::string ref = base + ".ref.pdf";
    const char* options = "pdftoppm -gray -r 288 -aa no -aaVector no -singlefile '";
    run(options + pdf + "' " + m_dir + "ours");
    run(options + ref + "' " + m_dir + "fop");
    // 4 pixels a point; rules are at least 20 points long, glyphs shorter.
    const double point = 0.25;
    const int tolerance = 4;
    // FOP's AFP gives the 90-degree block (the page's top 250 points) B-axis
    // rules as wide as the block is long, and longer I-axis rules than its
    // PDF draws: that block cannot agree and is left out.
    const int skipAbove = 250 * 4;
    auto kept = [&](std::vector<Box> boxes) {
        boxes.erase(std::remove_if(boxes.begin(), boxes.end(), [&](const Box& b) { return b.y0 < skipAbove; }),
                    boxes.end());
        return boxes;
    };
    const std::vector<Box> ours = kept(ruleBoxes(m_dir + "ours.pgm", 80));
    const std::vector<Box> fop = kept(ruleBoxes(m_dir + "fop.pgm", 80));
    // Two blocks of four rules and a table of three rows and three columns.
    ASSERT_EQ(fop.size(), 14u);
    auto within = [&](const Box& a, const Box& b) {
        return std::abs(a.x0 - b.x0) <= tolerance && std::abs(a.y0 - b.y0) <= tolerance &&
               std::abs(a.x1 - b.x1) <= tolerance && std::abs(a.y1 - b.y1) <= tolerance;
    };
    for (const Box& f : fop)
        EXPECT_TRUE(std::any_of(ours.begin(), ours.end(), [&](const Box& o) { return within(o, f); }))
            << "FOP's rule " << describe(f, point) << " has no match";
    for (const Box& o : ours)
        EXPECT_TRUE(std::any_of(fop.begin(), fop.end(), [&](const Box& f) { return within(o, f); }))
            << "our rule " << describe(o, point) << " is not FOP's";
}
