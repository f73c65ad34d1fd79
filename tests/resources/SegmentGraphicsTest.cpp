// A page segment holding a graphics object is drawn in the graphics
// object's own units: the same drawing described at 240 and at 1440 units
// per inch lands at the same place and size, through the PDF output.
#include "lorbane.h"
#include "qelMessageOutput.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace
{

using Bytes = std::vector<unsigned char>;

void append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

Bytes field(int id, const Bytes& data)
{
    const size_t length = 8 + data.size();
    Bytes out = {0x5A, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length), 0xD3,
                 static_cast<unsigned char>(id >> 8), static_cast<unsigned char>(id), 0, 0, 0};
    append(out, data);
    return out;
}

// Upper-case letters and digits in EBCDIC, blank-padded to 8 bytes.
Bytes name8(const std::string& text)
{
    Bytes out;
    for (char c : text) {
        if (c >= 'A' && c <= 'I')
            out.push_back(static_cast<unsigned char>(0xC1 + (c - 'A')));
        else if (c >= 'J' && c <= 'R')
            out.push_back(static_cast<unsigned char>(0xD1 + (c - 'J')));
        else if (c >= 'S' && c <= 'Z')
            out.push_back(static_cast<unsigned char>(0xE2 + (c - 'S')));
        else
            out.push_back(static_cast<unsigned char>(0xF0 + (c - '0')));
    }
    out.resize(8, 0x40);
    return out;
}

Bytes u16(int v)
{
    return {static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
}

// A segment whose graphics object draws a polyline (0,0)-(100,0)-(100,100)
// in a window of 1000 x 800, all given in units of 240 per inch and
// described at `resolution` units per inch.
Bytes segment(const std::string& name, int resolution)
{
    const int k = resolution / 240;
    Bytes descriptor = {0xF6, 0x12, 0x50, 0x00, 0x00, 0x00};
    for (int v : {resolution * 10, resolution * 10, resolution * 10, 0, 1000 * k, 0, 800 * k})
        append(descriptor, u16(v));
    Bytes line = {0xC1, 12};
    for (int v : {0, 0, 100 * k, 0, 100 * k, 100 * k})
        append(line, u16(v));
    Bytes out = field(0xA85F, name8(name));
    append(out, field(0xA8BB, name8("G1LINE")));
    append(out, field(0xA6BB, descriptor));
    append(out, field(0xEEBB, line));
    append(out, field(0xA9BB, name8("G1LINE")));
    append(out, field(0xA95F, name8(name)));
    return out;
}

// A document of one page (8.25 x 11.7 inches at 240) that includes the
// segment at (480, 720).
Bytes document(const std::string& segmentName)
{
    Bytes out = field(0xA8A8, name8("DOC1"));
    append(out, field(0xA8AF, name8("PAGE1")));
    append(out, field(0xA8C9, {}));
    const Bytes size = {0, 0, 0x09, 0x60, 0x09, 0x60, 0, 0x07, 0xC0, 0, 0x0A, 0xF6};
    Bytes pgd = size;
    append(pgd, {0, 0, 0});
    append(out, field(0xA6AF, pgd));
    Bytes ptd = size;
    append(ptd, {0, 0});
    append(out, field(0xB19B, ptd));
    append(out, field(0xA9C9, {}));
    Bytes include = name8(segmentName);
    append(include, {0x00, 0x01, 0xE0, 0x00, 0x02, 0xD0});
    append(out, field(0xAF5F, include));
    append(out, field(0xA9AF, name8("PAGE1")));
    append(out, field(0xA9A8, name8("DOC1")));
    return out;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct PathPoint
{
    std::string op;
    double x;
    double y;
};

class SegmentGraphicsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/lrbsegorXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = std::string(pattern) + "/";
        std::ofstream(m_dir + "lorbane.ini") << "[Settings]\n";
        for (const char* sub : {"out", "seg"})
            ::mkdir((m_dir + sub).c_str(), 0755);
    }
    void TearDown() override
    {
        std::string command = "rm -rf '" + m_dir + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    // Converts the input to PDF; answers the messages.
    std::string convert(const std::string& input)
    {
        const std::vector<std::pair<std::string, std::string>> all = {
            {"IniFilePath", m_dir},  {"OutputFilePath", m_dir + "out/"}, {"LogPath", m_dir + "out/"},
            {"OutputFormat", "PDF"}, {"PageSegmentPath", m_dir + "seg"},
            {"CpPath", std::string(LORBANE_SOURCE_DIR) + "/data/"}};
        std::vector<std::string> texts;
        for (const auto& pair : all) {
            texts.push_back(pair.first);
            texts.push_back(pair.second);
        }
        std::vector<qelSDKNameValue> options(all.size());
        for (size_t i = 0; i < all.size(); ++i) {
            options[i].name = &texts[2 * i][0];
            options[i].value = &texts[2 * i + 1][0];
            options[i].next = i + 1 < all.size() ? &options[i + 1] : nullptr;
        }
        std::string inputName = input;
        qelSDKNameList files = {&inputName[0], nullptr};
        FILE* messages = std::tmpfile();
        qelMessageOutput::set(messages);
        EXPECT_EQ(lorbane_SetOptions(options.data()), 0);
        EXPECT_EQ(lorbane_File_Init(), 0);
        EXPECT_EQ(lorbane_ApplyOptions(options.data()), 0);
        const int rc = lorbane_File(&files);
        lorbane_File_Term();
        qelMessageOutput::set(nullptr);
        std::string text;
        std::rewind(messages);
        for (int c = std::fgetc(messages); c != EOF; c = std::fgetc(messages))
            text += static_cast<char>(c);
        std::fclose(messages);
        EXPECT_EQ(rc, 0) << text;
        return text;
    }

    // The moveto and lineto operands of the PDF's uncompressed content.
    std::vector<PathPoint> pathOf(const std::string& pdf)
    {
        const std::string plain = pdf + ".qdf";
        const std::string command = "qpdf --qdf --object-streams=disable '" + pdf + "' '" + plain + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const std::string text = readFile(plain);
        std::vector<PathPoint> points;
        const std::regex op(R"re((-?[\d.]+) (-?[\d.]+) ([ml])\n)re");
        for (auto m = std::sregex_iterator(text.begin(), text.end(), op); m != std::sregex_iterator(); ++m)
            points.push_back(PathPoint{(*m)[3], std::stod((*m)[1]), std::stod((*m)[2])});
        return points;
    }

    std::string m_dir;
};

} // namespace

TEST_F(SegmentGraphicsTest, GraphicsObjectKeepsItsOwnUnitsInsideASegment)
{
    if (std::system("qpdf --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "qpdf missing";
    std::vector<std::vector<PathPoint>> paths;
    for (int resolution : {240, 1440}) {
        const std::string name = "S1R" + std::to_string(resolution);
        writeFile(m_dir + "seg/" + name + ".PSG", segment(name, resolution));
        const std::string input = m_dir + "doc" + std::to_string(resolution) + ".afp";
        writeFile(input, document(name));
        const std::string messages = convert(input);
        EXPECT_EQ(messages.find("E058"), std::string::npos) << messages;
        paths.push_back(pathOf(m_dir + "out/doc" + std::to_string(resolution) + ".pdf"));
    }
    // Include point (480, 720) plus the drawing, y turned top-down within the
    // 800-unit window: (480, 1520), (580, 1520), (580, 1420) in page units,
    // 0.3 points each, PDF y counted up from the 841.8-point page bottom.
    const std::vector<PathPoint> expected = {
        {"m", 144.0, 385.8}, {"l", 174.0, 385.8}, {"m", 174.0, 385.8}, {"l", 174.0, 415.8}};
    for (size_t r = 0; r < paths.size(); ++r) {
        ASSERT_EQ(paths[r].size(), expected.size()) << r;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(paths[r][i].op, expected[i].op) << r << " " << i;
            EXPECT_NEAR(paths[r][i].x, expected[i].x, 0.5) << r << " " << i;
            EXPECT_NEAR(paths[r][i].y, expected[i].y, 0.5) << r << " " << i;
        }
    }
}
