// Feeds arbitrary bytes to the AFP font character set reader and hands what
// it reads to the font builders as the outputs do: glyph names by code
// point, a code range, the space code point and the space and default
// character names, then the Type 3, PFM and PFB conversions. The same
// characters, recorded as a Type 3 font of the PDF input is, go through
// the AFP character set builder, and their names through the AFP code page
// builder; both resources are written. The first byte sets the code of the
// first character (its value), whether a name the font lacks is added at
// the next code (bit 0) and a scale of the recorded metrics (bits 4 to 7).
// A damaged font must end in a coded report; a crash, a sanitizer report,
// a leak, an uncoded throw or an endless loop is a finding.
#include "FuzzSupport.h"
#include "qel/afp/AfpLibrary.h"
#include "qel/afp/AfpResCharacterSet.h"
#include "qel/afp/AfpResCodePage.h"
#include "qel/afp/DataStream.h"
#include "qelAFPCPRepresentation.h"
#include "qelAFPCSRepresentation.h"
#include "qelAFPCharMetrics.h"
#include "qelAFPFontParser.h"
#include "qelBufferStream.h"
#include "qelCharMetrics.h"
#include "qelCodePage.h"
#include "qelCodePageConverter.h"
#include "qelFontConverter.h"
#include "qelFontGlyph.h"
#include "qelFontMetrics.h"
#include "qelFontRepresentation.h"
#include "qelLogStream.h"
#include "qelType3CharMetrics.h"
#include "qelType3FontMetrics.h"
#include "qelType3FontRepresentation.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::string g_temp;

char* copyText(const char* text)
{
    char* copy = new char[std::strlen(text) + 1];
    std::strcpy(copy, text);
    return copy;
}

void convertAll(qelFontRepresentation* rep, int start, bool unknown)
{
    const qelFontMetrics* metrics = rep->getMetrics();
    if (!metrics || !metrics->getCharMetricsList())
        return;
    char* names[256] = {};
    int last = start;
    for (int i = 0; i < metrics->getCharMetricsCount() && start + i < 256; ++i) {
        const qelCharMetrics* cm = metrics->getCharMetricsList()[i];
        if (cm && cm->getGlyphName())
            names[start + i] = copyText(cm->getGlyphName());
        last = start + i;
    }
    if (unknown && last < 255)
        names[++last] = copyText("ZZ990000");
    rep->setGCGIDArray(names);
    rep->setGCGIDCount(256);
    rep->setFirstChar(start);
    rep->setLastChar(last);
    rep->setSpaceCodePoint(start);
    rep->setSpaceCharName(names[start] ? names[start] : "SP010000");
    rep->setDefaultCharName("SP010000");
    qelFontConverter converter;
    converter.setQuietMode(1);
    converter.setLogStream(qelGlobalDSPool::getInstance()->getLogStream());
    converter.setFontName("Fuzz-T1V10500");
    for (int type : {4, 2, 3}) {
        try {
            std::unique_ptr<qelRepresentation> made(converter.convert(rep, type));
        } catch (qelException* e) {
            delete e;
        }
    }
    rep->setGCGIDArray(nullptr);
    for (char* n : names)
        delete[] n;
}

void writeOut(qel::Writable& resource)
{
    qel::DataStream out(new qelBufferStream(1024));
    out.open();
    resource.write(&out, 1, nullptr);
}

// The characters as the PDF input's recorder keeps a Type 3 font: metrics
// and glyph of code point i at index i, in single precision.
void recordAndBuild(const qelFontRepresentation* rep, int start, float scale)
{
    const qelFontMetrics* metrics = rep->getMetrics();
    const int n = metrics->getCharMetricsCount();
    if (n <= 0 || n > 4096)
        return;
    qelType3FontRepresentation t3;
    t3.setName("F1");
    t3.setFileName("C0FUZZT3");
    t3.setResolution(rep->getResolution());
    t3.setHeight(rep->getHeight());
    t3.setFirstChar(start);
    t3.setLastChar(start + n - 1);
    t3.setUniformCharIncrement(scale > 1.0f);
    auto* recorded = new qelType3FontMetrics;
    t3.setMetrics(recorded);
    recorded->setSpaceIncrement(20.5f * scale);
    auto** list = new qelCharMetrics*[n]();
    auto** glyphs = new qelFontGlyph*[n]();
    recorded->setCharMetricsList(list, n);
    recorded->setGlyphList(glyphs, n);
    for (int i = 0; i < n; ++i) {
        const auto* cm = dynamic_cast<const qelAFPCharMetrics*>(metrics->getCharMetricsList()[i]);
        if (!cm)
            continue;
        auto* m = new qelType3CharMetrics;
        list[i] = m;
        m->setCodePoint(i);
        m->setGlyphName(cm->getGlyphName());
        m->setCharIncrement(cm->getCharIncrement(0) * scale);
        m->setASpace(cm->getASpace(0) * scale);
        m->setBSpace(cm->getBSpace(0) * scale);
        m->setCSpace(cm->getCSpace(0) * scale);
        m->setAscenderHeight(cm->getAscenderHeight(0) * scale);
        m->setDescenderDepth(cm->getDescenderDepth(0) * scale);
        if (const qelFontGlyph* g = cm->getGlyph()) {
            auto* copy = new qelFontGlyph;
            copy->setWidth(g->getWidth());
            copy->setHeight(g->getHeight());
            copy->setRaster(g->getRaster(), g->getRasterLength());
            glyphs[i] = copy;
        }
    }
    qel::afp::initializeLibrary();
    qelFontConverter converter;
    converter.setQuietMode(1);
    converter.setLogStream(qelGlobalDSPool::getInstance()->getLogStream());
    try {
        std::unique_ptr<qelRepresentation> made(converter.convert(&t3, 7));
        if (auto* cs = dynamic_cast<qelAFPCSRepresentation*>(made.get()))
            if (cs->getResource())
                writeOut(*cs->getResource());
    } catch (qelException* e) {
        delete e;
    }
    // A code page of the same names, in character order when scaled.
    qelCodePage page("T1FUZZ01", "");
    page.allocateTables(256);
    for (int i = 0; i < n && start + i < 256; ++i)
        if (list[i])
            page.defineChar(start + i, list[i]->getGlyphName());
    page.setDefaultGCGID(n > 1 && list[1] ? list[1]->getGlyphName() : nullptr);
    page.setSpaceCodePoint(start);
    if (scale > 1.0f)
        page.setSortIndexOnBuild();
    qelCodePageConverter cpConverter;
    std::unique_ptr<qelAFPCPRepresentation> cp(cpConverter.convert(&page, 8));
    if (cp && cp->getResource())
        writeOut(*cp->getResource());
    qel::afp::finalizeLibrary();
}

void run(const uint8_t* data, size_t size)
{
    if (size < 1)
        return;
    const int start = data[0];
    const bool unknown = (data[0] & 1) != 0;
    const float scale = 1.0f + static_cast<float>(data[0] >> 4) * 4096.0f;
    ++data;
    --size;
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    log->setLevelMask(QEL_LOG_ALL);
    log->open("/dev/null");
    qelAFPFontParser parser;
    parser.setLogger(log);
    parser.setQuietMode(true);
    parser.setResourceName("C0FUZZ");
    qelIOStream stream(data, static_cast<int>(size));
    std::unique_ptr<qelFontRepresentation> rep;
    try {
        stream.rewind();
        rep.reset(parser.parseStream(&stream));
    } catch (qelException* e) {
        delete e;
    }
    qelIOStream::setCurrent(nullptr);
    if (rep) {
        convertAll(rep.get(), start, unknown);
        if (rep->getMetrics() && rep->getMetrics()->getCharMetricsList())
            recordAndBuild(rep.get(), start, scale);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_temp = lrbfuzz::tempDir();
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni* ini) { ini->setTempPath(g_temp.c_str()); }, run);
}
