// Bar code objects in several inputs of one conversion: the bar code
// parser outlives each input, the triplet reader it uses does not.
#include "CApiRun.h"
#include "ParserFields.h"
#include "ScratchTest.h"

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

using bcfields::append;
using bcfields::Bytes;

// Begin Bar Code Object with a comment triplet behind its name.
Bytes beginWithTriplet(const std::string& comment)
{
    Bytes data = bcfields::ebcdic("BC000001");
    const Bytes text = bcfields::ebcdic(comment);
    data.push_back(static_cast<unsigned char>(2 + text.size()));
    data.push_back(0x65);
    append(data, text);
    return bcfields::field(0xA8EB, data);
}

// One document of one page holding one Code 39 symbol.
Bytes printFile(const std::string& comment)
{
    Bytes out = bcfields::field(0xA8A8, bcfields::name8("DOC1"));
    append(out, bcfields::field(0xA8AF, bcfields::name8("PAGE1")));
    append(out, bcfields::field(0xA8C9, {}));
    const Bytes size = {0, 0, 0x09, 0x60, 0x09, 0x60, 0, 0x07, 0xC0, 0, 0x0A, 0xF6};
    Bytes pgd = size;
    append(pgd, {0, 0, 0});
    append(out, bcfields::field(0xA6AF, pgd));
    append(out, bcfields::field(0xA9C9, {}));
    append(out, beginWithTriplet(comment));
    append(out, bcfields::bog());
    append(out, bcfields::obd(2400, 0x0400, 0x0100));
    append(out, bcfields::obp(bcfields::Position()));
    append(out, bcfields::bdd(bcfields::Descriptor()));
    append(out, bcfields::eog());
    append(out, bcfields::bda(0, 10, 10, bcfields::ebcdic("12345")));
    append(out, bcfields::ebc());
    append(out, bcfields::field(0xA9AF, bcfields::name8("PAGE1")));
    append(out, bcfields::field(0xA9A8, bcfields::name8("DOC1")));
    return out;
}

class SeveralInputsTest : public lrbtest::ScratchTest
{
};

TEST_F(SeveralInputsTest, BarcodeTripletsReadInEveryInputOfOneRun)
{
    for (const char* sub : {"/out", "/log"})
        ASSERT_EQ(::mkdir((m_dir + sub).c_str(), 0755), 0);
    const std::string settings = "[Settings]\n";
    writeFile("lorbane.ini", Bytes(settings.begin(), settings.end()));
    const lrbtest::OptionPairs options = {{"IniFilePath", m_dir + "/"},
                                          {"OutputFilePath", m_dir + "/out/"},
                                          {"LogPath", m_dir + "/log/"},
                                          {"OutputFormat", "ASCII"},
                                          {"CpPath", std::string(LORBANE_SOURCE_DIR) + "/data/"}};
    const std::vector<std::string> inputs = {writeFile("a.afp", printFile("FIRST INPUT")),
                                             writeFile("b.afp", printFile("SECOND INPUT"))};

    EXPECT_EQ(lrbtest::convertFiles(options, inputs), 0) << output();
    for (const char* name : {"/out/a.txt", "/out/b.txt"}) {
        struct stat info = {};
        EXPECT_EQ(::stat((m_dir + name).c_str(), &info), 0) << name;
    }
}

} // namespace
