#include "ImgTestSupport.h"
#include "qelImgLogStream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace imgtest;

namespace {

struct ModeScope
{
    explicit ModeScope(int mode) { qelImgProcessor::setMessageMode(mode); }
    ~ModeScope() { qelImgProcessor::setMessageMode(1); }
};

TEST(ImgException, TableRowsCarryTheirCodes)
{
    for (int id = 0; id < 65; ++id) {
        char code[16];
        std::snprintf(code, sizeof code, "OIL%03d: ", id);
        EXPECT_EQ(std::string(qelImgException::getMessageTemplate(id)).rfind(code, 0), 0u) << id;
    }
    // Every row as written, typos and inner quotes included.
    struct { int id; const char* text; } rows[] = {
        {0, "OIL000: Reserved. Do not use"},
        {1, "OIL001: Unknown error."},
        {2, "OIL002: Message id %d define into ErrorCode enum structure, but Error message missing "
         "within achImgLibErrorMsg[]. Check code."},
        {3, "OIL003: NOT USED"},
        {4, "OIL004: Negative value (%d) passed to allocate memory for string using new operator."},
        {5, "OIL005: Image header information is null"},
        {6, "OIL006: DIB buffer is null"},
        {7, "OIL007: Error while reading file (%s). Rc:%d Msg:%s"},
        {8, "OIL008: File name parameter is null or empty"},
        {9, "OIL009: Unsupported image type %s"},
        {10, "OIL010: Decompression of %d Bits/Pixel \"%s %s\" images is not supported"},
        {11, "OIL011: Image Resize Failed. ImageName=%s NewWidth=%d, NewHeight=%d, ResizeFilter=%s"},
        {12, "OIL012: Source image buffer is null or buffer length parameter is zero"},
        {13, "OIL013: Invalid compression parameter id: %d"},
        {14, "OIL014: IOCA Library handle is null"},
        {15, "OIL015: IOCA Library Error: Rc:%d Msg:%s"},
        {16, "OIL016: Decompression of %d Samples/Pixel \"%s\" images is not supported"},
        {17, "OIL017: CxImage Library Error: %s"},
        {18, "OIL018: Error while opening file (%s). Rc:%d Msg:%s"},
        {19, "OIL019: Error while creating TIFF handle for %s"},
        {20, "OIL020: TIFF Library Error: %s"},
        {21, "OIL021: Memory allocation error"},
        {22, "OIL022: Compression %s is not supported for %s"},
        {23, "OIL023: %s Image encoder is null"},
        {24, "OIL024: %s Image decoder is null"},
        {25, "OIL025: JPEG compression failed: %s"},
        {26, "OIL026: %s not implemented for %s"},
        {27, "OIL027: JPEG Library handle is null"},
        {28, "OIL028: Compression parameter array is null"},
        {29, "OIL029: Cannot convert IOCA %s image planes to color space %s"},
        {30, "OIL030: CMYK image buffer passed to CMYK Converter is null"},
        {31, "OIL031: IOCA RGB image plane buffer is null"},
        {32, "OIL032: Unsupported file format %d"},
        {33, "OIL033: Grayscale conversion of %d Bits/Pixel images is not supported"},
        {34, "OIL034: Black/White conversion of %d Bits/Pixel images is not supported"},
        {35, "OIL035: Zlib Library Error: %s"},
        {36, "OIL036: TIFF image with tiles is not supported"},
        {37, "OIL037: IOCA logical resolution unit not handled"},
        {38, "OIL038: Decompression of \"%s\" \"%s\" images is not supported"},
        {39, "OIL039: Error while writing file (%s)"},
        {40, "OIL040: Incorrect call to buffer access methods"},
        {41, "OIL041: Rotation Failed"},
        {42, "OIL042: Unable to prepare header for OJPEG TIFF data"},
        {43, "OIL043: Error while extracting TIFF image data from strip %d"},
        {44, "OIL044: JPEG Library Error: %s"},
        {45, "OIL045: Images with \"%d\" Bits/Pixel can not converted to %s"},
        {46, "OIL046: TIFF Library handle is null"},
        {47, "OIL047: Error while writing %s SFI"},
        {48, "OIL048: Image data is null"},
        {49, "OIL049: Error while decoding image. Name=%s Linenr=%d"},
        {50, "OIL050: %s compression is not supported"},
        {51, "OIL051: Error while decompressing IOCA %s Image data"},
        {52, "OIL052: Decompression of %d Bits/Pixel \"%s\" images is not supported"},
        {53, "OIL053: Decompression of \"%s\" images having \"%s\" Photometric Interpretation is not supported"},
        {54, "OIL054: Error while creating X Image Object from Pixmap"},
        {55, "OIL055: Insufficient data read from \"%s\". ExpectedBytes=%d ReadBytes=%d"},
        {56, "OIL056: Error while reading header information from image %s."},
        {57, "OIL057: TIFF Images with Planar format(separate planes of data) are not supported"},
        {58, "OIL058: Image Cropping is not yet supported for images with \"%d\" bits per pixel"},
        {59, "OIL059: Image Mixing is not yet supported for images with \"%d\" bits per pixel"},
        {60, "OIL060: %s Encoding failed. %s"},
        {61, "OIL061: Decompression of %d Bits/Pixel image mask is not supported"},
        {62, "OIL062: Decompression of \"%s %s\" image mask is not supported"},
        {63, "OIL063: Could not create new %s Context for an image. Maximum %s Context limit reached"},
        {64, "OIL064: %s Encoder is not initialized."},
        {65, "OIL999: End Of Messages."},
        {66, qelImgException::getMessageTemplate(2)},
        {-1, qelImgException::getMessageTemplate(2)},
    };
    for (const auto& r : rows)
        EXPECT_STREQ(qelImgException::getMessageTemplate(r.id), r.text) << r.id;
}

TEST(ImgException, TextsByMessageMode)
{
    struct { int mode; const char* expected; } cases[] = {
        {1, "OIL009: Unsupported image type \r\n"},
        {2, "Exception occured: File: source.cpp\r\nMsg : OIL009: Unsupported image type \r\n"},
        {3, "Exception occured: File: source.cpp Line: 1274\r\nMsg : OIL009: Unsupported image type \r\n"},
        {4, ""},
    };
    for (const auto& c : cases) {
        ModeScope mode(c.mode);
        qelImgException e("C:\\work/dir\\source.cpp", 1274, 9, 0, false, "");
        EXPECT_STREQ(e.getFileName(), "source.cpp");
        EXPECT_STREQ(e.getMessageText(), c.expected) << c.mode;
    }
    qelImgException tiff("a.cpp", 1, 9, 0, false, "TIFF");
    EXPECT_STREQ(tiff.getMessageText(), "OIL009: Unsupported image type TIFF\r\n");
    qelImgException unknown("a.cpp", 1, 70, 0, false, 70);
    EXPECT_STREQ(unknown.getMessage(), "OIL002: Message id 70 define into ErrorCode enum structure, but Error "
                                       "message missing within achImgLibErrorMsg[]. Check code.");
}

TEST(ImgException, FirstTextStaysAfterModeChange)
{
    qelImgException e("a.cpp", 7, 21, 0, false);
    std::string first = e.getMessageText();
    ModeScope mode(3);
    EXPECT_EQ(e.getMessageText(), first);
    e.appendMessage(nullptr);
    e.appendMessage("(x)");
    EXPECT_STREQ(e.getMessage(), "OIL021: Memory allocation error(x)");
}

TEST(ImgException, LoggedByKindAndLevel)
{
    struct { int level; qelImgException::Kind kind; const char* logged; } cases[] = {
        {1, qelImgException::KIND_WARNING, ""},
        {2, qelImgException::KIND_WARNING, "Warning! OIL021: Memory allocation error\r\n\n"},
        {0, qelImgException::KIND_ERROR, "OIL021: Memory allocation error\r\n\n"},
        {2, qelImgException::KIND_TRACE, ""},
        {3, qelImgException::KIND_TRACE, "OIL021: Memory allocation error\r\n\n"},
    };
    for (const auto& c : cases) {
        LoggerScope scope(c.level);
        qelImgException e("a.cpp", 1, c.kind, 21, 0, true);
        EXPECT_EQ(scope.logger.lines, c.logged) << c.level << " " << c.kind;
    }
    // A percent sign in the text is not a format.
    LoggerScope scope(0);
    qelImgException e("a.cpp", 1, 9, 0, true, "%s%n");
    EXPECT_EQ(scope.logger.lines, "OIL009: Unsupported image type %s%n\r\n\n");
}

TEST(ImgException, OverlongTextsAreCut)
{
    std::string longText(600, 'x');
    qelImgException e("a.cpp", 1, 9, 0, false, longText.c_str());
    EXPECT_EQ(std::string(e.getMessage()).size(), 255u);
    LoggerScope scope(3);
    scope.logger.trace("%s", std::string(3000, 'y').c_str());
    EXPECT_EQ(scope.logger.lines.size(), 1023u);
    EXPECT_EQ(scope.logger.lines.back(), '\n');
    scope.logger.lines.clear();
    scope.logger.warning("%s", std::string(3000, 'y').c_str());
    EXPECT_EQ(scope.logger.lines.size(), 1023u);
    EXPECT_EQ(scope.logger.lines.rfind("Warning! y", 0), 0u);
}

TEST(ImgLogger, LevelsFilterTheFormatters)
{
    struct { int level; const char* expected; } cases[] = {
        {0, "e\n"}, {1, "i\ne\n"}, {2, "Warning! w\ni\ne\n"}, {3, "t\nWarning! w\ni\ne\n"},
    };
    for (const auto& c : cases) {
        CaptureLogger logger(c.level);
        logger.trace("t");
        logger.warning("w");
        logger.info("i");
        logger.error("e");
        EXPECT_EQ(logger.lines, c.expected) << c.level;
    }
}

} // namespace

namespace {

TEST(ImgLogStream, LevelFollowsTheLogMask)
{
    struct { unsigned int mask; int level; } cases[] = {
        {0x1000000 | 0x4000000, 1}, {0x2000000 | 0x4000000, 2}, {0x4000000, 3}, {0x10000000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qelImgLogStream::levelFor(c.mask), c.level) << c.mask;
}

} // namespace
