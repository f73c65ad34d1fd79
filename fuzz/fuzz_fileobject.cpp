// Feeds arbitrary bytes as a resource file to the object library's file
// object, which copies it field by field with and without X'5A'. What it
// writes must read back as whole structured fields; a crash, a sanitizer
// report, a leak or output the reader cannot walk is a finding.
#include "FuzzSupport.h"
#include "qel/afp/AfpLibrary.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/FileObject.h"
#include "qelBufferStream.h"
#include "qelSFIBlock.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string g_path;

std::vector<unsigned char> copied(uint16_t flags)
{
    auto* memory = new qelBufferStream(1024);
    qel::DataStream stream(memory);
    qel::FileObject object(g_path.c_str(), false);
    if (object.write(&stream, flags, nullptr) != 0)
        std::abort();
    const unsigned char* data = memory->getData();
    return data ? std::vector<unsigned char>(data, data + memory->getSize()) : std::vector<unsigned char>();
}

// The number of fields of framed output; aborts on a field that does not
// read back.
size_t countFields(const std::vector<unsigned char>& bytes)
{
    if (bytes.empty())
        return 0;
    qelIOStream input(bytes.data(), static_cast<int>(bytes.size()));
    input.rewind();
    size_t count = 0;
    for (;;) {
        try {
            input.readSFI();
            ++count;
        } catch (qelException* e) {
            const bool end = e->getKind() == QEL_MSG_INFO;
            const bool unknown = e->getKind() == QEL_MSG_WARNING && e->getId() == 60;
            delete e;
            if (end)
                return count;
            if (!unknown)
                std::abort();
            ++count;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_path = lrbfuzz::tempDir() + "fuzz_fileobject.res";
    return lrbfuzz::initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return lrbfuzz::testOneInput(
        data, size, [](qelIni*) {},
        [](const uint8_t* bytes, size_t n) {
            FILE* file = std::fopen(g_path.c_str(), "wb");
            if (!file)
                return;
            std::fwrite(bytes, 1, n, file);
            std::fclose(file);
            qel::afp::initializeLibrary();
            const std::vector<unsigned char> framed = copied(1);
            const std::vector<unsigned char> bare = copied(0);
            const size_t fields = countFields(framed);
            if (framed.size() != bare.size() + fields)
                std::abort();
            qel::afp::finalizeLibrary();
        });
}
