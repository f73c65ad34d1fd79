// Structured-field read throughput over a text-heavy synthetic spool: the
// pages of fop-hello.afp repeated many times inside one document.
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelMessageOutput.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

struct Field
{
    size_t begin;
    size_t end;
    int id;
};

std::vector<Field> splitFields(const std::vector<unsigned char>& afp)
{
    std::vector<Field> fields;
    size_t pos = 0;
    while (pos + 9 <= afp.size() && afp[pos] == 0x5A) {
        size_t length = (size_t(afp[pos + 1]) << 8) | afp[pos + 2];
        int id = (afp[pos + 4] << 8) | afp[pos + 5];
        fields.push_back({pos, pos + 1 + length, id});
        pos += 1 + length;
    }
    return fields;
}

// Header fields up to the first Begin Page, the pages repeated, the rest once.
std::vector<unsigned char> buildSpool(int pages, int* pagesOut)
{
    std::vector<unsigned char> afp = readFile(std::string(LORBANE_TEST_DATA) + "/fop/fop-hello.afp");
    std::vector<Field> fields = splitFields(afp);
    size_t firstPage = 0, lastPageEnd = 0;
    int pagesInFile = 0;
    for (const Field& f : fields) {
        if (f.id == 0xA8AF) { // Begin Page
            if (!pagesInFile)
                firstPage = f.begin;
            ++pagesInFile;
        }
        if (f.id == 0xA9AF) // End Page
            lastPageEnd = f.end;
    }
    std::vector<unsigned char> spool(afp.begin(), afp.begin() + long(firstPage));
    int copies = pagesInFile ? pages / pagesInFile : 0;
    for (int i = 0; i < copies; ++i)
        spool.insert(spool.end(), afp.begin() + long(firstPage), afp.begin() + long(lastPageEnd));
    spool.insert(spool.end(), afp.begin() + long(lastPageEnd), afp.end());
    *pagesOut = copies * pagesInFile;
    return spool;
}

void BM_ReadSFIFromMemory(benchmark::State& state)
{
    int pages = 0;
    std::vector<unsigned char> spool = buildSpool(int(state.range(0)), &pages);
    qelGlobalDSPool::getInstance()->getIni()->setQuietMode(true);
    std::FILE* sink = std::fopen("/dev/null", "w");
    qelMessageOutput::set(sink);
    long fields = 0;
    for (auto _ : state) {
        qelIOStream reader;
        reader.attachBuffer(spool.data(), int(spool.size()));
        try {
            for (;;) {
                qelSFIBlock* block = reader.readSFI();
                benchmark::DoNotOptimize(block->getId());
                ++fields;
            }
        } catch (qelException* e) {
            if (e->getId() != 199)
                state.SkipWithError(e->getMessage());
            delete e;
        }
    }
    qelMessageOutput::set(nullptr);
    std::fclose(sink);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(spool.size()));
    state.counters["pages/s"] = benchmark::Counter(double(pages) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    state.counters["fields"] = double(fields) / double(state.iterations());
    qelUtils::releaseGlobals();
}
BENCHMARK(BM_ReadSFIFromMemory)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
