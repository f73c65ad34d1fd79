// Feeds arbitrary bytes to the object container parser, several inputs in
// one pool (parts separated by "\n--\n"), as one conversion reads several
// files: every Begin Object Container the read loop meets starts a
// container, alternately through parseInline and through parse (mode 0, the
// begin field delivered again as in a resource group). The data cache is
// kept small so that container data also go through spill files in the
// temporary folder, which must be empty after every part. A report other
// than the coded ones a damaged input may cause is a finding.
#include "FuzzSupport.h"
#include "qelObjectContainerParser.h"
#include "qelResObjectContainer.h"
#include "qelSFIBlock.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string g_temp;

bool expected(int kind, int id)
{
    switch (kind) {
    case QEL_MSG_INFO:
        return id == 1 || id == 199;
    case QEL_MSG_WARNING:
        return id == 16 || id == 60 || id == 62;
    case QEL_MSG_ERROR:
        // Damaged fields and triplets, and an input that ends early.
        return id == 7 || id == 9 || id == 52 || id == 53 || id == 54 || id == 56 || id == 61 || id == 63 ||
               id == 67 || id == 72 || id == 73 || id == 74 || id == 76;
    default:
        return false;
    }
}

// Files left in the temporary folder.
int leftFiles()
{
    int n = 0;
    if (DIR* d = ::opendir(g_temp.c_str())) {
        while (dirent* e = ::readdir(d))
            n += e->d_name[0] != '.' ? 1 : 0;
        ::closedir(d);
    }
    return n;
}

// Returns false when the input is used up.
bool step(qelObjectContainerParser* parser, bool& inlineNext)
{
    try {
        qelSFIBlock* field = parser->readNextSF();
        if (field->getId() != 0xA892)
            return true;
        std::unique_ptr<qelRes> container;
        if (inlineNext) {
            container.reset(parser->parseInline(field));
        } else {
            qelIOStream::getCurrent()->setPushback(true);
            container.reset(parser->parse("FUZZ", 0, nullptr));
        }
        inlineNext = !inlineNext;
        if (container)
            container->fixAbsPosition();
        return true;
    } catch (qelException* e) {
        return lrbfuzz::readOn(e, expected);
    }
}

void readPart(qelObjectContainerParser* parser, const uint8_t* data, size_t size, bool& inlineNext)
{
    if (lrbfuzz::attachInput(qelIOStream::getCurrent(), data, size, expected))
        lrbfuzz::readFields(size, [parser, &inlineNext] { return step(parser, inlineNext); });
    // Spill files go with their containers.
    if (leftFiles() != 0)
        std::abort();
}

void run(const uint8_t* data, size_t size)
{
    lrbfuzz::InputHolder holder;
    auto* parser =
        dynamic_cast<qelObjectContainerParser*>(qelGlobalDSPool::getInstance()->getObjectContainerParser());
    if (!parser)
        std::abort();
    static const char kSeparator[] = "\n--\n";
    const std::string all(reinterpret_cast<const char*>(data), size);
    bool inlineNext = (size % 2) == 0;
    size_t from = 0;
    for (int part = 0; part < 4; ++part) {
        size_t to = all.find(kSeparator, from);
        if (to == std::string::npos || part == 3)
            to = size;
        readPart(parser, data + from, to - from, inlineNext);
        if (to >= size)
            break;
        from = to + 4;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A folder of its own, so that other files do not count as left over.
    g_temp = lrbfuzz::tempDir() + "fuzz_objectcontainer/";
    ::mkdir(g_temp.c_str(), 0700);
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni* ini) {
        ini->setCpPath("/nonexistent/");
        ini->setTempPath(g_temp.c_str());
        // About 1 KB in memory, the rest of a container in the spill file.
        ini->setImageMaxCacheSize(0.001f);
    }, run);
}
