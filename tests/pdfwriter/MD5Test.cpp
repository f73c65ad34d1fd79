// MD5 digest against the system's md5sum, whole and in pieces.
#include <gtest/gtest.h>

#include "OpdfTestSupport.h"

using namespace opdftest;

namespace {

std::string digestHex(const std::string& data, const std::vector<size_t>& pieces)
{
    PDFMD5Context md;
    md5Init(&md);
    size_t pos = 0;
    for (size_t i = 0; pos < data.size(); i++) {
        size_t n = pieces.empty() ? data.size() : pieces[i % pieces.size()];
        n = std::min(n, data.size() - pos);
        md5Update(&md, (const unsigned char*)data.data() + pos, (unsigned)n);
        pos += n;
    }
    unsigned char d[16];
    md5Final(d, &md);
    char* hex = md5ToHex(d, 16);
    std::string s(hex);
    opdf_free(hex);
    for (auto& c : s)
        c = (char)tolower((unsigned char)c);
    return s;
}

std::string binary(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; i++)
        s[i] = (char)((i * 131 + 7) & 0xFF);
    return s;
}

TEST(MD5, MatchesMd5sumOnTableOfInputs)
{
    if (!toolAvailable("md5sum"))
        GTEST_SKIP() << "md5sum missing";
    TempDir dir;
    const std::vector<std::string> inputs = {
        "", "a", "abc", "message digest", "abcdefghijklmnopqrstuvwxyz",
        std::string(55, 'x'), std::string(56, 'x'), std::string(63, 'y'), std::string(64, 'z'),
        std::string(65, 'z'), std::string(119, 'q'), std::string(120, 'q'), binary(1000),
        binary(70000)};
    const std::vector<std::vector<size_t>> splits = {{}, {1}, {63}, {64}, {1, 63, 64, 5}};
    for (size_t i = 0; i < inputs.size(); i++) {
        const std::string path = dir.file("in" + std::to_string(i));
        writeFile(path, inputs[i]);
        std::string expected = run("md5sum < '" + path + "'").output.substr(0, 32);
        for (const auto& split : splits)
            EXPECT_EQ(expected, digestHex(inputs[i], split))
                << "input " << i << " in " << split.size() << " piece sizes";
    }
}

TEST(MD5, KnownDigestsAndHexText)
{
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", digestHex("", {}));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", digestHex("abc", {}));
    const struct {
        std::string bytes;
        const char* hex;
    } cases[] = {{"abc", "616263"}, {"\x0A\xFF", "0AFF"}, {std::string("\0\x10", 2), "0010"}};
    for (const auto& c : cases) {
        char* h = md5ToHex((const unsigned char*)c.bytes.data(), (unsigned)c.bytes.size());
        EXPECT_STREQ(c.hex, h);
        opdf_free(h);
    }
    EXPECT_EQ(nullptr, md5ToHex(nullptr, 3));
    EXPECT_EQ(nullptr, md5ToHex((const unsigned char*)"a", 0));
}

} // namespace
