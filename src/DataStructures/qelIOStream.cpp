#include "qelIOStream.h"

#include "qelBufferStream.h"
#include "qelCheckoutStream.h"
#include "qelException.h"
#include "qelFTPStream.h"
#include "qelFileStream.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogicalLocation.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"
#include "qelStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <strings.h>

namespace {

qelIOStream* g_currentInput = nullptr;

const int kScratchSize = 65536;

using qelPoolAccess::quiet;

qelLogStream* logFor(unsigned int bits)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return log && log->anyOf(bits) ? log : nullptr;
}

bool sameExtension(const char* extension, const char* option)
{
    return option && *option && strcasecmp(extension, option) == 0;
}

} // namespace

qelIOStream::qelIOStream()
{
    m_record = new qelSFIBlock();
}

qelIOStream::qelIOStream(const unsigned char* bytes, int count) : qelIOStream()
{
    m_stream = new qelBufferStream(bytes, count, false);
}

qelIOStream::qelIOStream(const char* path) : qelIOStream()
{
    m_stream = new qelFileStream(path);
    applyExtensionMode();
}

qelIOStream::~qelIOStream()
{
    if (g_currentInput == this)
        g_currentInput = nullptr;
    delete m_stream;
    delete m_record;
    delete[] m_scratch;
}

qelIOStream* qelIOStream::getCurrent()
{
    return g_currentInput;
}

void qelIOStream::setCurrent(qelIOStream* reader)
{
    g_currentInput = reader;
}

qelStream* qelIOStream::needStream()
{
    if (!m_stream)
        throw new qelException(__FILE__, __LINE__, qelMsg::E059, 0, true);
    return m_stream;
}

qelSFIBlock* qelIOStream::record()
{
    if (!m_record)
        m_record = new qelSFIBlock();
    return m_record;
}

void qelIOStream::replaceStream(qelStream* stream)
{
    if (stream != m_stream)
        delete m_stream;
    m_stream = stream;
}

void qelIOStream::openFile(const char* path, bool forWriting)
{
    if (!path)
        return;
    replaceStream(nullptr);
    if (forWriting) {
        qelFileStream* file = new qelFileStream();
        m_stream = file;
        file->setName(path);
    } else {
        m_stream = new qelFileStream(path);
    }
    applyExtensionMode();
    m_stream->open();
    rewind();
}

void qelIOStream::attachStream(qelStream* stream)
{
    replaceStream(stream);
    reset();
    needStream()->open();
    rewind();
}

void qelIOStream::attachBuffer(const unsigned char* bytes, int count)
{
    attachStream(new qelBufferStream(bytes, count, false));
}

void qelIOStream::openLocation(qelLogicalLocation* location)
{
    if (!location || !location->getName() || location->getKind() != QEL_LOCATION_FTP)
        return;
    auto* ftp = static_cast<qelFTPLogicalLocation*>(location);
    std::unique_ptr<qelFTPStream> stream(
        new qelFTPStream(ftp->getHostName(), ftp->getUserName(), ftp->getPassword(), ftp->getPort()));
    if (ftp->getStartDir() && *ftp->getStartDir())
        stream->setAttribute(QEL_ATTR_DIRECTORY, ftp->getStartDir());
    if (const auto* commands = ftp->getInitialCommands()) {
        for (const std::string& command : *commands)
            stream->setAttribute(QEL_ATTR_COMMAND, command.c_str());
    }
    stream->setName(location->getName());
    replaceStream(stream.release());
    delete m_record;
    m_record = nullptr;
    reset();
}

void qelIOStream::reopen()
{
    qelStream* stream = needStream();
    if (stream->getType() == QEL_STREAM_FTP)
        reset();
    stream->open();
    rewind();
}

void qelIOStream::reset()
{
    m_carriageControl = 0;
    m_offset = 0;
    m_warningGiven = 0;
    m_spoolInput = 0;
    m_resourceFile = 0;
    record()->reset();
    m_linked = nullptr;
    m_pushback = 0;
}

void qelIOStream::rewind()
{
    if (!m_stream)
        throw new qelException(__FILE__, __LINE__, qelMsg::E099, 0, true);
    m_stream->checkBeginning();
    m_carriageControl = m_stream->hasCarriageControl() ? 1 : 0;
}

void qelIOStream::closeStream()
{
    if (m_stream)
        m_stream->close();
}

void qelIOStream::close()
{
    qelStream* stream = m_stream;
    m_stream = nullptr;
    m_linked = nullptr;
    if (m_record) {
        m_record->clear();
        delete m_record;
        m_record = nullptr;
    }
    if (stream) {
        try {
            stream->close();
        } catch (...) {
            delete stream;
            throw;
        }
        delete stream;
    }
}

void qelIOStream::addToOffset(int64_t count)
{
    int64_t offset = static_cast<int64_t>(m_offset) + count;
    if (offset > std::numeric_limits<int>::max() || offset < 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E073, 0, true,
                               m_stream && m_stream->getName() ? m_stream->getName() : "(null)",
                               std::strerror(EOVERFLOW));
    m_offset = static_cast<int>(offset);
}

// Blanks, one CR LF and one X'1A' may stand before the X'5A'.
void qelIOStream::skipLeadingBytes()
{
    qelStream* stream = m_stream;
    int c = stream->getChar();
    addToOffset(1);
    bool blanks = false;
    bool crlf = false;
    while (c == 0x40) {
        blanks = true;
        c = stream->getChar();
        addToOffset(1);
    }
    bool lone = false;
    if (c == 0x0D) {
        int next = stream->getChar();
        if (next == 0x0A) {
            crlf = true;
            addToOffset(1);
            c = stream->getChar();
            addToOffset(1);
        } else {
            lone = true;
        }
    }
    if (!lone && c == 0x1A) {
        c = stream->getChar();
        addToOffset(1);
    }
    if (!m_warningGiven && (blanks || crlf)) {
        const char* logText;
        const char* outText;
        if (blanks && crlf) {
            logText = "Warning! This file has carriage return & spaces information";
            outText = "Warning! This file has a carriage return and space information\n";
        } else if (blanks) {
            logText = "Warning! This file has space information";
            outText = "Warning! This file has space information\n";
        } else {
            logText = "Warning! This file has carriage return information";
            outText = "Warning! This file has carriage return information\n";
        }
        if (qelLogStream* log = logFor(QEL_LOG_LEVEL2))
            log->printLine("%s", logText);
        if (!quiet())
            qelMessageOutput::write(outText);
        m_warningGiven = 1;
    }
    if (c != 0x5A) {
        char text[512];
        throw new qelException(__FILE__, __LINE__, qelMsg::E074, 0, true, describe(text, sizeof text),
                               static_cast<unsigned int>(m_record->m_fileOffset) + 3u);
    }
    m_record->m_carriageControl = 1;
}

// Reads count bytes into the extension (which 0) or the data (which 1);
// at the end of the input the bytes read so far are kept.
void qelIOStream::readInto(int which, int count)
{
    qelBufferStream*& target = which == 0 ? m_record->m_extension : m_record->m_data;
    if (count <= 0) {
        qelSFIBlock::fill(target, nullptr, 0);
        return;
    }
    if (!m_scratch)
        m_scratch = new unsigned char[kScratchSize];
    int start = m_stream->getPosition();
    try {
        m_stream->getChars(m_scratch, count);
    } catch (...) {
        int got = m_stream->getPosition() - start;
        if (got < 0 || got > count)
            got = 0;
        qelSFIBlock::fill(target, m_scratch, got);
        throw;
    }
    qelSFIBlock::fill(target, m_scratch, count);
}

qelSFIBlock* qelIOStream::readSFI()
{
    qelSFIBlock* rec = record();
    if (m_pushback) {
        m_pushback = 0;
        return rec;
    }
    qelStream* stream = needStream();
    addToOffset(rec->m_length);
    rec->reset();
    // A check-out stream moves to its next document only when read; move it
    // here, past what trails the last field, so that each document is read
    // with its own framing.
    bool nextDocument = false;
    if (stream->getType() == QEL_STREAM_CHECKOUT) {
        auto* checkout = static_cast<qelCheckoutStream*>(stream);
        addToOffset(checkout->skipTrailingPadding());
        nextDocument = checkout->moveToUnreadDocument();
    }
    rec->m_fileOffset = m_offset;
    if (nextDocument)
        m_carriageControl = stream->hasCarriageControl() ? 1 : 0;
    // A flag set by resynchronisation stays until the reader is reset.
    else if (stream->hasCarriageControl())
        m_carriageControl = 1;
    if (m_carriageControl)
        skipLeadingBytes();

    int length = static_cast<int>(stream->readUInt16());
    int id = readIdentifier();
    rec->m_length = length;
    rec->m_id = id;
    rec->m_flags = static_cast<unsigned char>(stream->getChar());
    rec->m_reserved = static_cast<unsigned short>(stream->readUInt16());

    // The extension length byte counts itself and must fit in the field.
    int extension = 0;
    if ((rec->m_flags & 0x80) && length > 8) {
        extension = stream->getChar();
        if (extension < 1)
            extension = 1;
        if (extension > length - 8)
            extension = length - 8;
    }
    readInto(0, extension - 1);
    readInto(1, length - 8 - extension);

    if (!qelSFIBlock::isValidId(id)) {
        char text[512];
        throw new qelException(__FILE__, __LINE__, QEL_MSG_WARNING, qelMsg::W060, 0, true,
                               describe(text, sizeof text), static_cast<unsigned int>(getSFIOffset()),
                               static_cast<unsigned int>(id));
    }
    return rec;
}

int qelIOStream::readIdentifier()
{
    qelStream* stream = needStream();
    int c = stream->getChar();
    if (c != 0xD3) {
        char text[512];
        throw new qelException(__FILE__, __LINE__, QEL_MSG_WARNING, qelMsg::W062, 0, true,
                               describe(text, sizeof text), static_cast<unsigned int>(getSFIOffset()));
    }
    return static_cast<int>(stream->readUInt16());
}

int qelIOStream::readByte()
{
    return needStream()->getChar();
}

unsigned int qelIOStream::readUInt16()
{
    return needStream()->readUInt16();
}

int qelIOStream::readShort()
{
    return static_cast<int16_t>(needStream()->readUInt16());
}

uint32_t qelIOStream::readUInt32()
{
    return needStream()->readUInt32();
}

void qelIOStream::getChars(unsigned char* buffer, int n)
{
    needStream()->getChars(buffer, n);
}

unsigned char* qelIOStream::readBytes(int n)
{
    qelStream* stream = needStream();
    return n > 0 ? stream->readBytes(n) : nullptr;
}

void qelIOStream::skip(int n)
{
    needStream()->skip(n);
}

int qelIOStream::getASCIIChars(char* buffer, int n)
{
    return needStream()->getASCIIChars(buffer, n);
}

int qelIOStream::getASCIICharsUptoCR(char* buffer, int n)
{
    return needStream()->getASCIICharsUptoCR(buffer, n);
}

int qelIOStream::getASCIICharsUptoLF(char* buffer, int n)
{
    return needStream()->getASCIICharsUptoLF(buffer, n);
}

int qelIOStream::getASCIICharsUptoCRLF(char* buffer, int n)
{
    return needStream()->getASCIICharsUptoCRLF(buffer, n);
}

void qelIOStream::write(const unsigned char* bytes, int count)
{
    needStream()->write(bytes, count);
}

void qelIOStream::seek(int position)
{
    needStream()->seek(position);
}

int qelIOStream::getPosition()
{
    return needStream()->getPosition();
}

int qelIOStream::getBytesLeft()
{
    return needStream()->getBytesLeft();
}

bool qelIOStream::isOpen() const
{
    return m_stream && m_stream->isOpen();
}

const char* qelIOStream::getName()
{
    if (!m_stream)
        throw new qelException(__FILE__, __LINE__, qelMsg::E099, 0, true);
    return m_stream->getName();
}

void qelIOStream::setName(const char* name)
{
    if (!m_stream)
        throw new qelException(__FILE__, __LINE__, qelMsg::E099, 0, true);
    m_stream->setName(name);
}

void qelIOStream::setRemoteFileName(const char* name)
{
    needStream()->setAttribute(QEL_ATTR_REMOTE_FILE_NAME, name);
}

qelList** qelIOStream::getDocumentAttributes()
{
    return needStream()->getAttributes();
}

char* qelIOStream::describe(char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return buffer;
    buffer[0] = 0;
    if (!m_stream)
        return buffer;
    switch (m_stream->getType()) {
    case QEL_STREAM_BUFFER:
        std::snprintf(buffer, size, "Name=BufferStream");
        break;
    case QEL_STREAM_FILE: {
        const char* name = m_stream->getName();
        std::snprintf(buffer, size, "Filename=%s", name ? name : "NULL");
        break;
    }
    case QEL_STREAM_FTP: {
        char host[256] = {};
        char file[256] = {};
        m_stream->getAttribute(QEL_ATTR_HOST_NAME, host, static_cast<int>(sizeof host));
        m_stream->getAttribute(QEL_ATTR_REMOTE_FILE_NAME, file, static_cast<int>(sizeof file));
        host[sizeof host - 1] = 0;
        file[sizeof file - 1] = 0;
        std::snprintf(buffer, size, "Host Name=%s File Name=%s", host, file);
        break;
    }
    default:
        break;
    }
    return buffer;
}

int qelIOStream::getSFIOffset()
{
    if (!m_record)
        throw new qelException(__FILE__, __LINE__, qelMsg::E059, 0, true);
    int remaining = m_record->m_data ? m_record->getRemainingLength() : 0;
    int64_t offset = static_cast<int64_t>(m_record->m_fileOffset) + m_record->m_length - remaining - 3;
    if (offset > std::numeric_limits<int>::max())
        offset = std::numeric_limits<int>::max();
    if (offset < std::numeric_limits<int>::min())
        offset = std::numeric_limits<int>::min();
    return static_cast<int>(offset);
}

void qelIOStream::applyExtensionMode()
{
    unsigned char mode = 0;
    const char* name = m_stream ? m_stream->getName() : nullptr;
    const char* dot = name ? std::strrchr(name, '.') : nullptr;
    if (dot && dot[1]) {
        const char* ext = dot + 1;
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelIni* ini = pool ? pool->getIni() : nullptr;
        if (ini && (sameExtension(ext, ini->getPageSegExt()) || sameExtension(ext, ini->getOverlayExt()) ||
                    sameExtension(ext, ini->getFormdefExt()) || sameExtension(ext, ini->getCharSetExt()) ||
                    sameExtension(ext, ini->getCodedFontExt()) || sameExtension(ext, ini->getCodePageExt())))
            mode = 1;
    }
    m_resourceFile = mode;
    if (m_stream)
        m_stream->setMode(mode);
}
