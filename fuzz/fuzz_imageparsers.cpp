// Feeds arbitrary bytes to the image and object container parsers of the
// pool: every begin field of the table below found by the read loop starts
// an object of its parser. The bytes are cut at "\n--\n" into up to four
// inputs read one after the other with one pool, as one conversion reads
// several inputs. The data cache is kept small so that data also go through
// spill files in the temporary folder, which must be empty after every part.
// A report other than the coded ones a damaged input may cause is a finding.
#include "FuzzSupport.h"
#include "qelImImageParser.h"
#include "qelImageObject.h"
#include "qelIocaParser.h"
#include "qelList.h"
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

void readIoca(qelSFIBlock* begin)
{
    qelIocaParser* parser = qelGlobalDSPool::getInstance()->getIocaParser();
    if (!parser)
        std::abort();
    std::unique_ptr<qelImageObject> image(parser->parse(begin));
    if (!image)
        std::abort();
}

void readIm(qelSFIBlock* begin)
{
    qelImImageParser* parser = qelGlobalDSPool::getInstance()->getImImageParser();
    if (!parser)
        std::abort();
    std::unique_ptr<qelList> images(parser->parse(begin));
    for (qelListNode* n = images->getHead(); n; n = n->next)
        delete static_cast<qelImageObject*>(n->item);
}

// Containers alternate between an inline read and a read as a resource
// (mode 0, the begin field delivered again as in a resource group).
bool g_containerInline = false;

void readContainer(qelSFIBlock* begin)
{
    auto* parser =
        dynamic_cast<qelObjectContainerParser*>(qelGlobalDSPool::getInstance()->getObjectContainerParser());
    if (!parser)
        std::abort();
    std::unique_ptr<qelRes> container;
    if (g_containerInline) {
        container.reset(parser->parseInline(begin));
    } else {
        qelIOStream::getCurrent()->setPushback(true);
        container.reset(parser->parse("FUZZ", 0, nullptr));
    }
    g_containerInline = !g_containerInline;
    if (container)
        container->fixAbsPosition();
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

// The parser of each begin field.
const struct
{
    int beginId;
    void (*read)(qelSFIBlock* begin);
} kParsers[] = {
    {0xA8FB, readIoca},
    {0xA87B, readIm},
    {0xA892, readContainer},
};

// Returns false when the input is used up.
bool step()
{
    try {
        // Any parser of the pool reads the fields between objects.
        qelIocaParser* reader = qelGlobalDSPool::getInstance()->getIocaParser();
        if (!reader)
            std::abort();
        qelSFIBlock* field = reader->readNextSF();
        for (const auto& p : kParsers)
            if (field->getId() == p.beginId) {
                p.read(field);
                break;
            }
        return true;
    } catch (qelException* e) {
        return lrbfuzz::readOn(e, expected);
    }
}

void readPart(const uint8_t* data, size_t size)
{
    lrbfuzz::InputHolder holder;
    if (lrbfuzz::attachInput(qelIOStream::getCurrent(), data, size, expected))
        lrbfuzz::readFields(size, step);
    // Spill files go with their objects.
    if (leftFiles() != 0)
        std::abort();
}

void run(const uint8_t* data, size_t size)
{
    static const char kSeparator[] = "\n--\n";
    const std::string all(reinterpret_cast<const char*>(data), size);
    g_containerInline = (size % 2) == 0;
    size_t from = 0;
    for (int part = 0; part < 4; ++part) {
        size_t to = all.find(kSeparator, from);
        if (to == std::string::npos || part == 3)
            to = size;
        readPart(data + from, to - from);
        if (to >= size)
            break;
        from = to + 4;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A folder of its own, so that other files do not count as left over.
    g_temp = lrbfuzz::tempDir() + "fuzz_imageparsers/";
    ::mkdir(g_temp.c_str(), 0700);
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(data, size, [](qelIni* ini) {
        ini->setCpPath("/nonexistent/");
        ini->setTempPath(g_temp.c_str());
        // About 1 KB in memory, the rest of an object in the spill file.
        ini->setImageMaxCacheSize(0.001f);
    }, run);
}
