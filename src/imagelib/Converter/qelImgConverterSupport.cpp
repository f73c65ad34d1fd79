#include "qelImgConverterSupport.h"

#include "qelImgBufferIOStream.h"
#include "qelImgConverter.h"
#include "qelImgDIB.h"
#include "qelImgDIBDecoder.h"
#include "qelImgDIBEncoder.h"
#include "qelImgDIBUtils.h"
#include "qelImgException.h"
#include "qelImgInfo.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"

#include <memory>
#include <string>

qelImgDIB* qelImgConvertDIBRows(qelImgConverter* converter, qelImgDIB* dib, qelImgParamValue* params,
                                int bitsPerPixel, bool mono, const char* debugName)
{
    std::unique_ptr<qelImgDIBDecoder> decoder(
        new qelImgDIBDecoder(dib->buffer, static_cast<unsigned int>(qelImgDIBUtils::getDIBSize(dib))));
    std::unique_ptr<qelImgBufferIOStream> stream(new qelImgBufferIOStream("encode", 2));
    stream->open();
    std::unique_ptr<qelImgDIBEncoder> encoder(new qelImgDIBEncoder(stream.get()));
    qelImgInfo info = *decoder->getInfo();
    info.bitsPerPixel = bitsPerPixel;
    encoder->initialize(params, &info);
    encoder->writeHeader();
    if (mono)
        encoder->writeMonoColorTable();
    converter->convert(decoder.get(), encoder.get(), params);
    encoder->finalize();
    char* data = nullptr;
    unsigned int size = 0;
    stream->getBuffer(&data, &size, false);
    qelImgDIB* out = qelImgDIBUtils::attachDIB(reinterpret_cast<unsigned char*>(data));
    qelImgLogger* logger = qelImgProcessor::getLogger();
    if (out && logger && logger->getLevel() == 3) {
        const char* dir = qelImgProcessor::getTempDirectory();
        if (dir && *dir) {
            const std::string path = std::string(dir) + debugName;
            qelImgDIBUtils::writeDIB(path.c_str(), out);
        }
    }
    return out;
}

const char* qelImgColorSpaceName(int space)
{
    switch (space) {
    case 0: return "GrayScale";
    case 1: return "RGB";
    case 2: return "CMYK";
    default: return "Unknown";
    }
}

bool qelImgReadPlaneRow(qelImgDecoder* decoder, unsigned char* row)
{
    try {
        return decoder->readNextLine(row) == 1;
    } catch (qelImgException* e) {
        if (qelImgLogger* log = qelImgProcessor::getLogger())
            log->trace("\t\t%s", e->getMessageText());
        delete e;
    } catch (const char*) {
    }
    return false;
}
