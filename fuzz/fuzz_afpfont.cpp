// Feeds arbitrary bytes to the AFP font character set reader over a memory
// input, twice with one parser, as a resource reader reuses it; the font
// program of an outline set then goes through the PFB parser. The first
// byte picks whether the field log is written (bit 0), whether the rest is
// read as a PFB program directly (bit 1) and, in bits 2-4, whether the
// character set, code page or coded font resource parser reads it inline
// (1, 2, 3) or the resource group parser reads it as a group (4). A
// damaged input must end in a
// coded report; a crash, a sanitizer report, a leak, an uncoded throw or an
// endless loop is a finding.
#include "FuzzSupport.h"
#include "qelAFPFontParser.h"
#include "qelCharSetParser.h"
#include "qelCodePageParser.h"
#include "qelCodedFontParser.h"
#include "qelGlobalRes.h"
#include "qelRes.h"
#include "qelResGroupParser.h"
#include "qelFontRepresentation.h"
#include "qelLogStream.h"
#include "qelType1PFBParser.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string g_temp;

void parsePFB(const uint8_t* data, int size)
{
    qelIOStream stream(data, size);
    qelType1PFBParser parser;
    parser.setResourceName("fuzz.pfb");
    parser.setLogger(qelGlobalDSPool::getInstance()->getLogStream());
    try {
        std::unique_ptr<qelFontRepresentation> rep(parser.parseStream(&stream));
    } catch (qelException* e) {
        delete e;
    }
}

// One of the font resource parsers, twice over the same bytes.
void parseResource(int which, const uint8_t* data, size_t size)
{
    std::unique_ptr<qelResParser> parser;
    if (which == 1)
        parser.reset(new qelCharSetParser());
    else if (which == 2)
        parser.reset(new qelCodePageParser());
    else
        parser.reset(new qelCodedFontParser());
    for (int round = 0; round < 2; ++round) {
        qelIOStream stream(data, static_cast<int>(size));
        qelIOStream::setCurrent(&stream);
        try {
            // As an input is opened: an empty one is refused here.
            stream.rewind();
            std::unique_ptr<qelRes> res(parser->parse(round ? "" : "C0FUZZ", 0, nullptr));
        } catch (qelException* e) {
            delete e;
        }
        qelIOStream::setCurrent(nullptr);
    }
}

void parseGroup(const uint8_t* data, size_t size)
{
    qelIOStream stream(data, static_cast<int>(size));
    stream.setSpoolInput(true);
    qelIOStream::setCurrent(&stream);
    try {
        stream.rewind();
        qelGlobalDSPool::getInstance()->getResGroupParser()->parseFile(nullptr);
    } catch (qelException* e) {
        delete e;
    }
    qelIOStream::setCurrent(nullptr);
    qelGlobalDSPool::getInstance()->getGlobalRes()->clearAll();
}

void run(const uint8_t* data, size_t size)
{
    if (size < 1)
        return;
    const uint8_t mode = data[0];
    ++data;
    --size;
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    if (mode & 1) {
        log->setLevelMask(QEL_LOG_LEVEL1 | QEL_LOG_LEVEL2 | QEL_LOG_LEVEL4 | QEL_LOG_LEVEL5);
        log->open("/dev/null");
    }
    if (mode & 2) {
        parsePFB(data, static_cast<int>(size));
        return;
    }
    const int which = (mode >> 2) & 7;
    if (which >= 1 && which <= 3) {
        parseResource(which, data, size);
        return;
    }
    if (which == 4) {
        parseGroup(data, size);
        return;
    }
    qelAFPFontParser parser;
    parser.setLogger(log);
    parser.setQuietMode(true);
    parser.setResourceName("C0FUZZ");
    for (int round = 0; round < 2; ++round) {
        qelIOStream stream(data, static_cast<int>(size));
        std::unique_ptr<qelFontRepresentation> rep;
        try {
            stream.rewind();
            rep.reset(parser.parseStream(&stream));
        } catch (qelException* e) {
            delete e;
        }
        qelIOStream::setCurrent(nullptr);
        if (rep && rep->getFontData() && rep->getFontDataLength() > 0)
            parsePFB(rep->getFontData(), rep->getFontDataLength());
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
