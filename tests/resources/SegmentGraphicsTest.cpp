// A page segment holding a graphics object is drawn in the graphics
// object's own units: the same drawing described at 240 and at 1440 units
// per inch lands at the same place and size, through the PDF output.
#include "ScratchFolder.h"
#include "../afp/AfpTestSupport.h"

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
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{

using namespace afptest;

Bytes u16(int v)
{
    return {static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
}

// An Object Area Position at (x, y), unturned, in an environment group.
Bytes areaPosition(int x, int y)
{
    Bytes oap = {0x01, 23};
    append(oap, offset3(x));
    append(oap, offset3(y));
    append(oap, {0x00, 0x00, 0x2D, 0x00, 0x00});
    append(oap, offset3(0));
    append(oap, offset3(0));
    append(oap, {0x00, 0x00, 0x2D, 0x00, 0x01});
    return field(0xAC6B, oap);
}

// A segment whose graphics object draws a polyline (0,0)-(100,0)-(100,100)
// in a window of 1000 x 800, all given in units of 240 per inch and
// described at `resolution` units per inch; with an area position, the
// descriptor and the position stand in an environment group.
Bytes segment(const std::string& name, int resolution, const Bytes& position = Bytes())
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
    if (!position.empty()) {
        append(out, field(0xA8C7, name8("G1OEG")));
        append(out, position);
    }
    append(out, field(0xA6BB, descriptor));
    if (!position.empty())
        append(out, field(0xA9C7, name8("G1OEG")));
    append(out, field(0xEEBB, line));
    append(out, field(0xA9BB, name8("G1LINE")));
    append(out, field(0xA95F, name8(name)));
    return out;
}

// A document of pages (8.25 x 11.7 inches at 240), each of which includes
// the segment once at its own place, at (480, 720) unless told.
Bytes document(const std::string& segmentName, const std::vector<std::pair<int, int>>& places = {{480, 720}})
{
    Bytes out = field(0xA8A8, name8("DOC1"));
    for (const auto& place : places) {
        append(out, field(0xA8AF, name8("PAGE1")));
        append(out, pageEnvironment());
        Bytes include = name8(segmentName);
        append(include, offset3(place.first));
        append(include, offset3(place.second));
        append(out, field(0xAF5F, include));
        append(out, field(0xA9AF, name8("PAGE1")));
    }
    append(out, field(0xA9A8, name8("DOC1")));
    return out;
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
        m_folder.reset(new lrbtest::ScratchFolder());
        m_dir = m_folder->path() + "/";
        std::ofstream(m_dir + "lorbane.ini") << "[Settings]\n";
        for (const char* sub : {"out", "seg"})
            ::mkdir((m_dir + sub).c_str(), 0755);
    }
    void TearDown() override
    {
        m_folder.reset();
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
        const std::string text = readText(plain);
        std::vector<PathPoint> points;
        const std::regex op(R"re((-?[\d.]+) (-?[\d.]+) ([ml])\n)re");
        for (auto m = std::sregex_iterator(text.begin(), text.end(), op); m != std::sregex_iterator(); ++m)
            points.push_back(PathPoint{(*m)[3], std::stod((*m)[1]), std::stod((*m)[2])});
        return points;
    }

    std::unique_ptr<lrbtest::ScratchFolder> m_folder;
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

TEST_F(SegmentGraphicsTest, GraphicsObjectKeepsItsAreaPositionOnEveryInclude)
{
    if (std::system("qpdf --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "qpdf missing";
    struct Case
    {
        const char* name;
        int areaX, areaY; // Object Area Position; none when both are -1
    };
    const std::vector<Case> cases = {{"S1NOAP", -1, -1}, {"S1OAP", 60, 30}};
    // The same segment on two pages: the second include must not lose the
    // area position to the first drawing.
    const std::vector<std::pair<int, int>> places = {{480, 720}, {1200, 240}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool positioned = c.areaX >= 0;
        writeFile(m_dir + "seg/" + c.name + ".PSG",
                  segment(c.name, 240, positioned ? areaPosition(c.areaX, c.areaY) : Bytes()));
        const std::string input = m_dir + c.name + ".afp";
        writeFile(input, document(c.name, places));
        const std::string messages = convert(input);
        EXPECT_EQ(messages.find("Reseved"), std::string::npos) << messages;
        const std::vector<PathPoint> path = pathOf(m_dir + "out/" + c.name + ".pdf");
        ASSERT_EQ(path.size(), 4 * places.size());
        const int ox = positioned ? c.areaX : 0, oy = positioned ? c.areaY : 0;
        // Include point plus area position plus the drawing, y turned
        // top-down within the 800-unit window; 0.3 points a unit.
        for (size_t p = 0; p < places.size(); ++p) {
            const double x = 0.3 * (places[p].first + ox), top = 841.8 - 0.3 * (places[p].second + oy + 800);
            const std::vector<PathPoint> expected = {
                {"m", x, top}, {"l", x + 30.0, top}, {"m", x + 30.0, top}, {"l", x + 30.0, top + 30.0}};
            for (size_t i = 0; i < expected.size(); ++i) {
                const PathPoint& got = path[4 * p + i];
                EXPECT_EQ(got.op, expected[i].op) << "page " << p + 1 << " point " << i;
                EXPECT_NEAR(got.x, expected[i].x, 0.5) << "page " << p + 1 << " point " << i;
                EXPECT_NEAR(got.y, expected[i].y, 0.5) << "page " << p + 1 << " point " << i;
            }
        }
    }
}
