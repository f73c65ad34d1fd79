#include "qelImgAFPFields.h"
#include "qelImgBufferIOStream.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

namespace {

using F = qelImgAFPFields;
using Writer = std::function<int(qelImgIOStream*, int)>;

std::string hex(const std::vector<unsigned char>& b)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (unsigned char c : b) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

// Spaces in expected patterns are for reading only.
std::string compact(const std::string& pattern)
{
    std::string s;
    for (char c : pattern)
        if (!std::isspace(static_cast<unsigned char>(c)))
            s += c;
    return s;
}

std::vector<unsigned char> run(const Writer& w, int flag, int* rc)
{
    qelImgBufferIOStream out("fields", 2);
    out.open();
    *rc = w(&out, flag);
    char* data = nullptr;
    unsigned int size = 0;
    out.getBuffer(&data, &size, false);
    std::vector<unsigned char> b(data, data + size);
    delete[] data;
    return b;
}

const unsigned char kName[] = {0xD8, 0xC5, 0xD3};
const unsigned char kLongName[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
const unsigned char kText[] = {0xC1, 0xC2};
const unsigned char kData[] = {0xAA, 0xBB, 0xCC};

struct Case
{
    const char* name;
    Writer write;
    const char* bytes; // without the introducer
    bool structuredField;
};

const std::vector<Case>& cases()
{
    static const std::vector<Case> table = {
        {"BeginOverlay", [](qelImgIOStream* s, int f) { return F::writeBeginOverlay(s, f, kName, 3); },
         "0010 D3A8DF 00 0000 D8C5D3 0000000000", true},
        {"BeginOverlayCutAt8",
         [](qelImgIOStream* s, int f) { return F::writeBeginOverlay(s, f, kLongName, 10); },
         "0010 D3A8DF 00 0000 0102030405060708", true},
        {"EndOverlay", [](qelImgIOStream* s, int f) { return F::writeEndOverlay(s, f); }, "0008 D3A9DF 00 0000", true},
        {"NoOperation", [](qelImgIOStream* s, int f) { return F::writeNoOperation(s, f, kText, 2); },
         "000A D3EEEE 00 0000 C1C2", true},
        {"BeginActiveEnvironmentGroup", [](qelImgIOStream* s, int f) { return F::writeBeginActiveEnvironmentGroup(s, f); },
         "0008 D3A8C9 00 0000", true},
        {"PageDescriptor", [](qelImgIOStream* s, int f) { return F::writePageDescriptor(s, f, 300, 150, 3000, 2000); },
         "0017 D3A6AF 00 0000 0000 0BB8 07D0 00012C 000096 000000", true},
        {"EndActiveEnvironmentGroup", [](qelImgIOStream* s, int f) { return F::writeEndActiveEnvironmentGroup(s, f); },
         "0008 D3A9C9 00 0000", true},
        {"BeginImageObject", [](qelImgIOStream* s, int f) { return F::writeBeginImageObject(s, f); },
         "0008 D3A8FB 00 0000", true},
        {"BeginObjectEnvironmentGroup", [](qelImgIOStream* s, int f) { return F::writeBeginObjectEnvironmentGroup(s, f); },
         "0008 D3A8C7 00 0000", true},
        {"ObjectAreaDescriptor",
         [](qelImgIOStream* s, int f) { return F::writeObjectAreaDescriptor(s, f, 300, 150, 3000, 2000); },
         "001C D3A66B 00 0000 034301 084B0000 0BB8 07D0 094C0200 012C 00 0096", true},
        {"ObjectAreaPosition", [](qelImgIOStream* s, int f) { return F::writeObjectAreaPosition(s, f); },
         "0020 D3AC6B 00 0000 0117 000000 000000 0000 2D00 00 000000 000000 0000 2D00 01", true},
        {"ImageDataDescriptor",
         [](qelImgIOStream* s, int f) { return F::writeImageDataDescriptor(s, f, 300, 150, 3000, 2000, 10); },
         "0015 D3A6FB 00 0000 00 0BB8 07D0 012C 0096 F70201 0A", true},
        {"EndObjectEnvironmentGroup", [](qelImgIOStream* s, int f) { return F::writeEndObjectEnvironmentGroup(s, f); },
         "0008 D3A9C7 00 0000", true},
        {"EndImageObject", [](qelImgIOStream* s, int f) { return F::writeEndImageObject(s, f); },
         "0008 D3A9FB 00 0000", true},
        {"ImagePictureData", [](qelImgIOStream* s, int f) { return F::writeImagePictureData(s, f, 8036); },
         "1F64 D3EEFB 00 0000", true},
        {"BeginDocument", [](qelImgIOStream* s, int f) { return F::writeBeginDocument(s, f); },
         "0051 D3A8A8 00 0000 4040404040404040 0000 060102B901F4 0518010C00 34020100"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000",
         true},
        {"EndDocument", [](qelImgIOStream* s, int f) { return F::writeEndDocument(s, f); },
         "0010 D3A9A8 00 0000 4040404040404040", true},
        // IOCA pieces never carry the introducer.
        {"BeginSegmentG4",
         [](qelImgIOStream* s, int f) { return F::writeBeginSegment(s, f, 300, 150, 3000, 2000, 0x82, 4, 0, 1); },
         "7000 9101FF 940900 0BB8 07D0 012C 0096 950382 04 00 960101", false},
        {"BeginSegmentJpeg",
         [](qelImgIOStream* s, int f) { return F::writeBeginSegment(s, f, 300, 150, 3000, 3000, 0x83, 1, 0, 24); },
         "7000 9101FF 940900 0BB8 0BB8 012C 0096 950383 01 00 960118 9F0A1000830000 00C0000000", false},
        {"IDEStructureModel1", [](qelImgIOStream* s, int f) { return F::writeIDEStructure(s, f, 0, 1, 8); },
         "9B08 00 01 000000 080000", false},
        {"IDEStructureModel3Rgb", [](qelImgIOStream* s, int f) { return F::writeIDEStructure(s, f, 0, 3, 24); },
         "9B08 00 12 000000 080808", false},
        {"IDEStructureModel4", [](qelImgIOStream* s, int f) { return F::writeIDEStructure(s, f, 0x80, 4, 4); },
         "9B08 80 02 000000 040000", false},
        {"IDEStructureOtherSize", [](qelImgIOStream* s, int f) { return F::writeIDEStructure(s, f, 0, 3, 16); },
         "9B08 00 12 000000 000000", false},
        {"IDEStructureModel2Cmyk", [](qelImgIOStream* s, int f) { return F::writeIDEStructure(s, f, 0, 2, 32); },
         "9B09 00 04 000000 08080808", false},
        {"IDEStructureModel2Four", [](qelImgIOStream* s, int f) { return F::writeIDEStructure(s, f, 0, 2, 4); },
         "9B09 00 04 000000 01010101", false},
        {"IDEStructureModel2Other", [](qelImgIOStream* s, int f) { return F::writeIDEStructure(s, f, 0, 2, 8); },
         "9B09 00 04 000000 00000000", false},
        // Colour models outside 1 to 4 write the structure of model 3.
        {"IDEStructureUnknownModel", [](qelImgIOStream* s, int f) { return F::writeIDEStructure(s, f, 0, 7, 8); },
         "9B08 00 12 000000 080000", false},
        {"ImageData", [](qelImgIOStream* s, int f) { return F::writeImageData(s, f, kData, 3); },
         "FE92 0003 AABBCC", false},
        {"EndSegment", [](qelImgIOStream* s, int f) { return F::writeEndSegment(s, f); }, "9300 7100", false},
        {"BandImageData", [](qelImgIOStream* s, int f) { return F::writeBandImageData(s, f, 2, kData, 3); },
         "FE9C 0006 02 0000 AABBCC", false},
        {"TiledCmykJpegStart", [](qelImgIOStream* s, int f) { return F::writeTiledCMYKJPEGStart(s, f, 0x10203, 300); },
         "7000 9101FF FEBB00020000 8C00 B508 0000000000000000 B609 00010203 0000012C 01 9503830100 960120"
         " 98050408080808 9B09000400000008080808",
         false},
        {"EndTile", [](qelImgIOStream* s, int f) { return F::writeEndTile(s, f); }, "8D00", false},
    };
    return table;
}

TEST(ImgAFPFields, EachWriterPutsItsBytesWithAndWithoutTheIntroducer)
{
    for (const Case& c : cases()) {
        for (int flag : {0, 1}) {
            SCOPED_TRACE(std::string(c.name) + " flag " + std::to_string(flag));
            int rc = 0;
            const std::string got = hex(run(c.write, flag, &rc));
            EXPECT_EQ(rc, 1);
            const std::string want = (flag == 1 && c.structuredField ? "5A" : "") + compact(c.bytes);
            EXPECT_EQ(got, want);
            if (c.structuredField && flag == 1) {
                // The length field counts everything after the introducer.
                const std::string body = compact(c.bytes);
                if (std::string(c.name) != "ImagePictureData") {
                    EXPECT_EQ(std::stoi(body.substr(0, 4), nullptr, 16) * 2, static_cast<int>(body.size()));
                }
            }
        }
    }
}

TEST(ImgAFPFields, CompositeWritersAreTheSequenceOfTheirParts)
{
    auto seq = [](std::initializer_list<Writer> parts, int flag) {
        std::string all;
        for (const Writer& w : parts) {
            int rc = 0;
            all += hex(run(w, flag, &rc));
        }
        return all;
    };
    for (int flag : {0, 1}) {
        int rc = 0;
        EXPECT_EQ(hex(run([](qelImgIOStream* s, int f) { return F::writeOverlayEnvironment(s, f, 300, 150, 3000, 3000); },
                          flag, &rc)),
                  seq({[](qelImgIOStream* s, int f) { return F::writeBeginActiveEnvironmentGroup(s, f); },
                       [](qelImgIOStream* s, int f) { return F::writePageDescriptor(s, f, 300, 150, 3000, 3000); },
                       [](qelImgIOStream* s, int f) { return F::writeEndActiveEnvironmentGroup(s, f); }},
                      flag));
        EXPECT_EQ(rc, 1);
        const std::string header =
            seq({[](qelImgIOStream* s, int f) { return F::writeBeginImageObject(s, f); },
                 [](qelImgIOStream* s, int f) { return F::writeBeginObjectEnvironmentGroup(s, f); },
                 [](qelImgIOStream* s, int f) { return F::writeObjectAreaDescriptor(s, f, 300, 150, 3000, 3000); },
                 [](qelImgIOStream* s, int f) { return F::writeObjectAreaPosition(s, f); },
                 [](qelImgIOStream* s, int f) { return F::writeImageDataDescriptor(s, f, 300, 150, 3000, 3000, 11); },
                 [](qelImgIOStream* s, int f) { return F::writeEndObjectEnvironmentGroup(s, f); }},
                flag);
        EXPECT_EQ(hex(run([](qelImgIOStream* s, int f) { return F::writeImageObjectHeader(s, f, 300, 150, 3000, 3000, 11); },
                          flag, &rc)),
                  header);
        const std::string environment = hex(run(
            [](qelImgIOStream* s, int f) { return F::writeOverlayEnvironment(s, f, 300, 150, 3000, 3000); }, flag, &rc));
        const std::string page = std::string(flag ? "5A" : "") + "0008D3A8AF000000";
        EXPECT_EQ(hex(run([](qelImgIOStream* s, int f) { return F::writePageHeader(s, f, 300, 150, 3000, 3000, 11); },
                          flag, &rc)),
                  page + environment + header);
        EXPECT_EQ(hex(run([](qelImgIOStream* s, int f) { return F::writeImageHeader(s, f, 300, 150, 3000, 3000, 11); },
                          flag, &rc)),
                  environment + header);
        const std::string intro = flag ? "5A" : "";
        EXPECT_EQ(hex(run([](qelImgIOStream* s, int f) { return F::writeEndImageAndPage(s, f); }, flag, &rc)),
                  intro + "0008D3A9FB000000" + intro + "0008D3A9AF000000");
    }
}

TEST(ImgAFPFields, ValuesBeyondTwoBytesAreRefusedBeforeAnyByte)
{
    const std::vector<std::pair<const char*, Writer>> refused = {
        {"PageDescriptor width", [](qelImgIOStream* s, int f) { return F::writePageDescriptor(s, f, 70000, 1, 1, 1); }},
        {"PageDescriptor units", [](qelImgIOStream* s, int f) { return F::writePageDescriptor(s, f, 1, 1, 65540, 1); }},
        {"ObjectAreaDescriptor height",
         [](qelImgIOStream* s, int f) { return F::writeObjectAreaDescriptor(s, f, 1, 65536, 1, 1); }},
        {"ImageDataDescriptor units",
         [](qelImgIOStream* s, int f) { return F::writeImageDataDescriptor(s, f, 1, 1, 1, 70000, 10); }},
        {"BeginSegment width",
         [](qelImgIOStream* s, int f) { return F::writeBeginSegment(s, f, 65536, 1, 1, 1, 0x82, 1, 0, 1); }},
        {"BeginSegment negative", [](qelImgIOStream* s, int f) { return F::writeBeginSegment(s, f, -1, 1, 1, 1, 0x82, 1, 0, 1); }},
        {"ImageObjectHeader", [](qelImgIOStream* s, int f) { return F::writeImageObjectHeader(s, f, 1, 1, 70000, 1, 10); }},
        {"OverlayEnvironment", [](qelImgIOStream* s, int f) { return F::writeOverlayEnvironment(s, f, 70000, 1, 1, 1); }},
        {"PageHeader", [](qelImgIOStream* s, int f) { return F::writePageHeader(s, f, 70000, 1, 1, 1, 10); }},
        {"ImagePictureData too long", [](qelImgIOStream* s, int f) { return F::writeImagePictureData(s, f, 40000); }},
        {"NoOperation too long", [](qelImgIOStream* s, int f) { return F::writeNoOperation(s, f, kText, 40000); }},
        {"ImageData too long", [](qelImgIOStream* s, int f) { return F::writeImageData(s, f, kData, 70000); }},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.first);
        int rc = 0;
        EXPECT_TRUE(run(r.second, 1, &rc).empty());
        EXPECT_EQ(rc, -1);
    }
}

TEST(ImgAFPFields, AStreamThatTakesNothingGivesMinusOne)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        qelImgBufferIOStream closed("closed", 2); // never opened: writes fail
        EXPECT_EQ(c.write(&closed, 1), -1);
        EXPECT_EQ(c.write(nullptr, 0), -1);
    }
}

TEST(ImgAFPFields, ReverseBitOrder)
{
    EXPECT_EQ(F::reverseBitOrder(0x01), 0x80);
    EXPECT_EQ(F::reverseBitOrder(0x80), 0x01);
    EXPECT_EQ(F::reverseBitOrder(0xC4), 0x23);
    EXPECT_EQ(F::reverseBitOrder(0xFF), 0xFF);
    EXPECT_EQ(F::reverseBitOrder(0x00), 0x00);
}

} // namespace
