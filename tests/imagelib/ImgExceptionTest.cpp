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
    struct { int id; const char* text; } rows[] = {
        {10, "OIL010: Decompression of %d Bits/Pixel \"%s %s\" images is not supported"},
        {45, "OIL045: Images with \"%d\" Bits/Pixel can not converted to %s"},
        {55, "OIL055: Insufficient data read from \"%s\". ExpectedBytes=%d ReadBytes=%d"},
        {63, "OIL063: Could not create new %s Context for an image. Maximum %s Context limit reached"},
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
