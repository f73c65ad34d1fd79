#ifndef GOCA_TEST_SUPPORT_H
#define GOCA_TEST_SUPPORT_H

#include "CapturedOutput.h"
#include "FieldText.h"
#include "ScratchTest.h"
#include "qelGlobalDSPool.h"
#include "qelGocaParser.h"
#include "qelGraphicObject.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelResGOCA.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace gocatest {

using lrbtest::append;
using lrbtest::Bytes;
using lrbtest::field;
using lrbtest::readFile;

inline std::vector<qelGraphicObject*> objects(qelMedia* media)
{
    std::vector<qelGraphicObject*> out;
    qelList* list = media ? media->getObjectList() : nullptr;
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next)
        out.push_back(static_cast<qelGraphicObject*>(n->item));
    return out;
}

inline std::vector<qelGraphicObject*> children(qelList* list)
{
    std::vector<qelGraphicObject*> out;
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next)
        out.push_back(static_cast<qelGraphicObject*>(n->item));
    return out;
}

// Message output captured, fresh pool per test.
class GocaTest : public ::testing::Test
{
protected:
    void SetUp() override { m_capture.reset(new lrbtest::CapturedOutput()); }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        m_input.reset();
        m_capture.reset();
        qelUtils::releaseGlobals();
    }

    std::string output() { return m_capture->text(); }

    // Makes the bytes the current input and reads up to its first Begin
    // Graphics.
    void startObject(const Bytes& input, qelGocaParser& parser)
    {
        m_bytes = input;
        m_input.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_input->rewind();
        qelIOStream::setCurrent(m_input.get());
        for (;;) {
            qelSFIBlock* f = parser.readNextSF();
            if (f->getId() == 0xA8BB)
                break;
        }
    }

    // Reads the first Begin Graphics of the bytes and parses the object.
    std::unique_ptr<qelResGOCA> parseObject(const Bytes& input, qelGocaParser& parser)
    {
        startObject(input, parser);
        return std::unique_ptr<qelResGOCA>(parser.parseGraphics(nullptr));
    }

    // A graphics object with a quadrant-1 window 0..1000 x 0..800 at 240
    // units per inch and one Graphics Data field per entry of gads.
    static Bytes object(const std::vector<Bytes>& gads)
    {
        Bytes input = field(0xA8BB, {0xC7, 0xD9, 0xC1, 0xF0, 0xF0, 0xF0, 0xF0, 0xF1});
        append(input, field(0xA6BB, {0xF6, 0x12, 0x50, 0, 0, 0, 0x09, 0x60, 0x09, 0x60, 0x09, 0x60, 0, 0, 0x03, 0xE8,
                                     0, 0, 0x03, 0x20}));
        for (const Bytes& g : gads)
            append(input, field(0xEEBB, g));
        append(input, field(0xA9BB, {}));
        return input;
    }

    std::unique_ptr<lrbtest::CapturedOutput> m_capture;
    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_input;
};

} // namespace gocatest

#endif
