#include "AfpTestSupport.h"

#include "../model/RecordingVisitor.h"

#include "qelImageObject.h"
#include "qelImgInfo.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelResGOCA.h"
#include "qelResObjectContainer.h"
#include "qelResPSEG.h"
#include "qelResPageDef.h"

#include <memory>
#include <string>
#include <vector>

using namespace afptest;

namespace {

struct Write
{
    qelPoint origin; // area origin plus include offset
    qelPoint own;    // the object's area origin
    qelRes* include;
    int placement;
};

// Records how a resource fixes and writes it.
class Probe : public qelGraphicObject
{
public:
    explicit Probe(std::vector<Write>* writes) : m_writes(writes) {}
    void write(qelVisitor*) override
    {
        m_writes->push_back({getOriginOffset(), getAreaOrigin(), getInclude(), getPlacement()});
        // Drawing clears the area origin, as the visitors do.
        setAreaOrigin(0.0f, 0.0f);
    }
    void fixAbsPosition() override
    {
        ++fixes;
        fixedResolution = getResolution();
        fixedPlacement = getPlacement();
    }
    void computeBoundingBox() override {}
    int kind() const override { return KIND_LINE; }

    int fixes = 0;
    int fixedResolution = 0;
    int fixedPlacement = 0;

private:
    std::vector<Write>* m_writes;
};

qelImageObject* image(int bits)
{
    auto* object = new qelImageObject();
    qelImgInfo info;
    info.bitsPerPixel = bits;
    object->setFormatInfo(&info);
    return object;
}

class ResourceObjectTest : public AfpTest
{
protected:
    qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }
    // Opens a log with the warning bit; its text is read by logText.
    void openLog()
    {
        qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
        log->setLevelMask(0x2);
        log->open((m_dir + "/run.log").c_str());
    }
    std::string logText()
    {
        qelGlobalDSPool::getInstance()->getLogStream()->close();
        return readText(m_dir + "/run.log");
    }
    static std::string readText(const std::string& path)
    {
        Bytes bytes = readFile(path);
        return std::string(bytes.begin(), bytes.end());
    }
    static size_t count(const std::string& text, const std::string& what)
    {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    RecordingVisitor m_visitor;
};

TEST_F(ResourceObjectTest, LargestBitsPerPixelOnlyRises)
{
    std::vector<Write> writes;
    qelResPSEG segment("S1BITS");
    qelResObjectContainer container("O1BITS");
    EXPECT_EQ(segment.getMaxBitsPerPixel(), 1);
    EXPECT_EQ(container.getMaxBitsPerPixel(), 1);
    struct Step
    {
        int bits; // 0: not an image
        int expected;
    } steps[] = {{0, 1}, {8, 8}, {1, 8}, {24, 24}};
    for (const Step& s : steps) {
        segment.addObject(s.bits ? static_cast<qelGraphicObject*>(image(s.bits)) : new Probe(&writes));
        container.addObject(s.bits ? static_cast<qelGraphicObject*>(image(s.bits)) : new Probe(&writes));
        EXPECT_EQ(segment.getMaxBitsPerPixel(), s.expected) << s.bits;
        EXPECT_EQ(container.getMaxBitsPerPixel(), s.expected) << s.bits;
    }
    EXPECT_EQ(segment.raiseMaxBitsPerPixel(4), 24);
    EXPECT_EQ(container.raiseMaxBitsPerPixel(32), 32);

    // A list handing its objects over; null entries are skipped.
    qelResPSEG other("S1MORE");
    qelList given;
    given.append(image(4));
    given.append(nullptr);
    given.append(new Probe(&writes));
    other.addObjects(&given);
    ASSERT_NE(other.getObjects(), nullptr);
    EXPECT_EQ(other.getObjects()->getCount(), 2);
    EXPECT_EQ(other.getMaxBitsPerPixel(), 4);
}

// Fixed once with the segment's resolution, then written at each include.
TEST_F(ResourceObjectTest, PageSegmentIsFixedOnceAndWrittenPerInclude)
{
    std::vector<Write> writes;
    qelResPSEG segment("S1TWICE");
    auto* probe = new Probe(&writes);
    segment.addObject(probe);
    segment.setResolution(300);

    segment.display(&m_visitor, 1, 2);
    EXPECT_TRUE(writes.empty()) << "nothing is written before fixAbsPosition";
    std::string text = output();
    EXPECT_NE(text.find("Warning! fixAbsPosition() not called. Not able to display PSEG."), std::string::npos);
    EXPECT_EQ(text.find("PSEG.\n"), std::string::npos) << "no line end on the message output";

    segment.fixAbsPosition();
    segment.fixAbsPosition();
    EXPECT_EQ(probe->fixes, 1);
    EXPECT_EQ(probe->fixedResolution, 300);
    EXPECT_EQ(probe->fixedPlacement, 3);

    // The object's own area origin (a graphics object's area position) is
    // added to each include offset and survives every write.
    probe->setAreaOrigin(5, 7);
    segment.display(&m_visitor, 10, 20);
    segment.display(&m_visitor, 30, 40);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].origin.x, 15);
    EXPECT_EQ(writes[0].origin.y, 27);
    EXPECT_EQ(writes[1].origin.x, 35);
    EXPECT_EQ(writes[1].origin.y, 47);
    for (const Write& w : writes) {
        EXPECT_EQ(w.own.x, 5);
        EXPECT_EQ(w.own.y, 7);
        EXPECT_EQ(w.include, &segment);
        EXPECT_EQ(w.placement, 3);
    }
    EXPECT_EQ(probe->getInclude(), nullptr) << "the owning resource is cleared after writing";
    EXPECT_EQ(probe->getAreaOrigin().x, 5);
    EXPECT_EQ(probe->getIncludeOffset().x, 0) << "the include offset is cleared after writing";
}

TEST_F(ResourceObjectTest, ObjectContainerWritesWithoutFixing)
{
    std::vector<Write> writes;
    qelResObjectContainer container("O1CONT");
    auto* probe = new Probe(&writes);
    container.addObject(probe);
    container.addObject(new Probe(&writes));

    container.display(&m_visitor, 5, 6);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].include, &container);
    EXPECT_EQ(writes[0].placement, 5);
    EXPECT_EQ(writes[1].origin.y, 6);

    container.fixAbsPosition();
    container.fixAbsPosition();
    EXPECT_TRUE(container.isFixed());
    EXPECT_EQ(probe->fixes, 1);
    EXPECT_EQ(probe->fixedPlacement, 5);
}

TEST_F(ResourceObjectTest, GraphicsResourceIsDrawnForFormatsThatShowGraphics)
{
    struct Case
    {
        const char* format;
        bool drawn;
    } cases[] = {{"JPEG", true}, {"PDF", true}, {"TIFF", true}, {"PDFA", true}, {"PNG", false}, {"AFP", false}};
    openLog();
    for (const Case& c : cases) {
        ini()->setOutputFormat(c.format);
        std::vector<Write> writes;
        qelResGOCA goca("G1FORMAT");
        goca.setIncludePosition(7, 8);
        auto* probe = new Probe(&writes);
        goca.addParsedObject(probe);
        EXPECT_EQ(probe->getAreaOrigin().x, 7) << "takes the include position";
        EXPECT_EQ(probe->getAreaOrigin().y, 8);
        EXPECT_EQ(goca.getObjectCount(qelGraphicObject::KIND_LINE), 1);
        goca.fixAbsPosition();
        EXPECT_EQ(probe->fixedPlacement, 4);
        goca.display(&m_visitor, 50, 60);
        ASSERT_EQ(writes.size(), c.drawn ? 1u : 0u) << c.format;
        if (c.drawn) {
            EXPECT_EQ(writes[0].origin.x, 57) << "include offset plus the area position";
            EXPECT_EQ(writes[0].origin.y, 68);
            EXPECT_EQ(probe->getAreaOrigin().x, 7);
            EXPECT_EQ(writes[0].include, &goca);
            EXPECT_EQ(writes[0].placement, 4);
        }
    }
    std::string log = logText();
    EXPECT_EQ(count(log, "Warning! GOCA not yet supported for TIFF/JPEG output in Lorbane"), 2u) << log;

}

TEST_F(ResourceObjectTest, ListingLinesHoldLongNames)
{
    std::string longName(1500, 'N');
    struct Case
    {
        std::unique_ptr<qelRes> res;
        const char* name;
        bool found;
        std::string expected;
    };
    std::vector<Case> cases;
    cases.push_back({std::make_unique<qelResPSEG>("S1SEG"), nullptr, true, "\r\n       S1SEG        No      "});
    cases.push_back({std::make_unique<qelResPSEG>("S1SEG"), nullptr, false, "\r\n       S1SEG(*)     No      "});
    cases.push_back({std::make_unique<qelResObjectContainer>(nullptr), nullptr, false,
                     "\r\n       NULL(*)      No      "});
    cases.push_back({std::make_unique<qelResPSEG>(longName.c_str()), nullptr, true,
                     "\r\n       " + longName + "No      "});
    cases.push_back({std::make_unique<qelResObjectContainer>(longName.c_str()), nullptr, true,
                     "\r\n       " + longName + "No      "});
    cases.push_back({std::make_unique<qelResGOCA>(longName.c_str()), nullptr, true,
                     "Type:GOCA Name:" + longName + "  Alias Name:(null)"});
    for (Case& c : cases) {
        c.res->setFound(c.found ? 1 : 0);
        std::unique_ptr<char[]> text(c.res->describe());
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text.get()), c.expected);
    }
    qelResPSEG inlined("S1INL");
    inlined.setFound(1);
    inlined.setInline(1);
    std::unique_ptr<char[]> text(inlined.describe());
    EXPECT_STREQ(text.get(), "\r\n       S1INL        Yes     ");

    qelResPageDef pageDefinition("P1DEF");
    EXPECT_EQ(pageDefinition.getType(), 0u);
    EXPECT_EQ(pageDefinition.describe(), nullptr);
}

} // namespace
