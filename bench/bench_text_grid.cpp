// Text output of a page whose Page Descriptor claims the largest extents
// (X'7FFFFF' by X'7FFFFF'): the time spent inside lorbane_File and the
// process's peak memory. The grid must cost what the page's text needs.
#include "CApiRun.h"
#include "FieldText.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using lrbtest::chars::field;

// One document with `pages` empty pages of the largest extents.
std::string hugePages(int pages)
{
    const std::string descriptor("\x00\x00\x09\x60\x09\x60\x7F\xFF\xFF\x7F\xFF\xFF\x00\x00\x00", 15);
    std::string page = field(0xA8AF) + field(0xA8C9) + field(0xA6AF, descriptor) + field(0xA9C9) +
                       field(0xA9AF);
    std::string afp = field(0xA8A8);
    for (int i = 0; i < pages; ++i)
        afp += page;
    return afp + field(0xA9A8);
}

void textOfHugePages(benchmark::State& state)
{
    char pattern[] = "/tmp/lorbane-bench-XXXXXX";
    if (!::mkdtemp(pattern)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::string dir = std::string(pattern) + "/";
    std::ofstream(dir + "lorbane.ini") << "[Settings]\nCpPath=" << LORBANE_SOURCE_DIR << "/data/\n";
    ::mkdir((dir + "out").c_str(), 0755);
    const std::string input = dir + "huge.afp";
    std::ofstream(input, std::ios::binary) << hugePages(static_cast<int>(state.range(0)));
    lrbtest::OptionChain options({{"IniFilePath", dir},
                                        {"OutputFilePath", dir + "out/"},
                                        {"LogPath", dir},
                                        {"OutputFormat", "ASCII"},
                                        {"QuietMode", "on"}});
    std::string name = input;
    for (auto _ : state) {
        qelSDKNameList files = {&name[0], nullptr};
        lorbane_SetOptions(options.head());
        lorbane_File_Init();
        lorbane_ApplyOptions(options.head());
        const auto start = std::chrono::steady_clock::now();
        const int rc = lorbane_File(&files);
        const auto stop = std::chrono::steady_clock::now();
        lorbane_File_Term();
        if (rc != 0)
            state.SkipWithError("conversion failed");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    std::ifstream text(dir + "out/huge.txt");
    const std::string expected = "- Page 1 - ";
    std::string first;
    std::getline(text, first);
    if (first != expected)
        state.SkipWithError("unexpected text output");
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    std::system(("rm -rf '" + dir + "'").c_str());
}

} // namespace

BENCHMARK(textOfHugePages)->Arg(1)->Arg(4)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
