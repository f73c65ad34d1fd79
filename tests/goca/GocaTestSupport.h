#ifndef GOCA_TEST_SUPPORT_H
#define GOCA_TEST_SUPPORT_H

#include "ScratchTest.h"
#include "qelGlobalDSPool.h"
#include "qelGocaParser.h"
#include "qelGraphicObject.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelMessageOutput.h"
#include "qelResGOCA.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace gocatest {

using Bytes = std::vector<unsigned char>;

inline void append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

inline Bytes field(int id, const Bytes& data)
{
    const int length = 8 + static_cast<int>(data.size());
    Bytes bytes = {0x5A, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length & 0xFF), 0xD3,
                   static_cast<unsigned char>(id >> 8), static_cast<unsigned char>(id & 0xFF), 0, 0, 0};
    append(bytes, data);
    return bytes;
}

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
    void SetUp() override
    {
        m_out = std::tmpfile();
        qelMessageOutput::set(m_out);
    }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        m_input.reset();
        qelMessageOutput::set(nullptr);
        std::fclose(m_out);
        qelUtils::releaseGlobals();
    }

    std::string output() { return lrbtest::streamText(m_out); }

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

    FILE* m_out = nullptr;
    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_input;
};

} // namespace gocatest

#endif
