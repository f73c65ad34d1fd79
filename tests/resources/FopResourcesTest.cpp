// Resources end to end through the C interface: an overlay and a page
// segment named by FOP's AFP extensions and found on their paths, resource
// groups of FOP files with unsupported objects, document-level overlays and
// an inline group whose overlay a page includes.
#include "ResourceMessages.h"
#include "../afp/AfpTestSupport.h"
#include "CApiRun.h"
#include "ScratchTest.h"
#include "lorbane.h"
#include "qelMessageOutput.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace afptest;

namespace
{

// FOP's font mapping of its page (Helvetica, code page T1V10500) as local
// font 1, a page or overlay of 800 x 400 units at 240 per inch.
Bytes environment(unsigned int width = 800, unsigned int height = 400)
{
    const Bytes mapping = {0x00, 0x22, 0x0C, 0x02, 0x86, 0x00, 0xC3, 0xF0, 0xC8, 0xF2, 0xF0, 0xF0,
                           0xC2, 0xF0, 0x0C, 0x02, 0x85, 0x00, 0xE3, 0xF1, 0xE5, 0xF1, 0xF0, 0xF5,
                           0xF0, 0xF0, 0x04, 0x26, 0x00, 0x00, 0x04, 0x24, 0x05, 0x01};
    const unsigned char w1 = static_cast<unsigned char>(width >> 8), w2 = static_cast<unsigned char>(width);
    const unsigned char h1 = static_cast<unsigned char>(height >> 8), h2 = static_cast<unsigned char>(height);
    Bytes out = field(0xA8C9, {});
    append(out, field(0xAB8A, mapping));
    append(out, field(0xA6AF, {0, 0, 0x09, 0x60, 0x09, 0x60, 0, w1, w2, 0, h1, h2, 0, 0, 0}));
    append(out, field(0xB19B, {0, 0, 0x09, 0x60, 0x09, 0x60, 0, w1, w2, 0, h1, h2, 0, 0}));
    append(out, field(0xA9C9, {}));
    return out;
}

// A text object in font 1 at (50, 100).
Bytes text(const std::string& words)
{
    Bytes data = {0x2B, 0xD3, 0x04, 0xD3, 0x00, 0x64, 0x04, 0xC7, 0x00, 0x32, 0x03, 0xF1, 0x01};
    const Bytes body = ebcdic(words);
    data.push_back(static_cast<unsigned char>(body.size() + 2));
    data.push_back(0xDA);
    append(data, body);
    Bytes out = field(0xA89B, {});
    append(out, field(0xEE9B, data));
    append(out, field(0xA99B, {}));
    return out;
}

Bytes overlay(const std::string& name, const std::string& words)
{
    const Bytes named = name.empty() ? Bytes() : name8(name);
    Bytes out = field(0xA8DF, named);
    append(out, environment());
    append(out, text(words));
    append(out, field(0xA9DF, named));
    return out;
}

// A page segment whose only object is an IOCA image.
Bytes segment(const std::string& name)
{
    Bytes out = field(0xA85F, name8(name));
    append(out, field(0xA8FB, name8("IMG1")));
    append(out, field(0xA9FB, name8("IMG1")));
    append(out, field(0xA95F, name8(name)));
    return out;
}

// A page of its own size that includes an overlay at (x, y).
Bytes pageWithOverlay(const std::string& overlayName, int x, int y)
{
    Bytes out = field(0xA8AF, name8("PAGE1"));
    append(out, environment(1984, 2806));
    Bytes include = name8(overlayName);
    append(include, {0x00, static_cast<unsigned char>(x >> 8), static_cast<unsigned char>(x), 0x00,
                     static_cast<unsigned char>(y >> 8), static_cast<unsigned char>(y), 0x00, 0x00});
    append(out, field(0xAFD8, include));
    append(out, field(0xA9AF, name8("PAGE1")));
    return out;
}

std::string fixture(const std::string& name)
{
    return std::string(LORBANE_TEST_DATA) + "/fop/" + name;
}

using lrbtest::readText;

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

int occurrences(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Row and column of a text in the output; -1, -1 when it is not there.
std::pair<int, int> where(const std::string& output, const std::string& part)
{
    int row = 0;
    size_t start = 0;
    while (start <= output.size()) {
        size_t end = output.find('\n', start);
        const std::string line = output.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const size_t at = line.find(part);
        if (at != std::string::npos)
            return {row, static_cast<int>(at)};
        if (end == std::string::npos)
            break;
        start = end + 1;
        ++row;
    }
    return {-1, -1};
}

struct Conversion
{
    int rc = 0;
    std::string messages;
    std::string text;
};

class FopResourcesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
        std::ofstream(m_dir + "lorbane.ini") << "[Settings]\n";
        for (const char* sub : {"out", "ovl", "seg"})
            ::mkdir((m_dir + sub).c_str(), 0755);
    }
    void TearDown() override
    {
        m_folder.reset();
    }

    // Converts the input to text with the given option pairs.
    Conversion convert(const std::string& input, const std::vector<std::pair<std::string, std::string>>& extra = {})
    {
        std::vector<std::pair<std::string, std::string>> all = {
            {"IniFilePath", m_dir},    {"OutputFilePath", m_dir + "out/"}, {"LogPath", m_dir + "out/"},
            {"OutputFormat", "ASCII"}, {"QuietMode", "off"},
            {"CpPath", std::string(LORBANE_SOURCE_DIR) + "/data/"}};
        all.insert(all.end(), extra.begin(), extra.end());
        FILE* messages = std::tmpfile();
        qelMessageOutput::set(messages);
        Conversion run;
        run.rc = lrbtest::convertFile(all, input);
        qelMessageOutput::set(nullptr);
        run.messages = lrbtest::streamText(messages);
        std::fclose(messages);
        std::string base = input.substr(input.rfind('/') + 1);
        base = base.substr(0, base.rfind('.'));
        run.text = readText(m_dir + "out/" + base + ".txt");
        return run;
    }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
    std::string m_dir;
};

} // namespace

TEST_F(FopResourcesTest, OverlayAndSegmentNamedByFopAreFoundOnTheirPaths)
{
    writeFile(m_dir + "ovl/O1OVL001.OLY", overlay("O1OTHER", "OVERLAY TEXT LINE"));
    writeFile(m_dir + "seg/S1SEG001.PSG", segment("S1SEG001"));
    const Conversion run = convert(fixture("fop-overlay.afp"),
                            {{"OverlayPath", m_dir + "ovl"}, {"PageSegmentPath", m_dir + "seg"}});
    // The segment's image is read: nothing is skipped.
    EXPECT_EQ(run.rc, 0) << run.messages;
    for (const std::string& part :
         {"Loading resource file " + m_dir + "ovl/O1OVL001.OLY", "Loading resource file " + m_dir + "seg/S1SEG001.PSG"})
        EXPECT_EQ(occurrences(run.messages, part), 1) << part << "\n" << run.messages;
    for (const char* part : {"Unsupported object", "I002: "})
        EXPECT_EQ(occurrences(run.messages, part), 0) << part << "\n" << run.messages;
    EXPECT_EQ(lrbtest::withoutFontLookups(run.messages).find("E058"), std::string::npos) << run.messages;

    // The page's text near the top left, the overlay's at its include
    // position (100 mm, 200 mm) plus its own offset, right of and below it.
    const std::pair<int, int> page = where(run.text, "Page text above the overlay");
    const std::pair<int, int> over = where(run.text, "OVERLAY TEXT LINE");
    ASSERT_GE(page.first, 0) << run.text;
    ASSERT_GE(over.first, 0) << run.text;
    EXPECT_GT(over.first, page.first + 20) << run.text;
    EXPECT_GT(over.second, page.second + 50) << run.text;
}

TEST_F(FopResourcesTest, UnsupportedResourcesOfFopFilesAreCountedTextUnchanged)
{
    const struct
    {
        const char* name;
        int containers;
        int rc;
    } cases[] = {{"fop-rich", 0, 0}, {"fop-images-native", 0, 0}};
    for (const auto& c : cases) {
        const Conversion run = convert(fixture(std::string(c.name) + ".afp"));
        EXPECT_EQ(run.rc, c.rc) << c.name << "\n" << run.messages;
        // Images are read, never skipped.
        EXPECT_EQ(occurrences(run.messages, "Warning! Unsupported object BIM skipped"), 0) << c.name;
        EXPECT_EQ(occurrences(run.messages, "Warning! Unsupported object BOC skipped"), c.containers) << c.name;
        EXPECT_EQ(run.messages.find("I002: Process completed. Unsupported objects occurred in input spool are "
                                    "ignored.") != std::string::npos,
                  c.rc == 2)
            << c.name;
        EXPECT_EQ(run.messages.find("Error!"), std::string::npos) << c.name << "\n" << run.messages;
        EXPECT_EQ(run.text, readText(fixture(std::string(c.name) + ".ref.txt"))) << c.name;
    }
}

TEST_F(FopResourcesTest, DocumentLevelOverlaysArePagesAndNamedWhenUnnamed)
{
    // Two overlays in the document, the second without a name (Ovl1), and a
    // page that includes the unnamed one by that name.
    Bytes bytes = field(0xA8A8, name8("DOC1"));
    append(bytes, overlay("O1NAMED", "NAMED OVERLAY"));
    append(bytes, overlay("", "UNNAMED OVERLAY"));
    append(bytes, pageWithOverlay("OVL1", 500, 1000));
    append(bytes, field(0xA9A8, name8("DOC1")));
    writeFile(m_dir + "doc.afp", bytes);
    const Conversion run = convert(m_dir + "doc.afp");
    EXPECT_EQ(run.rc, 0) << run.messages;
    EXPECT_EQ(lrbtest::withoutFontLookups(run.messages).find("E058"), std::string::npos) << run.messages;
    EXPECT_EQ(occurrences(run.text, "NAMED OVERLAY"), 3) << run.text;
    EXPECT_EQ(occurrences(run.text, "UNNAMED OVERLAY"), 2) << run.text;
    EXPECT_NE(run.text.find("- Page 3 -"), std::string::npos) << run.text;
}

TEST_F(FopResourcesTest, InlineGroupOverlayAndSegmentServeThePage)
{
    Bytes bytes = field(0xA8C6, name8("RG1"));
    Bytes begin = name8("O1XYZ");
    append(begin, {0x00, 0x00, 0x0A, 0x21, 0xFC, 0, 0, 0, 0, 0, 0, 0});
    append(bytes, field(0xA8CE, begin));
    append(bytes, overlay("O1XYZ", "GROUP OVERLAY"));
    append(bytes, field(0xA9CE, name8("O1XYZ")));
    append(bytes, segment("S1SEG"));
    append(bytes, field(0xA9C6, name8("RG1")));
    append(bytes, field(0xA8A8, name8("DOC1")));
    Bytes page = pageWithOverlay("O1XYZ", 300, 600);
    // The segment included before the End Page.
    Bytes include = name8("S1SEG");
    append(include, {0, 0, 0, 0, 0, 0});
    const Bytes ips = field(0xAF5F, include);
    page.insert(page.end() - 17, ips.begin(), ips.end());
    append(bytes, page);
    append(bytes, field(0xA9A8, name8("DOC1")));
    writeFile(m_dir + "group.afp", bytes);

    const Conversion run = convert(m_dir + "group.afp");
    EXPECT_EQ(run.rc, 0) << run.messages;
    EXPECT_EQ(lrbtest::withoutFontLookups(run.messages).find("E058"), std::string::npos) << run.messages;
    EXPECT_EQ(run.messages.find("Loading resource file"), std::string::npos) << run.messages;
    EXPECT_EQ(occurrences(run.messages, "Unsupported object"), 0) << run.messages;
    EXPECT_EQ(occurrences(run.text, "GROUP OVERLAY"), 1) << run.text;
}

namespace {

// An object container of a small JPEG, or of the same bytes classified as
// EPS (a type that is read and dropped).
Bytes container(const std::string& name, bool eps)
{
    Bytes classification = {0x60, 0x10, 0x00, 0x01, 0x00, 0x00, 0xDC, 0x00,
                            0x06, 0x07, 0x2B, 0x12, 0x00, 0x04, 0x01, 0x01, static_cast<unsigned char>(eps ? 0x0D : 0x17)};
    classification.resize(96, 0x00);
    Bytes out = field(0xA892, cat({name8(name), classification}));
    std::ifstream in(std::string(LORBANE_TEST_DATA) + "/imagelib/gray.jpg", std::ios::binary);
    const Bytes jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t at = 0; at < jpeg.size(); at += 30000)
        append(out, field(0xEE92, Bytes(jpeg.begin() + static_cast<long>(at),
                                        jpeg.begin() + static_cast<long>(std::min(jpeg.size(), at + 30000)))));
    append(out, field(0xA992, name8(name)));
    return out;
}

// A document of one page with a line of text, the container met where asked.
Bytes documentWithContainer(const std::string& where, bool eps)
{
    Bytes bytes;
    if (where == "group") {
        bytes = field(0xA8C6, name8("RG1"));
        append(bytes, container("C1", eps));
        append(bytes, field(0xA9C6, name8("RG1")));
    } else if (where == "overlay") {
        bytes = field(0xA8C6, name8("RG1"));
        Bytes begin = name8("O1CONT");
        append(begin, {0x00, 0x00, 0x0A, 0x21, 0xFC, 0, 0, 0, 0, 0, 0, 0});
        append(bytes, field(0xA8CE, begin));
        append(bytes, field(0xA8DF, name8("O1CONT")));
        append(bytes, environment());
        append(bytes, container("C1", eps));
        append(bytes, field(0xA9DF, name8("O1CONT")));
        append(bytes, field(0xA9CE, name8("O1CONT")));
        append(bytes, field(0xA9C6, name8("RG1")));
    }
    append(bytes, field(0xA8A8, name8("DOC1")));
    Bytes page = field(0xA8AF, name8("PAGE1"));
    append(page, environment(1984, 2806));
    append(page, text("TEXT BESIDE THE CONTAINER"));
    if (where == "page")
        append(page, container("C1", eps));
    if (where == "overlay")
        append(page, field(0xAFD8, cat({name8("O1CONT"), {0x00, 0x00, 0x64, 0x00, 0x00, 0xC8, 0x00, 0x00}})));
    append(page, field(0xA9AF, name8("PAGE1")));
    append(bytes, page);
    append(bytes, field(0xA9A8, name8("DOC1")));
    return bytes;
}

} // namespace

TEST_F(FopResourcesTest, ContainersAreReadWhereverMetAndOnlyDroppedOnesCounted)
{
    for (const char* where : {"group", "page", "overlay"}) {
        for (const bool eps : {false, true}) {
            const std::string label = std::string(where) + (eps ? " EPS" : " JPEG");
            writeFile(m_dir + "doc.afp", documentWithContainer(where, eps));
            const Conversion run = convert(m_dir + "doc.afp");
            EXPECT_EQ(run.rc, eps ? 2 : 0) << label << "\n" << run.messages;
            EXPECT_EQ(run.messages.find("I002: ") != std::string::npos, eps) << label << "\n" << run.messages;
            EXPECT_EQ(run.messages.find("Warning! Unsupported object"), std::string::npos) << label << "\n" << run.messages;
            EXPECT_EQ(run.messages.find("Unexpected"), std::string::npos) << label << "\n" << run.messages;
            EXPECT_NE(run.text.find("TEXT BESIDE THE CONTAINER"), std::string::npos) << label << "\n" << run.text;
        }
    }
}

TEST_F(FopResourcesTest, NativeImageContainersAreKeptAnEpsCopyIsCounted)
{
    // FOP's JPEG container classified as EPS: that container is dropped
    // and counted.
    std::ifstream in(fixture("fop-images-native.afp"), std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const Bytes jpegOid = {0x06, 0x07, 0x2B, 0x12, 0x00, 0x04, 0x01, 0x01, 0x17};
    int changed = 0;
    for (auto at = std::search(bytes.begin(), bytes.end(), jpegOid.begin(), jpegOid.end()); at != bytes.end();
         at = std::search(at + 1, bytes.end(), jpegOid.begin(), jpegOid.end())) {
        *(at + 8) = 0x0D;
        ++changed;
    }
    ASSERT_GE(changed, 2);
    writeFile(m_dir + "eps.afp", bytes);
    const Conversion eps = convert(m_dir + "eps.afp");
    EXPECT_EQ(eps.rc, 2) << eps.messages;
    EXPECT_NE(eps.messages.find("I002: "), std::string::npos) << eps.messages;
    EXPECT_EQ(eps.messages.find("Unsupported object BOC"), std::string::npos) << eps.messages;

    const Conversion native = convert(fixture("fop-images-native.afp"));
    EXPECT_EQ(native.messages.find("Unsupported object BOC"), std::string::npos) << native.messages;
    EXPECT_EQ(native.messages.find("Skipping object container"), std::string::npos) << native.messages;
    EXPECT_EQ(native.text, readText(fixture("fop-images-native.ref.txt")));
}
