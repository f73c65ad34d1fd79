#include "qelAFPFont.h"

#include "qelAFPFontRepresentation.h"
#include "qelCharacterWidthTable.h"
#include "qelCodePage.h"
#include "qelCodePointGCGIDTable.h"
#include "qelEncodingTable.h"
#include "qelException.h"
#include "qelFontHandle.h"
#include "qelFontMapper.h"
#include "qelFontText.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIPSFontResource.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMFMCache.h"
#include "qelMFMFile.h"
#include "qelMFMVisitor.h"
#include "qelNamePair.h"
#include "qelPDFFontRepresentation.h"
#include "qelPoolAccess.h"
#include "qelString.h"
#include "qelUtils.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <strings.h>

namespace {

void deleteText(void* item)
{
    delete[] static_cast<char*>(item);
}

std::string withoutQuotes(const char* text)
{
    std::string s = text ? text : "";
    if (!s.empty() && s.front() == '"')
        s.erase(0, 1);
    if (!s.empty() && s.back() == '"')
        s.pop_back();
    return s;
}

const char* yesNo(bool on)
{
    return on ? "Yes" : "No";
}

const char* orNULL(const char* text)
{
    return text ? text : "NULL";
}

using qelPoolAccess::options;

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(&out[0], out.size(), fmt, args);
        out.resize(static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

} // namespace

// --- construction -------------------------------------------------------------

void qelAFPFont::initialise(qelFontRepresentation* representation)
{
    setType(TYPE_FONT);
    m_representation = representation;
    qelFontText::set(m_encoding, "ANSI");
}

qelAFPFont::qelAFPFont()
{
    initialise(new qelAFPFontRepresentation);
}

qelAFPFont::qelAFPFont(const char* characterSetName, const char* codePageName)
{
    initialise(new qelAFPFontRepresentation);
    setCharacterSetName(characterSetName);
    setCodePageName(codePageName);
    qelRes::setName(characterSetName);
}

qelAFPFont::qelAFPFont(const char* codedFontName)
{
    initialise(new qelAFPFontRepresentation);
    setCodedFontName(codedFontName);
    qelRes::setName(codedFontName);
}

qelAFPFont::qelAFPFont(qelPDFFontRepresentation* representation)
{
    initialise(representation ? static_cast<qelFontRepresentation*>(representation) : new qelPDFFontRepresentation);
}

qelAFPFont::~qelAFPFont()
{
    delete m_codedFontName;
    delete m_codePageName;
    for (uint16_t*& w : m_widthArrays)
        delete[] w;
    delete m_codePointUsages;
    delete m_outputFontName;
    delete m_familyName;
    delete m_fontHandles;
    delete m_representation;
    delete m_encoding;
    deleteTemporaryFiles();
    delete m_temporaryFiles;
    delete m_ipsFontResource;
    delete m_physicalFonts;
}

// --- representation -----------------------------------------------------------

void qelAFPFont::checkRepresentation() const
{
    if (!m_representation)
        throw new qelException(__FILE__, __LINE__, qelMsg::E008, 0, true);
}

void qelAFPFont::ensureRepresentation()
{
    if (!m_representation)
        m_representation = new qelAFPFontRepresentation;
}

void qelAFPFont::setRepresentation(qelFontRepresentation* representation)
{
    if (representation != m_representation)
        delete m_representation;
    m_representation = representation;
}

qelIPSFontRepresentation* qelAFPFont::getIPSRepresentation() const
{
    if (!m_representation)
        return nullptr;
    const int t = m_representation->getType();
    if (t != qelFontRepresentation::TYPE_AFP && t != qelFontRepresentation::TYPE_PDF)
        return nullptr;
    return static_cast<qelIPSFontRepresentation*>(m_representation);
}

void qelAFPFont::setIPSFontResource(qelIPSFontResource* resource)
{
    if (resource != m_ipsFontResource)
        delete m_ipsFontResource;
    m_ipsFontResource = resource;
}

// Getter and setter pairs forwarded to any representation.
#define QEL_FORWARD(Type, getter, setter)              \
    Type qelAFPFont::getter() const                    \
    {                                                  \
        checkRepresentation();                         \
        return m_representation->getter();             \
    }                                                  \
    void qelAFPFont::setter(Type v)                    \
    {                                                  \
        ensureRepresentation();                        \
        m_representation->setter(v);                   \
    }

QEL_FORWARD(int, getWidth, setWidth)
QEL_FORWARD(int, getResolution, setResolution)
QEL_FORWARD(bool, isBold, setBold)
QEL_FORWARD(bool, isItalic, setItalic)
QEL_FORWARD(bool, isLight, setLight)
QEL_FORWARD(bool, isUnderline, setUnderline)
QEL_FORWARD(bool, isStrikeover, setStrikeover)
QEL_FORWARD(bool, isHollow, setHollow)
QEL_FORWARD(const char*, getTypefaceName, setTypefaceName)
#undef QEL_FORWARD

int qelAFPFont::getHeight() const
{
    checkRepresentation();
    return m_representation->getHeight();
}

void qelAFPFont::setHeight(int v)
{
    ensureRepresentation();
    m_representation->setHeight(v);
    m_size = v;
}

const char* qelAFPFont::getFontName() const
{
    checkRepresentation();
    if (const qelIPSFontRepresentation* ips = getIPSRepresentation())
        return ips->getFontName();
    return m_representation->getName();
}

void qelAFPFont::setFontName(const char* name)
{
    ensureRepresentation();
    if (qelIPSFontRepresentation* ips = getIPSRepresentation())
        ips->setFontName(name);
    else
        m_representation->setName(name);
}

// IPS-only getters answer `fallback` for other representations; the setters
// do nothing there.
#define QEL_IPS_GET(Type, name, call, fallback)                   \
    Type qelAFPFont::name() const                                 \
    {                                                             \
        checkRepresentation();                                    \
        const qelIPSFontRepresentation* ips = getIPSRepresentation(); \
        return ips ? ips->call() : (fallback);                    \
    }
#define QEL_IPS_SET(Type, name, call)                             \
    void qelAFPFont::name(Type v)                                 \
    {                                                             \
        ensureRepresentation();                                   \
        if (qelIPSFontRepresentation* ips = getIPSRepresentation()) \
            ips->call(v);                                         \
    }
#define QEL_IPS_SET_TYPE(Type, name, call)                        \
    int qelAFPFont::name(Type v)                                  \
    {                                                             \
        ensureRepresentation();                                   \
        if (qelIPSFontRepresentation* ips = getIPSRepresentation()) \
            ips->call(v);                                         \
        return m_representation->getType();                       \
    }

QEL_IPS_GET(const char*, getFGID, getFGID, nullptr)
QEL_IPS_SET(const char*, setFGID, setFGID)
QEL_IPS_GET(const char*, getCharacterSetName, getCharacterSetName, nullptr)
QEL_IPS_SET(const char*, setCharacterSetName, setCharacterSetName)
QEL_IPS_GET(const char*, getFullName, getPostureName, nullptr)
QEL_IPS_GET(int, getRotation, getRotation, 0)
QEL_IPS_SET_TYPE(int, setCharacterRotation, setCharacterRotation)
QEL_IPS_GET(int32_t, getFigureSpaceIncrement, getFigureSpaceIncrement, 0)
QEL_IPS_SET_TYPE(int32_t, setFigureSpaceIncrement, setFigureSpaceIncrement)
QEL_IPS_GET(bool, isOutlineFont, isOutlineFont, false)
QEL_IPS_SET_TYPE(bool, setOutlineFont, setOutlineFont)
QEL_IPS_GET(bool, isRelativeMetric, isRelativeMetric, false)
QEL_IPS_SET_TYPE(bool, setRelativeMetric, setRelativeMetric)
QEL_IPS_GET(int, getNominalVerticalSize, getNominalVerticalSize, 0)
QEL_IPS_SET_TYPE(int, setNominalVerticalSize, setNominalVerticalSize)
QEL_IPS_GET(const char*, getWeightClassName, getWeightClassName, nullptr)
QEL_IPS_SET(const char*, setWeightClassName, setWeightClassName)
QEL_IPS_GET(const char*, getWidthClassName, getWidthClassName, nullptr)
QEL_IPS_SET(const char*, setWidthClassName, setWidthClassName)
QEL_IPS_SET(const char*, setWeightClass, applyWeightClass)
QEL_IPS_SET(const char*, setLightClass, applyLightClass)
#undef QEL_IPS_GET
#undef QEL_IPS_SET
#undef QEL_IPS_SET_TYPE

// --- own names ------------------------------------------------------------------

const char* qelAFPFont::getCodedFontName() const { return qelFontText::get(m_codedFontName); }
void qelAFPFont::setCodedFontName(const char* name) { qelFontText::set(m_codedFontName, name); }
const char* qelAFPFont::getCodePageName() const { return qelFontText::get(m_codePageName); }
void qelAFPFont::setCodePageName(const char* name) { qelFontText::set(m_codePageName, name); }
const char* qelAFPFont::getEncoding() const { return qelFontText::get(m_encoding); }
void qelAFPFont::setEncoding(const char* name) { qelFontText::set(m_encoding, name); }
const char* qelAFPFont::getFamilyName() const { return qelFontText::get(m_familyName); }
void qelAFPFont::setFamilyName(const char* name) { qelFontText::set(m_familyName, name); }
const char* qelAFPFont::getOutputFontName() const { return qelFontText::get(m_outputFontName); }
void qelAFPFont::setOutputFontName(const char* name) { qelFontText::set(m_outputFontName, name); }

void qelAFPFont::setName(const char* name)
{
    setFontName(name);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (qelFileFontMapper* mapper = pool ? pool->getFileFontMapper() : nullptr)
        mapper->mapFont(this, qelFileFontMapper::TARGET_RASTER);
}

void qelAFPFont::applyDefaultFontNames(qelAFPFont* font)
{
    if (!font)
        return;
    qelIPSFontRepresentation* ips = font->getIPSRepresentation();
    const char* name = font->getCodedFontName();
    if (!name) {
        if (!ips || !ips->getCharacterSetName())
            return;
        name = ips->getCharacterSetName();
    }
    if (qelString::compare(name, "DEFAULT", true, 0) || !ips
        || ips->getType() != qelFontRepresentation::TYPE_AFP)
        return;
    const std::string copy = name; // the name may be replaced below
    ips->applyFamilyDefaults(copy.c_str());
    font->setSize(ips->getHeight());

    const char* fontName = ips->getFontName();
    if (!fontName)
        return;
    qelIni* ini = options();
    const int format = ini ? ini->getOutputFormat() : 0;
    if (format == OUTPUT_PDF) {
        if (qelString::compare(fontName, "Times New Roman", true, 0))
            ips->setFontName("Times-Roman");
    } else if (format != OUTPUT_PDFA) {
        if (qelString::compare(fontName, "Courier", true, 0))
            ips->setFontName("Courier New");
    }
}

// --- code page --------------------------------------------------------------------

qelCodePage* qelAFPFont::getCodePage()
{
    if (m_codePage || !getCodePageName())
        return m_codePage;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* resources = pool ? pool->getGlobalRes() : nullptr;
    qelRes* res = resources ? resources->getResource(getCodePageName(), TYPE_CODE_PAGE) : nullptr;
    m_codePage = res && res->getType() == TYPE_CODE_PAGE ? static_cast<qelCodePage*>(res) : nullptr;
    return m_codePage;
}

// --- width arrays -------------------------------------------------------------------

namespace {

int widthSlot(int rotation)
{
    return rotation == 0 || rotation == 90 || rotation == 180 || rotation == 270 ? rotation / 90 : -1;
}

// GCGIDs compare without case; two empty names are equal.
bool sameGCGID(const char* a, size_t aSize, const char* b, size_t bSize)
{
    const std::string x(a, strnlen(a, aSize));
    const std::string y(b, strnlen(b, bSize));
    return x.size() == y.size() && strncasecmp(x.c_str(), y.c_str(), x.size()) == 0;
}

} // namespace

uint16_t* qelAFPFont::getWidthArray(int rotation) const
{
    const int slot = widthSlot(rotation);
    return slot < 0 ? nullptr : m_widthArrays[slot];
}

void qelAFPFont::setWidthArray(const uint16_t* widths, int rotation)
{
    const int slot = widthSlot(rotation);
    if (slot < 0)
        return;
    uint16_t* copy = nullptr;
    if (widths) {
        copy = new uint16_t[qelMFMWidthSet::kWidths];
        std::memcpy(copy, widths, sizeof(uint16_t) * qelMFMWidthSet::kWidths);
    }
    delete[] m_widthArrays[slot];
    m_widthArrays[slot] = copy;
}

void qelAFPFont::setCharMetricsTable(const qelCharacterWidthTable* table, int rotation)
{
    const int slot = widthSlot(rotation);
    if (slot >= 0)
        m_charMetricsTables[slot] = table;
}

const qelCharacterWidthTable* qelAFPFont::getCharMetricsTable(int rotation) const
{
    const int slot = widthSlot(rotation);
    return slot < 0 ? nullptr : m_charMetricsTables[slot];
}

qelMFMWidthSet* qelAFPFont::computeWidthArrays(qelCodePage* codePage)
{
    const qelCodePointGCGIDTable* gcgids = codePage ? codePage->getGCGIDTable() : nullptr;
    if (!gcgids)
        return nullptr;
    const qelCharacterWidthTable* t[4] = {m_charMetricsTables[0], m_charMetricsTables[1], m_charMetricsTables[2],
                                          m_charMetricsTables[3]};
    // 0 and 180 stand in for each other, so do 90 and 270; without both
    // of the latter they take the former.
    if (!t[0])
        t[0] = t[2];
    if (!t[2])
        t[2] = t[0];
    if (!t[1])
        t[1] = t[3];
    if (!t[3])
        t[3] = t[1];
    if (!t[0])
        return nullptr;
    if (!t[1]) {
        t[1] = t[0];
        t[3] = t[2];
    }

    std::unique_ptr<qelMFMWidthSet> set(new qelMFMWidthSet);
    for (uint16_t*& w : set->widths)
        w = new uint16_t[qelMFMWidthSet::kWidths]();
    const size_t nameSize = sizeof(qelCharacterWidthTable::Entry::gcgid);
    const size_t cpNameSize = sizeof(qelCodePointGCGIDTable::Entry::gcgid);
    for (int k = 0; k < qelCharacterWidthTable::kEntries; ++k) {
        const char* name = t[0]->entries[k].gcgid;
        for (int c = 0; c < qelCodePointGCGIDTable::kEntries && c < qelMFMWidthSet::kWidths; ++c) {
            if (!sameGCGID(name, nameSize, gcgids->entries[c].gcgid, cpNameSize))
                continue;
            for (int r = 0; r < 4; ++r)
                set->widths[r][c] = t[r]->entries[k].width;
        }
    }
    return set.release();
}

int qelAFPFont::writeMetricsFile(const char* mfmFileName, qelCodePage* codePage, const char* versionTag)
{
    if (!mfmFileName || !codePage)
        return -1;
    qelIni* ini = options();
    const char* key = ini && ini->isQELNOP() ? codePage->getFileName() : codePage->getName();
    if (!key || !*key)
        return -2;
    const std::string keyText = key;
    const char* tag = versionTag ? versionTag : "QEL V1.0";

    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelMFMCache* cache = pool ? pool->getFontMetricCache() : nullptr;
    qelMFMFile* record = cache ? cache->getMetricsFile(mfmFileName) : nullptr;

    auto keepWidths = [this](const qelMFMWidthSet* set) {
        for (int r = 0; r < 4; ++r)
            setWidthArray(set->widths[r], r * 90);
    };
    // A code page enters the record only with its widths, so that names and
    // width sets stay in step.
    auto addEntry = [&](qelMFMFile* file) {
        if (!file->getHeader() || file->getNameSize() == 0)
            return; // a record without a name table cannot take the name
        std::unique_ptr<qelMFMWidthSet> set(computeWidthArrays(codePage));
        if (!set)
            return;
        keepWidths(set.get());
        file->addCodePage(keyText.c_str());
        file->addWidthSet(set.release());
        file->setDirty(true);
    };

    if (record) {
        if (const qelMFMWidthSet* set = record->findWidths(keyText.c_str()))
            keepWidths(set);
        else if (!record->hasCodePage(keyText.c_str()))
            addEntry(record);
    } else {
        std::unique_ptr<uint8_t[]> header(new uint8_t[qelMFMFile::kHeaderSize]());
        auto put = [&](int offset, int size, const char* text) {
            if (text)
                std::memcpy(header.get() + offset, text, strnlen(text, static_cast<size_t>(size)));
        };
        auto putWord = [&](int offset, int value) {
            header[offset] = static_cast<uint8_t>(value);
            header[offset + 1] = static_cast<uint8_t>(value >> 8);
        };
        const qelFontRepresentation* rep = m_representation;
        const qelIPSFontRepresentation* ips = getIPSRepresentation();
        put(0, 31, "Lorbane font metrics\n");
        put(32, 123, "Character widths of an AFP character set by code page\n");
        put(156, 23, ips ? ips->getCharacterSetName() : nullptr);
        put(180, 63, rep ? rep->getTypefaceName() : nullptr);
        put(244, 8, ips ? ips->getFGID() : nullptr);
        put(252, 19, ips ? ips->getWeightClassName() : nullptr);
        put(272, 3, rep && rep->isItalic() ? "on" : "off");
        put(276, 23, ips ? ips->getWidthClassName() : nullptr);
        const bool relative = ips && ips->isRelativeMetric();
        header[300] = relative ? 1 : 0;
        putWord(302, relative ? ips->getNominalVerticalSize() : rep ? rep->getHeight() : 0);
        putWord(304, rep ? rep->getResolution() : 0);
        putWord(306, ips ? ips->getFigureSpaceIncrement() : 0);

        std::unique_ptr<qelMFMFile> created(new qelMFMFile);
        created->setVersion(tag);
        created->setName(mfmFileName);
        created->setHeader(header.release());
        addEntry(created.get());
        created->setDirty(true);
        record = created.get();
        if (cache)
            cache->addFile(created.release());
        else
            return 0; // no pool to keep the record: nothing is written
        m_metricsCreated = true;
    }
    if (record->isDirty() && record->getEntryCount() > 0) {
        qelMFMVisitor writer;
        writer.writeFont(record);
        record->setDirty(false);
    }
    m_metricsRecord = record;
    return 0;
}

// --- glyph indexes ----------------------------------------------------------------------

qelEncodingTable* qelAFPFont::findEncodingTable(const char* name) const
{
    if (!name || !m_ipsFontResource)
        return nullptr;
    qelEncodingTable* first = m_ipsFontResource->firstEncodingTable();
    for (qelEncodingTable* t = first; t; t = m_ipsFontResource->nextEncodingTable())
        if ((t->getFontName() && qelString::compare(t->getFontName(), name, true, 0))
            || (t->getEncodingName() && qelString::compare(t->getEncodingName(), name, true, 0)))
            return t;
    return first;
}

void qelAFPFont::logFontWarning(const char* fmt, ...) const
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    if (!log || log->noneOf(QEL_LOG_FONT))
        return;
    va_list args;
    va_start(args, fmt);
    char text[1024];
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    log->print("%s", text);
}

qelEncodingTable* qelAFPFont::glyphIndexTable()
{
    const char* typeface = m_representation ? m_representation->getTypefaceName() : nullptr;
    qelEncodingTable* table = findEncodingTable(getEncoding());
    if (!table) {
        logFontWarning("\n==>Font=%s Warning! Encoding Table is not available to get Glyph Indexes",
                       typeface ? typeface : "(null)");
        return nullptr;
    }
    if (!table->getEntries() || table->getEntryCount() < 1) {
        logFontWarning("\n==>Font=%s Warning! Encoding Table Array is not available to get Glyph Indexes",
                       typeface ? typeface : "(null)");
        return nullptr;
    }
    return table;
}

void qelAFPFont::mapBytesToGlyphIndexes(const unsigned char* text, int n, unsigned char** out, int* outLength)
{
    mapToGlyphIndexes(text, n, false, out, outLength);
}

void qelAFPFont::mapCharacterIdsToGlyphIndexes(const unsigned char* text, int n, unsigned char** out,
                                               int* outLength)
{
    mapToGlyphIndexes(text, n, true, out, outLength);
}

void qelAFPFont::mapToGlyphIndexes(const unsigned char* text, int n, bool twoByteIds, unsigned char** out,
                                   int* outLength)
{
    if (n < 1 || !text || !out || !outLength)
        return;
    *out = nullptr;
    *outLength = 0;
    qelEncodingTable* table = glyphIndexTable();
    if (!table)
        return;
    const char* typeface = m_representation ? m_representation->getTypefaceName() : nullptr;
    // Two bytes out per code: a byte text doubles, a text of 2-byte ids
    // keeps its length.
    const int length = twoByteIds ? n : 2 * n;
    const int codes = twoByteIds ? n / 2 : n;
    *outLength = length;
    *out = new unsigned char[static_cast<size_t>(length)]();
    qelEncodingEntry** entries = table->getEntries();
    for (int i = 0; i < codes; ++i) {
        const unsigned code = twoByteIds ? 256u * text[2 * i] + text[2 * i + 1] : text[i];
        const qelEncodingEntry* e = code < static_cast<unsigned>(table->getEntryCount()) ? entries[code] : nullptr;
        if (e) {
            (*out)[2 * i] = static_cast<unsigned char>(e->glyphIndex >> 8);
            (*out)[2 * i + 1] = static_cast<unsigned char>(e->glyphIndex);
        } else if (twoByteIds) {
            logFontWarning("\n==>Font=%s Warning! Encoding Table Array does not have Glyph Index for CharacterID:%d",
                           typeface ? typeface : "(null)", static_cast<int>(code));
        } else {
            logFontWarning("\n==>Font=%s Warning! Encoding Table Array does not have Glyph Index for Character:%d(%c)",
                           typeface ? typeface : "(null)", static_cast<int>(code), static_cast<char>(code));
        }
    }
}

// --- physical fonts -----------------------------------------------------------------

qelPhysicalFont* qelAFPFont::findPhysicalFont(float size)
{
    if (!m_physicalFonts)
        return nullptr;
    qelListNode* head = m_physicalFonts->getHead();
    if (m_kind == KIND_TYPE3)
        return head ? static_cast<qelPhysicalFont*>(head->item) : nullptr;
    const long wanted = static_cast<long>(size);
    for (qelListNode* n = head; n; n = n->next) {
        auto* entry = static_cast<qelPhysicalFont*>(n->item);
        if (static_cast<long>(entry->size) == wanted)
            return entry;
    }
    return nullptr;
}

void qelAFPFont::setPhysicalFont(float size, const char* codedFontName, const char* characterSetName,
                                 const char* codePageName, const char* fourthName, const char* nameA,
                                 const char* nameB, qelCodePage* codePage, intptr_t value, uint8_t source)
{
    if (!m_physicalFonts) {
        try {
            m_physicalFonts = new qelList(&qelList::deleteAs<qelPhysicalFont>);
        } catch (const std::bad_alloc&) {
            throw "Memory allocation error occurred while allocating object for font physical filenames";
        }
    }
    qelPhysicalFont* entry = findPhysicalFont(size);
    if (!entry) {
        entry = new qelPhysicalFont;
        m_physicalFonts->append(entry);
    }
    entry->clearTexts();
    entry->size = size;
    qelPhysicalFont::setText(entry->codedFontName, codedFontName);
    qelPhysicalFont::setText(entry->characterSetName, characterSetName);
    qelPhysicalFont::setText(entry->codePageName, codePageName);
    qelPhysicalFont::setText(entry->fourthName, fourthName);
    qelPhysicalFont::setText(entry->nameA, nameA);
    qelPhysicalFont::setText(entry->nameB, nameB);
    entry->codePage = codePage;
    entry->value = value;
    entry->source = source;
    entry->flag = 0;
}

// --- font handles ---------------------------------------------------------------------

void qelAFPFont::addFontHandle(qelFontHandle* handle)
{
    if (!handle)
        return;
    if (!m_fontHandles)
        m_fontHandles = new qelList(&qelList::deleteAs<qelFontHandle>);
    m_fontHandles->append(handle);
}

qelFontHandle* qelAFPFont::findFontHandle(int rotation, bool underline, const char* codePageName,
                                          const char* typefaceName) const
{
    checkRepresentation();
    if (!m_fontHandles || !codePageName || !typefaceName)
        return nullptr;
    const int height = m_representation->getHeight();
    const int width = m_representation->getWidth();
    const int16_t characterRotation = static_cast<int16_t>(getRotation());
    for (qelListNode* n = m_fontHandles->getHead(); n; n = n->next) {
        auto* h = static_cast<qelFontHandle*>(n->item);
        if (h->matches(underline ? 1 : 0, height, width, static_cast<int16_t>(rotation), characterRotation,
                       typefaceName, codePageName))
            return h;
    }
    return nullptr;
}

// --- aliases, usage records, temporary files ---------------------------------------

void qelAFPFont::addAliasName(const char* name)
{
    if (name)
        m_aliasNames.emplace_back(withoutQuotes(name), std::string());
}

void qelAFPFont::setAliasNames(const qelList* pairs)
{
    m_aliasNames.clear();
    if (!pairs)
        return;
    for (qelListNode* n = pairs->getHead(); n; n = n->next) {
        const auto* pair = static_cast<const qelNamePair*>(n->item);
        if (pair)
            m_aliasNames.emplace_back(withoutQuotes(pair->first), withoutQuotes(pair->second));
    }
}

void qelAFPFont::addCodePointUsage(qelPDFFontFileEntry* record)
{
    if (!m_codePointUsages)
        m_codePointUsages = new qelList(&qelList::deleteAs<qelPDFFontFileEntry>);
    m_codePointUsages->append(record);
}

qelPDFFontFileEntry* qelAFPFont::findCodePointUsage(const char* codePageName) const
{
    if (!m_codePointUsages || !codePageName)
        return nullptr;
    for (qelListNode* n = m_codePointUsages->getHead(); n; n = n->next) {
        auto* record = static_cast<qelPDFFontFileEntry*>(n->item);
        if (qelString::compare(record->codePageName, codePageName, true, 0))
            return record;
    }
    return nullptr;
}

void qelAFPFont::addTemporaryFiles(const char* text)
{
    if (!text)
        return;
    if (!m_temporaryFiles)
        m_temporaryFiles = new qelList(&deleteText);
    m_temporaryFiles->append(qelFontText::copy(text));
}

void qelAFPFont::deleteTemporaryFiles()
{
    if (!m_temporaryFiles)
        return;
    for (qelListNode* n = m_temporaryFiles->getHead(); n; n = n->next) {
        const std::string text = static_cast<const char*>(n->item);
        const size_t bar = text.empty() ? std::string::npos : text.find('|', 1);
        if (bar == std::string::npos) {
            qelUtils::deleteFile(text.c_str());
        } else {
            qelUtils::deleteFile(text.substr(0, bar).c_str());
            qelUtils::deleteFile(text.substr(bar + 1).c_str());
        }
    }
}

// --- listing ------------------------------------------------------------------------

char* qelAFPFont::describe()
{
    const qelIPSFontRepresentation* ips = getIPSRepresentation();
    std::string name = std::string(orNULL(getName())) + (getFound() ? "" : "(*)");
    std::string s = format("\r\n%-7s%-13s", "", name.c_str());
    s += format("%-8s", yesNo(getInline() == 1));
    if (getCodedFontName()) {
        s += format("CHS=%s (Found=%s)\r\n", orNULL(ips ? ips->getCharacterSetName() : nullptr),
                    yesNo(m_characterSetFound));
        s += format("%28sCDP=%s (Found=%s)\r\n", "", orNULL(getCodePageName()), yesNo(m_codePageFound));
        s += format("%28s", "");
    }
    const qelFontRepresentation* rep = m_representation;
    s += format("TypeFaceName=%s\r\n", orNULL(rep ? rep->getTypefaceName() : nullptr));
    s += format("%28sFGID=%s\r\n", "", orNULL(ips ? ips->getFGID() : nullptr));
    s += format("%28sPresentationAttributes=", "");
    s += format("(Height=%d Width=%d Resolution=%d Rotation=%d)\r\n", rep ? rep->getHeight() : 0,
                rep ? rep->getWidth() : 0, rep ? rep->getResolution() : 0, ips ? ips->getRotation() : 0);
    s += format("%28sFlags=(", "");
    s += format("OutlineFont=%s ", yesNo(ips && ips->isOutlineFont()));
    s += format("Bold=%s ", yesNo(rep && rep->isBold()));
    s += format("Italic=%s ", yesNo(rep && rep->isItalic()));
    s += format("Underline=%s ", yesNo(rep && rep->isUnderline()));
    s += format("StrikeOver=%s ", yesNo(rep && rep->isStrikeover()));
    s += format("Light=%s)\r\n", yesNo(rep && rep->isLight()));
    s += format("%28sFilled from mapping def=%s\r\n", "", yesNo(m_filledFromMappingDef));
    const char* fontName = rep ? (ips ? ips->getFontName() : rep->getName()) : nullptr;
    s += format("%28sAliasNameList=(%s=", "", orNULL(fontName));
    std::string aliases;
    for (const auto& a : m_aliasNames) {
        if (a.first.empty())
            continue;
        aliases += a.first;
        if (!a.second.empty())
            aliases += ":" + a.second;
        aliases += ",";
    }
    if (!aliases.empty())
        aliases.pop_back();
    s += aliases + ")\r\n";
    qelIni* ini = options();
    if (ini && ini->getOutputFormat() == OUTPUT_TIFF) {
        s += format("%28sHandle List=", "");
        if (!m_fontHandles) {
            s += "None";
        } else {
            for (qelListNode* n = m_fontHandles->getHead(); n; n = n->next) {
                const auto* h = static_cast<const qelFontHandle*>(n->item);
                s += format("{Underline=%s ", h->style ? "True" : "False");
                s += format("Height=%d ", h->height);
                s += format("Width=%d ", h->width);
                s += format("Rotation=%d ", h->rotation);
                s += format("CharRotation=%d ", h->characterRotation);
                s += format("TypeFaceName=%s ", h->getFaceName() ? h->getFaceName() : "");
                s += format("CDP=%s} ", h->getCodePageName() ? h->getCodePageName() : "");
            }
        }
    }
    s += "\r\n";
    return qelFontText::copy(s.c_str());
}
