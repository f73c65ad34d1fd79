#include "qelCodePageParser.h"

#include "qelCodePage.h"
#include "qelCodePointGCGIDTable.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMFMCache.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <cctype>
#include <cstring>
#include <new>
#include <string>

namespace
{

using qelPoolAccess::logStream;
using qelPoolAccess::options;

bool fontMetric()
{
    qelIni* ini = options();
    return ini && ini->isFontMetric();
}

// The EBCDIC bytes in ASCII without surrounding blanks, tabs and line ends.
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

// The next byte of the field, or 0 when none is left.
unsigned int byteOrZero(qelSFIBlock* f)
{
    return f->getRemainingLength() >= 1 ? static_cast<unsigned int>(f->readByte()) & 0xFF : 0;
}

} // namespace

qelCodePageParser::qelCodePageParser() = default;

qelCodePageParser::~qelCodePageParser() = default;

qelCodePointGCGIDTable* qelCodePageParser::newGCGIDTable()
{
    return new qelCodePointGCGIDTable();
}

void qelCodePageParser::fillGCGIDTable(qelCodePointGCGIDTable* table, int codePoint, const char* gcgid)
{
    if (!table || codePoint < 0 || codePoint >= qelCodePointGCGIDTable::kEntries)
        return;
    qelCodePointGCGIDTable::Entry& e = table->entries[codePoint];
    std::memset(e.gcgid, 0, sizeof e.gcgid);
    if (gcgid)
        std::strncpy(e.gcgid, gcgid, 8);
    e.value = 0;
}

void qelCodePageParser::resolveResourcePath()
{
    prepareFontSearch(6);
}

void qelCodePageParser::endRead(bool opened)
{
    m_gcgidTable.reset();
    qelFontResParser::endRead(opened);
}

qelRes* qelCodePageParser::parseResource(const char* name, int mode, const char* fileName)
{
    m_mode = mode;
    resolveResourcePath();
    setNames(name, fileName);
    return readResource([this]() -> qelCodePage* {
        qelSFIBlock* field = readNextSF();
        if (field->getId() != 0xA887) {
            reportUnexpectedSF(field->getId());
            return nullptr;
        }
        qelCodePage* codePage = parseCodePage();
        qelIni* ini = options();
        codePage->setDirectory(ini ? ini->getCpPath() : nullptr);
        codePage->setFileName(m_fileName.c_str());
        return codePage;
    });
}

qelCodePage* qelCodePageParser::parseCodePage()
{
    std::unique_ptr<qelCodePage> codePage(new qelCodePage());
    qelIOStream* in = qelIOStream::getCurrent();
    if (m_mode == MODE_LIBRARY && in && in->getStream())
        codePage->setLibraryName(in->getName());
    codePage->setFileName(m_fileName.c_str());
    codePage->setFromResource(true);
    m_gcgidTable.reset();
    beginCodePage(codePage.get());
    for (;;) {
        qelSFIBlock* field = readNextSF();
        const int id = field->getId();
        bool done = false;
        try {
            switch (id) {
            case 0x8C87: codePageIndex(codePage.get()); break;
            case 0xA687: codePageDescriptor(codePage.get()); break;
            case 0xA787: codePageControl(codePage.get()); break;
            case 0xA987:
                endCodePage();
                done = true;
                break;
            default: reportUnexpectedSF(id); break;
            }
        } catch (qelException* e) {
            // A field read beyond its end drops the rest of that field only.
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
        if (done)
            break;
    }
    if (m_gcgidTable) {
        // The metric cache owns the table from now on.
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelMFMCache* cache = pool ? pool->getFontMetricCache() : nullptr;
        if (cache) {
            codePage->setGCGIDTable(m_gcgidTable.get());
            cache->addCodePageTable(codePage->getFileName(), m_gcgidTable.release());
        }
    }
    return codePage.release();
}

void qelCodePageParser::beginCodePage(qelCodePage* codePage)
{
    const std::string read = readName();
    if (m_log)
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA887,
                                        "BCP", "Begin Code Page", read.c_str());
    if (!read.empty())
        codePage->setAliasName(read.c_str());
    const std::string name = m_resourceName.empty() ? read : m_resourceName;
    codePage->setResourceName(name.c_str());
    codePage->setCPGID(qelCodePage::cpgidFromName(name.c_str()).c_str());
    qelTripletParser* triplets = getTripletParser();
    if (triplets && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional =
            QEL_TRIPLET_TIME_STAMP | QEL_TRIPLET_CHECKSUM | QEL_TRIPLET_ORIGIN_IDENTIFIER | QEL_TRIPLET_COMMENT;
        const uint16_t mask = triplets->getLogMask();
        triplets->setLogMask(0x20);
        try {
            triplets->parse(&mandatory, &optional, m_currentSF);
        } catch (...) {
            triplets->setLogMask(mask);
            throw;
        }
        triplets->setLogMask(mask);
    }
}

void qelCodePageParser::codePageDescriptor(qelCodePage* codePage)
{
    qelSFIBlock* f = m_currentSF;
    qelLogStream* log = m_log ? logStream() : nullptr;
    if (log)
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(f->getOffset()), 0xA687, "CPD",
                                "Code Page Descriptor", "");
    if (f->getRemainingLength() >= 32) {
        unsigned char text[32];
        f->readBytes(text, 32);
        if (log)
            log->printLine("Code Page Description  %s", asciiTrimmed(text, 32).c_str());
    }
    if (f->getRemainingLength() >= 2) {
        const unsigned int v = f->readUShort();
        if (log)
            log->printLine("Graphic Character GID Length: %u", v);
    }
    if (f->getRemainingLength() >= 4) {
        const unsigned int high = f->readUShort();
        const unsigned int low = f->readUShort();
        if (log)
            log->printLine("Number of Coded Graphic Characters %u", (high << 16) | low);
    }
    if (f->getRemainingLength() >= 2) {
        const unsigned int v = f->readUShort();
        if (log) {
            if (v >= 1 && v <= 0xFFFE)
                log->printLine("Graphic Character Set GID (%u): GCSGID", v);
            else
                log->printLine("Graphic Character Set GID (%u): No GCSGID is assigned", v);
        }
    }
    unsigned int cpgid = 0;
    if (f->getRemainingLength() >= 2)
        cpgid = f->readUShort();
    if (cpgid >= 1 && cpgid <= 0xFFFE) {
        if (log)
            log->printLine("Code Page Global Identifier (%u): CPGID", cpgid);
        codePage->setCPGID(std::to_string(cpgid).c_str());
        codePage->setFileOrigin(qelCodePage::ORIGIN_DESCRIPTOR);
    } else if (log) {
        log->printLine("Code Page Global Identifier (%u): No CPGID is assigned", cpgid);
    }
    if (f->getRemainingLength() >= 2) {
        const unsigned int scheme = f->readUShort();
        if (log) {
            const unsigned int bytes = (scheme >> 8) & 0x0F;
            log->printLine("Encoding Scheme %u", scheme);
            log->printLine("Basic Encoding Scheme %s", "No Specified Organization");
            log->printLine("Number of Bytes Per Code Point : %u (%s)", bytes,
                           bytes == 1 ? "Fixed Single Byte" : bytes == 2 ? "Fixed Double Byte" : "Reserved");
        }
    }
}

void qelCodePageParser::codePageControl(qelCodePage* codePage)
{
    qelSFIBlock* f = m_currentSF;
    qelLogStream* log = m_log ? logStream() : nullptr;
    if (log)
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(f->getOffset()), 0xA787, "CPC",
                                "Code Page Control", "");
    std::string defaultName;
    if (f->getRemainingLength() >= 8) {
        unsigned char bytes[8];
        f->readBytes(bytes, 8);
        defaultName = asciiTrimmed(bytes, 8);
    }
    codePage->setDefaultCharName(defaultName.empty() ? nullptr : defaultName.c_str());
    if (log)
        log->printLine("Default Graphic Character Global ID: %s", defaultName.c_str());
    const unsigned int defaultFlags = byteOrZero(f);
    if (log) {
        log->printLine("Default Character Use Flags: 0x%x", defaultFlags);
        if (defaultFlags & 0x80)
            log->printLine("Invalid Coded Character");
        if (defaultFlags & 0x40)
            log->printLine("Non - Presentable ( Printable ) Character");
        if (defaultFlags & 0x20)
            log->printLine("No Increment for Print Position of Character");
    }
    const unsigned int groupLength = byteOrZero(f);
    if (log) {
        if (groupLength == 0x0A)
            log->printLine("CPI Repeating Group Length (0x%x): Single Byte Coded page", groupLength);
        else if (groupLength == 0x0B)
            log->printLine("CPI Repeating Group Length (0x%x): Double Byte Coded page", groupLength);
        else
            log->printLine("Warning! Illegal CPI Repeating Group Length");
    }
    const unsigned int section = byteOrZero(f);
    if (log) {
        if (section == 0)
            log->printLine("Space Character Section Number (0x%x): Singlebyte Code Pages", section);
        else if (section == 0x40)
            log->printLine("Space Character Section Number (0x%x): EBCDIC DBCS Code Pages", section);
        else
            log->printLine("Warning! Illegal Space Character Section Number");
    }
    const unsigned int space = byteOrZero(f);
    codePage->setSpaceCodePoint(static_cast<int>(space));
    if (log) {
        if (space == 0x20)
            log->printLine("Space Character Code Point (0x%x): ASCII", space);
        else if (space == 0x40)
            log->printLine("Space Character Code Point (0x%x): EBCDIC", space);
        else
            log->printLine("Warning! Illegal Space Character Code Point (0x%x)", space);
    }
    const unsigned int flags = byteOrZero(f);
    codePage->setUseFlags(static_cast<uint8_t>(flags));
    if (log) {
        log->printLine("Code Page Use Flags  0x%x", flags);
        if (flags & 0x80)
            log->printLine("Code Page Index (CPI) repeating groups are sorted in Ascending CodePoint Order");
        else
            log->printLine("Code Page Index (CPI) repeating groups are sorted in Ascending Character ID Order");
        if (flags & 0x08)
            log->printLine("PTOCA variable space character increment is allowed");
        else
            log->printLine("PTOCA variable space character increment not allowed");
    }
}

void qelCodePageParser::codePageIndex(qelCodePage* codePage)
{
    qelSFIBlock* f = m_currentSF;
    const int space = codePage->getSpaceCodePoint();
    const int groups = f->getDataSize() / 10;
    qelLogStream* log = m_log ? logStream() : nullptr;
    if (log) {
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(f->getOffset()), 0x8C87, "CPI",
                                "Code Page Index", "");
        log->printLine("Number of Code Points: %d", groups);
        log->printLine("Convention Used");
        log->printLine("ICC  - Invalid Coded Character");
        log->printLine("NPC  - Non - Presentable ( Printable ) Character");
        log->printLine("NIPP - No Increment for Print Position of Character");
        log->printLine("List of Code Points: ");
        log->printLine("GCGID    EBCDIC ASCII Character ICC NPC NIPP");
        log->printLine("-----    ------ ----- --------- --- --- ----");
    }
    // One table for the whole code page: an index may come in several
    // fields.
    if (fontMetric() && !m_gcgidTable)
        m_gcgidTable.reset(newGCGIDTable());
    if (!codePage->hasByteTable())
        codePage->allocateTables(groups);
    const unsigned char* ascii = qelUtils::getEbcdicToAsciiTable();
    unsigned int flags = 0;
    int codePoint = 0;
    for (int g = 0; g < groups; ++g) {
        std::string gcgid;
        if (f->getRemainingLength() >= 8) {
            unsigned char bytes[8];
            f->readBytes(bytes, 8);
            gcgid = asciiTrimmed(bytes, 8);
        }
        if (f->getRemainingLength() >= 1)
            flags = static_cast<unsigned int>(f->readByte()) & 0xFF;
        if (f->getRemainingLength() >= 1)
            codePoint = f->readByte() & 0xFF;
        fillGCGIDTable(m_gcgidTable.get(), codePoint, gcgid.c_str());
        if (log) {
            const unsigned int value = codePoint ? ascii[codePoint] : 0;
            char character[2] = {static_cast<char>(value), 0};
            if (std::isspace(static_cast<unsigned char>(character[0])))
                character[0] = 0;
            log->printLine("%s 0x%02x   0x%02x  %1s         %d   %d   %d", gcgid.c_str(),
                           static_cast<unsigned int>(codePoint), value, character, (flags & 0x80) ? 1 : 0,
                           (flags & 0x40) ? 1 : 0, (flags & 0x20) ? 1 : 0);
        }
        if (codePage->hasByteTable())
            codePage->defineChar(codePoint, gcgid.c_str());
        if (codePoint == space)
            codePage->setSpaceCharName(gcgid.c_str());
    }
}

void qelCodePageParser::endCodePage()
{
    const std::string name = readName();
    if (m_log)
        logStream()->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()), 0xA987,
                                        "ECP", "End Code Page", name.c_str());
}
