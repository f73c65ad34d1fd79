// A document written by the object library (Begin Document, a page with
// its environment group and presentation text, End Document) and read
// back by the MO:DCA document parser.
#include "AfpWriteSupport.h"
#include "NullVisitor.h"

#include "qel/afp/AfpActiveEnvironmentGroup.h"
#include "qel/afp/AfpBeginDocument.h"
#include "qel/afp/AfpEndDocument.h"
#include "qel/afp/AfpFieldTemplate.h"
#include "qel/afp/AfpLine.h"
#include "qel/afp/AfpMappedFontEntry.h"
#include "qel/afp/AfpPresentationText.h"
#include "qel/afp/AfpPresentationTextDescriptor.h"
#include "qel/afp/AfpStructuredField.h"
#include "qel/afp/AfpText.h"
#include "qel/afp/ResFont.h"

#include "qelDocument.h"
#include "qelDocumentParser.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLineObject.h"
#include "qelLogStream.h"
#include "qelMappedRes.h"
#include "qelMappingDef.h"
#include "qelModcaParser.h"
#include "qelTextObject.h"

#include <memory>

using namespace afpwrite;

namespace
{

struct ReadText
{
    std::string codePoints;
    float x;
    float y;
    int localId;
    std::string fontName;
    std::string codePageName;
    int colorSpace;
    uint32_t color;
    int iAxis;
    int bAxis;
};

struct ReadLine
{
    float x;
    float y;
    float length;
    float width;
    bool horizontal;
};

// Keeps what the pages hand it.
class RecordingVisitor : public lrbtest::NullVisitor
{
public:
    bool isDocumentOpen() override { return true; }
    void writeTextObject(qelTextObject* t) override
    {
        ReadText r;
        if (t->getCodePointText())
            r.codePoints.assign(reinterpret_cast<const char*>(t->getCodePointText()), t->getTextLength());
        r.x = t->getX();
        r.y = t->getY();
        qelMappedRes* mapping = t->getFontMapping();
        r.localId = mapping ? mapping->getLocalId() : -1;
        r.fontName = mapping && mapping->getName() ? mapping->getName() : "";
        r.codePageName = mapping && mapping->getCodePageName() ? mapping->getCodePageName() : "";
        r.colorSpace = t->getColorSpace();
        r.color = t->getColorValue();
        r.iAxis = t->getIAxisOrientation();
        r.bAxis = t->getBAxisOrientation();
        texts.push_back(r);
    }
    void writeLineObject(qelLineObject* l) override
    {
        lines.push_back({l->getX(), l->getY(), l->getLength(), l->getWidth(), !l->isVertical()});
    }
    std::vector<ReadText> texts;
    std::vector<ReadLine> lines;
};

std::string ebcdicText(const std::string& ascii)
{
    const Bytes b = lrbtest::ebcdic(ascii);
    return std::string(b.begin(), b.end());
}

class RoundTripTest : public LibraryTest
{
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
        ini->setCpPath((std::string(LORBANE_SOURCE_DIR) + "/data/").c_str());
        // Font resources are looked for in a folder that holds none: E058,
        // but no warning about the search paths.
        ini->setResPath((std::string(LORBANE_SOURCE_DIR) + "/data/").c_str());
        ini->setAFPFontPath((std::string(LORBANE_SOURCE_DIR) + "/data/").c_str());
        auto* definition = new qelMappingDef();
        qelGlobalDSPool::getInstance()->setMappingDef(definition);
        ASSERT_EQ(definition->load(), 1);
        qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
        log->setLevel("ALL");
        log->setLogPath((m_dir + "/").c_str());
        log->open("read.log");
    }

    // A field made of its template with a name.
    static std::unique_ptr<qel::afp::StructuredField> named(uint32_t id, const char* name)
    {
        auto field = std::make_unique<qel::afp::StructuredField>();
        Bytes bytes = qel::afp::FieldTemplate::copy(id);
        qel::afp::StructuredField::putName(bytes.data() + 8, name);
        field->setData(bytes.data(), static_cast<int>(bytes.size()));
        return field;
    }

    // Reads the document back and walks its pages with the visitor.
    void readBack(const Bytes& bytes, RecordingVisitor& visitor)
    {
        m_input = bytes;
        qelModcaParser* parser = qelGlobalDSPool::getInstance()->getModcaParser();
        parser->setInputKind(QEL_INPUT_MEMORY);
        parser->setInputBuffer(m_input.data(), static_cast<int>(m_input.size()));
        std::unique_ptr<qelDocument> doc(parser->parseFirst(nullptr));
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(doc->getPageCount(), 1);
        doc->write(&visitor);
        qelGlobalDSPool::getInstance()->getLogStream()->close();
    }

    std::string readLog() { return readText(m_dir + "/read.log"); }

    Bytes m_input;
};

TEST_F(RoundTripTest, PageWithTextColourOrientationsAndRulesReadsBack)
{
    MemoryOutput out;
    qel::afp::BeginDocument bdt("DOC00001");
    bdt.setCPGID(500);
    auto bpg = named(0xD3A8AF, "PGN00001");
    auto epg = named(0xD3A9AF, "PGN00001");
    qel::afp::EndDocument edt("DOC00001");
    qel::afp::ActiveEnvironmentGroup aeg(0, 0, 2400, 2400, 1984, 2806, 0, 0, 2400, 2400, 1984, 2806);
    qel::afp::PresentationText pt(aeg.getPresentationTextDescriptor());
    qel::ResFont font("Helvetica", nullptr, "C0H200D0", "T1V10500", 10.0f, 0, false, 0);

    std::vector<std::unique_ptr<qel::afp::Text>> texts;
    auto addText = [&](const std::string& ascii, int16_t x, int16_t y, int16_t i, int16_t b, int space,
                       uint32_t color) {
        const std::string code = ebcdicText(ascii);
        auto t = std::make_unique<qel::afp::Text>(reinterpret_cast<const unsigned char*>(code.data()),
                                                  static_cast<uint16_t>(code.size()), x, y, true, true, false, false,
                                                  i, b, 0, 0);
        t->setFont(&font);
        t->setDataEncoded(1);
        t->setColorSpace(space);
        t->setColor(color);
        qel::afp::MappedFontEntry* entry = aeg.generateFontLocalId(&font);
        ASSERT_NE(entry, nullptr);
        t->setFontLocalId(entry->localId);
        EXPECT_EQ(pt.addText(t.get()), 0);
        texts.push_back(std::move(t));
    };
    addText("Hello AFP world. Invoice 4711.", 189, 229, 0, 90, 0, 0);
    addText("Blue", 189, 300, 0, 90, 1, 0x0000FF);
    addText("Turned", 400, 500, 90, 180, 0, 0);
    addText("Up", 600, 700, 270, 0, 0, 0);
    qel::afp::Line dir(8, 300, 100, 800, true, true, false, false, 0, 90, qel::Line::DIRECTION_INLINE);
    qel::afp::Line dbr(4, 150, 100, 900, true, true, false, false, 0, 90, qel::Line::DIRECTION_BASELINE);
    EXPECT_EQ(pt.addLine(&dir), 0);
    EXPECT_EQ(pt.addLine(&dbr), 0);

    aeg.setPresentationTextPresent(1);
    for (qel::Writable* w : std::initializer_list<qel::Writable*>{&bdt, bpg.get(), &aeg, &pt, epg.get(), &edt})
        EXPECT_EQ(w->write(out.stream(), 1, nullptr), 0);

    const FieldDump dump = dumpFields(out.bytes());
    EXPECT_TRUE(dump.problems.empty());
    EXPECT_EQ(dump.text(), readText(std::string(LORBANE_TEST_DATA) + "/afpwrite/text-page.dump"));

    RecordingVisitor visitor;
    readBack(out.bytes(), visitor);
    ASSERT_EQ(visitor.texts.size(), 4u);
    const ReadText& hello = visitor.texts[0];
    EXPECT_EQ(hello.codePoints, ebcdicText("Hello AFP world. Invoice 4711."));
    EXPECT_EQ(hello.x, 189.0f);
    EXPECT_EQ(hello.y, 229.0f);
    EXPECT_EQ(hello.localId, 1);
    EXPECT_EQ(hello.fontName, "C0H200D0");
    EXPECT_EQ(hello.codePageName, "T1V10500");
    EXPECT_EQ(hello.color, 0xFFFFu);
    const ReadText& blue = visitor.texts[1];
    EXPECT_EQ(blue.colorSpace, 1);
    EXPECT_EQ(blue.color, 0x0000FFu);
    EXPECT_EQ(visitor.texts[2].iAxis, 90);
    EXPECT_EQ(visitor.texts[2].bAxis, 180);
    EXPECT_EQ(visitor.texts[3].iAxis, 270);
    EXPECT_EQ(visitor.texts[3].bAxis, 0);
    // The reader takes the object's start for a move, so the orientation
    // ahead of the first text adds a zero-length rule at the origin.
    ASSERT_EQ(visitor.lines.size(), 3u);
    EXPECT_EQ(visitor.lines[0].length, 0.0f);
    EXPECT_EQ(visitor.lines[0].x, 0.0f);
    const ReadLine& i = visitor.lines[1];
    EXPECT_EQ(i.x, 100.0f);
    EXPECT_EQ(i.y, 800.0f);
    EXPECT_EQ(i.length, 300.0f);
    EXPECT_EQ(i.width, 8.0f);
    EXPECT_TRUE(i.horizontal);
    const ReadLine& b = visitor.lines[2];
    EXPECT_EQ(b.y, 900.0f);
    EXPECT_EQ(b.length, 150.0f);
    EXPECT_EQ(b.width, 4.0f);
    EXPECT_FALSE(b.horizontal);
    const std::string log = readLog();
    EXPECT_EQ(log.find("Warning"), std::string::npos) << log;
    EXPECT_EQ(output().find("Warning"), std::string::npos) << output();
}

} // namespace
