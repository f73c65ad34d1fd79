#include "PtocaSupport.h"

#include "qelIni.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"

#include <cstdlib>
#include <regex>

using namespace ptoca;

namespace {

class EnvironmentGroupTest : public PtocaTest
{
protected:
    // Reads a group (BAG, the given fields, EAG) into the page.
    void readGroup(const std::vector<Bytes>& fields, qelPtocaPage& page, bool withEnd = true)
    {
        Bytes bytes = field(0xA8C9, {});
        for (const Bytes& f : fields)
            bytes.insert(bytes.end(), f.begin(), f.end());
        if (withEnd) {
            Bytes end = field(0xA9C9, {});
            bytes.insert(bytes.end(), end.begin(), end.end());
        }
        qelIOStream reader(bytes.data(), static_cast<int>(bytes.size()));
        reader.rewind();
        qelIOStream::setCurrent(&reader);
        qelAEGParser* aeg = pool()->getAEGParser();
        aeg->parse(&page, aeg->readNextSF());
        m_conditions.reset(aeg->takeInitialTextConditions());
        qelIOStream::setCurrent(nullptr);
    }

    static Bytes pageDescriptor(int base, int units, int width, int height)
    {
        return field(0xA6AF, {static_cast<unsigned char>(base), static_cast<unsigned char>(base),
                              static_cast<unsigned char>(units >> 8), static_cast<unsigned char>(units & 0xFF),
                              static_cast<unsigned char>(units >> 8), static_cast<unsigned char>(units & 0xFF), 0,
                              static_cast<unsigned char>(width >> 8), static_cast<unsigned char>(width & 0xFF), 0,
                              static_cast<unsigned char>(height >> 8), static_cast<unsigned char>(height & 0xFF), 0,
                              0, 0});
    }

    // A descriptor of format 2 followed by control sequences.
    static Bytes textDescriptor(const Bytes& sequences)
    {
        Bytes data = {0, 0, 0x09, 0x60, 0x09, 0x60, 0, 0x07, 0xC0, 0, 0x0A, 0xF6, 0, 0};
        data.insert(data.end(), sequences.begin(), sequences.end());
        return field(0xB19B, data);
    }

    std::unique_ptr<qelInitialTextConditions> m_conditions;
};

// xMin of the first word of page 1 in points, from pdftotext -bbox.
double firstWordX(const std::string& pdf)
{
    std::string command = "pdftotext -bbox -f 1 -l 1 '" + pdf + "' - 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    ::pclose(pipe);
    std::smatch m;
    if (!std::regex_search(out, m, std::regex("<word xMin=\"([0-9.]+)\"")))
        return -1;
    return std::atof(m[1].str().c_str());
}

} // namespace

TEST_F(EnvironmentGroupTest, FirstPageOfTheHelloFixture)
{
    qelPtocaPage page;
    readFirstPage(readFile(dataPath("fop-hello.afp")), page);

    EXPECT_EQ(page.getWidth(), 1984u);
    EXPECT_EQ(page.getHeight(), 2806u);
    EXPECT_EQ(page.getResolution(), 240);
    EXPECT_EQ(page.getUnitBase(), 1u);

    const char* expected[] = {"C0H200D0", "C0N40000", "C0420090"};
    qelList* fonts = page.getMappedResources();
    ASSERT_NE(fonts, nullptr);
    ASSERT_EQ(fonts->getCount(), 3);
    int k = 0;
    for (qelListNode* n = fonts->getHead(); n; n = n->next, ++k) {
        auto* mapped = static_cast<qelMappedRes*>(n->item);
        qelMappedFontInfo* info = mapped->getFontInfo();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(mapped->getLocalId(), k + 1);
        EXPECT_STREQ(info->getCharacterSetName(), expected[k]);
        EXPECT_EQ(info->getCodedFontName(), nullptr);
        EXPECT_STREQ(info->getCodePageName(), "T1V10500");
        EXPECT_STREQ(mapped->getName(), expected[k]);
    }

    auto t = texts(page);
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(textOf(t[0]), "Hello AFP world. Invoice 4711.");
    EXPECT_EQ(t[0]->getX(), 189.0f);
    EXPECT_EQ(t[0]->getY(), 229.0f);
    EXPECT_EQ(t[0]->getColorValue(), 0xFFFFu);
    double points = firstWordX(dataPath("fop-hello.ref.pdf"));
    if (points >= 0) {
        EXPECT_NEAR(points * 240.0 / 72.0, 189.0, 6.0);
    }

    int iRules = 0;
    int bRules = 0;
    for (qelLineObject* l : lines(page)) {
        if (l->getLength() == 0.0f)
            continue;
        if (l->getHorizontal())
            ++iRules;
        else
            ++bRules;
    }
    EXPECT_EQ(iRules, 2);
    EXPECT_EQ(bRules, 2);
}

TEST_F(EnvironmentGroupTest, ExtendedColourOfTheRichFixture)
{
    qelPtocaPage page;
    readFirstPage(readFile(dataPath("fop-rich.afp")), page);
    bool red = false;
    for (qelTextObject* t : texts(page))
        if (t->getColorSpace() == 1 && t->getColorValue() == 0x0000FFu)
            red = true;
    EXPECT_TRUE(red);
}

TEST_F(EnvironmentGroupTest, TextOrientationsOfTheTurnedBlocks)
{
    qelPtocaPage page;
    readFirstPage(readFile(dataPath("fop-orient.afp")), page);
    std::vector<std::pair<int, int>> seen;
    for (qelTextObject* t : texts(page))
        seen.emplace_back(t->getIAxisOrientation(), t->getBAxisOrientation());
    std::vector<std::pair<int, int>> expected = {{0, 90}, {270, 0}, {180, 270}, {90, 180}};
    EXPECT_EQ(seen, expected);
}

TEST_F(EnvironmentGroupTest, PageResolutionByUnitBase)
{
    struct Case
    {
        int base;
        int units;
        int resolution;
        uint32_t unitFlag;
    };
    const Case cases[] = {{0, 2400, 240, 1}, {1, 945, 240, 0}, {0, 3000, 300, 1}, {1, 1181, 299, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        qelPtocaPage page;
        readGroup({pageDescriptor(c.base, c.units, 1700, 2200)}, page);
        EXPECT_EQ(page.getResolution(), c.resolution);
        EXPECT_EQ(page.getUnitBase(), c.unitFlag);
        EXPECT_EQ(page.getWidth(), 1700u);
        int32_t x = 0;
        int32_t y = 0;
        page.getTextState(x, y);
        EXPECT_EQ(x, 1700);
        EXPECT_EQ(y, 2200);
    }
}

TEST_F(EnvironmentGroupTest, InitialTextConditions)
{
    qelPtocaPage page;
    // STO declared with length 2 must not swallow the AMB after it.
    Bytes sequences = {0x2B, 0xD3, 0x04, 0xC7, 0x00, 0x20, 0x03, 0xF1, 0x02, 0x02, 0xF7,
                       0x04, 0xD3, 0x01, 0x10, 0x06, 0xF6, 0x2D, 0x00, 0x87, 0x00};
    readGroup({textDescriptor(sequences)}, page);
    ASSERT_NE(m_conditions, nullptr);
    EXPECT_EQ(m_conditions->inlinePosition, 0x20);
    EXPECT_EQ(m_conditions->fontLocalId, 2);
    EXPECT_EQ(m_conditions->baselinePosition, 0x110);
    EXPECT_EQ(m_conditions->iAxisDegrees, 0) << "(90, 270) is invalid";
    EXPECT_EQ(m_conditions->bAxisDegrees, 90);

    readGroup({textDescriptor({})}, page);
    EXPECT_EQ(m_conditions, nullptr);
}

TEST_F(EnvironmentGroupTest, SmallestFontSizeForTextOutput)
{
    qelPtocaPage plain;
    readFirstPage(readFile(dataPath("fop-hello.afp")), plain);
    EXPECT_EQ(plain.getSmallestCharWidth(), 9999);

    pool()->getIni()->setOutputFormat("ASCII");
    ASSERT_EQ(pool()->getIni()->getOutputFormat(), QEL_OUT_ASCII);
    qelPtocaPage text;
    readFirstPage(readFile(dataPath("fop-hello.afp")), text);
    EXPECT_EQ(text.getSmallestCharWidth(), 100);
    EXPECT_EQ(text.getSmallestCharHeight(), 100);
}

TEST_F(EnvironmentGroupTest, EndOfAMemoryInputInsideTheGroup)
{
    qelPtocaPage page;
    int id = -1;
    try {
        readGroup({pageDescriptor(0, 2400, 100, 100)}, page, false);
    } catch (qelException* e) {
        id = e->getId();
        delete e;
    }
    qelIOStream::setCurrent(nullptr);
    EXPECT_EQ(id, 199);
    EXPECT_EQ(page.getWidth(), 100u);
}
