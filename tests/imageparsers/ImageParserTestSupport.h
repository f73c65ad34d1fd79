#ifndef IMAGE_PARSER_TEST_SUPPORT_H
#define IMAGE_PARSER_TEST_SUPPORT_H

#include "FieldText.h"
#include "ScratchTest.h"

#include "qelCell.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelImImageParser.h"
#include "qelImageObject.h"
#include "qelIni.h"
#include "qelIocaParser.h"
#include "qelList.h"
#include "qelSFIBlock.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>

#include <memory>
#include <string>
#include <vector>

namespace imagetest {

using lrbtest::append;
using lrbtest::Bytes;
using lrbtest::cat;
using lrbtest::field;
using lrbtest::name8;
using lrbtest::offset3;

inline Bytes word(unsigned v)
{
    return {static_cast<unsigned char>((v >> 8) & 0xFF), static_cast<unsigned char>(v & 0xFF)};
}

// Names in a folder, "." and ".." left out.
inline std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

// Fresh pool, captured output and a scratch folder per test; the bytes
// given become the current input.
class ImageParserTest : public lrbtest::ScratchTest
{
protected:
    void TearDown() override
    {
        qelIOStream::setCurrent(nullptr);
        m_input.reset();
        ScratchTest::TearDown();
    }

    qelIni* ini() { return qelGlobalDSPool::getInstance()->getIni(); }
    qelIocaParser* ioca() { return qelGlobalDSPool::getInstance()->getIocaParser(); }
    qelImImageParser* im() { return qelGlobalDSPool::getInstance()->getImImageParser(); }

    void setInput(const Bytes& bytes)
    {
        qelIOStream::setCurrent(nullptr);
        m_bytes = bytes;
        m_input.reset(new qelIOStream(m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_input->rewind();
        qelIOStream::setCurrent(m_input.get());
    }

    // Parses the IOCA object that starts the input.
    std::unique_ptr<qelImageObject> parseIoca(const Bytes& bytes)
    {
        setInput(bytes);
        qelSFIBlock* begin = ioca()->readNextSF();
        return std::unique_ptr<qelImageObject>(ioca()->parse(begin));
    }

    // Parses the IM object that starts the input; the image of the list.
    std::unique_ptr<qelImageObject> parseIm(const Bytes& bytes)
    {
        setInput(bytes);
        qelSFIBlock* begin = im()->readNextSF();
        std::unique_ptr<qelList> list(im()->parse(begin));
        EXPECT_EQ(list->getCount(), 1);
        return std::unique_ptr<qelImageObject>(list->getHead() ? static_cast<qelImageObject*>(list->getHead()->item)
                                                               : nullptr);
    }

    Bytes m_bytes;
    std::unique_ptr<qelIOStream> m_input;
};

} // namespace imagetest

#endif
