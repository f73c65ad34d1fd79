#include "qelAFPFont.h"

#include "qelAFPFontRepresentation.h"
#include "qelCodePage.h"
#include "qelException.h"
#include "qelFontHandle.h"
#include "qelFontMapper.h"
#include "qelFontText.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIPSFontResource.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelNamePair.h"
#include "qelPDFFontRepresentation.h"
#include "qelString.h"
#include "qelUtils.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

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

qelIni* options()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    return pool ? pool->getIni() : nullptr;
}

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
        throw new qelException(__FILE__, __LINE__, 8 /* E008 */, 0, true);
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

uint16_t* qelAFPFont::getWidthArray(int rotation) const
{
    return rotation >= 0 && rotation < 4 ? m_widthArrays[rotation] : nullptr;
}

void qelAFPFont::setWidthArray(int rotation, uint16_t* widths)
{
    if (rotation < 0 || rotation >= 4) {
        delete[] widths;
        return;
    }
    if (widths != m_widthArrays[rotation])
        delete[] m_widthArrays[rotation];
    m_widthArrays[rotation] = widths;
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
        if (h->underline == underline && h->height == height && h->width == width
            && h->rotation == static_cast<int16_t>(rotation) && h->characterRotation == characterRotation
            && !h->typefaceName.empty() && !h->codePageName.empty()
            && qelString::compare(h->typefaceName.c_str(), typefaceName, true, 0)
            && qelString::compare(h->codePageName.c_str(), codePageName, true, 0))
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
                s += format("{Underline=%s ", h->underline ? "True" : "False");
                s += format("Height=%d ", h->height);
                s += format("Width=%d ", h->width);
                s += format("Rotation=%d ", h->rotation);
                s += format("CharRotation=%d ", h->characterRotation);
                s += format("TypeFaceName=%s ", h->typefaceName.c_str());
                s += format("CDP=%s} ", h->codePageName.c_str());
            }
        }
    }
    s += "\r\n";
    return qelFontText::copy(s.c_str());
}
