#include "KernelTestSupport.h"

using namespace kerneltest;

TEST(InputDetection, SampleRules)
{
    struct Case {
        std::string bytes;
        int format;
    } cases[] = {
        {std::string("\x5A\x00\x10\xD3\xA8\xA8", 6), QEL_IN_AFP},
        {std::string("\x00\x10\xD3\xA8\xA8\x00", 6), QEL_IN_AFP},      // without the introducer
        {std::string("\x5A\x00\x10\xD3\x00\x00", 6), 0},               // nothing follows
        {std::string("\x5A\x00\x00\xD3\xA8\xA8", 6), 0},               // no length
        {"%PD", 0},
        {"%PDF-1.7", QEL_IN_PDF},
        {std::string("\xFF\xD8\xFF\xE0", 4), QEL_IN_JPEG},
        {std::string("\x89PNG\r\n\x1A\n", 8), QEL_IN_PNG},
        {"GIF89a", QEL_IN_GIF},
        {"plain text", 0},
    };
    for (const Case& c : cases) {
        const auto* data = reinterpret_cast<const unsigned char*>(c.bytes.data());
        EXPECT_EQ(detectBufferFormat(data, static_cast<int>(c.bytes.size())), c.format) << c.bytes;
    }
    EXPECT_EQ(detectBufferFormat(nullptr, 10), 0);
    EXPECT_EQ(detectBufferFormat(reinterpret_cast<const unsigned char*>("%PDF-"), 0), 0);
}

class FormatCheck : public KernelTest
{
};

TEST_F(FormatCheck, GivenAndDetectedFormatsAreReconciled)
{
    struct Case {
        const char* given; // null: InputFormat not given
        int detected;
        int result;        // or the message id raised
        int raised;
    } cases[] = {
        {nullptr, QEL_IN_PDF, QEL_IN_PDF, -1},
        {nullptr, 0, 0, 46},
        {"PDF", QEL_IN_PDF, QEL_IN_PDF, -1},
        {"PDF", QEL_IN_TIFF, 0, 47},
        {"LPD", 0, QEL_IN_LPD, -1},
        {"MMD", 0, QEL_IN_MMD, -1},
        {"PDF", 0, 0, 46},
    };
    for (const Case& c : cases) {
        qelUtils::releaseGlobals();
        ini = qelGlobalDSPool::getInstance()->getIni();
        if (c.given)
            ini->setInputFormat(c.given);
        int result = -2;
        int raised = raisedId([&] { result = checkInputFormat(c.detected, "src"); });
        EXPECT_EQ(raised, c.raised) << (c.given ? c.given : "-") << " " << c.detected;
        if (c.raised < 0) {
            EXPECT_EQ(result, c.result);
        }
    }
}

TEST_F(FormatCheck, MismatchNamesBothFormatsAndTheInputNumber)
{
    ini->setInputFormat("PDF");
    std::string text;
    try {
        checkInputFormat(QEL_IN_TIFF, "src");
    } catch (qelException* e) {
        text = e->getText();
        delete e;
    }
    const std::string expected = "format(PDF) does not match with input file format(TIFF) auto detected by Lorbane. "
                                 "Source: " + std::to_string(getInputNumber() + 1);
    EXPECT_NE(text.find(expected), std::string::npos) << text;
}

TEST_F(FormatCheck, StandardInputWithoutFormatIsNotRecognised)
{
    ini->setIOMode("si");
    EXPECT_EQ(qelUtils::detectInputFormat("stdin"), 0);
    EXPECT_EQ(raisedId([] { checkInputFormat(0, "stdin"); }), 46);
}
