#ifndef PTOCA_SUPPORT_H
#define PTOCA_SUPPORT_H

#include "CapturedOutput.h"
#include "FieldText.h"
#include "ScratchTest.h"

#include "qelAEGParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelGraphicObject.h"
#include "qelIOStream.h"
#include "qelInitialTextConditions.h"
#include "qelLineObject.h"
#include "qelList.h"
#include "qelPresentationTextParser.h"
#include "qelPtocaPage.h"
#include "qelSFIBlock.h"
#include "qelTextObject.h"
#include "qelUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ptoca {

using lrbtest::append;
using lrbtest::Bytes;
using lrbtest::cat;
using lrbtest::ebcdic;
using lrbtest::field;
using lrbtest::readFile;

inline std::string dataPath(const char* name)
{
    return std::string(LORBANE_TEST_DATA) + "/fop/" + name;
}

template <typename T>
std::vector<T*> objectsOf(qelMedia& media, int kind)
{
    std::vector<T*> found;
    qelList* list = media.getObjectList();
    for (qelListNode* n = list ? list->getHead() : nullptr; n; n = n->next) {
        auto* object = static_cast<qelGraphicObject*>(n->item);
        if (object && object->kind() == kind)
            found.push_back(static_cast<T*>(object));
    }
    return found;
}

inline std::vector<qelTextObject*> texts(qelMedia& media)
{
    return objectsOf<qelTextObject>(media, qelGraphicObject::KIND_TEXT);
}

inline std::vector<qelLineObject*> lines(qelMedia& media)
{
    return objectsOf<qelLineObject>(media, qelGraphicObject::KIND_LINE);
}

inline std::string textOf(const qelTextObject* t)
{
    return t && t->getText() ? t->getText() : std::string();
}

// Captures the message output; a fresh pool per test.
class PtocaTest : public ::testing::Test
{
protected:
    void SetUp() override { m_capture.reset(new lrbtest::CapturedOutput()); }
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        m_capture.reset();
        qelUtils::releaseGlobals();
    }

    qelGlobalDSPool* pool() { return qelGlobalDSPool::getInstance(); }

    // Reads the fields of an input until the end of its first page, handing
    // the environment group and the text objects to their parsers.
    void readFirstPage(const Bytes& bytes, qelPtocaPage& page)
    {
        qelIOStream reader(bytes.data(), static_cast<int>(bytes.size()));
        reader.rewind();
        qelIOStream::setCurrent(&reader);
        qelAEGParser* aeg = pool()->getAEGParser();
        qelPresentationTextParser* text = pool()->getPresentationTextParser();
        std::unique_ptr<qelInitialTextConditions> conditions;
        for (;;) {
            qelSFIBlock* f = aeg->readNextSF();
            int id = f->getId();
            if (id == 0xA8C9) {
                aeg->parse(&page, f);
                conditions.reset(aeg->takeInitialTextConditions());
            } else if (id == 0xA89B) {
                text->parse(f, &page, conditions.get());
            } else if (id == 0xA9AF) {
                break;
            }
        }
        qelIOStream::setCurrent(nullptr);
    }

    // One text object (BPT, the PTX fields, EPT) read into the page.
    void readObject(const std::vector<Bytes>& ptx, qelMedia* page, const qelInitialTextConditions* c = nullptr)
    {
        Bytes bytes = field(0xA89B, {});
        for (const Bytes& data : ptx)
            append(bytes, field(0xEE9B, data));
        append(bytes, field(0xA99B, {}));
        qelIOStream reader(bytes.data(), static_cast<int>(bytes.size()));
        reader.rewind();
        qelIOStream::setCurrent(&reader);
        qelPresentationTextParser* text = pool()->getPresentationTextParser();
        qelSFIBlock* begin = text->readNextSF();
        text->parse(begin, page, c);
        qelIOStream::setCurrent(nullptr);
    }

    std::unique_ptr<lrbtest::CapturedOutput> m_capture;
};

} // namespace ptoca

#endif
