// Converts arbitrary bytes through the C interface as the first of two inputs
// of one lorbane_File call, to PDF and then to text, so that whatever the
// kernel resets or keeps at the end of an input meets the second one; then
// merges the two through lorbane_File_Reader, which reads them back to back
// as one input. An input of even length is converted twice; one of odd
// length is followed by a fixed sample file. Every result code is accepted;
// a crash, a sanitizer report, a leak or an endless loop is a finding.
#include "FuzzSupport.h"
#include "lorbane.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

const std::string kSample = std::string(LORBANE_SOURCE_DIR) + "/tests/data/fop/fop-hello.afp";

bool writeBytes(const std::string& path, const void* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// One call over `inputs` with the folder `dir` for every path: lorbane_File,
// or with `merged` lorbane_File_Reader into one output.
void convert(const std::string& dir, const char* format, std::vector<std::string> inputs, bool merged = false)
{
    const std::string out = dir + "out/";
    std::vector<std::pair<const char*, std::string>> pairs = {
        {"IniFilePath", dir}, {"OutputFilePath", out}, {"LogPath", dir},     {"TempPath", dir},
        {"ExtFontPath", dir}, {"QuietMode", "on"},     {"OutputFormat", format}};
    if (merged)
        pairs.emplace_back("FileCreationMode", "doc_merge");
    std::vector<qelSDKNameValue> options(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i)
        options[i] = {const_cast<char*>(pairs[i].first), &pairs[i].second[0],
                      i + 1 < pairs.size() ? &options[i + 1] : nullptr};
    std::vector<qelSDKNameList> files(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i)
        files[i] = {&inputs[i][0], i + 1 < inputs.size() ? &files[i + 1] : nullptr};
    lorbane_SetOptions(options.data());
    if (merged) {
        lorbane_Reader_Init();
        if (lorbane_ApplyOptions(options.data()) >= 0)
            lorbane_File_Reader(files.data(), (out + "merged.pdf").c_str());
        lorbane_Reader_Term();
        return;
    }
    lorbane_File_Init();
    if (lorbane_ApplyOptions(options.data()) >= 0)
        lorbane_File(files.data());
    lorbane_File_Term();
}

void run(const uint8_t* data, size_t size)
{
    std::string dir = lrbfuzz::tempDir() + "fuzz_two_inputs.XXXXXX";
    if (!::mkdtemp(&dir[0]))
        return;
    dir += "/";
    const std::string ini = "[Settings]\nCpPath=" + std::string(LORBANE_SOURCE_DIR) + "/data/\n";
    const std::string first = dir + "first.afp";
    std::string second = dir + "second.afp";
    if (size % 2)
        second = kSample;
    std::error_code ignored;
    if (writeBytes(dir + "lorbane.ini", ini.data(), ini.size()) && writeBytes(first, data, size) &&
        (size % 2 || writeBytes(second, data, size)) && std::filesystem::create_directory(dir + "out", ignored)) {
        for (const char* format : {"PDF", "ASCII"})
            convert(dir, format, {first, second});
        convert(dir, "PDF", {first, second}, true);
    }
    std::filesystem::remove_all(dir, ignored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return lrbfuzz::initialize(); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > lrbfuzz::kMaxInput)
        return 0;
    // The C interface makes and tears down its own pool in every call.
    qelMessageOutput::set(lrbfuzz::sink());
    run(data, size);
    lrbfuzz::endRun();
    return 0;
}
