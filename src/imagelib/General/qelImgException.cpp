#include "qelImgException.h"

#include "qelImgLogger.h"
#include "qelImgProcessor.h"
#include "qelString.h"

#include <cstdio>
#include <cstring>

namespace
{
const char* const achImgLibErrorMsg[qelImgException::MESSAGE_COUNT] = {
    "OIL000: Reserved. Do not use",
    "OIL001: Unknown error.",
    "OIL002: Message id %d define into ErrorCode enum structure, but Error message missing within achImgLibErrorMsg[]. Check code.",
    "OIL003: NOT USED",
    "OIL004: Negative value (%d) passed to allocate memory for string using new operator.",
    "OIL005: Image header information is null",
    "OIL006: DIB buffer is null",
    "OIL007: Error while reading file (%s). Rc:%d Msg:%s",
    "OIL008: File name parameter is null or empty",
    "OIL009: Unsupported image type %s",
    "OIL010: Decompression of %d Bits/Pixel \"%s %s\" images is not supported",
    "OIL011: Image Resize Failed. ImageName=%s NewWidth=%d, NewHeight=%d, ResizeFilter=%s",
    "OIL012: Source image buffer is null or buffer length parameter is zero",
    "OIL013: Invalid compression parameter id: %d",
    "OIL014: IOCA Library handle is null",
    "OIL015: IOCA Library Error: Rc:%d Msg:%s",
    "OIL016: Decompression of %d Samples/Pixel \"%s\" images is not supported",
    "OIL017: CxImage Library Error: %s",
    "OIL018: Error while opening file (%s). Rc:%d Msg:%s",
    "OIL019: Error while creating TIFF handle for %s",
    "OIL020: TIFF Library Error: %s",
    "OIL021: Memory allocation error",
    "OIL022: Compression %s is not supported for %s",
    "OIL023: %s Image encoder is null",
    "OIL024: %s Image decoder is null",
    "OIL025: JPEG compression failed: %s",
    "OIL026: %s not implemented for %s",
    "OIL027: JPEG Library handle is null",
    "OIL028: Compression parameter array is null",
    "OIL029: Cannot convert IOCA %s image planes to color space %s",
    "OIL030: CMYK image buffer passed to CMYK Converter is null",
    "OIL031: IOCA RGB image plane buffer is null",
    "OIL032: Unsupported file format %d",
    "OIL033: Grayscale conversion of %d Bits/Pixel images is not supported",
    "OIL034: Black/White conversion of %d Bits/Pixel images is not supported",
    "OIL035: Zlib Library Error: %s",
    "OIL036: TIFF image with tiles is not supported",
    "OIL037: IOCA logical resolution unit not handled",
    "OIL038: Decompression of \"%s\" \"%s\" images is not supported",
    "OIL039: Error while writing file (%s)",
    "OIL040: Incorrect call to buffer access methods",
    "OIL041: Rotation Failed",
    "OIL042: Unable to prepare header for OJPEG TIFF data",
    "OIL043: Error while extracting TIFF image data from strip %d",
    "OIL044: JPEG Library Error: %s",
    "OIL045: Images with \"%d\" Bits/Pixel can not converted to %s",
    "OIL046: TIFF Library handle is null",
    "OIL047: Error while writing %s SFI",
    "OIL048: Image data is null",
    "OIL049: Error while decoding image. Name=%s Linenr=%d",
    "OIL050: %s compression is not supported",
    "OIL051: Error while decompressing IOCA %s Image data",
    "OIL052: Decompression of %d Bits/Pixel \"%s\" images is not supported",
    "OIL053: Decompression of \"%s\" images having \"%s\" Photometric Interpretation is not supported",
    "OIL054: Error while creating X Image Object from Pixmap",
    "OIL055: Insufficient data read from \"%s\". ExpectedBytes=%d ReadBytes=%d",
    "OIL056: Error while reading header information from image %s.",
    "OIL057: TIFF Images with Planar format(separate planes of data) are not supported",
    "OIL058: Image Cropping is not yet supported for images with \"%d\" bits per pixel",
    "OIL059: Image Mixing is not yet supported for images with \"%d\" bits per pixel",
    "OIL060: %s Encoding failed. %s",
    "OIL061: Decompression of %d Bits/Pixel image mask is not supported",
    "OIL062: Decompression of \"%s %s\" image mask is not supported",
    "OIL063: Could not create new %s Context for an image. Maximum %s Context limit reached",
    "OIL064: %s Encoder is not initialized.",
    "OIL999: End Of Messages.",
};

void replaceText(qelString*& field, const char* text)
{
    delete field;
    field = text ? new qelString(text) : nullptr;
}

const char* textOf(const qelString* field)
{
    return field ? field->getBuffer() : nullptr;
}
}

qelImgException::qelImgException(const char* file, int line, int id, int value, int log, ...)
{
    va_list args;
    va_start(args, log);
    build(file, line, KIND_ERROR, id, value, log != 0, args);
    va_end(args);
}

qelImgException::qelImgException(const char* file, int line, Kind kind, int id, int value, int log, ...)
{
    va_list args;
    va_start(args, log);
    build(file, line, kind, id, value, log != 0, args);
    va_end(args);
}

qelImgException::~qelImgException()
{
    delete m_file;
    delete m_extraText;
    delete m_message;
}

void qelImgException::build(const char* file, int line, int kind, int id, int value, bool log, va_list args)
{
    setFileName(file);
    m_line = line;
    m_value = value;
    m_kind = kind;
    char message[256];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vsnprintf(message, sizeof message, getMessageTemplate(id), args);
#pragma GCC diagnostic pop
    setMessage(message);
    m_id = id;
    if (log)
        logText();
}

void qelImgException::logText()
{
    qelImgLogger* logger = qelImgProcessor::getLogger();
    if (!logger)
        return;
    const char* text = getMessageText();
    if (m_kind == KIND_WARNING)
        logger->warning("%s", text);
    else if (m_kind == KIND_TRACE)
        logger->trace("%s", text);
    else
        logger->error("%s", text);
}

const char* qelImgException::getMessageText()
{
    if (m_text[0] != '\0')
        return m_text;
    const char* file = textOf(m_file) ? textOf(m_file) : "";
    const char* message = textOf(m_message) ? textOf(m_message) : "";
    switch (qelImgProcessor::getMessageMode()) {
    case 1:
        std::snprintf(m_text, sizeof m_text, "%s\r\n", message);
        break;
    case 2:
        std::snprintf(m_text, sizeof m_text, "Exception occured: File: %s\r\nMsg : %s\r\n", file, message);
        break;
    case 3:
        std::snprintf(m_text, sizeof m_text, "Exception occured: File: %s Line: %d\r\nMsg : %s\r\n", file, m_line,
                      message);
        break;
    default:
        break;
    }
    return m_text;
}

const char* qelImgException::getFileName() const { return textOf(m_file); }

void qelImgException::setFileName(const char* path)
{
    delete m_file;
    m_file = nullptr;
    if (!path)
        return;
    qelString copy(path);
    char* text = copy.getBuffer();
    for (char* c = text; *c; ++c)
        if (*c == '\\')
            *c = '/';
    const char* slash = std::strrchr(text, '/');
    m_file = new qelString(slash ? slash + 1 : text);
}

const char* qelImgException::getMessage() const { return textOf(m_message); }
void qelImgException::setMessage(const char* text) { replaceText(m_message, text); }

void qelImgException::appendMessage(const char* text)
{
    if (!text)
        return;
    if (!m_message)
        m_message = new qelString(text);
    else
        m_message->append(text);
}

const char* qelImgException::getExtraText() const { return textOf(m_extraText); }
void qelImgException::setExtraText(const char* text) { replaceText(m_extraText, text); }

const char* qelImgException::getMessageTemplate(int id)
{
    if (id < 0 || id >= MESSAGE_COUNT)
        id = 2;
    return achImgLibErrorMsg[id];
}
