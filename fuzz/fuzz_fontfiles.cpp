// Feeds arbitrary bytes to the font mapping definition reader and to the code
// page file readers. The first byte picks the output format the mapping
// definition is read for; the rest is the file. A coded error about the
// file is expected; anything else that escapes is a finding.
#include "qelCodePage.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

FILE* g_sink = nullptr;
std::string g_dir;

bool writeFile(const std::string& name, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen((g_dir + name).c_str(), "wb");
    if (!file)
        return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    return ok;
}

bool expectedError(int id)
{
    // Invalid height, read error, invalid value, duplicate, GCSGID entries.
    return id == 65 || id == 68 || id == 112 || id == 113 || id == 121 || id == 122;
}

void readMappingDef(uint8_t selector)
{
    static const char* const formats[] = {"PDF", "TIFF", "AFP", "PDFA"};
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setOutputFormat(formats[selector & 3]);
    ini->setCodedOutput((selector & 4) != 0);
    ini->setDevTest((selector & 8) != 0);
    auto* md = new qelMappingDef();
    qelGlobalDSPool::getInstance()->setMappingDef(md);
    try {
        md->load();
    } catch (qelException* e) {
        const int id = e->getId();
        delete e;
        if (!expectedError(id))
            std::abort();
    }
    // Lookups over whatever was read.
    md->findXFont("X0H20000", true);
    md->findCharSet("C0H20000", true);
    md->findCodePage("T1V10500", true);
    md->getCharSetRenderingMode("C0H20000");
    md->findExternalFont("Helvetica", true);
    md->findAFPFont("Helvetica", "Helvetica", 2, true, 10.0f);
    md->findGCSGIDByText("DEFAULT", "2308");
}

void readCodePage(const char* name, const char* cpgid)
{
    qelCodePage cp(name, g_dir.c_str());
    cp.setCPGID(cpgid);
    cp.load(true);
    const int32_t values[] = {0x41, 0x10041, -1, 0xFFFF};
    unsigned char* out = nullptr;
    uint16_t count = 0;
    cp.unicodeToBytes(values, 4, &out, &count);
    delete[] out;
    const char* names[] = {"A", "adieresis"};
    int32_t* unicodes = nullptr;
    unsigned char* bytes = nullptr;
    if (cp.mapGlyphNames(names, 2, &unicodes, &count, &bytes) >= 0) {
        delete[] unicodes;
        delete[] bytes;
    }
    cp.buildDifferences();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_sink = std::fopen("/dev/null", "w");
    const char* tmp = std::getenv("TMPDIR");
    g_dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_fontfiles." + std::to_string(::getpid()) + "/";
    qelUtils::makeDirectory(g_dir.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1 << 16)
        return 0;
    qelMessageOutput::set(g_sink);
    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setQuietMode(true);
    ini->setCpPath(g_dir.c_str());
    ini->setAttribute("MappingDefFilename", "mapping.def");
    if (!writeFile("mapping.def", data + 1, size - 1) || !writeFile("500.cp", data + 1, size - 1)
        || !writeFile("nostdencoding.def", data + 1, size - 1))
        return 0;
    readMappingDef(data[0]);
    readCodePage("T1V10500", "500");
    readCodePage("nostdencoding", nullptr);
    unsigned char table[256];
    qelCodePage::readCodePageFile(table, g_dir.c_str(), 500);
    qelCodePage::loadCodePageFile(qelUtils::getMutableEbcdicToAsciiTable(), "T1V10500");
    qelUtils::releaseGlobals();
    qelUtils::resetEbcdicTables();
    return 0;
}
