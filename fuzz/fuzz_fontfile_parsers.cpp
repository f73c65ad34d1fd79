// Feeds arbitrary bytes to the TrueType and the PFM font file parsers. The
// first byte picks the parser (bit 0) and whether metrics and widths are
// read (bit 1); the rest is the font file. A damaged font must end in the
// parser's coded error (E120 TrueType, E119 PFM); anything else that
// escapes is a finding.
#include "qelException.h"
#include "qelFontRepresentation.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelTTFParser.h"
#include "qelType1PFMParser.h"
#include "qelUtils.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

FILE* g_sink = nullptr;
std::string g_file;

void use(qelFontRepresentation* rep)
{
    std::unique_ptr<qelFontRepresentation> owned(rep);
    if (!rep)
        return;
    char style[256];
    rep->getStyleName(style, sizeof style);
    delete[] rep->getWidths(32, 255);
}

void parseTrueType(const uint8_t* data, size_t size, bool convert)
{
    qelIOStream stream(data, static_cast<int>(size));
    qelTTFParser parser;
    parser.setResourceName("fuzz.ttf");
    parser.setQuietMode(true);
    parser.setConvert(convert);
    try {
        use(parser.parseStream(&stream));
    } catch (qelException* e) {
        const int id = e->getId();
        delete e;
        if (id != 120)
            std::abort();
    }
    qelIOStream::setCurrent(nullptr);
}

void parsePFM(const uint8_t* data, size_t size, bool convert)
{
    FILE* file = std::fopen(g_file.c_str(), "wb");
    if (!file)
        return;
    const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (!ok)
        return;
    qelType1PFMParser parser;
    parser.setResourceName("fuzz.pfm");
    parser.setQuietMode(true);
    parser.setConvert(convert);
    try {
        use(parser.parse(g_file.c_str()));
    } catch (qelException* e) {
        const int id = e->getId();
        delete e;
        if (id != 119)
            std::abort();
    }
    qelIOStream::setCurrent(nullptr);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_sink = std::fopen("/dev/null", "w");
    const char* tmp = std::getenv("TMPDIR");
    g_file = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_fontfile." + std::to_string(::getpid()) + ".pfm";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1 << 18)
        return 0;
    qelMessageOutput::set(g_sink);
    qelGlobalDSPool::getInstance()->getIni()->setQuietMode(true);
    const bool convert = (data[0] & 2) != 0;
    if (data[0] & 1)
        parsePFM(data + 1, size - 1, convert);
    else
        parseTrueType(data + 1, size - 1, convert);
    qelUtils::releaseGlobals();
    return 0;
}
