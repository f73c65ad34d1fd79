// Translation table, text search, drawables, fonts, errors and file
// objects of the object library.
#include "AfpWriteSupport.h"

#include "qel/afp/Error.h"
#include "qel/afp/FileObject.h"
#include "qel/afp/Image.h"
#include "qel/afp/Line.h"
#include "qel/afp/ResFont.h"
#include "qel/afp/String.h"
#include "qel/afp/Text.h"
#include "qel/afp/TranslationTable.h"

#include <iconv.h>

#include <cstring>

using namespace afpwrite;

namespace
{

class BaseClassTest : public LibraryTest
{
};

// One byte through iconv; -1 when it has no translation.
int convertByte(iconv_t cd, unsigned char byte)
{
    char in = static_cast<char>(byte);
    char out[4];
    char* inp = &in;
    char* outp = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || outp - out != 1)
        return -1;
    return static_cast<unsigned char>(out[0]);
}

TEST_F(BaseClassTest, TablesAreCodePage500ExceptTheControls)
{
    iconv_t toIso = iconv_open("ISO-8859-1", "IBM500");
    iconv_t toEbcdic = iconv_open("IBM500", "ISO-8859-1");
    ASSERT_NE(toIso, reinterpret_cast<iconv_t>(-1));
    ASSERT_NE(toEbcdic, reinterpret_cast<iconv_t>(-1));
    qel::TranslationTable table;
    for (int c = 0; c < 256; ++c) {
        int ascii = convertByte(toIso, static_cast<unsigned char>(c));
        if (c <= 0x3F || c == 0xFF)
            ascii = c == 0x27 ? 0xB7 : 0x20;
        if (c == 0xB3)
            ascii = 0x00;
        EXPECT_EQ(table.asciiOf(static_cast<unsigned char>(c)), ascii) << std::hex << "EBCDIC " << c;

        int ebcdic = convertByte(toEbcdic, static_cast<unsigned char>(c));
        if ((c >= 0x01 && c <= 0x1F) || (c >= 0x7F && c <= 0x9F))
            ebcdic = 0x40;
        if (c == 0xB7)
            ebcdic = 0x27;
        EXPECT_EQ(table.ebcdicOf(static_cast<unsigned char>(c)), ebcdic) << std::hex << "ISO " << c;
    }
    iconv_close(toIso);
    iconv_close(toEbcdic);
    EXPECT_EQ(table.ebcdicOf(0xFF), 0xDF);
    EXPECT_EQ(table.getCodePage(), 500);
}

TEST_F(BaseClassTest, TranslatesInPlace)
{
    qel::TranslationTable table;
    unsigned char text[] = {'A', 'F', 'P', ' ', '1'};
    EXPECT_EQ(table.asciiToEBCDIC(text, 5), text);
    EXPECT_EQ(Bytes(text, text + 5), (Bytes{0xC1, 0xC6, 0xD7, 0x40, 0xF1}));
    unsigned char bracket = 0x4A;
    table.ebcdicToASCII(&bracket, 1);
    EXPECT_EQ(bracket, '[');
    RecordingLogger& log = record();
    EXPECT_EQ(table.asciiToEBCDIC(text, 0), nullptr);
    EXPECT_EQ(table.ebcdicToASCII(nullptr, 3), nullptr);
    EXPECT_NE(log.lines.find("\tASCII data to translate is NULL or Invalid ASCII data length (0)"), std::string::npos);
    EXPECT_NE(log.lines.find("\tEBCDIC data to translate is NULL or Invalid EBCDIC data length (3)"),
              std::string::npos);
}

TEST_F(BaseClassTest, FillReplacesEntriesUpToFE)
{
    struct Case
    {
        int length;
        bool changed;
    } cases[] = {{10, true}, {255, true}, {0, false}, {256, false}};
    Bytes data(256);
    for (int i = 0; i < 256; ++i)
        data[static_cast<size_t>(i)] = static_cast<unsigned char>(i ^ 0x5A);
    for (const Case& c : cases) {
        qel::TranslationTable fresh;
        qel::TranslationTable table;
        table.fillEBCDICTable(data.data(), c.length);
        table.fillASCIITable(data.data(), c.length);
        for (int i = 0; i < 255; ++i) {
            const auto b = static_cast<unsigned char>(i);
            if (!c.changed) {
                EXPECT_EQ(table.ebcdicOf(b), fresh.ebcdicOf(b)) << c.length << " " << i;
                continue;
            }
            EXPECT_EQ(table.ebcdicOf(b), i < c.length ? data[static_cast<size_t>(i)] : 0x40) << c.length << " " << i;
            EXPECT_EQ(table.asciiOf(b), i < c.length ? data[static_cast<size_t>(i)] : 0x20) << c.length << " " << i;
        }
        // Entry X'FF' is left as it is.
        EXPECT_EQ(table.ebcdicOf(0xFF), 0xDF) << c.length;
        EXPECT_EQ(table.asciiOf(0xFF), 0x20) << c.length;
    }
}

TEST_F(BaseClassTest, StringFind)
{
    const char* text = "Times New Roman Bold";
    struct Case
    {
        const char* text;
        const char* pattern;
        bool exact;
        int at; // -1: not found
    } cases[] = {
        {text, "Times New Roman", true, 0},
        {text, "times", true, -1},
        {text, "times", false, 0},
        {text, "BOLD", false, 16},
        {text, "", true, 0},
        {"", "a", false, -1},
        {"ab", "abc", false, -1},
        {nullptr, "a", false, -1},
        {text, nullptr, false, -1},
    };
    for (const Case& c : cases) {
        const char* got = qel::String::find(c.text, c.pattern, c.exact);
        if (c.at < 0) {
            EXPECT_EQ(got, nullptr) << (c.pattern ? c.pattern : "(null)");
        } else {
            EXPECT_EQ(got, c.text + c.at) << c.pattern;
        }
    }
}

TEST_F(BaseClassTest, TextLineAndImageValues)
{
    const unsigned char abc[] = {'A', 'B', 'C'};
    qel::Text text(abc, 3, 10, 20, true, false, false, true);
    EXPECT_EQ(text.getLength(), 3);
    EXPECT_EQ(std::memcmp(text.getText(), abc, 3), 0);
    EXPECT_EQ(text.isXPositionAbsolute(), 1);
    EXPECT_EQ(text.isYPositionAbsolute(), 0);
    EXPECT_EQ(text.isYPositionRelative(), 1);
    EXPECT_EQ(text.getColorSpace(), 5);
    text.setYPositionIsRelative(0);
    EXPECT_EQ(text.isYPositionRelative(), 1);
    text.setText_2(nullptr, 4);
    EXPECT_EQ(text.getText(), nullptr);
    text.setLogText("x");
    EXPECT_STREQ(text.getLogText(), "x");
    text.setLogText("");
    EXPECT_EQ(text.getLogText(), nullptr);

    qel::Line line(2, 100, 0, 0, false, false, false, false);
    line.setAngle(450);
    EXPECT_FLOAT_EQ(line.getAngle(), 90);
    line.setAngle(360);
    EXPECT_FLOAT_EQ(line.getAngle(), 360);

    const unsigned char data[] = {1, 2, 3, 4};
    qel::Image image("IMG1", data, 4, 1, 2, 0, 0, 2400, 2400, 0, 0x2D00);
    image.setData(nullptr, 9);
    image.setData(data, 0);
    EXPECT_EQ(image.getDataLength(), 4u);
    EXPECT_STREQ(image.getName(), "IMG1");
    int rc = -5;
    EXPECT_TRUE(written(image, 1, &rc).empty());
    EXPECT_EQ(rc, 0);
}

TEST_F(BaseClassTest, FontKeepsCopiesAndCyclesItsFlag)
{
    std::string name = "Helvetica";
    qel::ResFont font(name.c_str(), "X0H200", "C0H200B0", "T1V10500", 10.5f, 2, true, 90);
    name[0] = 'X';
    EXPECT_STREQ(font.getName(), "Helvetica");
    EXPECT_EQ(font.getType(), 1);
    EXPECT_EQ(font.isTranslateText(), 1);
    EXPECT_STREQ(font.getCodePageName(), "T1V10500");
    qel::ResFont plain("Times", 12, 0, false, 0);
    EXPECT_EQ(plain.getType(), 0);
    EXPECT_EQ(plain.getCodedFontName(), nullptr);
    EXPECT_EQ(plain.finalize(), 0);
    EXPECT_FALSE(plain.isInitialized());
    EXPECT_EQ(plain.initialize(), 0);
    EXPECT_TRUE(plain.isInitialized());
}

TEST_F(BaseClassTest, ErrorFormatsItsTableTextAndLogsIt)
{
    RecordingLogger& log = record();
    struct Case
    {
        int id;
        const char* expected;
    } cases[] = {
        {1, "E001: Error while writing file \"out.afp\""},
        {2, "E002: Error while adding text/line to Page as PTOCA object. Msg: \"out.afp\""},
        {7, "E000: Undefined Message"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<qel::Error> e(new qel::Error(__FILE__, __LINE__, c.id, "out.afp"));
        EXPECT_STREQ(e->getMessage(), c.expected);
        EXPECT_NE(log.lines.find(std::string("[ZUZovo] ERROR   : ") + c.expected), std::string::npos);
    }
    qel::Error e(__FILE__, __LINE__, 1, "x");
    e.setMessage(nullptr);
    EXPECT_EQ(e.getMessage(), nullptr);
}

TEST_F(BaseClassTest, FileObjectCopiesAndRemovesItsFile)
{
    const std::string empty = writeFile("empty.res", {});
    {
        qel::FileObject object(empty.c_str(), true);
        int rc = -5;
        EXPECT_TRUE(written(object, 1, &rc).empty());
        EXPECT_EQ(rc, 0);
    }
    EXPECT_FALSE(qelUtils::isRegularFile(empty.c_str()));
    qel::FileObject missing((m_dir + "/missing.res").c_str(), false);
    int rc = 0;
    written(missing, 1, &rc);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(missing.write(nullptr, 0, nullptr), -1);
}

} // namespace
