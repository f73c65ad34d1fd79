// Fields of bar code objects as the parser reads them.
#include "ScratchFolder.h"
#include "ParserFields.h"

#include "qel2DDataMatrixBarcodeSymbol.h"
#include "qelBarcodeTranslation.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelMappingDef.h"
#include "qelTripletParser.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace bcfields;

namespace {

class ParserTest : public ParserFixture
{
protected:
    void SetUp() override
    {
        ParserFixture::SetUp();
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path();
        // No code page files: the built-in tables are used.
        ini()->setCpPath((m_dir + "/").c_str());
    }
    void TearDown() override
    {
        ParserFixture::TearDown();
        m_folder.reset();
    }

    // Opens the log with the given level bits.
    qelLogStream* openLog(unsigned int bits)
    {
        qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
        log->setLogPath((m_dir + "/").c_str());
        log->setLevelMask(bits);
        log->open("bc.log");
        return log;
    }
    std::string logText()
    {
        qelGlobalDSPool::getInstance()->getLogStream()->closeFile();
        std::ifstream in(m_dir + "/bc.log", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    static size_t count(const std::string& text, const std::string& what)
    {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
};

TEST_F(ParserTest, DescriptorValues)
{
    struct Case {
        const char* what;
        unsigned char unitBase;
        unsigned int xUnits;
        unsigned int width;
        unsigned char moduleWidth;
        unsigned int elementHeight;
        unsigned char multiplier;
        unsigned int ratio;
        uint16_t resolution;
        uint16_t presentationWidth;
        int32_t height;
        float wideToNarrow;
    } cases[] = {
        {"ten inches 14400", 0, 14400, 0x300, 10, 0x20, 3, 25, 1440, 0x300, 0x60, 2.5f},
        {"ten inches 2400", 0, 2400, 0x300, 10, 0xFFFF, 3, 225, 240, 0x300, 0xFFFF, 2.25f},
        // Units per ten centimetres are turned into units per inch.
        {"ten centimetres 2400", 1, 2400, 0x300, 10, 0x10, 1, 3, 609, 0x300, 0x10, 0.3f},
        {"ten centimetres 14400", 1, 14400, 0x300, 10, 0x10, 0, 0, 3657, 0x300, 0, 0.0f},
        // Width X'FFFF' keeps what the object area gave.
        {"environment width", 0, 14400, 0xFFFF, 20, 0x10, 1, 0xFFFF, 300, 0x500, 0x10, 2.2f},
        {"default module ratio", 0, 2400, 0x300, 21, 0x10, 1, 0xFFFF, 240, 0x300, 0x10, 3.0f},
        {"device default module", 0, 2400, 0x300, 255, 0x10, 1, 0xFFFF, 240, 0x300, 0x10, 3.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Descriptor d;
        d.unitBase = c.unitBase;
        d.xUnits = c.xUnits;
        d.yUnits = c.xUnits;
        d.width = c.width;
        d.moduleWidth = c.moduleWidth;
        d.elementHeight = c.elementHeight;
        d.multiplier = c.multiplier;
        d.ratio = c.ratio;
        Bytes env = obd(3000, 0x500, 0x400);
        append(env, bdd(d));
        auto object = parse(input(env, {}));
        ASSERT_TRUE(object);
        EXPECT_EQ(object->getResolution(), c.resolution);
        EXPECT_EQ(object->getPresentationWidth(), c.presentationWidth);
        EXPECT_EQ(object->getElementHeight(), c.height);
        EXPECT_FLOAT_EQ(object->getWideToNarrowRatio(), c.wideToNarrow);
        EXPECT_EQ(object->getModuleWidth(), c.moduleWidth);
        EXPECT_EQ(object->getBarcodeType(), 1u);
        EXPECT_EQ(object->getColorSpace(), 5);
    }
}

TEST_F(ParserTest, DataFlags)
{
    struct Case {
        unsigned char flags;
        bool hri;
        int position;
        bool asterisk;
        bool symbol;
        bool trailingBlanks;
    } cases[] = {
        {0x00, true, qelBarcodeSymbol::HRI_DEFAULT, true, true, false},
        {0x20, true, qelBarcodeSymbol::HRI_BELOW, true, true, false},
        {0x40, true, qelBarcodeSymbol::HRI_ABOVE, true, true, false},
        {0x60, true, qelBarcodeSymbol::HRI_DEFAULT, true, true, false},
        {0x80, false, qelBarcodeSymbol::HRI_DEFAULT, true, true, false},
        {0x16, true, qelBarcodeSymbol::HRI_DEFAULT, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.flags));
        auto object = parse(input(bdd(Descriptor()), {bda(c.flags, 7, 9, ebcdic("A1"))}));
        ASSERT_TRUE(object);
        qelBarcodeSymbol* symbol = symbolAt(*object, 0);
        ASSERT_NE(symbol, nullptr);
        EXPECT_EQ(symbol->isHRIPresented(), c.hri);
        EXPECT_EQ(symbol->getHRIPosition(), c.position);
        EXPECT_EQ(symbol->isAsteriskPresented(), c.asterisk);
        EXPECT_EQ(symbol->isSymbolPresented(), c.symbol);
        EXPECT_EQ(symbol->isTrailingBlanksSuppressed(), c.trailingBlanks);
        EXPECT_EQ(symbol->getXOrigin(), 7);
        EXPECT_EQ(symbol->getYOrigin(), 9);
        EXPECT_EQ(dataText(*symbol), "A1");
    }
}

TEST_F(ParserTest, ObjectAreaPosition)
{
    struct Case {
        const char* what;
        Bytes x;
        unsigned int rotation;
        int32_t expectedX;
        uint16_t iAxis;
        float angle;
    } cases[] = {
        {"plain", {0x00, 0x00, 0x64}, 0x2D00, 100, 90, 270.0f},
        {"negative 16 bits", {0xFF, 0xFF, 0x9C}, 0x0000, -100, 0, 360.0f},
        {"low 16 bits kept", {0x00, 0xFF, 0x9C}, 0x5A00, -100, 180, 180.0f},
        {"24 bits", {0x01, 0x00, 0x00}, 0x8700, 65536, 270, 90.0f},
        {"negative 24 bits", {0xFE, 0x00, 0x00}, 0x8700, -131072, 270, 90.0f},
        // An illegal rotation leaves the orientation as it was.
        {"illegal rotation", {0x00, 0x00, 0x01}, 0x1000, 1, 0, 360.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Position p;
        p.x = c.x;
        p.y = {0x00, 0x00, 0x20};
        p.xRotation = c.rotation;
        p.yRotation = 0x5A00;
        p.contentX = c.x;
        p.contentY = {0xFF, 0xFF, 0xFE};
        p.referenceSystem = 1;
        auto object = parse(input(obp(p), {}));
        ASSERT_TRUE(object);
        EXPECT_FLOAT_EQ(object->getX(), static_cast<float>(c.expectedX));
        EXPECT_FLOAT_EQ(object->getY(), 32.0f);
        EXPECT_EQ(object->getIAxisOrientation(), c.iAxis);
        EXPECT_EQ(object->getBAxisOrientation(), 180);
        EXPECT_FLOAT_EQ(object->getAngle(), c.angle);
        EXPECT_EQ(object->getContentOriginX(), c.expectedX);
        EXPECT_EQ(object->getContentOriginY(), -2);
        EXPECT_EQ(object->getReferenceCoordinateSystem(), 1);
    }
}

// Fields cut short keep their defaults, and the object still comes back.
TEST_F(ParserTest, ShortFields)
{
    Descriptor d;
    d.type = 17;
    Bytes shortBdd = bddData(d);
    shortBdd.resize(13); // up to the type
    Bytes shortObp = obpData(Position());
    shortObp.resize(5); // the X origin and one byte more
    Bytes env = field(0xA6EB, shortBdd);
    append(env, field(0xAC6B, shortObp));
    const Bytes onlyFlags = field(0xEEEB, {0x80});
    auto object = parse(input(env, {onlyFlags, bda(0x00, 1, 2, {})}));
    ASSERT_TRUE(object);
    EXPECT_EQ(object->getBarcodeType(), 17u);
    EXPECT_EQ(object->getModuleWidth(), 0);
    EXPECT_FLOAT_EQ(object->getWideToNarrowRatio(), 0.0f);
    ASSERT_EQ(symbolCount(*object), 2);
    const qelBarcodeSymbol* first = symbolAt(*object, 0);
    EXPECT_EQ(first->getXOrigin(), 0);
    EXPECT_EQ(first->getDataLength(), 0);
    EXPECT_EQ(first->getData(), nullptr);
    const qelBarcodeSymbol* second = symbolAt(*object, 1);
    EXPECT_EQ(second->getYOrigin(), 2);
    EXPECT_EQ(second->getHRIText(), nullptr);
    EXPECT_EQ(messages().find("Reseved"), std::string::npos);
}

TEST_F(ParserTest, DataMatrixParameters)
{
    Descriptor d;
    d.type = 28;
    d.modifier = 0;
    Bytes rest = matrixParameters(12, 14, 0x40, 3, 5, 0x1234, 0xA8);
    append(rest, ebcdic("AB"));
    auto object = parse(input(bdd(d), {bda(0x00, 0, 0, rest)}));
    ASSERT_TRUE(object);
    auto* symbol = dynamic_cast<qel2DDataMatrixBarcodeSymbol*>(symbolAt(*object, 0));
    ASSERT_NE(symbol, nullptr);
    EXPECT_FALSE(symbol->isTranslateFromEBCDIC());
    EXPECT_FALSE(symbol->isProcessEscapeSequences());
    EXPECT_EQ(symbol->getRowSize(), 12);
    EXPECT_EQ(symbol->getNumberOfRows(), 14);
    EXPECT_EQ(symbol->getSequenceIndicator(), 3);
    EXPECT_EQ(symbol->getSymbolCount(), 5);
    EXPECT_EQ(symbol->getFileIdentification(), 0x1234);
    EXPECT_TRUE(symbol->isUccEanFNC1());
    EXPECT_FALSE(symbol->isIndustryFNC1());
    EXPECT_TRUE(symbol->isReaderProgramming());
    EXPECT_EQ(dataText(*symbol), "AB");
}

// Types that are never drawn are counted once per object as ignored
// unsupported objects; the 2D types without encoder read no data.
TEST_F(ParserTest, TypesWithoutEncoder)
{
    struct Case {
        unsigned char type;
        int symbols;
        int ignored;
    } cases[] = {
        {1, 2, 0}, {17, 2, 0}, {28, 2, 0}, {30, 0, 1}, {29, 0, 1}, {32, 0, 1}, {34, 2, 1}, {9, 2, 1}, {99, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        qelDocumentParser::resetIgnoredObjectCount();
        Descriptor d;
        d.type = c.type;
        Bytes rest = c.type == 28 ? matrixParameters(0, 0) : Bytes();
        append(rest, ebcdic("12"));
        auto object = parse(input(bdd(d), {bda(0x00, 0, 0, rest), bda(0x00, 0, 0, rest)}));
        ASSERT_TRUE(object);
        EXPECT_EQ(symbolCount(*object), c.symbols);
        EXPECT_EQ(object->getSymbols() != nullptr, c.symbols > 0);
        EXPECT_EQ(ignoredObjects(), c.ignored);
    }
}

// One group of a Map Coded Font: names, global ids and the local id.
Bytes fontGroup(const std::string& codedFont, unsigned int cpgid, unsigned int fgid, unsigned char localId)
{
    Bytes triplets;
    if (!codedFont.empty()) {
        std::string padded = codedFont;
        padded.resize(8, ' ');
        append(triplets, {12, 0x02, 0x8E, 0x00});
        append(triplets, ebcdic(padded));
    }
    append(triplets, {12, 0x02, 0x84, 0x00});
    add16(triplets, 2039);
    add16(triplets, cpgid);
    add16(triplets, fgid);
    add16(triplets, 0);
    append(triplets, {4, 0x24, 0x05, localId});
    Bytes group;
    add16(group, static_cast<unsigned int>(triplets.size()) + 2);
    append(group, triplets);
    return group;
}

TEST_F(ParserTest, MappedFonts)
{
    struct Case {
        const char* what;
        bool definition;
        const char* codePageName;
        const char* derivedName;
    } cases[] = {
        {"no mapping definition", false, "T1000500", "C0H20000"},
        {"names from the mapping definition", true, "T1V10500", "C0S0CR10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.definition) {
            auto* definition = new qelMappingDef();
            auto* codePage = new qelCodePageEntry();
            std::strcpy(codePage->codePageName, "T1V10500");
            std::strcpy(codePage->fileName, "500");
            definition->addCodePage(codePage);
            auto* font = new qelGCSGIDEntry();
            font->gcsgid = 2039;
            font->fgid = 416;
            std::strcpy(font->charSetName, "C0S0CR10");
            definition->addGCSGID(font);
            qelGlobalDSPool::getInstance()->setMappingDef(definition);
        }
        Bytes groups = fontGroup("X0GT10", 500, 0, 1);
        append(groups, fontGroup("", 500, 416, 2));
        // A lone byte after the last group ends the field.
        groups.push_back(0x00);
        Bytes env = field(0xAB8A, groups);
        append(env, bdd(Descriptor()));
        auto object = parse(input(env, {}));
        ASSERT_TRUE(object);
        EXPECT_EQ(object->getBarcodeType(), 1u);
        EXPECT_TRUE(object->areFontsBound());
        EXPECT_EQ(parser()->getTripletParser()->getLogMask(), 2);
        qelMappedRes* first = object->findMappedFont(1);
        ASSERT_NE(first, nullptr);
        EXPECT_STREQ(first->getName(), "X0GT10");
        EXPECT_EQ(first->getDerivedName(), 0);
        ASSERT_NE(first->getFontInfo(), nullptr);
        EXPECT_STREQ(first->getFontInfo()->getCodePageName(), c.codePageName);
        qelMappedRes* second = object->findMappedFont(2);
        ASSERT_NE(second, nullptr);
        EXPECT_STREQ(second->getName(), c.derivedName);
        EXPECT_EQ(second->getDerivedName(), 1);
        EXPECT_STREQ(second->getFontInfo()->getCharacterSetName(), c.derivedName);
        // Both groups of the first case name code page 500; none afterwards.
        EXPECT_EQ(count(messages(), "Using default codepage T1000500\n"), 2u);
    }
}

TEST_F(ParserTest, BuiltInTables)
{
    struct Case {
        int cpgid;
        unsigned char from;
        unsigned char to;
    } cases[] = {
        {500, 0xC1, 'A'},  {500, 0xF0, '0'},  {500, 0x4A, '['},  {500, 0xB3, 0x00}, {500, 0x27, 0xB7},
        {500, 0x00, 0x00}, {500, 0x05, 0x20}, {500, 0xFF, 0x20}, {500, 0x41, 0xA0},
        {1303, 0x4F, '|'}, {1303, 0x4A, ' '}, {1303, 0x5F, ' '}, {1303, 0x5A, '!'}, {1303, 0xB0, '^'},
        {1303, 0xBA, '['}, {1303, 0xBB, ']'}, {1303, 0xC1, 'A'}, {1303, 0x41, ' '},
        {893, 0x5F, 0x9B}, {893, 0x6D, 0xA9}, {893, 0x76, '_'},  {893, 0xDF, '^'},  {893, 0xBF, 0x7F},
        {893, 0xF5, '5'},  {893, 0x40, ' '},  {893, 0x41, ' '},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cpgid);
        SCOPED_TRACE(static_cast<int>(c.from));
        unsigned char table[256];
        std::memset(table, 0xEE, sizeof table);
        qelBarcodeTranslation::fill(table, c.cpgid);
        EXPECT_EQ(table[c.from], c.to);
    }
    const struct {
        unsigned int type;
        int cpgid;
    } types[] = {{1, 500}, {17, 1303}, {3, 893}, {23, 893}, {28, 500}, {30, 0}, {34, 0}, {4, 0}};
    for (const auto& t : types)
        EXPECT_EQ(qelBarcodeTranslation::getCodePage(t.type), t.cpgid) << t.type;
}

// The table survives from object to object: its code page file is looked
// for once per change of code page, and an object without descriptor reads
// its data with whatever table is left.
TEST_F(ParserTest, TranslationTablePersists)
{
    const std::string missing = "Error in opening Codepage File";
    auto noDescriptor = parse(input(Bytes(), {bda(0x80, 0, 0, ebcdic("AB"))}));
    ASSERT_TRUE(noDescriptor);
    EXPECT_EQ(noDescriptor->getBarcodeType(), 0u);
    EXPECT_EQ(dataText(*symbolAt(*noDescriptor, 0)), std::string(2, '\0'));
    EXPECT_EQ(parser()->getTableCodePage(), -1);

    auto first = parse(input(bdd(Descriptor()), {bda(0x80, 0, 0, ebcdic("A|"))}));
    auto second = parse(input(bdd(Descriptor()), {bda(0x80, 0, 0, {0x4F})}));
    EXPECT_EQ(count(messages(), missing), 1u);
    EXPECT_EQ(parser()->getTableCodePage(), 500);
    EXPECT_EQ(dataText(*symbolAt(*second, 0)), "!");

    Descriptor code128;
    code128.type = 17;
    auto third = parse(input(bdd(code128), {bda(0x80, 0, 0, {0x4F, 0x4A})}));
    EXPECT_EQ(count(messages(), missing), 2u);
    EXPECT_EQ(parser()->getTableCodePage(), 1303);
    EXPECT_EQ(dataText(*symbolAt(*third, 0)), "| ");

    auto after = parse(input(Bytes(), {bda(0x80, 0, 0, {0x4F})}));
    EXPECT_EQ(dataText(*symbolAt(*after, 0)), "|");

    // A code page file found on the path is used instead.
    ini()->setCpPath(LORBANE_SOURCE_DIR "/data/");
    auto fromFile = parse(input(bdd(Descriptor()), {bda(0x80, 0, 0, ebcdic("AZ9"))}));
    EXPECT_EQ(count(messages(), missing), 2u);
    EXPECT_EQ(dataText(*symbolAt(*fromFile, 0)), "AZ9");
}

// The data dumps of the log hold every byte, however long the data.
TEST_F(ParserTest, LongDataDump)
{
    openLog(0x2);
    const std::string data(400, 'A');
    auto object = parse(input(bdd(Descriptor()), {bda(0x80, 0, 0, ebcdic(data))}));
    ASSERT_TRUE(object);
    const std::string log = logText();
    std::string hex;
    std::string text;
    for (size_t i = 0; i < data.size(); ++i) {
        hex += "C1 ";
        text += " A ";
    }
    EXPECT_NE(log.find("EBCDIC Data:(" + hex + ")"), std::string::npos);
    EXPECT_NE(log.find("ASCII  Data:(" + text + ")"), std::string::npos);
    EXPECT_NE(log.find("Barcode Type: 0x1 <Code 39 (3-of-9 Code), AIM USS-39>"), std::string::npos);
    EXPECT_NE(log.find("Barcode Modifier: 0x01 (Do not generate check digit)"), std::string::npos);
    EXPECT_EQ(messages().find("exceeds"), std::string::npos);
}

TEST_F(ParserTest, DataMatrixDiagnostics)
{
    struct Case {
        unsigned int rowSize;
        std::string data;
        const char* counts;
        bool exceeds;
    } cases[] = {
        {32, "12345ABCDE1", "CodeWord Count: 9 ASCII Count:11 \n", false},
        {32, "ABCDEFGHIJK", "CodeWord Count: 11 ASCII Count:11 \n", true},
        {20, "123", "CodeWord Count: 2 ASCII Count:3 \n", false},
    };
    ini()->setDevTest(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        Descriptor d;
        d.type = 28;
        d.modifier = 0;
        Bytes rest = matrixParameters(c.rowSize, 8);
        append(rest, ebcdic(c.data));
        const size_t before = messages().size();
        auto object = parse(input(bdd(d), {bda(0x80, 0, 0, rest)}));
        ASSERT_TRUE(object);
        const std::string out = messages().substr(before);
        EXPECT_NE(out.find("Desired Row Size X Number of Rows: " + std::to_string(c.rowSize) + " x 8 \n"),
                  std::string::npos);
        EXPECT_NE(out.find("EBCDIC Data:("), std::string::npos);
        EXPECT_NE(out.find(c.counts), std::string::npos) << out;
        EXPECT_EQ(out.find("Exceeds limit\n") != std::string::npos, c.exceeds);
    }
}

// A descriptor outside the environment group is reported and skipped; the
// rest of the object is read.
TEST_F(ParserTest, UnexpectedFields)
{
    Bytes all = bbc();
    append(all, bdd(Descriptor()));
    append(all, field(0xA8C9, {}));
    append(all, bda(0x80, 0, 0, ebcdic("AB")));
    append(all, ebc());
    append(all, bbc("NEXT"));
    auto object = parse(all);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->getBarcodeType(), 0u);
    EXPECT_EQ(symbolCount(*object), 1);
    EXPECT_NE(messages().find("Warning! Unexpected SFType ID : 0xa6eb\n"), std::string::npos);
    EXPECT_NE(messages().find("Warning! Unexpected SFType ID : 0xa8c9\n"), std::string::npos);
    EXPECT_STREQ(object->getName(), "BC000001");
    // The parser stops at the End Bar Code Object.
    EXPECT_EQ(parser()->readNextSF()->getId(), 0xA8EB);
}

TEST_F(ParserTest, EndOfInputInsideTheObjectPassesUp)
{
    Bytes cut = bbc();
    append(cut, bog());
    append(cut, bdd(Descriptor()));
    qelSFIBlock* begin = start(cut);
    bool raised = false;
    try {
        delete parser()->parse(begin);
    } catch (qelException* e) {
        raised = true;
        delete e;
    }
    EXPECT_TRUE(raised);
}

TEST_F(ParserTest, TraceLines)
{
    ini()->setAttribute("DevTestLevel", "2");
    auto object = parse(input(Bytes(), {}));
    ASSERT_TRUE(object);
    EXPECT_EQ(messages(), "[BarcodeParser]: (Begin): parse\n[BarcodeParser]: (End): parse\n");
}

} // namespace
