#include "qelImgAFPOlyEncoder.h"

#include "qelImgAFPIOCAEncoder.h"
#include "qelImgAFPIOCAImage.h"
#include "qelImgAFPOly.h"
#include "qelImgAFPVisitor.h"
#include "qelImgBufferIOStream.h"
#include "qelImgDecoder.h"
#include "qelImgException.h"
#include "qelImgIOStream.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"

#include <climits>
#include <memory>

namespace
{
void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImgAFPOlyEncoder", operation);
}
} // namespace

qelImgAFPOlyEncoder::~qelImgAFPOlyEncoder() { delete m_overlay; }

void qelImgAFPOlyEncoder::initialize(qelImgParamValue* params, qelImgInfo* info)
{
    trace("initialize");
    if (!info)
        return;
    m_params = params;
    m_info = info;
    const int bits = info->bitsPerPixel;
    if (bits != 1 && bits != 8 && bits != 24)
        throw new qelImgException(__FILE__, __LINE__, 45, 0, true, bits, "AFP Overlay");
    delete m_overlay;
    m_overlay = new qelImgAFPOly();
    const int introducer = params && params[QELIMG_PARAM_SFI_WITH_5A].getInt() == 1 ? 1 : 0;
    setVisitor(new qelImgAFPVisitor(m_stream, params, introducer));
    m_initialized = true;
}

int qelImgAFPOlyEncoder::writeLine(unsigned char*, int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "writeLine()", "qelImgAFPOlyEncoder");
}

int qelImgAFPOlyEncoder::writeColorTable(unsigned char*, int)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "writeColorTable()", "qelImgAFPOlyEncoder");
}

int qelImgAFPOlyEncoder::encode(qelImgDIB*)
{
    throw new qelImgException(__FILE__, __LINE__, 26, 0, true, "encode()", "qelImgAFPOlyEncoder");
}

int qelImgAFPOlyEncoder::encode(qelImgDecoder* decoder)
{
    trace("encode");
    if (!decoder)
        throw new qelImgException(__FILE__, __LINE__, 24, 0, true, "");
    if (!m_initialized || !m_overlay || !m_visitor)
        throw new qelImgException(__FILE__, __LINE__, 64, 0, true, "AFP Overlay");
    auto* visitor = static_cast<qelImgAFPVisitor*>(m_visitor);
    visitor->setInputName(decoder->getFileName());
    visitor->setPageIndex(decoder->getPageNumber());

    // Released on every path, also when the IOCA encoder throws.
    std::unique_ptr<qelImgBufferIOStream> memory(new qelImgBufferIOStream("encode", 2));
    std::unique_ptr<qelImgAFPIOCAEncoder> ioca(new qelImgAFPIOCAEncoder(memory.get()));
    if (m_params)
        m_params[QELIMG_PARAM_IOCA_WRAPPER].setInt(1);
    ioca->initialize(m_params, m_info);
    ioca->encode(decoder);
    ioca->finalize();

    char* raw = nullptr;
    unsigned int size = 0;
    memory->getBuffer(&raw, &size, false);
    std::unique_ptr<char[]> bytes(raw);
    if (size > INT_MAX)
        throw new qelImgException(__FILE__, __LINE__, 21, 0, true);
    const qelImgInfo* info = ioca->getOutputInfo();
    if (!info)
        throw new qelImgException(__FILE__, __LINE__, 5, 0, true);
    m_overlay->setName("QEL");
    m_overlay->setResolution(info->xResolution);
    m_overlay->setSize(info->width, info->height);
    auto* image = new qelImgAFPIOCAImage();
    image->setPosition(0, 0);
    image->setBitsPerPixel(info->bitsPerPixel);
    image->setCompression(info->compression);
    image->setFillOrder(info->fillOrder);
    image->setSize(info->width, info->height);
    image->setResolution(info->xResolution, info->xResolution);
    image->setObjectData(reinterpret_cast<const unsigned char*>(bytes.get()), static_cast<int>(size));
    m_overlay->setImage(image);
    return 0;
}

void qelImgAFPOlyEncoder::finalize()
{
    trace("finalize");
    if (!m_initialized || !m_overlay || !m_visitor)
        throw new qelImgException(__FILE__, __LINE__, 64, 0, true, "AFP Overlay");
    if (m_stream)
        m_stream->open();
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("%s", "Writing overlay");
    try {
        m_overlay->accept(m_visitor);
    } catch (...) {
        if (m_stream)
            m_stream->close();
        throw;
    }
    if (m_stream)
        m_stream->close();
}
