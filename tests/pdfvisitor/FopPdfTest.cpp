// Every AFP file made by FOP converted to PDF through the C interface and
// compared with FOP's own PDF rendering of the same source: the checker
// passes, fonts are listed, the words come in the same order at the same
// places, and underscores and turned texts land where FOP draws them.
#include "PdfVisitorSupport.h"

#include "lorbane.h"

#include <algorithm>
#include <dirent.h>
#include <regex>
#include <sys/stat.h>

using namespace pdfvtest;

namespace {

struct Word
{
    std::string text;
    float xMin, yMin, xMax, yMax;
};

// Words of one line of pdftotext's layout.
using Line = std::vector<Word>;

std::vector<Line> linesOf(const std::string& pdf)
{
    const std::string xml = run("pdftotext -bbox-layout '" + pdf + "' -").output;
    std::vector<Line> lines;
    const std::regex line(R"re(<line [^>]*>([\s\S]*?)</line>)re");
    const std::regex word(
        R"re(<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">([^<]*)</word>)re");
    for (auto l = std::sregex_iterator(xml.begin(), xml.end(), line); l != std::sregex_iterator(); ++l) {
        const std::string body = (*l)[1];
        Line words;
        for (auto w = std::sregex_iterator(body.begin(), body.end(), word); w != std::sregex_iterator(); ++w)
            words.push_back(Word{(*w)[5], std::stof((*w)[1]), std::stof((*w)[2]), std::stof((*w)[3]), std::stof((*w)[4])});
        if (!words.empty())
            lines.push_back(words);
    }
    return lines;
}

std::vector<std::string> wordsOf(const std::string& pdf)
{
    std::vector<std::string> words;
    std::istringstream in(run("pdftotext '" + pdf + "' -").output);
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

float distance(const Word& a, const Word& b)
{
    return std::max(std::max(std::abs(a.xMin - b.xMin), std::abs(a.yMin - b.yMin)),
                    std::max(std::abs(a.xMax - b.xMax), std::abs(a.yMax - b.yMax)));
}

// Distance of the nearest pair of corresponding corners.
float cornerDistance(const Word& a, const Word& b)
{
    const float xs[2][2] = {{a.xMin, b.xMin}, {a.xMax, b.xMax}};
    const float ys[2][2] = {{a.yMin, b.yMin}, {a.yMax, b.yMax}};
    float best = 1e9f;
    for (const auto& x : xs)
        for (const auto& y : ys)
            best = std::min(best, std::max(std::abs(x[0] - x[1]), std::abs(y[0] - y[1])));
    return best;
}

// Words whose own extent matches are shown in the same font and size.
bool sameGlyphs(const Word& a, const Word& b)
{
    return std::abs((a.xMax - a.xMin) - (b.xMax - b.xMin)) <= 0.5f
           && std::abs((a.yMax - a.yMin) - (b.yMax - b.yMin)) <= 0.5f;
}

// Rows and columns of a grey raster that hold a dark run of at least
// minRun pixels: the drawn score lines.
struct Runs
{
    std::vector<int> rows;
    std::vector<int> columns;
};

Runs longRuns(const std::string& pgm, int minRun)
{
    Runs runs;
    std::ifstream in(pgm, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, maxValue = 0;
    in >> magic >> w >> h >> maxValue;
    in.get();
    if (magic != "P5" || w <= 0 || h <= 0)
        return runs;
    std::vector<unsigned char> px(static_cast<size_t>(w) * h);
    in.read(reinterpret_cast<char*>(px.data()), static_cast<std::streamsize>(px.size()));
    auto dark = [&](int x, int y) { return px[static_cast<size_t>(y) * w + x] < 128; };
    for (int y = 0; y < h; ++y) {
        int run = 0, best = 0;
        for (int x = 0; x < w; ++x)
            best = std::max(best, run = dark(x, y) ? run + 1 : 0);
        if (best >= minRun)
            runs.rows.push_back(y);
    }
    for (int x = 0; x < w; ++x) {
        int run = 0, best = 0;
        for (int y = 0; y < h; ++y)
            best = std::max(best, run = dark(x, y) ? run + 1 : 0);
        if (best >= minRun)
            runs.columns.push_back(x);
    }
    return runs;
}

bool near(const std::vector<int>& set, int value, int tolerance)
{
    for (int v : set)
        if (std::abs(v - value) <= tolerance)
            return true;
    return false;
}

class FopPdfTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* tool : {"qpdf", "pdffonts", "pdftotext", "pdftoppm"})
            if (!toolAvailable(tool))
                GTEST_SKIP() << tool << " missing";
        char pattern[] = "/tmp/lorbane-foppdf-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = std::string(pattern) + "/";
        ASSERT_EQ(::getcwd(m_oldDir, sizeof m_oldDir), m_oldDir);
        ASSERT_EQ(::chdir(m_dir.c_str()), 0);
        ASSERT_EQ(::symlink((std::string(LORBANE_SOURCE_DIR) + "/data").c_str(), "data"), 0);
        ASSERT_EQ(::mkdir("out", 0755), 0);
        std::ofstream(m_dir + "lorbane.ini") << "[Settings]\nCpPath=data/\n";
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
    }
    void TearDown() override
    {
        if (m_dir.empty())
            return;
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
        ASSERT_EQ(::chdir(m_oldDir), 0);
        ASSERT_EQ(std::system(("rm -rf '" + m_dir + "'").c_str()), 0);
    }

    // Converts one AFP file with the C interface; the path of the PDF.
    std::string convert(const std::string& input)
    {
        const std::vector<std::pair<std::string, std::string>> pairs = {
            {"IniFilePath", m_dir},   {"OutputFilePath", m_dir + "out/"}, {"LogPath", m_dir},
            {"OutputFormat", "PDF"}, {"Color", "on"},                     {"QuietMode", "on"}};
        std::vector<std::string> texts;
        for (const auto& p : pairs) {
            texts.push_back(p.first);
            texts.push_back(p.second);
        }
        std::vector<qelSDKNameValue> options(pairs.size());
        for (size_t i = 0; i < pairs.size(); ++i) {
            options[i].name = &texts[2 * i][0];
            options[i].value = &texts[2 * i + 1][0];
            options[i].next = i + 1 < pairs.size() ? &options[i + 1] : nullptr;
        }
        std::string path = input;
        qelSDKNameList file{&path[0], nullptr};
        EXPECT_EQ(lorbane_SetOptions(options.data()), 0);
        EXPECT_EQ(lorbane_File_Init(), 0);
        EXPECT_EQ(lorbane_ApplyOptions(options.data()), 0);
        EXPECT_GE(lorbane_File(&file), 0);
        lorbane_File_Term();
        std::string name = input.substr(input.rfind('/') + 1);
        name = name.substr(0, name.rfind('.'));
        return m_dir + "out/" + name + ".pdf";
    }

    // FOP's rendering of a fixture: the committed one, else made from the
    // source when fop is there; empty when neither is possible.
    std::string reference(const std::string& base)
    {
        const std::string committed = base + ".ref.pdf";
        if (fileExists(committed))
            return committed;
        if (!fileExists(base + ".fo") || !toolAvailable("fop"))
            return std::string();
        const std::string made = m_dir + "reference.pdf";
        run("fop -q -fo '" + base + ".fo' -pdf '" + made + "'");
        return fileExists(made) ? made : std::string();
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

    std::string m_dir;
    char m_oldDir[4096] = {};
    FILE* m_messages = nullptr;
};

} // namespace

TEST_F(FopPdfTest, EveryFixtureConvertsWithFOPsWordsAtFOPsPlaces)
{
    const std::vector<std::string> bases = fixtures();
    ASSERT_FALSE(bases.empty());
    for (const std::string& base : bases) {
        SCOPED_TRACE(base);
        const std::string pdf = convert(base + ".afp");
        ASSERT_TRUE(fileExists(pdf));
        const CommandResult check = run("qpdf --check '" + pdf + "'");
        EXPECT_EQ(check.status, 0) << check.output;
        const CommandResult fonts = run("pdffonts '" + pdf + "'");
        EXPECT_EQ(fonts.status, 0);
        // Header, rule and at least one font.
        EXPECT_GE(std::count(fonts.output.begin(), fonts.output.end(), '\n'), 3) << fonts.output;

        const std::string ref = reference(base);
        if (ref.empty()) {
            ADD_FAILURE() << "no reference rendering";
            continue;
        }
        // FOP writes characters its AFP code page lacks (the euro sign in
        // code page 500) as SUB, so they cannot appear in our output.
        std::vector<std::string> fopWords = wordsOf(ref);
        fopWords.erase(std::remove(fopWords.begin(), fopWords.end(), "\xE2\x82\xAC"), fopWords.end());
        const std::vector<std::string> ourWords = wordsOf(pdf);
        if (ourWords != fopWords) {
            // Texts in another size than FOP's can touch their neighbours,
            // which pdftotext then joins: the characters must still agree.
            std::string a, b;
            for (const std::string& w : ourWords)
                a += w;
            for (const std::string& w : fopWords)
                b += w;
            EXPECT_EQ(a, b);
            RecordProperty(base.substr(base.rfind('/') + 1) + "-words", "joined differently");
        }

        // Lines whose words are shown in FOP's fonts and sizes must agree
        // word by word; in every line the first word starts where FOP's
        // does (the corner on its start and baseline side).
        const std::vector<Line> ours = linesOf(pdf), theirs = linesOf(ref);
        if (ours.size() != theirs.size())
            continue;
        int compared = 0, words = 0;
        for (size_t i = 0; i < ours.size(); ++i) {
            if (ours[i].size() != theirs[i].size() || ours[i].empty())
                continue;
            EXPECT_LE(cornerDistance(ours[i][0], theirs[i][0]), 1.0f) << ours[i][0].text;
            bool same = true;
            for (size_t k = 0; k < ours[i].size(); ++k)
                same = same && sameGlyphs(ours[i][k], theirs[i][k]);
            words += static_cast<int>(ours[i].size());
            if (!same)
                continue;
            for (size_t k = 0; k < ours[i].size(); ++k) {
                EXPECT_LE(distance(ours[i][k], theirs[i][k]), 1.0f) << ours[i][k].text;
                ++compared;
            }
        }
        RecordProperty(base.substr(base.rfind('/') + 1), std::to_string(compared) + " of " + std::to_string(words)
                                                             + " words in FOP's font compared");
    }
}

TEST_F(FopPdfTest, UnderscoresAndTurnedTextsLandWhereFOPDrawsThem)
{
    const std::string base = std::string(LORBANE_TEST_DATA) + "/fop/fop-underline";
    const std::string pdf = convert(base + ".afp");
    const std::string ref = reference(base);
    ASSERT_FALSE(ref.empty());
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

    // The turned texts read in FOP's directions: their words are as tall
    // as wide (turned) where FOP's are.
    const std::vector<Line> a = linesOf(pdf), b = linesOf(ref);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t k = 0; k < std::min(a[i].size(), b[i].size()); ++k) {
            const bool turnedOurs = (a[i][k].yMax - a[i][k].yMin) > (a[i][k].xMax - a[i][k].xMin);
            const bool turnedFop = (b[i][k].yMax - b[i][k].yMin) > (b[i][k].xMax - b[i][k].xMin);
            EXPECT_EQ(turnedOurs, turnedFop) << a[i][k].text;
        }
}
