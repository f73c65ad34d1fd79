// Object containers read from structured fields: kept raster types, dropped
// and counted other types, placement fields, damaged fields and the spill of
// large data.
#include "FieldText.h"
#include "ObjectFieldData.h"
#include "ScratchTest.h"

#include "qelContainerObject.h"
#include "qelDocumentParser.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIni.h"
#include "qelIOStream.h"
#include "qelList.h"
#include "qelObjectContainerParser.h"
#include "qelResGroupParser.h"
#include "qelResObjectContainer.h"
#include "qelResOverlay.h"
#include "qelResourceReference.h"
#include "qelSFIBlock.h"
#include "qelTripletParser.h"

#include <dirent.h>

#include <memory>
#include <string>
#include <vector>

using namespace lrbtest;

namespace {

// The document parser base: holds the count of ignored objects and the
// process's current input.
class PlainDocumentParser : public qelDocumentParser
{
public:
    int loadResourceFile() override { return 0; }
    int getParserType() override { return 0; }
};

// Object identifier byte and type name of the classification triplet.
struct Kind
{
    unsigned char oid;
    const char* typeName;
};
const Kind kJpeg = {0x17, "JFIF"};
const Kind kTiff = {0x0E, "TIFF"};
const Kind kEps = {0x0D, "EPS"};
// No identifier the reader knows and no type name: the reader warns (W016).
const Kind kNoType = {0xEE, ""};
// An identifier the reader does not know with a name it does not know.
const Kind kStrange = {0xEE, "STRANGE"};

// Object Classification triplet for the kind (96 bytes).
Bytes classification(const Kind& kind)
{
    Bytes t = {0x60, 0x10, 0x00, 0x01, 0x00, 0x00, 0xDC, 0x00};
    Bytes oid = {0x06, 0x07, 0x2B, 0x12, 0x00, 0x04, 0x01, 0x01, kind.oid};
    oid.resize(16, 0x00);
    append(t, oid);
    append(t, ebcdic(kind.typeName, 32));
    if (!*kind.typeName)
        std::fill(t.end() - 32, t.end(), 0x00);
    append(t, ebcdic("", 8));
    append(t, ebcdic("", 32));
    return t;
}

Bytes boc(const std::string& name, const Kind* kind)
{
    Bytes data = name8(name);
    if (kind)
        append(data, classification(*kind));
    return field(0xA892, data);
}

Bytes eoc()
{
    return field(0xA992, {});
}

// OBD: descriptor position, units (base, units per base), area size.
Bytes obd(unsigned char base, int units, int width, int height)
{
    Bytes data = {0x03, 0x43, 0x01, 0x08, 0x4B, base, base};
    append(data, {static_cast<unsigned char>(units >> 8), static_cast<unsigned char>(units),
                  static_cast<unsigned char>(units >> 8), static_cast<unsigned char>(units)});
    append(data, {0x09, 0x4C, 0x02});
    append(data, offset3(width));
    append(data, offset3(height));
    return field(0xA66B, data);
}

// OBP with area origin, X rotation and content offsets.
Bytes obp(int x, int y, int xRotation, int contentX, int contentY)
{
    Bytes data = {0x01, 23};
    append(data, offset3(x));
    append(data, offset3(y));
    append(data, {static_cast<unsigned char>(xRotation >> 8), static_cast<unsigned char>(xRotation), 0x5A, 0x00, 0x00});
    append(data, offset3(contentX));
    append(data, offset3(contentY));
    append(data, {0x00, 0x00, 0x2D, 0x00, 0x00});
    return field(0xAC6B, data);
}

Bytes environment(std::initializer_list<Bytes> fields)
{
    Bytes out = field(0xA8C7, name8("OEG1"));
    for (const Bytes& f : fields)
        append(out, f);
    append(out, field(0xA9C7, name8("OEG1")));
    return out;
}

// OCD fields holding n bytes of a pattern.
Bytes ocd(size_t n, Bytes* data = nullptr)
{
    Bytes out;
    size_t done = 0;
    while (done < n) {
        const size_t part = std::min<size_t>(n - done, 32000);
        Bytes chunk(part);
        for (size_t i = 0; i < part; ++i)
            chunk[i] = static_cast<unsigned char>((done + i) * 7 + 3);
        if (data)
            append(*data, chunk);
        append(out, field(0xEE92, chunk));
        done += part;
    }
    return out;
}

// The reader base's hand-over of a container met in a page or overlay.
class MediaReader : public qelAFPParser
{
public:
    using qelAFPParser::parseObjectContainer;
};

class ObjectContainerParserTest : public ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        m_documents.reset(new PlainDocumentParser());
        m_temp = m_dir + "/temp/";
        ::mkdir(m_temp.c_str(), 0755);
        qelGlobalDSPool::getInstance()->getIni()->setTempPath(m_temp.c_str());
    }
    void TearDown() override
    {
        m_documents.reset();
        ScratchTest::TearDown();
    }

    void read(const Bytes& bytes)
    {
        m_bytes = bytes;
        qelIOStream* in = qelIOStream::getCurrent();
        in->attachBuffer(m_bytes.data(), static_cast<int>(m_bytes.size()));
        in->setSpoolInput(true);
    }

    qelObjectContainerParser* parser()
    {
        return dynamic_cast<qelObjectContainerParser*>(qelGlobalDSPool::getInstance()->getObjectContainerParser());
    }

    // Parses the bytes as a container named name (mode 0).
    std::unique_ptr<qelResObjectContainer> parse(const Bytes& bytes, const char* name = "C1")
    {
        read(bytes);
        return std::unique_ptr<qelResObjectContainer>(
            static_cast<qelResObjectContainer*>(parser()->parse(name, 0, nullptr)));
    }

    static qelContainerObject* containerOf(qelResObjectContainer* res)
    {
        if (!res || !res->getObjects() || !res->getObjects()->getHead())
            return nullptr;
        return static_cast<qelContainerObject*>(res->getObjects()->getHead()->item);
    }

    static Bytes dataOf(qelContainerObject* c)
    {
        if (!c || !c->getData())
            return Bytes();
        return Bytes(c->getData(), c->getData() + c->getDataLength());
    }

    int ignored() const { return m_documents->getIgnoredObjectCount(); }

    std::vector<std::string> tempFiles() const
    {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(m_temp.c_str())) {
            while (dirent* e = ::readdir(d))
                if (e->d_name[0] != '.')
                    names.emplace_back(e->d_name);
            ::closedir(d);
        }
        return names;
    }

    std::unique_ptr<PlainDocumentParser> m_documents;
    Bytes m_bytes;
    std::string m_temp;
};

} // namespace

TEST_F(ObjectContainerParserTest, PoolKeepsOneParser)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelResParser* first = pool->getObjectContainerParser();
    ASSERT_NE(dynamic_cast<qelObjectContainerParser*>(first), nullptr);
    EXPECT_EQ(pool->getObjectContainerParser(), first);
    EXPECT_TRUE(first->isResourceBegin(0xA892));
    EXPECT_FALSE(first->isResourceBegin(0xA8FB));
}

TEST_F(ObjectContainerParserTest, JpegContainerIsPlacedAndKeepsItsData)
{
    Bytes data;
    Bytes bytes = boc("C1", &kJpeg);
    append(bytes, environment({obd(0x00, 2400, 300, 200), obp(100, 200, 0x2D00, 5, 6)}));
    append(bytes, ocd(100, &data));
    append(bytes, ocd(50, &data));
    append(bytes, eoc());
    std::unique_ptr<qelResObjectContainer> res = parse(bytes);
    ASSERT_NE(res, nullptr) << output();
    EXPECT_EQ(res->getType(), 8);
    EXPECT_EQ(res->getFound(), 1);
    EXPECT_STREQ(res->getName(), "C1");
    qelContainerObject* c = containerOf(res.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->getType(), qelContainerObject::TYPE_JPG);
    EXPECT_EQ(c->getParseStage(), 2);
    EXPECT_FLOAT_EQ(c->getX(), 100.0f);
    EXPECT_FLOAT_EQ(c->getY(), 200.0f);
    EXPECT_EQ(c->getIAxisOrientation(), 90);
    EXPECT_EQ(c->getBAxisOrientation(), 180);
    EXPECT_FLOAT_EQ(c->getAngle(), 270.0f);
    EXPECT_EQ(c->getResolution(), 240);
    EXPECT_EQ(c->getAreaWidth(), 300);
    EXPECT_EQ(c->getAreaHeight(), 200);
    EXPECT_EQ(c->getContentOffsetX(), 5);
    EXPECT_EQ(c->getContentOriginY(), 6);
    EXPECT_EQ(dataOf(c), data);
    ASSERT_NE(c->getImageName(), nullptr);
    EXPECT_EQ(std::string(c->getImageName()).substr(0, 3), "Img");
    EXPECT_EQ(ignored(), 0);
}

TEST_F(ObjectContainerParserTest, ContainersOfTypesNotKeptAreDroppedAndCounted)
{
    const struct
    {
        const char* name;
        const Kind* kind;
    } cases[] = {{"EPS", &kEps}, {"no type (W016)", &kNoType}, {"unknown identifier", &kStrange}};
    int expected = 0;
    for (const auto& c : cases) {
        Bytes bytes = boc("C1", c.kind);
        append(bytes, environment({obd(0x00, 2400, 300, 200)}));
        append(bytes, ocd(10));
        append(bytes, eoc());
        // The field after the container is the next one read.
        append(bytes, field(0xA8AF, {}));
        std::unique_ptr<qelResObjectContainer> res = parse(bytes);
        EXPECT_EQ(res, nullptr) << c.name;
        EXPECT_EQ(ignored(), ++expected) << c.name;
        EXPECT_EQ(parser()->readNextSF()->getId(), 0xA8AF) << c.name;
    }
    EXPECT_EQ(output().find("Unexpected"), std::string::npos) << output();
}

TEST_F(ObjectContainerParserTest, ContainerWithoutClassificationIsLostAndSkipped)
{
    Bytes bytes = boc("C1", nullptr);
    // The BOC needs its triplets to be classified: a comment alone is not
    // enough.
    bytes = field(0xA892, cat({name8("C1"), {0x05, 0x65, 'a', 'b', 'c'}}));
    append(bytes, ocd(10));
    append(bytes, eoc());
    append(bytes, field(0xA8AF, {}));
    EXPECT_EQ(parse(bytes), nullptr);
    EXPECT_NE(output().find("E009"), std::string::npos) << output();
    // Read on to the End field: the caller does not meet the data.
    EXPECT_EQ(parser()->readNextSF()->getId(), 0xA8AF);
    EXPECT_EQ(output().find("Unexpected"), std::string::npos) << output();
}

TEST_F(ObjectContainerParserTest, RequestedNameWins)
{
    Bytes bytes = boc("OTHER", &kTiff);
    append(bytes, ocd(4));
    append(bytes, eoc());
    std::unique_ptr<qelResObjectContainer> res = parse(bytes, "WANTED");
    ASSERT_NE(res, nullptr);
    EXPECT_STREQ(res->getName(), "WANTED");
    EXPECT_STREQ(containerOf(res.get())->getName(), "WANTED");
    // Without a requested name, the container's own.
    read(bytes);
    std::unique_ptr<qelRes> own(parser()->parse(nullptr, 0, nullptr));
    ASSERT_NE(own, nullptr);
    EXPECT_STREQ(own->getName(), "OTHER");
}

TEST_F(ObjectContainerParserTest, ShortFieldDropsOnlyThatField)
{
    // The OBP ends after the X origin; the OCD after it still counts.
    Bytes shortObp = {0x01, 23};
    append(shortObp, offset3(77));
    Bytes data;
    Bytes bytes = boc("C1", &kJpeg);
    append(bytes, environment({field(0xAC6B, shortObp), obd(0x00, 3000, 10, 20)}));
    append(bytes, ocd(20, &data));
    append(bytes, eoc());
    std::unique_ptr<qelResObjectContainer> res = parse(bytes);
    ASSERT_NE(res, nullptr) << output();
    qelContainerObject* c = containerOf(res.get());
    EXPECT_FLOAT_EQ(c->getX(), 77.0f);
    EXPECT_EQ(c->getResolution(), 300);
    EXPECT_EQ(dataOf(c), data);
}

TEST_F(ObjectContainerParserTest, OriginsAndResolutionReadings)
{
    const struct
    {
        int x;
        int contentX;
        unsigned char base;
        int units;
        float wantX;
        int wantContentX;
        int wantResolution;
    } cases[] = {
        // Low 16 bits when the high byte only extends the sign.
        {0x00FF38, 0xFFFF38, 0x00, 2400, -200.0f, -200, 240},
        // All 24 bits otherwise.
        {0x012345, 0x010000, 0x00, 14400, 74565.0f, 65536, 1440},
        // A ten-centimetre base: units x 0.254, truncated.
        {10, 0, 0x01, 1000, 10.0f, 0, 254},
        {10, 0, 0x01, 945, 10.0f, 0, 240},
    };
    for (const auto& t : cases) {
        Bytes bytes = boc("C1", &kJpeg);
        append(bytes, environment({obd(t.base, t.units, 10, 10), obp(t.x, 0, 0, t.contentX, 0)}));
        append(bytes, ocd(4));
        append(bytes, eoc());
        std::unique_ptr<qelResObjectContainer> res = parse(bytes);
        ASSERT_NE(res, nullptr);
        qelContainerObject* c = containerOf(res.get());
        EXPECT_FLOAT_EQ(c->getX(), t.wantX) << t.x;
        EXPECT_EQ(c->getContentOffsetX(), t.wantContentX) << t.contentX;
        EXPECT_EQ(c->getResolution(), t.wantResolution) << t.units;
    }
}

TEST_F(ObjectContainerParserTest, DataBeyondTheCacheGoThroughASpillFile)
{
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setImageMaxCacheSize(1.0f);
    const std::string unwritable = m_dir + "/missing/";
    const struct
    {
        size_t bytes;
        bool spills;
    } cases[] = {{1048576, false}, {1048577, true}};
    for (const auto& t : cases) {
        Bytes data;
        Bytes bytes = boc("C1", &kTiff);
        append(bytes, ocd(t.bytes, &data));
        append(bytes, eoc());
        // Through the temporary folder: whole, and no file left.
        ini->setTempPath(m_temp.c_str());
        std::unique_ptr<qelResObjectContainer> res = parse(bytes);
        ASSERT_NE(res, nullptr) << t.bytes;
        EXPECT_TRUE(dataOf(containerOf(res.get())) == data) << t.bytes;
        EXPECT_TRUE(tempFiles().empty()) << t.bytes;
        // A folder that cannot take the file shows whether one was needed.
        ini->setTempPath(unwritable.c_str());
        res = parse(bytes);
        EXPECT_EQ(res == nullptr, t.spills) << t.bytes;
        EXPECT_EQ(output().find("E098") != std::string::npos, t.spills) << t.bytes;
    }
}

TEST_F(ObjectContainerParserTest, ResourceGroupFilesContainersMetEitherWay)
{
    Bytes bytes = field(0xA8C6, name8("RG1"));
    // In a Begin Resource of type X'92' and directly in the group.
    Bytes begin = name8("RES1");
    append(begin, {0x00, 0x00, 0x0A, 0x21, 0x92, 0, 0, 0, 0, 0, 0, 0});
    append(bytes, field(0xA8CE, begin));
    append(bytes, boc("OC1", &kJpeg));
    append(bytes, ocd(8));
    append(bytes, eoc());
    append(bytes, field(0xA9CE, name8("RES1")));
    append(bytes, boc("DIRECT", &kTiff));
    append(bytes, ocd(8));
    append(bytes, eoc());
    // An EPS container is dropped and counted.
    append(bytes, boc("EPS1", &kEps));
    append(bytes, ocd(8));
    append(bytes, eoc());
    append(bytes, field(0xA9C6, name8("RG1")));
    read(bytes);
    qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
    qelResGroupParser group;
    group.parseFile(nullptr);

    qelGlobalRes* resources = qelGlobalDSPool::getInstance()->getGlobalRes();
    for (const char* name : {"RES1", "DIRECT"}) {
        qelRes* res = resources->findResource(name, qelRes::TYPE_OBJECT_CONTAINER);
        ASSERT_NE(res, nullptr) << name;
        EXPECT_EQ(res->getInline(), 1) << name;
        EXPECT_NE(containerOf(static_cast<qelResObjectContainer*>(res)), nullptr) << name;
    }
    EXPECT_EQ(resources->findResource("EPS1", qelRes::TYPE_OBJECT_CONTAINER), nullptr);
    EXPECT_EQ(ignored(), 1);
    EXPECT_EQ(output().find("Unsupported object"), std::string::npos) << output();
    EXPECT_EQ(output().find("Unexpected"), std::string::npos) << output();
}

TEST_F(ObjectContainerParserTest, IncludeFileTakesTheTypeTheTripletReaderHolds)
{
    // An include names a file; its type was handed to the shared reader.
    const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00};
    writeFile("LOGO.jpg", jpeg);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    pool->getIni()->setResPath((m_dir + "/").c_str());
    pool->getTripletParser()->setObjectTypeCode(qelContainerObject::TYPE_JPG);
    std::unique_ptr<qelRes> res(pool->getObjectContainerParser()->parse("LOGO", 1, nullptr));
    ASSERT_NE(res, nullptr) << output();
    qelContainerObject* c = containerOf(static_cast<qelResObjectContainer*>(res.get()));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->getType(), qelContainerObject::TYPE_JPG);
    EXPECT_EQ(dataOf(c), jpeg);
    EXPECT_EQ(ignored(), 0);
}

TEST_F(ObjectContainerParserTest, ContainerMetInAnOverlayIsRegisteredAndIncluded)
{
    const struct
    {
        const Kind* kind;
        bool kept;
        const char* overlayName;
        const char* registeredName;
    } cases[] = {{&kJpeg, true, "O1", "C1_O1"}, {&kEps, false, "O2", "C1_O2"}};
    for (const auto& t : cases) {
        Bytes bytes = boc("C1", t.kind);
        append(bytes, ocd(16));
        append(bytes, eoc());
        append(bytes, field(0xA8AF, {}));
        read(bytes);
        qelResOverlay overlay(t.overlayName);
        MediaReader reader;
        qelSFIBlock* begin = reader.readNextSF();
        reader.parseObjectContainer(&overlay, t.overlayName, begin);
        // Registered at spool level under the container's and the overlay's
        // names, included once where it was met.
        qelRes* res = qelGlobalDSPool::getInstance()->getGlobalRes()->findResource(t.registeredName,
                                                                                 qelRes::TYPE_OBJECT_CONTAINER);
        EXPECT_EQ(res != nullptr, t.kept) << t.kind->typeName;
        qelList* refs = overlay.getResourceReferences();
        ASSERT_EQ(refs && refs->getHead(), t.kept) << t.kind->typeName;
        if (t.kept) {
            auto* ref = static_cast<qelResourceReference*>(refs->getHead()->item);
            EXPECT_EQ(ref->getResource(), res);
            EXPECT_EQ(ref->getPositionGiven(), 2);
            EXPECT_EQ(res->getInline(), 1);
        }
        EXPECT_EQ(reader.readNextSF()->getId(), 0xA8AF) << t.kind->typeName;
    }
}

TEST_F(ObjectContainerParserTest, FopNativeImagesAreKeptWithTheirData)
{
    const std::string path = std::string(LORBANE_TEST_DATA) + "/fop/fop-images-native.afp";
    read(readFile(path));
    qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
    qelResGroupParser group;
    group.parseFile(nullptr);
    const struct
    {
        const char* name;
        int type;
        const char* typeName;
        int bitsPerPixel;
    } cases[] = {{"RES00001", 13, "JPG", 24}, {"RES00002", 5, "TIF", 1}, {"RES00003", 5, "TIF", 24}};
    int n = 0;
    for (const auto& t : cases) {
        ++n;
        qelRes* res = qelGlobalDSPool::getInstance()->getGlobalRes()->findResource(t.name,
                                                                                 qelRes::TYPE_OBJECT_CONTAINER);
        ASSERT_NE(res, nullptr) << t.name;
        EXPECT_EQ(res->getInline(), 1) << t.name;
        qelContainerObject* c = containerOf(static_cast<qelResObjectContainer*>(res));
        ASSERT_NE(c, nullptr) << t.name;
        EXPECT_EQ(c->getType(), t.type) << t.name;
        EXPECT_STREQ(c->getTypeName(), t.typeName) << t.name;
        EXPECT_STREQ(c->getName(), t.name);
        // Decoded once by the image library when the resource is made.
        EXPECT_EQ(static_cast<qelResObjectContainer*>(res)->getMaxBitsPerPixel(), t.bitsPerPixel) << t.name;
        const Bytes ocdData = objectFieldData(path, {0xA892, 0xEE92, 0xA992}, n);
        ASSERT_FALSE(ocdData.empty()) << t.name;
        EXPECT_TRUE(dataOf(c) == ocdData) << t.name;
    }
    EXPECT_EQ(output().find("Unsupported object BOC"), std::string::npos) << output();
}

TEST_F(ObjectContainerParserTest, IncludeFilesOfOtherTypesAreKeptAndCountedOnce)
{
    writeFile("DOC.eps", {'%', '!', 'P', 'S'});
    writeFile("NOTE", {'p', 'l', 'a', 'i', 'n'});
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    pool->getIni()->setResPath((m_dir + "/").c_str());
    const struct
    {
        const char* name;
        int type;
        bool made;
        int counted;
        bool e058;
    } cases[] = {
        {"DOC", qelContainerObject::TYPE_EPS, true, 1, false},
        // The library does not know the data: the type stays unknown.
        {"NOTE", 0, true, 1, false},
        {"MISSING", qelContainerObject::TYPE_JPG, false, 0, true},
        // A name that leaves the resource folder is refused.
        {"../LOGO", qelContainerObject::TYPE_JPG, false, 0, true},
    };
    for (const auto& t : cases) {
        qelDocumentParser::resetIgnoredObjectCount();
        m_capture.reset();
        m_capture.reset(new CapturedOutput());
        pool->getTripletParser()->setObjectTypeCode(t.type);
        std::unique_ptr<qelRes> res(pool->getObjectContainerParser()->parse(t.name, 1, nullptr));
        EXPECT_EQ(res != nullptr, t.made) << t.name;
        EXPECT_EQ(ignored(), t.counted) << t.name;
        EXPECT_EQ(output().find("E058") != std::string::npos, t.e058) << t.name << "\n" << output();
    }
}
