#include "AFPFieldWalk.h"
#include "ImgTestSupport.h"
#include "ScratchTest.h"
#include "qelDocumentParser.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelImgAFPOlyEncoder.h"
#include "qelImgBufferIOStream.h"
#include "qelImgFileIOStream.h"
#include "qelImgInfo.h"
#include "qelImgParamValue.h"
#include "qelImgTIFFDecoder.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"
#include "qelIni.h"
#include "qelOverlayParser.h"
#include "qelResOverlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

using namespace imgtest;

namespace {

class ImgAFPOlyEncoder : public lrbtest::ScratchTest
{
protected:
    void SetUp() override
    {
        lrbtest::ScratchTest::SetUp();
        qelImgProcessor::initializeLibrary();
        // An earlier conversion in this process may have left 72.
        qelImgProcessor::setDefaultResolution(300);
        qelImgUtils::setDefaultParameters(params);
        params[QELIMG_PARAM_IOCA_WRAPPER].setInt(0);
        qelDocumentParser::resetIgnoredObjectCount();
        qelGlobalDSPool::getInstance()->getIni()->setResourceGroup("0");
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        m_input.reset();
        qelImgProcessor::finalizeLibrary();
        lrbtest::ScratchTest::TearDown();
        qelDocumentParser::resetIgnoredObjectCount();
    }

    // The overlay file the processor's sequence writes for the G4 TIFF.
    Bytes overlayOf(int sfiWith5A)
    {
        params[QELIMG_PARAM_SFI_WITH_5A].setInt(sfiWith5A);
        const Bytes g4 = containerData(fopImages(), 2);
        qelImgTIFFDecoder decoder(g4.data(), static_cast<unsigned int>(g4.size()));
        const std::string path = m_dir + "/out" + std::to_string(sfiWith5A) + ".oly";
        qelImgFileIOStream file(path.c_str(), 2);
        qelImgAFPOlyEncoder encoder(&file);
        EXPECT_EQ(encoder.typeId(), 4);
        encoder.initialize(params, decoder.getInfo());
        encoder.encode(&decoder);
        encoder.finalize();
        return lrbtest::readFile(path);
    }

    qelImgParamValue params[QELIMG_PARAM_COUNT] = {};
    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_input;
};

TEST_F(ImgAFPOlyEncoder, G4PageBecomesAnOverlayTheOverlayParserLoads)
{
    m_bytes = overlayOf(1);
    // The caller's parameters now ask for the wrapper fields.
    EXPECT_EQ(params[QELIMG_PARAM_IOCA_WRAPPER].getInt(), 1);
    const auto fields = walk(m_bytes);
    ASSERT_GE(fields.size(), 18u);
    EXPECT_EQ(fields[0].id, 0xD3A8DFu);
    EXPECT_EQ(fields[0].body, (Bytes{0xD8, 0xC5, 0xD3, 0, 0, 0, 0, 0}));
    size_t i = 1;
    while (i < fields.size() && fields[i].id == 0xD3EEEE)
        ++i;
    EXPECT_EQ(i, 7u); // C, D and T, in EBCDIC and ASCII
    ASSERT_LT(i + 3, fields.size());
    EXPECT_EQ(fields[i].id, 0xD3A8C9u);
    EXPECT_EQ(fields[i + 1].id, 0xD3A6AFu);
    // 3000 units per ten inches, 300 x 150.
    EXPECT_EQ(fields[i + 1].body, (Bytes{0, 0, 0x0B, 0xB8, 0x0B, 0xB8, 0, 0x01, 0x2C, 0, 0x00, 0x96, 0, 0, 0}));
    EXPECT_EQ(fields[i + 2].id, 0xD3A9C9u);
    EXPECT_EQ(fields[i + 3].id, 0xD3A8FBu);
    EXPECT_EQ(fields[fields.size() - 2].id, 0xD3A9FBu);
    EXPECT_EQ(fields.back().id, 0xD3A9DFu);
    const std::string ascii(fields[6].body.begin(), fields[6].body.end());
    EXPECT_NE(ascii.find("Page:1, OLY:" + m_dir + "/out1.oly"), std::string::npos) << ascii;

    m_input.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
    m_input->setSpoolInput(true);
    m_input->rewind();
    qelIOStream::setCurrent(m_input.get());
    qelOverlayParser parser;
    std::unique_ptr<qelRes> res(parser.parse("QEL", 0, nullptr));
    ASSERT_NE(res, nullptr) << output();
    const std::string messages = output();
    for (const char* bad : {"W060", "W062", "E076", "E0"})
        EXPECT_EQ(messages.find(bad), std::string::npos) << bad << "\n" << messages;
}

TEST_F(ImgAFPOlyEncoder, WithoutSFIWith5AOnlyTheEmbeddedObjectKeepsItsIntroducers)
{
    const Bytes with = overlayOf(1);
    const Bytes without = overlayOf(0);
    ASSERT_FALSE(without.empty());
    EXPECT_EQ(without[0], 0x00);
    EXPECT_EQ(without[3], 0xA8);
    // The image object inside is the same bytes, X'5A' included.
    const Bytes bim = {0x5A, 0x00, 0x08, 0xD3, 0xA8, 0xFB};
    auto at = std::search(without.begin(), without.end(), bim.begin(), bim.end());
    ASSERT_NE(at, without.end());
    auto atWith = std::search(with.begin(), with.end(), bim.begin(), bim.end());
    ASSERT_NE(atWith, with.end());
    const Bytes end = {0x00, 0x08, 0xD3, 0xA9, 0xDF, 0, 0, 0};
    EXPECT_EQ(Bytes(at, without.end() - 8), Bytes(atWith, with.end() - 9));
    EXPECT_EQ(Bytes(without.end() - 8, without.end()), end);
}

TEST_F(ImgAFPOlyEncoder, RefusalsAndOrder)
{
    qelImgBufferIOStream out("out", 2);
    qelImgAFPOlyEncoder encoder(&out);
    EXPECT_EQ(thrown([&] { encoder.writeLine(nullptr, 0); }).message,
              "OIL026: writeLine() not implemented for qelImgAFPOlyEncoder");
    EXPECT_EQ(thrown([&] { encoder.writeColorTable(nullptr, 0); }).message,
              "OIL026: writeColorTable() not implemented for qelImgAFPOlyEncoder");
    EXPECT_EQ(thrown([&] { encoder.encode(static_cast<qelImgDIB*>(nullptr)); }).message,
              "OIL026: encode() not implemented for qelImgAFPOlyEncoder");
    EXPECT_EQ(thrown([&] { encoder.encode(static_cast<qelImgDecoder*>(nullptr)); }).id, 24);
    const Bytes g4 = containerData(fopImages(), 2);
    qelImgTIFFDecoder decoder(g4.data(), static_cast<unsigned int>(g4.size()));
    EXPECT_EQ(thrown([&] { encoder.encode(&decoder); }).message, "OIL064: AFP Overlay Encoder is not initialized.");
    EXPECT_EQ(thrown([&] { encoder.finalize(); }).id, 64);
    qelImgInfo four;
    four.bitsPerPixel = 4;
    EXPECT_EQ(thrown([&] { encoder.initialize(params, &four); }).message,
              "OIL045: Images with \"4\" Bits/Pixel can not converted to AFP Overlay");
    EXPECT_EQ(thrown([&] { encoder.finalize(); }).id, 64);
    // The factory makes it.
    std::unique_ptr<qelImgEncoder> made(qelImgUtils::createEncoder(QELIMG_ENCODE_AFP_OLY, &out));
    EXPECT_EQ(made->typeId(), 4);
}

} // namespace
