#include "ScratchFolder.h"

#include "qelAFPFont.h"
#include "qelASCIIVisitor.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLineObject.h"
#include "qelLogStream.h"
#include "qelMappedRes.h"
#include "qelMessageOutput.h"
#include "qelPtocaPage.h"
#include "qelResourceReference.h"
#include "qelTextObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

class VisitorLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages = std::tmpfile();
        qelMessageOutput::set(m_messages);
        ini()->setMemoryOutputStream(true);
        m_folder.reset(new lrbtest::ScratchFolder());
        m_path = m_folder->file("run.log");
    }
    void TearDown() override
    {
        delete qelGlobalDSPool::getInstance();
        qelMessageOutput::set(nullptr);
        std::fclose(m_messages);
        m_folder.reset();
    }
    static qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }
    static qelLogStream* log() { return qelGlobalDSPool::getInstance()->getLogStream(); }

    void openLog(const char* level = "ALL")
    {
        log()->setLevel(level);
        log()->open(m_path.c_str());
        ASSERT_NE(nullptr, log()->getFile());
    }
    std::string logText()
    {
        log()->close();
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // What one log operation writes on a fresh log.
    std::string logged(const std::function<void(qelVisitor&)>& call)
    {
        openLog();
        qelASCIIVisitor v;
        call(v);
        return logText();
    }

    static std::unique_ptr<qelPtocaPage> page()
    {
        std::unique_ptr<qelPtocaPage> p(new qelPtocaPage());
        p->setSize(2040, 2640);
        p->setResolution(240);
        p->setSmallestCharSize(100, 120);
        return p;
    }
    static qelTextObject* text(float x, float y, const char* chars, qelMappedRes* mapping)
    {
        auto* t = new qelTextObject();
        t->setResolution(240);
        t->setPosition(x, y);
        t->setAbsoluteInlineFlag(1);
        t->setAbsoluteBaselineFlag(1);
        t->setBAxisOrientation(90);
        t->setTextLength(static_cast<uint16_t>(std::string(chars).size()));
        t->setText(chars);
        t->setFontMapping(mapping);
        t->setFont(mapping ? mapping->getFont() : nullptr);
        return t;
    }
    static std::string output(qelASCIIVisitor& v)
    {
        v.cleanup();
        const char* data = static_cast<const char*>(v.getOutputBuffer());
        std::string s = data ? std::string(data, static_cast<size_t>(v.getOutputBufferSize())) : std::string();
        std::free(const_cast<void*>(v.getOutputBuffer()));
        v.releaseOutputBuffer();
        return s;
    }
    static size_t count(const std::string& text, const std::string& what)
    {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    FILE* m_messages = nullptr;
    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_path;
};

TEST_F(VisitorLogTest, ObjectLinesGiveOutputUnitsAndMillimetres)
{
    qelResourceReference include("S1SEG", 2, 480.0f, 240.0f);
    qelLineObject line;
    line.setWidth(4.0f);
    line.setLength(240.0f);
    line.setHorizontal(1);

    struct Case
    {
        const char* what;
        std::function<void(qelVisitor&)> call;
        const char* expected;
    };
    const Case cases[] = {
        {"arc centre at 240", [](qelVisitor& v) { v.logOutputArc("Full", {240, 480}, 240, 7, 120, 60, 0, 90); },
         "\n==>Arc T=Full, CP=(240.00[25.40mm],480.00[50.80mm]), Hr=120[12.70mm], Vr=60[6.35mm], LT=Solid"},
        {"arc angles when both set", [](qelVisitor& v) { v.logInputArc("Part", {0, 0}, 240, 1, 1, 1, 30, 90); },
         "\n-->Arc T=Part, CP=(0.00[0.00mm],0.00[0.00mm]), Hr=1[0.11mm], Vr=1[0.11mm], LT=Dotted, Start Angle = 30, "
         "End Angle = 90"},
        {"square box", [](qelVisitor& v) { v.logOutputBox({0, 0}, {240, 240}, 240, 8, false, 5, 5); },
         "\n==>Box T=S, FP=(0.00[0.00mm], 0.00[0.00mm]), DP=(240.00[25.40mm],240.00[25.40mm]), LT=Invisible"},
        {"rounded box", [](qelVisitor& v) { v.logInputBox({0, 0}, {240, 240}, 240, 42, true, 24, 48); },
         "\n-->Box T=R, FP=(0.00[0.00mm], 0.00[0.00mm]), DP=(240.00[25.40mm],240.00[25.40mm]), LT=Unknown, "
         "XR=(24.00[2.54mm]), YR=(48.00[5.08mm])"},
        {"marker symbol by low byte", [](qelVisitor& v) { v.logInputMarker(0x0109, {24, 48}, 10, 20, 240); },
         "\n-->Marker, Name=Dot, Pos=(24.00[2.54mm], 48.00[5.08mm]), CW=10.00[1.06mm], CH=20.00[2.12mm]"},
        {"fillet", [](qelVisitor& v) { v.logOutputFillet({0, 0}, {600, 300}, 300, 153); },
         "\n==>Fillet, SP=(0.00[0.00mm], 0.00[0.00mm]), EP=(600.00[50.80mm],300.00[25.40mm]), LT=Not Applicable"},
        {"colour space names", [](qelVisitor& v) { v.logColorValue(2, 255); },
         "\n-->ColorSpace=CMYK, Color=255[0xFF]"},
        {"missing colour space", [](qelVisitor& v) { v.logColorSpace(nullptr, 1); },
         "Warning! Invalid Colorspace info to log"},
        {"include: y in fmm", [&](qelVisitor& v) {
             v.setOutputPageSize(100, 100, 240);
             v.logBeginInclude(&include);
         },
         "\n==>BPS Name=S1SEG Pos=(X:480.00[50.80mm], Y=240.00[25.40fmm]), Type=I"},
        {"include end", [&](qelVisitor& v) { v.logEndInclude(&include); }, "\n==>EPS Name=S1SEG "},
        {"missing include", [](qelVisitor& v) { v.logBeginInclude(nullptr); },
         "Warning! Invalid Include Resource info to log"},
        {"input line ends by orientation", [](qelVisitor& v) {
             v.setOutputPageSize(100, 100, 240);
             v.logInputLine("VLine", 2, 240, 10, 20);
         },
         "\n-->Line Orn=VLine, Width=2.00[0.21mm], Length=240[25.40mm], StartPos=(X:10.00[1.06mm], Y:20.00[2.12mm]), "
         "EndPos=(X:12.00[1.27mm], Y:260.00[27.52mm])"},
        {"input line of unknown orientation ends at 0", [](qelVisitor& v) {
             v.setOutputPageSize(100, 100, 240);
             v.logInputLine(nullptr, 2, 24, 10, 20);
         },
         "EndPos=(X:0.00[0.00mm], Y:0.00[0.00mm])"},
        {"output line", [&](qelVisitor& v) { v.logOutputLine(&line, {240, 0}); },
         "\n==>Line Orn=HLine, Width=4.00[0.42mm], Length=240.00[25.40mm], StartPos=(X:240.00[25.40mm], "
         "Y:0.00[0.00mm]), EndPos=(X:480.00[50.80mm], Y:4.00[0.42mm])"},
        {"page size", [](qelVisitor& v) {
             v.setOutputPageSize(2040, 2640, 240);
             qelPtocaPage p;
             p.setName("P1");
             v.logBeginPage(&p);
         },
         "\n==>BPG Name=P1, Size=(W:2040[215.90mm], H:2640[279.40mm])"},
        {"page without name", [](qelVisitor& v) {
             qelPtocaPage p;
             v.logEndPage(&p);
         },
         "\n==>EPG Name=No Name"},
    };
    for (const Case& c : cases) {
        const std::string text = logged(c.call);
        EXPECT_NE(std::string::npos, text.find(c.expected)) << c.what << "\n" << text;
    }
    // An arc whose start angle is 0 shows no angles.
    EXPECT_EQ(std::string::npos, logged(cases[0].call).find("Angle")) << "start angle 0";
    EXPECT_EQ(std::string::npos, logged(cases[2].call).find("XR=")) << "square box";
}

TEST_F(VisitorLogTest, FontIsLoggedOncePerFontUntilTheFlagsAreReset)
{
    ini()->setOutputFormat("PDF");
    openLog();
    qelAFPFont font("C0H20000", "T1V10500");
    qelMappedRes mapping(1, 3, "X0H20000");
    mapping.setFont(&font);
    qelASCIIVisitor v;
    v.setOutputPageSize(1000, 1000, 480);
    std::unique_ptr<qelTextObject> a(text(240, 240, "Hello", &mapping));
    std::unique_ptr<qelTextObject> b(text(240, 480, "World", &mapping));
    v.logTextObject(a.get());
    v.logTextObject(b.get());
    v.setWriteFlags(qelVisitor::NO_FONT);
    v.logTextObject(b.get());
    const std::string text = logText();
    EXPECT_EQ(2u, count(text, "\n==>CS=")) << text;
    EXPECT_EQ(2u, count(text, "ColorSpace=")) << text;
    EXPECT_EQ(2u, count(text, "UsedFont=")) << text;
    EXPECT_EQ(2u, count(text, "CS=C0H20000(*)")) << text;
    EXPECT_NE(std::string::npos, text.find("\n  @(480,480)>Hello<")) << text;
    EXPECT_EQ(2u, count(text, ">World<")) << text;
}

TEST_F(VisitorLogTest, HiddenTextsAreLoggedAndReported)
{
    openLog();
    qelASCIIVisitor v;
    std::unique_ptr<qelTextObject> shown(text(10, 20, "a", nullptr));
    std::unique_ptr<qelTextObject> suppressed(text(10, 20, "b", nullptr));
    suppressed->setSuppressed(1);
    std::unique_ptr<qelTextObject> removed(text(30, 40, "c", nullptr));
    removed->setRemoved(1);
    EXPECT_FALSE(v.logText(shown.get()));
    EXPECT_TRUE(v.logText(suppressed.get()));
    EXPECT_TRUE(v.logText(removed.get()));
    EXPECT_TRUE(v.logText(nullptr));
    const std::string text = logText();
    EXPECT_NE(std::string::npos, text.find("\n  @(10.00,20.00)>b< (Suppressed)")) << text;
    EXPECT_NE(std::string::npos, text.find("\n  @(30.00,40.00)>c< (Removed)")) << text;
    EXPECT_EQ(std::string::npos, text.find(">a<")) << text;
}

TEST_F(VisitorLogTest, FontLinesOfTheLog)
{
    struct Case
    {
        const char* what;
        const char* format;
        std::function<void(qelLogStream&, qelTextObject*, qelAFPFont*)> call;
        const char* expected;
    };
    const Case cases[] = {
        {"AFP output without font", "AFP",
         [](qelLogStream& l, qelTextObject* t, qelAFPFont*) { l.logFont(t, nullptr, nullptr, 0, 0, 0, 0, nullptr); },
         "CS=Undefined, TF=Undefined, CP=Undefined"},
        {"AFP output line", "AFP",
         [](qelLogStream& l, qelTextObject* t, qelAFPFont* f) { l.logFont(t, nullptr, f, 0, 0, 0, 0, nullptr); },
         "TF= , W=B, S=10.00(D), RF, CP=T1V10500(*), ACP=PG-DEF:500.cp"},
        {"no font line for text output", "ASCII",
         [](qelLogStream& l, qelTextObject* t, qelAFPFont* f) { l.logFont(t, nullptr, f, 0, 0, 0, 0, nullptr); },
         ""},
        {"INI default", "PDF",
         [](qelLogStream& l, qelTextObject* t, qelAFPFont*) {
             qelOutputFontRecord r;
             r.sourceKind = qelOutputFontRecord::SOURCE_INI_DEFAULT;
             l.logFont(t, nullptr, nullptr, 120, "Helvetica", "Helvetica", "Helv", &r);
         },
         "UsedFont=Helvetica, TF=Helvetica(D), W=M, S=12.00, Helv,  ACP=INI:"},
        {"raster line of a TrueType choice", "TIFF",
         [](qelLogStream& l, qelTextObject* t, qelAFPFont* f) {
             qelOutputFontRecord r;
             r.sourceKind = qelOutputFontRecord::SOURCE_TRUETYPE;
             r.typefaceName = "DejaVu Sans";
             r.usedFontName = "DejaVuSans.ttf";
             r.embedding = qelOutputFontRecord::EMBED_EMBEDDED;
             r.italic = true;
             l.logFont(t, nullptr, f, 0, 0, 0, 0, &r);
         },
         "UsedFont=DejaVuSans.ttf, TF=DejaVu Sans, W=I, S=0.10, TT, Emb, ACP=PG-DEF:500.cp, ENC=ANSI"},
        {"input font of the text", "AFP",
         [](qelLogStream& l, qelTextObject* t, qelAFPFont* f) { l.logTextObject(t, f); },
         "CS=C0H20000(*), TF= , W=B, S=10.00(D), RF, CP=T1V10500(*)"},
    };
    for (const Case& c : cases) {
        ini()->setOutputFormat(c.format);
        openLog();
        qelAFPFont font("C0H20000", "T1V10500");
        font.setBold(true);
        font.getRepresentation();
        std::unique_ptr<qelTextObject> t(text(0, 0, "x", nullptr));
        c.call(*log(), t.get(), &font);
        const std::string text = logText();
        if (*c.expected) {
            EXPECT_NE(std::string::npos, text.find(c.expected)) << c.what << "\n" << text;
        } else {
            EXPECT_EQ("", text) << c.what;
        }
    }
}

TEST_F(VisitorLogTest, ObjectLoggingLeavesTheOutputAlone)
{
    std::string outputs[2];
    for (int logging = 0; logging < 2; ++logging) {
        if (logging)
            openLog();
        qelAFPFont font("C0H20000", "T1V10500");
        qelMappedRes mapping(1, 3, "X0H20000");
        mapping.setFont(&font);
        qelASCIIVisitor v;
        auto p = page();
        v.initializePage(p.get());
        std::unique_ptr<qelTextObject> texts[] = {
            std::unique_ptr<qelTextObject>(text(240, 240, "Hello", &mapping)),
            std::unique_ptr<qelTextObject>(text(240, 480, "hidden", &mapping)),
            std::unique_ptr<qelTextObject>(text(480, 480, "World", &mapping)),
        };
        texts[1]->setSuppressed(1);
        for (auto& t : texts) {
            if (logging && !v.logText(t.get()))
                v.logTextObject(t.get());
            v.writeTextObject(t.get());
        }
        v.finalizePage();
        outputs[logging] = output(v);
        if (logging) {
            EXPECT_NE(std::string::npos, logText().find(">Hello<"));
        }
    }
    EXPECT_NE(std::string::npos, outputs[0].find("Hello"));
    EXPECT_EQ(outputs[0], outputs[1]);
}

} // namespace
