#include "qelASCIIVisitor.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelPtocaPage.h"
#include "qelTextObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/resource.h>

namespace {

class ASCIIVisitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        ini()->setMemoryOutputStream(true);
    }
    void TearDown() override
    {
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
        delete qelGlobalDSPool::getInstance();
    }
    static qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }

    // An AFP page of width x height units at 240 with the given smallest
    // character size.
    static std::unique_ptr<qelPtocaPage> page(uint32_t width, uint32_t height, int charWidth, int charHeight)
    {
        std::unique_ptr<qelPtocaPage> p(new qelPtocaPage());
        p->setSize(width, height);
        p->setResolution(240);
        p->setSmallestCharSize(charWidth, charHeight);
        return p;
    }

    // Everything written, taken from the output buffer after cleanup.
    static std::string output(qelASCIIVisitor& v)
    {
        v.cleanup();
        const char* data = static_cast<const char*>(v.getOutputBuffer());
        std::string text = data ? std::string(data, static_cast<size_t>(v.getOutputBufferSize())) : std::string();
        std::free(const_cast<void*>(v.getOutputBuffer()));
        v.releaseOutputBuffer();
        return text;
    }

    FILE* m_messages = nullptr;
};

TEST_F(ASCIIVisitorTest, GridFromPageSpacingAndLimits)
{
    struct Case
    {
        const char* what;
        uint32_t width, height;
        int charWidth, charHeight, maxCols, maxRows;
        int columns, rows, cellWidth, cellHeight;
    };
    const Case cases[] = {
        {"spacing in tenths", 200, 120, 100, 120, 0, 0, 20, 10, 10, 12},
        {"9999 stands for defaults", 200, 120, 9999, 9999, 0, 0, 20, 10, 10, 12},
        {"column limit", 200, 120, 100, 120, 40, 0, 40, 10, 5, 12},
        {"row limit", 200, 120, 100, 120, 0, 5, 20, 5, 10, 24},
        {"more columns than units", 200, 120, 100, 120, 500, 0, 500, 10, 1, 12},
        {"more rows than units", 200, 120, 100, 120, 0, 300, 20, 300, 10, 1},
        {"spacing below a unit", 200, 120, 4, 4, 0, 0, 200, 120, 1, 1},
        {"no spacing", 200, 120, 0, 0, 0, 0, 200, 120, 1, 1},
    };
    for (const Case& c : cases) {
        ini()->setMaxCols(c.maxCols);
        ini()->setMaxRows(c.maxRows);
        qelASCIIVisitor v;
        auto p = page(c.width, c.height, c.charWidth, c.charHeight);
        v.initializePage(p.get());
        EXPECT_EQ(c.columns, v.getColumns()) << c.what;
        EXPECT_EQ(c.rows, v.getRows()) << c.what;
        EXPECT_EQ(c.cellWidth, v.getCellWidth()) << c.what;
        EXPECT_EQ(c.cellHeight, v.getCellHeight()) << c.what;
        // A text still lands in the grid.
        v.setCell(50, 60);
        v.putText("x", 1, 0);
        v.finalizePage();
    }
}

TEST_F(ASCIIVisitorTest, PageTextKeepsOneEmptyLineForLongBlankRuns)
{
    qelASCIIVisitor v;
    auto p = page(200, 32 * 12, 100, 120);
    v.initializePage(p.get());
    ASSERT_EQ(32, v.getRows());
    std::string expected;
    for (int r = 0; r < 20; ++r) {
        v.setCell(10, r * 12);
        const std::string word = "r" + std::to_string(r);
        v.putText(word.c_str(), static_cast<int>(word.size()), 0);
        expected += " " + word + "\n";
    }
    v.finalizePage();
    expected += "\n- Page 1 - \n";
    EXPECT_EQ(expected, output(v));
}

TEST_F(ASCIIVisitorTest, SeparatorSwitchedOffAndEmptyPagesStillCounted)
{
    for (bool sv : {false, true}) {
        ini()->setPKEY(sv ? "SV," : "");
        qelASCIIVisitor v;
        auto p = page(200, 120, 100, 120);
        v.initializePage(p.get());
        v.finalizePage();
        v.initializePage(p.get());
        v.setCell(10, 12);
        v.putText("two", 3, 0);
        v.finalizePage();
        // Eight blank rows after the text: one empty line.
        EXPECT_EQ(sv ? " two\n\n" : "- Page 1 - \n two\n\n- Page 2 - \n", output(v)) << sv;
    }
}

TEST_F(ASCIIVisitorTest, CellsRunsAndDirections)
{
    qelASCIIVisitor v;
    auto p = page(200, 120, 100, 120);
    v.initializePage(p.get());
    // First text wins horizontally.
    v.setCell(30, 24);
    v.putText("abc", 3, 0);
    v.setCell(40, 24);
    v.putText("XYZ", 3, 0);
    // Vertical runs overwrite and turn hyphens into bars.
    v.setCell(150, 60);
    v.putText("a-b", 3, 270);
    v.setCell(150, 60);
    v.putText("Q", 1, 90);
    // Baselines within the tolerance share a row.
    v.setCell(100, 100);
    const int row = v.getCurrentRow();
    v.setCell(100, 101);
    EXPECT_EQ(row, v.getCurrentRow());
    // Column 0 is never used; a run past the grid is dropped.
    v.setCell(0, 0);
    EXPECT_EQ(1, v.getCurrentColumn());
    EXPECT_FALSE(v.hasOverflow());
    v.setCell(190, 108);
    v.putText("overflowing", 11, 0);
    EXPECT_TRUE(v.hasOverflow());
    std::string cells;
    for (int column = 3; column < 8; ++column)
        cells += v.getCell(2, column);
    EXPECT_EQ("abcZ ", cells);
    EXPECT_EQ('Q', v.getCell(5, 15));
    EXPECT_EQ('|', v.getCell(6, 15));
    EXPECT_EQ('b', v.getCell(7, 15));
    v.finalizePage();
}

// Cells are counted row by row over the whole grid: a run past the end of
// a row goes on at the start of the next one, in either direction.
TEST_F(ASCIIVisitorTest, RunsPastARowEndGoOnInTheNextRow)
{
    struct Case
    {
        const char* what;
        int x, y, direction;
        const char* text;
        const char* expected;
    };
    // 20 columns, 10 rows of 12 units.
    const Case cases[] = {
        {"left to right", 180, 24, 0, "abcd", "                  ab\ncd\n"},
        {"right to left", 170, 24, 180, "abcd", "                  dc\nba\n"},
        {"column past the row", 230, 24, 0, "x", "   x\n"},
    };
    for (const Case& c : cases) {
        qelASCIIVisitor v;
        auto p = page(200, 120, 100, 120);
        v.initializePage(p.get());
        v.setCell(c.x, c.y);
        v.putText(c.text, static_cast<int>(std::strlen(c.text)), c.direction);
        v.finalizePage();
        EXPECT_EQ(std::string(c.expected) + "- Page 1 - \n", output(v)) << c.what;
    }
}

// A damaged page size asks for the largest grid; it costs only the rows
// and cells the text uses.
TEST_F(ASCIIVisitorTest, HugePageCostsWhatItsTextNeeds)
{
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    qelASCIIVisitor v;
    auto p = page(0x7FFFFF, 0x7FFFFF, 100, 120);
    for (int n = 0; n < 4; ++n) {
        v.initializePage(p.get());
        ASSERT_EQ(32767, v.getColumns());
        ASSERT_EQ(32767, v.getRows());
        v.setCell(10, 12);
        v.putText("top", 3, 0);
        v.finalizePage();
    }
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 50 * 1024) << "kB";
    const std::string text = output(v);
    // 32766 blank rows after the text: one empty line per six.
    std::string expected;
    for (int n = 1; n <= 4; ++n)
        expected += " top\n" + std::string(32766 / 6 - (32766 % 6 == 0 ? 1 : 0), '\n') + "- Page " + std::to_string(n) + " - \n";
    EXPECT_EQ(expected, text);
}

// Words of one text cut at blanks: rounding each word's position to a cell
// never joins two words.
TEST_F(ASCIIVisitorTest, WordsOfOneTextKeepABlankCellBetweenThem)
{
    struct Case
    {
        const char* what;
        float x;
        float spacing;
        const char* expected;
    };
    // Cells of 10 units; "Times" ends at 287 and "line" starts at 295,
    // which rounds down to the cell right after "Times".
    const Case cases[] = {
        {"narrow spacing", 189, 8, "                   Bold Times line\n- Page 1 - \n"},
        {"wide spacing", 189, 20, "                   Bold  Times  line\n- Page 1 - \n"},
        {"no spacing: one run", 189, 0, "                   Bold Times line\n- Page 1 - \n"},
    };
    for (const Case& c : cases) {
        qelASCIIVisitor v;
        auto p = page(400, 120, 100, 120);
        v.initializeDoc(nullptr);
        v.initializePage(p.get());
        qelTextObject text;
        text.setText("Bold Times line");
        text.setResolution(240);
        text.setX(c.x);
        text.setY(60);
        text.setAbsoluteInlineFlag(1);
        text.setAbsoluteBaselineFlag(1);
        text.setWordSpacing(c.spacing);
        v.writeTextObject(&text);
        v.finalizePage();
        EXPECT_EQ(c.expected, output(v)) << c.what;
    }
}

// The blank-row limit follows MaxRows (a hundredth, halves rounded down):
// nine blank rows between two texts give one empty line per limit + 1.
TEST_F(ASCIIVisitorTest, BlankRowLimitFollowsMaxRows)
{
    struct Case
    {
        int maxRows;
        const char* between;
    };
    const Case cases[] = {
        {0, "\n"},     // limit 5
        {300, "\n\n"}, // limit 3
        {350, "\n\n"}, // 3.5 rounds down to 3
        {360, "\n"},   // limit 4
    };
    for (const Case& c : cases) {
        ini()->setMaxRows(c.maxRows);
        const int rows = c.maxRows > 0 ? c.maxRows : 32;
        qelASCIIVisitor v;
        auto p = page(200, static_cast<uint32_t>(rows * 12), 100, 120);
        v.initializePage(p.get());
        ASSERT_EQ(12, v.getCellHeight()) << c.maxRows;
        v.setCell(10, 12);
        v.putText("a", 1, 0);
        v.setCell(10, 12 * 11);
        v.putText("b", 1, 0);
        v.finalizePage();
        const std::string text = output(v);
        EXPECT_EQ(0u, text.find(std::string(" a\n") + c.between + " b\n")) << c.maxRows << "\n" << text;
    }
    ini()->setMaxRows(0);
}

} // namespace
