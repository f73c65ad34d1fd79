// Feeds arbitrary bytes to the INI file reader as the program's INI file,
// then runs the path resolution, the consistency pass and the output name
// builder on what it set. Any report other than a missing section or a read
// error is a finding.
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelIniParser.h"
#include "qelLRBIniParser.h"
#include "qelList.h"
#include "qelMessageOutput.h"
#include "qelUtils.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FILE* g_sink = nullptr;
std::string g_dir;

bool expected(qelException* e)
{
    // Missing section, read error.
    return e->getKind() == QEL_MSG_ERROR && (e->getId() == 105 || e->getId() == 68);
}

template <typename F>
void guarded(F step)
{
    try {
        step();
    } catch (qelException* e) {
        bool ok = expected(e);
        delete e;
        if (!ok)
            std::abort();
    }
}

void run(const uint8_t* data, size_t size)
{
    const std::string path = g_dir + "fuzz.ini";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return;
    if (size > 0 && std::fwrite(data, 1, size, file) != size) {
        std::fclose(file);
        return;
    }
    std::fclose(file);

    qelIni* ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setIniFilePath(g_dir.c_str());
    ini->setIniFilename("fuzz.ini");
    ini->setQuietMode(true);

    guarded([] {
        qelLRBIniParser parser;
        parser.parse();
    });
    guarded([] {
        qelLRBIniParser parser;
        parser.parseSection("Profile");
    });
    guarded([] {
        qelIniParser parser;
        parser.setPath(g_dir.c_str());
        parser.setFileName("fuzz.ini");
        if (parser.openFile() != 0)
            return;
        std::unique_ptr<char[]> value(parser.getValue("Def", "body"));
        std::unique_ptr<qelList> values(parser.getValues("Def", "body"));
        parser.closeFile();
    });

    // Settings taken from the file go through the later rules too.
    ini = qelGlobalDSPool::getInstance()->getIni();
    ini->setQuietMode(true);
    ini->checkPaths(-1);
    ini->checkFileCreationMode();
    std::unique_ptr<char[]> name(ini->formatIndexId(3, 7, "pid", "spool"));
    ini->getResPath();
    ini->getExtFontPath();
    ini->getMFMFontPath();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_sink = std::fopen("/dev/null", "w");
    const char* dir = std::getenv("TMPDIR");
    g_dir = std::string(dir && *dir ? dir : "/tmp") + "/fuzz_ini." + std::to_string(::getpid()) + "/";
    if (::mkdir(g_dir.c_str(), 0700) != 0 && errno != EEXIST)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    qelMessageOutput::set(g_sink);
    run(data, size);
    qelUtils::releaseGlobals();
    return 0;
}
