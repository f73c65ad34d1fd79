// Feeds arbitrary bytes to the AFP font character set reader and hands what
// it reads to the font builders as the outputs do: glyph names by code
// point, a code range, the space code point and the space and default
// character names, then the Type 3, PFM and PFB conversions. The first byte
// sets the code of the first character (its value) and whether a name the
// font lacks is added at the next code (bit 0). A damaged font must end in a
// coded report; a crash, a sanitizer report, a leak, an uncoded throw or an
// endless loop is a finding.
#include "FuzzSupport.h"
#include "qelAFPFontParser.h"
#include "qelCharMetrics.h"
#include "qelFontConverter.h"
#include "qelFontMetrics.h"
#include "qelFontRepresentation.h"
#include "qelLogStream.h"

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

void run(const uint8_t* data, size_t size)
{
    if (size < 1)
        return;
    const int start = data[0];
    const bool unknown = (data[0] & 1) != 0;
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
    if (rep)
        convertAll(rep.get(), start, unknown);
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
