// Bar code objects read from hand-built fields, written by the PDF visitor
// and read back from the rendered page by independent decoders.
#include "PdfVisitorSupport.h"

#include "../barcode/ParserFields.h"

#include "qelLogStream.h"
#include "qelTextObject.h"

#include <cctype>
#include <regex>
#include <set>

using namespace pdfvtest;
using namespace bcfields;

namespace {

struct Code {
    const char* name;
    unsigned char type;
    unsigned char modifier;
    unsigned char moduleWidth;
    const char* data;
    int orientation;
    unsigned char flags; // BDA flags: 0x00 with text, 0x80 without
};

class BarcodePdfTest : public PdfVisitorTest
{
protected:
    void TearDown() override
    {
        m_holder.reset();
        qelDocumentParser::resetIgnoredObjectCount();
        PdfVisitorTest::TearDown();
    }

    // Reads one object built from the fields of a code placed at (x, y).
    std::unique_ptr<qelBarcodeObject> object(const Code& c, unsigned int x, unsigned int y)
    {
        Descriptor d;
        d.type = c.type;
        d.modifier = c.modifier;
        d.moduleWidth = c.moduleWidth;
        d.ratio = 30;
        Position p;
        p.x = {0, static_cast<unsigned char>(x >> 8), static_cast<unsigned char>(x)};
        p.y = {0, static_cast<unsigned char>(y >> 8), static_cast<unsigned char>(y)};
        p.xRotation = static_cast<unsigned int>(c.orientation / 90) * 0x2D00;
        p.yRotation = static_cast<unsigned int>((c.orientation + 90) % 360 / 90) * 0x2D00;
        Bytes env = obp(p);
        append(env, bdd(d));
        Bytes rest;
        if (c.type == qelBarcodeObject::TYPE_DATA_MATRIX)
            rest = matrixParameters(10, 10);
        append(rest, ebcdic(c.data));
        if (!m_holder)
            m_holder.reset(new InputHolder());
        m_buffers.push_back(input(env, {bda(c.flags, 0, 0, rest)}));
        qelIOStream::getCurrent()->attachBuffer(m_buffers.back().data(), static_cast<int>(m_buffers.back().size()));
        qelBarcodeParser* parser = qelGlobalDSPool::getInstance()->getBarcodeParser();
        return std::unique_ptr<qelBarcodeObject>(parser->parse(parser->readNextSF()));
    }

    // One page with the code at its centre, as PDF.
    std::string pagePdf(const Code& c)
    {
        TestPage page(qelPage::KIND_AFP, 1700, 2200, 240);
        auto barcode = object(c, 850, 1100);
        EXPECT_TRUE(barcode);
        return runPage(page, [&](qelPDFVisitor& v) {
            if (barcode)
                barcode->write(&v);
        });
    }

    // Renders page 1 in grey at 300 dpi; the image's path.
    std::string render(const std::string& pdf)
    {
        const std::string stem = tempPath("");
        run("pdftoppm -r 300 -gray -singlefile '" + pdf + "' '" + stem + "'");
        m_files.push_back(stem + ".pgm");
        return stem + ".pgm";
    }

    std::unique_ptr<InputHolder> m_holder;
    std::vector<Bytes> m_buffers;
};

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// What dmtxread reads from an image, without the line end.
std::string readMatrix(const std::string& image)
{
    std::string out = run("dmtxread -n '" + image + "'").output;
    while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back())))
        out.pop_back();
    return out;
}

bool toolsAvailable()
{
    return toolAvailable("pdftoppm") && toolAvailable("zbarimg") && toolAvailable("dmtxread") &&
           toolAvailable("pdftotext") && toolAvailable("qpdf");
}

// Uncompressed content streams of a file (those without a /Subtype).
std::vector<std::string> contentStreams(const std::string& pdf)
{
    std::vector<std::string> out;
    size_t p = 0;
    while ((p = pdf.find("stream\n", p)) != std::string::npos) {
        const size_t dict = pdf.rfind("obj\n", p);
        const size_t end = pdf.find("\nendstream", p);
        if (end == std::string::npos)
            break;
        if (dict != std::string::npos && pdf.substr(dict, p - dict).find("/Subtype") == std::string::npos &&
            (p == 0 || pdf[p - 1] != 'd'))
            out.push_back(pdf.substr(p + 7, end - p - 7));
        p = end + 1;
    }
    return out;
}

// Nothing but path construction between a rectangle and its painting
// operator, and no painting operator without a path; "" when so.
std::string pathFault(const std::string& content)
{
    static const std::set<std::string> construct = {"m", "l", "c", "v", "y", "h", "re", "W", "W*"};
    static const std::set<std::string> paint = {"f", "F", "f*", "S", "s", "B", "B*", "b", "b*", "n"};
    bool inPath = false;
    size_t i = 0;
    while (i < content.size()) {
        const char ch = content[i];
        if (ch == '(') {
            int depth = 0;
            for (; i < content.size(); ++i) {
                if (content[i] == '\\') {
                    ++i;
                    continue;
                }
                if (content[i] == '(')
                    ++depth;
                else if (content[i] == ')' && --depth == 0)
                    break;
            }
            ++i;
            continue;
        }
        if (ch == '<' || ch == '[' || ch == '/') {
            const size_t e = content.find_first_of(ch == '<' ? ">" : ch == '[' ? "]" : " \n", i + 1);
            i = e == std::string::npos ? content.size() : e + 1;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(ch))) {
            ++i;
            continue;
        }
        const size_t e = content.find_first_of(" \n\r\t()[]</", i);
        const std::string token = content.substr(i, e == std::string::npos ? std::string::npos : e - i);
        i = e == std::string::npos ? content.size() : e;
        if (!std::isalpha(static_cast<unsigned char>(token[0])) && token[0] != '\'' && token[0] != '"')
            continue;
        if (construct.count(token)) {
            inPath = true;
        } else if (paint.count(token)) {
            if (!inPath)
                return "painting without a path: " + token;
            inPath = false;
        } else if (inPath) {
            return "operator inside a path: " + token;
        }
    }
    return inPath ? "unpainted path" : "";
}

TEST(BarcodeContentCheck, FindsFaults)
{
    EXPECT_EQ("", pathFault("0 0 1 1 re\n2 0 1 1 re\nf\nBT (a f) Tj ET\n"));
    EXPECT_NE("", pathFault("0 0 1 1 re\nBT (ABC) Tj ET\nf\n"));
    EXPECT_NE("", pathFault("0 0 1 1 re\n1 0 0 rg\nf\n"));
    EXPECT_NE("", pathFault("f\n"));
}

TEST_F(BarcodePdfTest, SymbolsDecodeInEveryOrientation)
{
    if (!toolsAvailable())
        GTEST_SKIP() << "checkers missing";
    const std::vector<Code> codes = {
        {"code39", 1, 1, 10, "ABC", 0, 0x00},       {"code39-90", 1, 1, 10, "ABC", 90, 0x00},
        {"code39-180", 1, 1, 10, "ABC", 180, 0x00}, {"code39-270", 1, 1, 10, "ABC", 270, 0x00},
        {"code128", 17, 2, 20, "123456", 0, 0x80},  {"matrix", 28, 0, 30, "123456", 0, 0x80},
        {"matrix-90", 28, 0, 30, "123456", 90, 0x80}, {"matrix-180", 28, 0, 30, "123456", 180, 0x80},
        {"matrix-270", 28, 0, 30, "123456", 270, 0x80},
    };
    for (const Code& c : codes) {
        SCOPED_TRACE(c.name);
        const std::string pdf = pagePdf(c);
        EXPECT_EQ(0, run("qpdf --check '" + pdf + "'").status);
        const std::string image = render(pdf);
        if (c.type == qelBarcodeObject::TYPE_DATA_MATRIX) {
            EXPECT_EQ(std::string(c.data), readMatrix(image));
        } else {
            const std::string expected = std::string(c.type == 1 ? "CODE-39:" : "CODE-128:") + c.data;
            EXPECT_NE(run("zbarimg -q '" + image + "'").output.find(expected), std::string::npos);
            for (const std::string& content : contentStreams(readText(pdf)))
                EXPECT_EQ("", pathFault(content));
        }
        if (c.type == 1) {
            EXPECT_NE(run("pdftotext '" + pdf + "' -").output.find("ABC"), std::string::npos);
        }
    }
}

// Two Code 39 symbols in one object, each with its text: the bars of each
// are painted before its text, and the object's colour is set again.
TEST_F(BarcodePdfTest, TextNeverInsideThePath)
{
    Descriptor d;
    d.type = 1;
    d.modifier = 1;
    d.moduleWidth = 10;
    d.color = 0x0002; // red bars
    Position p;
    p.x = {0, 0x01, 0x00};
    p.y = {0, 0x01, 0x00};
    Bytes env = obp(p);
    append(env, bdd(d));
    m_holder.reset(new InputHolder());
    m_buffers.push_back(input(env, {bda(0x00, 0, 0, ebcdic("AB")), bda(0x00, 0, 200, ebcdic("CD"))}));
    qelIOStream::getCurrent()->attachBuffer(m_buffers.back().data(), static_cast<int>(m_buffers.back().size()));
    qelBarcodeParser* parser = qelGlobalDSPool::getInstance()->getBarcodeParser();
    std::unique_ptr<qelBarcodeObject> barcode(parser->parse(parser->readNextSF()));
    ASSERT_TRUE(barcode);
    // The text is black, the bars red.
    for (qelListNode* n = barcode->getSymbols()->getHead(); n; n = n->next)
        static_cast<qelBarcodeSymbol*>(n->item)->getHRIText()->setColorValue(8);
    TestPage page(qelPage::KIND_AFP, 1700, 2200, 240);
    const std::string pdf = runPage(page, [&](qelPDFVisitor& v) { barcode->write(&v); });
    const std::vector<std::string> contents = contentStreams(readText(pdf));
    ASSERT_EQ(1u, contents.size());
    EXPECT_EQ("", pathFault(contents[0]));
    // Red before each symbol's bars.
    const std::string& c = contents[0];
    const size_t second = c.find(" re\n", c.find("ET\n"));
    ASSERT_NE(second, std::string::npos);
    const std::string between = c.substr(c.find("ET\n"), second - c.find("ET\n"));
    EXPECT_NE(between.find("1.0000 0.0000 0.0000 rg"), std::string::npos) << between;
    if (toolAvailable("pdftotext")) {
        const std::string text = run("pdftotext '" + pdf + "' -").output;
        EXPECT_NE(text.find("AB"), std::string::npos);
        EXPECT_NE(text.find("CD"), std::string::npos);
    }
}

TEST_F(BarcodePdfTest, DataMatrixUnfilteredUnderDevTest)
{
    if (!toolsAvailable())
        GTEST_SKIP() << "checkers missing";
    ini()->setAttribute("DevTest", "on");
    ASSERT_TRUE(ini()->isDevTest());
    const std::string pdf = pagePdf({"matrix", 28, 0, 30, "123456", 0, 0x80});
    const std::string bytes = readText(pdf);
    const size_t image = bytes.find("/Subtype /Image");
    ASSERT_NE(image, std::string::npos);
    const std::string dict = bytes.substr(image, bytes.find("stream", image) - image);
    EXPECT_EQ(dict.find("/Filter"), std::string::npos) << dict;
    EXPECT_NE(dict.find("/ImageMask true"), std::string::npos) << dict;
    // 10 modules of 7 pixels, rows padded to whole bytes: 72 x 70 pixels at
    // 240 per inch are drawn 21.6 x 21 points large.
    std::smatch m;
    const std::string content = contentStreams(bytes).at(0);
    ASSERT_TRUE(std::regex_search(content, m, std::regex("([0-9.]+) 0\\.0000 0\\.0000 ([0-9.]+) 0\\.0000 0\\.0000 cm\\n/\\S+ Do")))
        << content;
    EXPECT_FLOAT_EQ(21.6f, std::stof(m[1].str()));
    EXPECT_FLOAT_EQ(21.0f, std::stof(m[2].str()));
    EXPECT_EQ("123456", readMatrix(render(pdf)));
}

// The same symbol on two pages is one image.
TEST_F(BarcodePdfTest, RepeatedSymbolSharesItsImage)
{
    TestPage one(qelPage::KIND_AFP, 1700, 2200, 240), two(qelPage::KIND_AFP, 1700, 2200, 240);
    auto a = object({"m", 28, 0, 30, "123456", 0, 0x80}, 300, 300);
    auto b = object({"m", 28, 0, 30, "123456", 0, 0x80}, 600, 600);
    auto c = object({"m", 28, 0, 30, "654321", 0, 0x80}, 600, 900);
    const std::string pdf = runDocument({&one, &two}, [&](qelPDFVisitor& v, int i) {
        (i == 0 ? a : b)->write(&v);
        if (i == 1)
            c->write(&v);
    });
    const std::string bytes = readText(pdf);
    size_t images = 0;
    for (size_t p = bytes.find("/Subtype /Image"); p != std::string::npos; p = bytes.find("/Subtype /Image", p + 1))
        ++images;
    EXPECT_EQ(2u, images);
}

TEST_F(BarcodePdfTest, RotatedCode128IsOnlyLogged)
{
    const std::string logPath = tempPath(".log");
    m_files.push_back(logPath);
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    log->setLevel("ALL");
    log->open(logPath.c_str());
    const std::string pdf = pagePdf({"code128-90", 17, 2, 20, "123456", 90, 0x80});
    log->close();
    std::ifstream in(logPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\n\tWarning! Orientation other than IAxis=0, BAxis=90 not supported for barcode "
                              "objects. Object Name=BC000001."),
              std::string::npos)
        << text.str();
    for (const std::string& content : contentStreams(readText(pdf)))
        EXPECT_EQ(content.find(" re\n"), std::string::npos) << content;
}

} // namespace
