#include "qelCodedFontParser.h"

#include "qelAFPFont.h"
#include "qelAFPFontRepresentation.h"
#include "qelException.h"
#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"
#include "qelUtils.h"

#include <memory>
#include <string>

namespace
{

using qelPoolAccess::logStream;

std::string asciiTrimmed(const unsigned char* bytes, int n)
{
    std::string text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
    qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(&text[0]), n);
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

qelCodedFontParser::qelCodedFontParser() = default;

qelCodedFontParser::~qelCodedFontParser() = default;

void qelCodedFontParser::resolveResourcePath()
{
    prepareFontSearch(7);
}

qelRes* qelCodedFontParser::parseResource(const char* name, int mode, const char* fileName)
{
    m_mode = mode;
    resolveResourcePath();
    setNames(name, fileName);
    return readResource([this]() -> qelAFPFont* {
        qelSFIBlock* field = readNextSF();
        if (field->getId() != 0xA88A) {
            reportUnexpectedSF(field->getId());
            return nullptr;
        }
        // Only a font read is marked.
        qelAFPFont* font = parseCodedFont();
        font->setCodedFontFound(true);
        font->qelRes::setFileName(m_fileName.c_str());
        return font;
    });
}

qelAFPFont* qelCodedFontParser::parseCodedFont()
{
    std::unique_ptr<qelAFPFont> font(new qelAFPFont());
    qelIOStream* in = qelIOStream::getCurrent();
    if (m_mode == MODE_LIBRARY && in && in->getStream())
        font->setLibraryName(in->getName());
    font->setRepresentation(new qelAFPFontRepresentation());
    font->qelRes::setFileName(m_fileName.c_str());
    beginCodedFont(font.get());
    for (;;) {
        qelSFIBlock* field = readNextSF();
        const int id = field->getId();
        bool done = false;
        try {
            switch (id) {
            case 0x8C8A: codedFontIndex(font.get()); break;
            case 0xA78A: codedFontControl(); break;
            case 0xA98A:
                endCodedFont();
                done = true;
                break;
            default: reportUnexpectedSF(id); break;
            }
        } catch (qelException* e) {
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
        if (done)
            break;
    }
    return font.release();
}

void qelCodedFontParser::beginCodedFont(qelAFPFont* font)
{
    const std::string read = readName();
    if (!read.empty())
        font->setAliasName(read.c_str());
    const std::string name = m_resourceName.empty() ? read : m_resourceName;
    font->setCodedFontName(name.c_str());
    font->qelRes::setName(name.c_str());
    qelAFPFont::applyDefaultFontNames(font);
    font->checkRepresentation();
    qelFontRepresentation* representation = font->getRepresentation();
    const int type = representation->getType();
    if (type == qelFontRepresentation::TYPE_AFP || type == qelFontRepresentation::TYPE_PDF) {
        const std::string fontName = font->getFontName() ? font->getFontName() : "";
        representation->setTypefaceName(fontName.empty() ? nullptr : fontName.c_str());
    } else {
        const std::string own = representation->getName() ? representation->getName() : "";
        representation->setTypefaceName(own.empty() ? nullptr : own.c_str());
    }
    if (m_log)
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA88A,
                                        "BCF", "Begin Coded Font", name.c_str());
}

void qelCodedFontParser::codedFontControl()
{
    qelSFIBlock* f = m_currentSF;
    qelLogStream* log = m_log ? logStream() : nullptr;
    if (!log)
        return;
    log->logStructuredField(getLevel(), static_cast<unsigned long long>(f->getOffset()), 0xA78A, "CFC",
                            "Coded Font Control", "");
    if (f->getRemainingLength() >= 1)
        log->printLine("CFI Repeating Group Length 0x%x", static_cast<unsigned int>(f->readByte()) & 0xFF);
    if (f->getRemainingLength() >= 1)
        log->printLine("Retired Parameter 0x%x", static_cast<unsigned int>(f->readByte()) & 0xFF);
}

void qelCodedFontParser::codedFontIndex(qelAFPFont* font)
{
    qelSFIBlock* f = m_currentSF;
    qelLogStream* log = m_log ? logStream() : nullptr;
    if (log)
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(f->getOffset()), 0x8C8A, "CFI",
                                "Coded Font Index", "");
    // Only the first repeating group is read.
    if (f->getRemainingLength() >= 8) {
        unsigned char bytes[8];
        f->readBytes(bytes, 8);
        const std::string charSet = asciiTrimmed(bytes, 8);
        if (log)
            log->printLine("Font Character Set Name %s", charSet.c_str());
        qelFontRepresentation* representation = font->getRepresentation();
        const int type = representation ? representation->getType() : -1;
        if (type == qelFontRepresentation::TYPE_AFP || type == qelFontRepresentation::TYPE_PDF)
            font->setCharacterSetName(charSet.empty() ? nullptr : charSet.c_str());
    }
    if (f->getRemainingLength() >= 8) {
        unsigned char bytes[8];
        f->readBytes(bytes, 8);
        const std::string codePage = asciiTrimmed(bytes, 8);
        if (log)
            log->printLine("Code Page Name %s", codePage.c_str());
        font->setCodePageName(codePage.empty() ? nullptr : codePage.c_str());
    }
    if (f->getRemainingLength() >= 2) {
        const unsigned int size = f->readUShort();
        if (size >= 1 && size <= 0xFFFE) {
            if (log)
                log->printLine("Specified Vertical Font Size %u", size);
            const int points = static_cast<int>(static_cast<float>(size) * 0.5f);
            font->setNominalVerticalSize(points);
            font->setHeight(points);
            font->setOutlineFont(true);
        } else if (log) {
            log->printLine("Specified Vertical Font Size: out of range");
        }
    }
    if (f->getRemainingLength() >= 2) {
        const unsigned int scale = f->readUShort();
        if (log) {
            if (scale >= 1 && scale <= 0xFFFE)
                log->printLine("Specified Horizontal Scale Factor %u", scale);
            else
                log->printLine("Specified Horizontal Scale Factor: out of range");
        }
    }
    if (f->getRemainingLength() >= 1) {
        const unsigned int retired = static_cast<unsigned int>(f->readByte()) & 0xFF;
        if (log)
            log->printLine("Retired Parameter 0x%x", retired);
    }
    if (f->getRemainingLength() >= 3)
        f->skip(3);
    else
        f->skip(f->getRemainingLength());
    unsigned int section = 0;
    if (f->getRemainingLength() >= 1)
        section = static_cast<unsigned int>(f->readByte()) & 0xFF;
    if (log) {
        if (section == 0)
            log->printLine("Section Number (0x%x): Singlebyte ", section);
        else if (section >= 0x41 && section <= 0xFE)
            log->printLine("Section Number (0x%x): Doublebyte Raster ", section);
        else if (section == 0xFF)
            log->printLine("Section Number: Reserved one");
    }
}

void qelCodedFontParser::endCodedFont()
{
    const std::string name = readName();
    if (m_log)
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA98A,
                                        "ECF", "End Coded Font", name.c_str());
}
