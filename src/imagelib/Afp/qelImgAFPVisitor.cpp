#include "qelImgAFPVisitor.h"

#include "qelImgAFPFields.h"
#include "qelImgAFPIOCAImage.h"
#include "qelImgAFPOly.h"
#include "qelImgException.h"
#include "qelImgIOStream.h"
#include "qelImgLogger.h"
#include "qelImgParamValue.h"
#include "qelImgProcessor.h"
#include "qelImgTypes.h"
#include "qelImgUtils.h"
#include "qelString.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace
{
const int kPiece = 8000;

void trace(const char* operation)
{
    if (qelImgLogger* logger = qelImgProcessor::getLogger())
        logger->trace("\t%s::%s()", "qelImgAFPVisitor", operation);
}

// Units per ten inches; -1 (refused by the field writers) when it does not fit.
int units(int dpi)
{
    const long long u = static_cast<long long>(dpi) * 10;
    return u < 0 || u > 0xFFFF ? -1 : static_cast<int>(u);
}

[[noreturn]] void writeFailed(const char* field)
{
    throw new qelImgException(__FILE__, __LINE__, 47, 0, true, field);
}

std::string slashes(std::string text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

int noOperation(qelImgIOStream* s, int flag, const std::string& text)
{
    return qelImgAFPFields::writeNoOperation(s, flag, reinterpret_cast<const unsigned char*>(text.data()),
                                             static_cast<int>(text.size()));
}

int noOperationEbcdic(qelImgIOStream* s, int flag, const std::string& text)
{
    std::unique_ptr<unsigned char[]> ebcdic(qelImgUtils::toEBCDIC(text.c_str()));
    return qelImgAFPFields::writeNoOperation(s, flag, ebcdic.get(), static_cast<int>(text.size()));
}
} // namespace

int qelImgAFPVisitor::compressionByte(int compression)
{
    switch (compression) {
    case 0: return 0x03;
    case 1: return 0x80;
    case 2: return 0x81;
    case 3: return 0x82;
    case 9: return 0x83;
    default: return -1;
    }
}

bool qelImgAFPVisitor::wrapperMode() const { return m_params && m_params[QELIMG_PARAM_IOCA_WRAPPER].getInt() == 1; }

int qelImgAFPVisitor::writeIOCAImage(qelImgAFPIOCAImage* image)
{
    trace("writeIOCAImage");
    if (!image)
        throw new qelImgException(__FILE__, __LINE__, 48, 0, true);
    if (compressionByte(image->getCompression()) < 0)
        throw new qelImgException(__FILE__, __LINE__, 50, 0, true, std::to_string(image->getCompression()).c_str());
    const int bits = image->getBitsPerPixel();
    const int functionSet = bits == 8 || bits == 24 ? 11 : bits == 32 ? 45 : 10;
    const bool wrapper = wrapperMode();
    if (wrapper && qelImgAFPFields::writeImageObjectHeader(m_stream, m_introducer, image->getWidth(), image->getHeight(),
                                                          units(image->getXResolution()), units(image->getYResolution()),
                                                          functionSet) != 1)
        writeFailed("Begin Image Object");
    const int rc = writeBWImageData(image);
    if (!wrapper)
        return rc;
    if (qelImgAFPFields::writeEndImageObject(m_stream, m_introducer) != 1)
        writeFailed("End Image Object");
    return 1;
}

int qelImgAFPVisitor::writeBWImageData(qelImgAFPIOCAImage* image)
{
    trace("writeBWImageData");
    if (!image || !image->getImageData() || image->getImageDataLength() <= 0)
        throw new qelImgException(__FILE__, __LINE__, 48, 0, true);
    const int compression = compressionByte(image->getCompression());
    if (compression < 0)
        throw new qelImgException(__FILE__, __LINE__, 50, 0, true, std::to_string(image->getCompression()).c_str());
    const int bitOrder = image->getFillOrder() == 1 ? 0x00 : 0x01;
    const int recording = image->getRecordingAlgorithm();
    const int ideSize = image->getBitsPerPixel();
    const bool wrapper = wrapperMode();
    const bool ideStructure = compression == 0x83 && (ideSize == 8 || ideSize == 24);
    int colorModel = m_params ? m_params[QELIMG_PARAM_COLOR_SPACE].getInt() : 0;
    if (colorModel == 0)
        colorModel = 3;
    const int segmentHeader = compression == 0x83 ? 36 : 24;
    const int ideLength = ideStructure ? qelImgAFPFields::ideStructureLength(colorModel) : 0;

    const unsigned char* data = image->getImageData();
    const int total = image->getImageDataLength();
    for (int offset = 0; offset < total; offset += kPiece) {
        const int piece = std::min(kPiece, total - offset);
        const bool first = offset == 0;
        const bool last = offset + piece >= total;
        if (wrapper) {
            const int length = piece + 12 + (first ? segmentHeader + ideLength : 0) + (last ? 4 : 0);
            if (qelImgAFPFields::writeImagePictureData(m_stream, m_introducer, length) != 1)
                writeFailed("Image Picture Data");
        }
        if (first) {
            if (qelImgAFPFields::writeBeginSegment(m_stream, m_introducer, image->getWidth(), image->getHeight(),
                                                   units(image->getXResolution()), units(image->getYResolution()),
                                                   compression, recording, bitOrder, ideSize) != 1)
                writeFailed("Begin Segment");
            if (ideStructure && qelImgAFPFields::writeIDEStructure(m_stream, m_introducer, 0, colorModel, ideSize) != 1)
                writeFailed("IDE Strcuture");
        }
        if (qelImgAFPFields::writeImageData(m_stream, m_introducer, data + offset, piece) != 1)
            writeFailed("Image Data");
        if (last && qelImgAFPFields::writeEndSegment(m_stream, m_introducer) != 1)
            writeFailed("End Segment");
    }
    return 0;
}

int qelImgAFPVisitor::writeOverlay(qelImgAFPOly* overlay)
{
    trace("writeOverlay");
    if (!overlay)
        writeFailed("Begin Overlay");
    std::unique_ptr<unsigned char[]> name(qelImgUtils::toEBCDIC("QEL"));
    if (qelImgAFPFields::writeBeginOverlay(m_stream, m_introducer, name.get(), 3) != 1)
        writeFailed("Begin Overlay");
    writeComment();
    const int resolution = units(overlay->getResolution());
    if (qelImgAFPFields::writeOverlayEnvironment(m_stream, m_introducer, overlay->getWidth(), overlay->getHeight(),
                                                 resolution, resolution) != 1)
        writeFailed("Active Env. Group");
    if (qelImgAFPIOCAImage* image = overlay->getImage()) {
        if (image->getObjectData() && image->getObjectDataLength() > 0) {
            const int n = image->getObjectDataLength();
            if (!m_stream || m_stream->write(image->getObjectData(), static_cast<unsigned int>(n)) != n)
                writeFailed("Image Picture Data");
        } else {
            image->accept(this);
        }
    }
    if (qelImgAFPFields::writeEndOverlay(m_stream, m_introducer) != 1)
        writeFailed("End Overlay");
    return 1;
}

int qelImgAFPVisitor::writeComment()
{
    trace("writeComment");
    const std::string creator = m_params ? m_params[QELIMG_PARAM_CREATOR].getText() : "";
    if (creator.empty())
        writeFailed("Version NOP");
    std::string date = "Creation Date: ";
    {
        std::unique_ptr<char[]> today(qelImgUtils::getCurrentDate());
        date += today.get();
    }
    std::string text;
    if (const char* input = getInputName())
        text += "TIFF:" + slashes(input) + ", ";
    if (m_pageIndex >= 0)
        text += "Page:" + std::to_string(m_pageIndex + 1) + ", ";
    if (m_stream && m_stream->getStreamType() == qelImgIOStream::TYPE_FILE && m_stream->getFileName() &&
        *m_stream->getFileName())
        text += std::string("OLY") + ":" + slashes(m_stream->getFileName());

    const std::string* texts[] = {&creator, &date, &text};
    for (const std::string* t : texts)
        if (!t->empty() && noOperationEbcdic(m_stream, m_introducer, *t) != 1)
            writeFailed("Version NOP");
    for (const std::string* t : texts)
        if (!t->empty() && noOperation(m_stream, m_introducer, *t) != 1)
            writeFailed("Version NOP");
    return text.empty() ? 0 : 1;
}
