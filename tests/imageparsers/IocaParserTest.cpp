#include "ImageParserTestSupport.h"

#include "qelException.h"
#include "qelLogStream.h"

#include <cstring>

using namespace imagetest;

namespace {

class IocaParserTest : public ImageParserTest
{
};

// Object area descriptor: descriptor position 1, the unit base and units
// per unit base on both axes, the area size.
Bytes obd(unsigned base, unsigned units, int width, int height)
{
    return field(0xA66B, cat({{0x03, 0x43, 0x01},
                              {0x08, 0x4B, static_cast<unsigned char>(base), static_cast<unsigned char>(base)},
                              word(units),
                              word(units),
                              {0x09, 0x4C, 0x02},
                              offset3(width),
                              offset3(height)}));
}

Bytes obp(const Bytes& x, const Bytes& y, unsigned xRotation, unsigned yRotation, const Bytes& contentX,
          const Bytes& contentY)
{
    return field(0xAC6B, cat({{0x01, 23}, x, y, word(xRotation), word(yRotation), {0x00}, contentX, contentY,
                              word(0), word(0x2D00), {0x00}}));
}

Bytes mio(unsigned char option)
{
    return field(0xABFB, cat({word(5), {0x03, 0x04, option}}));
}

// Image data descriptor of 200 x 120 points at 720 per ten inches, then
// the self-defining fields given.
Bytes idd(const Bytes& selfDefining)
{
    return field(0xA6FB, cat({{0x00}, word(720), word(720), word(200), word(120), selfDefining}));
}

Bytes image(const std::string& name, const std::vector<Bytes>& environment, const std::vector<Bytes>& data)
{
    Bytes out = field(0xA8FB, name8(name));
    if (!environment.empty()) {
        append(out, field(0xA8C7, {}));
        for (const Bytes& f : environment)
            append(out, f);
        append(out, field(0xA9C7, {}));
    }
    for (const Bytes& d : data)
        append(out, field(0xEEFB, d));
    append(out, field(0xA9FB, name8(name)));
    return out;
}

Bytes rawData(const qelImageObject& image)
{
    return image.getData() ? Bytes(image.getData(), image.getData() + image.getDataLength()) : Bytes();
}

// count bytes of picture data in fields of 32768 bytes at most.
std::vector<Bytes> pictureData(size_t count)
{
    std::vector<Bytes> fields;
    for (size_t at = 0; at < count; at += 32768) {
        Bytes f;
        for (size_t i = at; i < count && i < at + 32768; ++i)
            f.push_back(static_cast<unsigned char>(i % 251));
        fields.push_back(f);
    }
    return fields;
}

} // namespace

TEST_F(IocaParserTest, EnvironmentGroupAndPictureDataGoIntoTheImage)
{
    const Bytes fs45AndColor = {0xF7, 0x02, 0x01, 45, 0xF6, 0x04, 0x00, 0x00, 0x00, 0x02};
    std::unique_ptr<qelImageObject> img =
        parseIoca(image("IMG1",
                        {obd(0, 2400, 473, 284), obp(offset3(402), offset3(548), 0x0000, 0x2D00, offset3(3), offset3(4)),
                         mio(0x60), idd(fs45AndColor)},
                        {{1, 2, 3}, {4, 5}}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getKind(), qelImageObject::IMAGE_IOCA);
    EXPECT_STREQ(img->getName(), "IMG1");
    EXPECT_EQ(std::string(img->getFullName()).substr(0, 3), "Img");
    EXPECT_EQ(std::strlen(img->getFullName()), 13u);
    EXPECT_EQ(img->getResolution(), 240);
    EXPECT_EQ(img->getAreaResolution(), 240);
    EXPECT_EQ(img->getAreaWidth(), 473);
    EXPECT_EQ(img->getAreaHeight(), 284);
    EXPECT_FLOAT_EQ(img->getX(), 402.0f);
    EXPECT_FLOAT_EQ(img->getY(), 548.0f);
    EXPECT_EQ(img->getContentOriginX(), 3);
    EXPECT_EQ(img->getContentOriginY(), 4);
    EXPECT_EQ(img->getIAxisOrientation(), 0);
    EXPECT_EQ(img->getBAxisOrientation(), 90);
    EXPECT_EQ(img->getMappingOption(), 0x60);
    EXPECT_EQ(img->getXResolution(), 720);
    EXPECT_EQ(img->getXSize(), 200);
    EXPECT_EQ(img->getYSize(), 120);
    EXPECT_EQ(img->getFunctionSetId(), 45);
    EXPECT_EQ(img->getColorValue(), 2u);
    EXPECT_EQ(img->getColorSpace(), 5);
    EXPECT_EQ(img->getBilevelColorGiven(), 1);
    // Tiled or not, the picture data are kept as they come.
    EXPECT_EQ(rawData(*img), (Bytes{1, 2, 3, 4, 5}));
}

TEST_F(IocaParserTest, TenCentimetreBasesAreConvertedToUnitsPerInch)
{
    const struct
    {
        unsigned base;
        unsigned units;
        int resolution;
    } cases[] = {{0, 2400, 240}, {0, 3000, 300}, {1, 945, 240}, {1, 1181, 299}, {1, 0, 0}};
    for (const auto& c : cases) {
        std::unique_ptr<qelImageObject> img = parseIoca(image("IMG1", {obd(c.base, c.units, 10, 10)}, {}));
        ASSERT_TRUE(img);
        EXPECT_EQ(img->getResolution(), c.resolution) << c.base << " " << c.units;
    }
}

TEST_F(IocaParserTest, ThreeByteOriginsKeepTheLowBitsOrTheSignedValue)
{
    const struct
    {
        Bytes bytes;
        float value;
    } cases[] = {{{0x00, 0xFF, 0x38}, -200.0f},
                 {{0xFF, 0xFF, 0x38}, -200.0f},
                 {{0x00, 0x00, 0x64}, 100.0f},
                 {{0x01, 0x00, 0x00}, 65536.0f},
                 {{0xFE, 0x00, 0x00}, -131072.0f}};
    for (const auto& c : cases) {
        // An illegal Y rotation leaves the B axis as it was.
        std::unique_ptr<qelImageObject> img =
            parseIoca(image("IMG1", {obp(c.bytes, c.bytes, 0x5A00, 0x1000, offset3(16), offset3(0))}, {}));
        ASSERT_TRUE(img);
        EXPECT_FLOAT_EQ(img->getX(), c.value) << c.value;
        EXPECT_FLOAT_EQ(img->getY(), c.value) << c.value;
        EXPECT_EQ(img->getContentOriginX(), 16);
        EXPECT_EQ(img->getIAxisOrientation(), 180);
        EXPECT_EQ(img->getBAxisOrientation(), 90);
    }
}

TEST_F(IocaParserTest, UnknownSelfDefiningFieldIsSkippedByItsLength)
{
    // Its data look like a bilevel colour; the function set follows it.
    const Bytes fields = {0x9B, 0x06, 0xF6, 0x04, 0x00, 0x00, 0x00, 0x05, 0xF7, 0x02, 0x01, 10};
    std::unique_ptr<qelImageObject> img = parseIoca(image("IMG1", {idd(fields)}, {}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getFunctionSetId(), 10);
    EXPECT_EQ(img->getBilevelColorGiven(), 0);
    EXPECT_NE(img->getColorValue(), 5u);
    // A length byte beyond the field ends it.
    img = parseIoca(image("IMG1", {idd({0x9B, 0x40, 0xF7})}, {{7}}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getFunctionSetId(), qelImageObject().getFunctionSetId());
    EXPECT_EQ(rawData(*img), Bytes{7});
}

TEST_F(IocaParserTest, ObjectsWithoutDataAndTwoObjectsOfOneInput)
{
    Bytes input = image("IMG1", {idd({})}, {});
    append(input, image("IMG2", {}, {{9}}));
    setInput(input);
    std::unique_ptr<qelImageObject> first(ioca()->parse(ioca()->readNextSF()));
    std::unique_ptr<qelImageObject> second(ioca()->parse(ioca()->readNextSF()));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->getData(), nullptr);
    EXPECT_EQ(first->getDataLength(), 0);
    EXPECT_EQ(rawData(*second), Bytes{9});
    EXPECT_STRNE(first->getFullName(), second->getFullName());
}

TEST_F(IocaParserTest, ShortEndImageEndsTheObjectWithItsData)
{
    // The End Image's triplet says 10 bytes where 2 are left.
    Bytes input = field(0xA8FB, name8("IMG1"));
    append(input, field(0xEEFB, {1, 2}));
    append(input, field(0xA9FB, cat({name8("IMG1"), {0x0A, 0x02, 0x00}})));
    append(input, field(0xEEFB, {3}));
    setInput(input);
    std::unique_ptr<qelImageObject> img(ioca()->parse(ioca()->readNextSF()));
    ASSERT_TRUE(img);
    EXPECT_EQ(rawData(*img), (Bytes{1, 2}));
    // Reading stopped at the End Image.
    EXPECT_EQ(ioca()->readNextSF()->getId(), 0xEEFB);
}

TEST_F(IocaParserTest, MissingMandatoryTripletEndsTheObjectAndTheNextOneReads)
{
    Bytes input = image("IMG1", {field(0xA66B, {0x03, 0x43, 0x01})}, {{1}});
    append(input, image("IMG2", {}, {{2}}));
    setInput(input);
    EXPECT_EQ(lrbtest::raisedId([&] { delete ioca()->parse(ioca()->readNextSF()); }), 9);
    // The rest of the first object is passed over by the caller.
    qelSFIBlock* f = nullptr;
    do
        f = ioca()->readNextSF();
    while (f->getId() != 0xA8FB);
    std::unique_ptr<qelImageObject> img(ioca()->parse(f));
    EXPECT_EQ(rawData(*img), Bytes{2});
}

TEST_F(IocaParserTest, PictureDataStayInMemoryUpToTheCacheSize)
{
    ini()->setImageMaxCacheSize(1.0f);
    ASSERT_EQ(ini()->getImageMaxCacheSize(), 1048576u);
    const std::string spill = m_dir + "/spill/";
    ini()->setTempPath((m_dir + "/missing/").c_str());
    const struct
    {
        size_t bytes;
        bool spills;
    } cases[] = {{1048576, false}, {1048577, true}};
    for (const auto& c : cases) {
        const std::vector<Bytes> data = pictureData(c.bytes);
        // A spill file cannot be made in a missing folder.
        ini()->setTempPath((m_dir + "/missing/").c_str());
        const int raised = lrbtest::raisedId([&] { delete parseIoca(image("BIG", {}, data)).release(); });
        EXPECT_EQ(raised, c.spills ? 98 : -1) << c.bytes;

        ASSERT_EQ(mkdir(spill.c_str(), 0700) == 0 || errno == EEXIST, true);
        ini()->setTempPath(spill.c_str());
        std::unique_ptr<qelImageObject> img = parseIoca(image("BIG", {}, data));
        ASSERT_TRUE(img);
        Bytes joined;
        for (const Bytes& d : data)
            append(joined, d);
        EXPECT_TRUE(rawData(*img) == joined) << c.bytes;
        EXPECT_TRUE(filesIn(spill).empty()) << c.bytes;
    }
}

TEST_F(IocaParserTest, EndNameMismatchIsLoggedOnlyWithFieldLogging)
{
    const char* const kMismatch = "Warning! Mismatch between image Begin SFI name (IMG1) and End SFI name (IMG2)";
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    for (unsigned mask : {unsigned(QEL_LOG_LEVEL1), unsigned(QEL_LOG_LEVEL2)}) {
        const std::string path = m_dir + "/run" + std::to_string(mask) + ".log";
        log->setLevelMask(mask);
        log->open(path.c_str());
        // Names compare without case: a different name only.
        std::unique_ptr<qelImageObject> img =
            parseIoca(cat({field(0xA8FB, name8("IMG1")), field(0xA9FB, name8("img1"))}));
        img = parseIoca(cat({field(0xA8FB, name8("IMG1")), field(0xA9FB, name8("IMG2"))}));
        log->close();
        const std::string text = lrbtest::readText(path);
        EXPECT_EQ(text.find(kMismatch) != std::string::npos, mask == QEL_LOG_LEVEL1) << text;
        EXPECT_EQ(text.find("(img1)"), std::string::npos) << text;
    }
}
