#include "PtocaSupport.h"

#include "qelCodePage.h"
#include "qelControlSequenceRecord.h"
#include "qelIni.h"
#include "qelMappedRes.h"
#include "qelNOP.h"
#include "qelNOPList.h"

using namespace ptoca;

namespace {

const Bytes kEscape = {0x2B, 0xD3};

Bytes seq(int type, const Bytes& params)
{
    Bytes b = {static_cast<unsigned char>(params.size() + 2), static_cast<unsigned char>(type)};
    b.insert(b.end(), params.begin(), params.end());
    return b;
}

Bytes trn(const std::string& text, bool chained = false)
{
    return seq(chained ? 0xDB : 0xDA, ebcdic(text));
}

class PresentationTextTest : public PtocaTest
{
protected:
    qelPresentationTextParser* parser() { return pool()->getPresentationTextParser(); }

    // Executes one control sequence on the current state.
    void run(int type, const Bytes& params)
    {
        qelControlSequenceRecord record;
        record.setFunctionType(static_cast<uint8_t>(type));
        record.setLength(static_cast<uint8_t>(params.size() + 2));
        record.copyData(params.data(), static_cast<uint8_t>(params.size()));
        record.setGathered(record.getLength());
        parser()->controlSequence(&record);
    }

    qelPtocaPage page;
};

} // namespace

TEST_F(PresentationTextTest, RelativeMovesAreCarriedByTheNextRunOnly)
{
    readObject({cat({kEscape, seq(0xC7, {0x00, 0x64}), seq(0xC9, {0x00, 0x14}), seq(0xC9, {0xFF, 0xFB}), trn("AB"),
                      kEscape, trn("CD")})},
               &page);
    auto t = texts(page);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(textOf(t[0]), "AB");
    EXPECT_EQ(t[0]->getX(), 100.0f);
    EXPECT_EQ(t[0]->getRelativeInline(), 15);
    EXPECT_EQ(t[0]->getAbsoluteInlineFlag(), 1);
    EXPECT_EQ(t[0]->getRelativeInlineFlag(), 1);
    EXPECT_EQ(t[1]->getRelativeInline(), 0);
    EXPECT_EQ(t[1]->getAbsoluteInlineFlag() | t[1]->getAbsoluteBaselineFlag() | t[1]->getRelativeInlineFlag() |
                  t[1]->getRelativeBaselineFlag(),
              0);
    EXPECT_EQ(t[0]->getColorValue(), 0xFFFFu);
    EXPECT_EQ(t[0]->getResolution(), page.getResolution());
}

TEST_F(PresentationTextTest, ControlSequencesChangeTheState)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<int, Bytes>> sequences;
        std::function<void(qelPresentationTextParser*)> check;
    };
    const std::vector<Case> cases = {
        {"BLN after SBI and SIM",
         {{0xD2, {0x00, 200}}, {0xD0, {0x00, 50}}, {0xC0, {0x00, 30}}, {0xD4, {0x00, 4}}, {0xD8, {}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getBaselinePosition(), 254);
             EXPECT_EQ(p->getInlinePosition(), 30);
             EXPECT_EQ(p->getAbsoluteInlineMoved(), 1);
             EXPECT_EQ(p->getAbsoluteBaselineMoved(), 1);
             EXPECT_EQ(p->getRelativeBaselineMoved(), 0);
             EXPECT_EQ(p->getRelativeBaselineOffset(), 4);
         }},
        {"negative SIA", {{0xC2, {0x00, 12, 0x01}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getInterCharacterAdjustment(), -12);
             EXPECT_EQ(p->getInterCharacterDirection(), 1);
         }},
        {"chained STC acts as STC", {{0x75, {0x00, 0x02, 0x00}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getTextColor(), 2u);
             EXPECT_EQ(p->getTextColorSpace(), 5);
         }},
        {"STO (90, 270) is invalid", {{0xF6, {0x2D, 0x00, 0x87, 0x00}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getIAxisDegrees(), 0);
             EXPECT_EQ(p->getBAxisDegrees(), 90);
         }},
        {"STO (0, 180) passes", {{0xF6, {0x00, 0x00, 0x5A, 0x00}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getIAxisDegrees(), 0);
             EXPECT_EQ(p->getBAxisDegrees(), 180);
         }},
        {"STO I = 45", {{0xF6, {0x16, 0x80, 0x5A, 0x00}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getIAxisDegrees(), 0);
             EXPECT_EQ(p->getBAxisDegrees(), 180);
         }},
        {"STO minutes above 59", {{0xF6, {0x2D, 0x7E, 0x5A, 0x00}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getIAxisDegrees(), 90);
             EXPECT_EQ(p->getIAxisMinutes(), 0);
         }},
        {"SEC RGB", {{0x80, {0, 0x01, 0, 0, 0, 0, 8, 8, 8, 0, 0x10, 0x20, 0x30}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getTextColor(), 0x302010u);
             EXPECT_EQ(p->getTextColorSpace(), 1);
         }},
        {"SEC OCA of 8 bits", {{0x80, {0, 0x40, 0, 0, 0, 0, 8, 0, 0, 0, 0x00, 0x02}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getTextColor(), 0u);
             EXPECT_EQ(p->getTextColorSpace(), 5);
         }},
        {"SEC cut short keeps the value", {{0x80, {0, 0x01, 0, 0, 0, 0, 8, 8, 8, 0, 0x10}}},
         [](qelPresentationTextParser* p) {
             EXPECT_EQ(p->getTextColor(), 0u);
             EXPECT_EQ(p->getTextColorSpace(), 1);
         }},
        {"AMI without parameters keeps the position", {{0xC6, {0x00, 0x10}}, {0xC6, {0x01}}},
         [](qelPresentationTextParser* p) { EXPECT_EQ(p->getInlinePosition(), 16); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        parser()->reset();
        parser()->setMedia(&page);
        for (const auto& s : c.sequences)
            run(s.first, s.second);
        c.check(parser());
    }
}

TEST_F(PresentationTextTest, OrientationAfterAMoveAddsAZeroLengthRule)
{
    readObject({cat({kEscape, seq(0xC7, {0x00, 0x64}), seq(0xF6, {0x5A, 0x00, 0x87, 0x00})})}, &page);
    auto l = lines(page);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0]->getLength(), 0.0f);
    EXPECT_EQ(l[0]->getWidth(), 0.0f);
    EXPECT_EQ(l[0]->getHorizontal(), 0);
    EXPECT_EQ(l[0]->getX(), 100.0f);
}

TEST_F(PresentationTextTest, RepeatStringFillsTheRepeatLength)
{
    Bytes ab = ebcdic("AB");
    readObject({cat({kEscape, seq(0xEF, {0x00, 0x05, ab[0], ab[1]}), seq(0xEE, {0x00, 0x05})})}, &page);
    auto t = texts(page);
    ASSERT_EQ(t.size(), 1u) << "a repeat without a string makes no run";
    EXPECT_EQ(textOf(t[0]), "ABABA");
    EXPECT_EQ(t[0]->getTextLength(), 5);
}

TEST_F(PresentationTextTest, SuppressionFollowsTheMediumMapList)
{
    parser()->reset();
    parser()->setMedia(&page);
    const uint8_t listed[] = {7};
    parser()->setSuppressionList(listed, 1);
    Bytes a = ebcdic("A");
    run(0xF2, {7});
    run(0xDA, a);
    run(0xF2, {9}); // ignored while one is open
    EXPECT_EQ(parser()->getActiveSuppressionId(), 7);
    run(0xF4, {9}); // another id keeps it open
    run(0xDA, a);
    run(0xF4, {7});
    run(0xDA, a);
    run(0xF2, {5}); // not listed
    run(0xDA, a);
    auto t = texts(page);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0]->getSuppressed(), 1);
    EXPECT_EQ(t[1]->getSuppressed(), 1);
    EXPECT_EQ(t[2]->getSuppressed(), 0);
    EXPECT_EQ(t[3]->getSuppressed(), 0);
}

TEST_F(PresentationTextTest, FreeTextIsCutIntoRunsOf253Bytes)
{
    Bytes text = ebcdic(std::string(600, 'x'));
    Bytes after = cat({kEscape, seq(0xD2, {0x00, 0x20}), text, kEscape, seq(0xC6, {0x00, 0x30})});
    readObject({after}, &page);
    auto t = texts(page);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0]->getTextLength(), 253);
    EXPECT_EQ(t[1]->getTextLength(), 253);
    EXPECT_EQ(t[2]->getTextLength(), 94);
    EXPECT_EQ(parser()->getInlinePosition(), 0x30) << "the sequence after the text runs too";
}

TEST_F(PresentationTextTest, SequencesSplitAcrossTextFields)
{
    Bytes ami = seq(0xC6, {0x01, 0x02});
    struct Case
    {
        const char* name;
        std::vector<Bytes> fields;
        int inlinePosition;
    };
    const std::vector<Case> cases = {
        {"after the length byte", {{0x2B, 0xD3, ami[0]}, {ami[1], ami[2], ami[3]}}, 0x0102},
        {"after the type byte", {{0x2B, 0xD3, ami[0], ami[1]}, {ami[2], ami[3]}}, 0x0102},
        {"inside the data", {{0x2B, 0xD3, ami[0], ami[1], ami[2]}, {ami[3]}}, 0x0102},
        {"introducer split after 2B", {cat({kEscape, trn("A"), {0x2B}}), cat({{0xD3}, ami})}, 0x0102},
        {"chained start without escape", {ami}, 0x0102},
        {"over three fields is dropped", {{0x2B, 0xD3, ami[0]}, {ami[1]}, {ami[2], ami[3]}}, 0},
        {"lone byte", {{0x2B}}, 0},
        {"length below 2 continued", {{0x2B, 0xD3, 0x01}, {0xC6, 0x05, 0x06}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qelPtocaPage target;
        readObject(c.fields, &target);
        EXPECT_EQ(parser()->getInlinePosition(), c.inlinePosition);
        EXPECT_FALSE(parser()->hasPendingRecord());
    }
}

TEST_F(PresentationTextTest, UnmappedCodePointsDoNotCutTheText)
{
    auto* codePage = new qelCodePage();
    codePage->setByteEntry(0xC1, "A");
    codePage->setByteEntry(0xC2, "B");
    auto* mapping = new qelMappedRes(1, 3, "C0TEST00");
    mapping->setCodePage(codePage);
    page.addMappedResource(mapping);
    qelInitialTextConditions conditions;
    conditions.fontLocalId = 1;
    readObject({cat({kEscape, seq(0xDB, {0xC1, 0x99, 0xC2}), seq(0xDA, {0x99, 0x98})})}, &page, &conditions);
    auto t = texts(page);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(textOf(t[0]), "A?B");
    EXPECT_EQ(t[0]->getText() != nullptr, true);
    EXPECT_EQ(t[1]->getText(), nullptr) << "no mapped code point: no text";
    mapping->setCodePage(nullptr);
    delete codePage;
}

TEST_F(PresentationTextTest, NoOperationsAndObjectsWithoutText)
{
    Bytes bytes = cat({field(0xA89B, {}), field(0xEEEE, ebcdic("NOTE")), field(0xA99B, {})});
    qelIOStream reader(bytes.data(), static_cast<int>(bytes.size()));
    reader.rewind();
    qelIOStream::setCurrent(&reader);
    parser()->parse(parser()->readNextSF(), &page, nullptr);
    qelIOStream::setCurrent(nullptr);
    EXPECT_TRUE(texts(page).empty());
    qelNOP* nop = pool()->getNOPList()->getLastAdded();
    ASSERT_NE(nop, nullptr);
    EXPECT_STREQ(nop->getValue(), "NOTE");

    // The control sequence NOP is kept only for COLD output.
    int before = pool()->getNOPList()->getList()->getCount();
    readObject({cat({kEscape, seq(0xF8, ebcdic("X"))})}, &page);
    EXPECT_EQ(pool()->getNOPList()->getList()->getCount(), before);
    pool()->getIni()->setFileCreationMode("DOC_COLD");
    ASSERT_EQ(pool()->getIni()->getFileCreationMode(), QEL_FCM_DOC_COLD);
    readObject({cat({kEscape, seq(0xF8, ebcdic("X"))})}, &page);
    EXPECT_EQ(pool()->getNOPList()->getList()->getCount(), before + 1);
}

TEST_F(PresentationTextTest, EndOfAMemoryInputEndsTheObject)
{
    Bytes bytes = cat({field(0xA89B, {}), field(0xEE9B, cat({kEscape, trn("A")}))});
    qelIOStream reader(bytes.data(), static_cast<int>(bytes.size()));
    reader.rewind();
    qelIOStream::setCurrent(&reader);
    qelSFIBlock* begin = parser()->readNextSF();
    int id = -1;
    try {
        parser()->parse(begin, &page, nullptr);
    } catch (qelException* e) {
        id = e->getId();
        delete e;
    }
    qelIOStream::setCurrent(nullptr);
    EXPECT_EQ(id, 199);
    EXPECT_EQ(texts(page).size(), 1u);
}
