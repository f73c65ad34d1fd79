#include "qelTextObject.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFont.h"
#include "qelCodePage.h"
#include "qelException.h"
#include "qelFontMetrics.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIPSFontHeader.h"
#include "qelIPSFontResource.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMappedRes.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelPDFFontFileEntry.h"
#include "qelPhysicalFont.h"
#include "qelPoolAccess.h"
#include "qelString.h"
#include "qelTextMeasure.h"
#include "qelVisitor.h"
#include "ips/FileGlyphCollection.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
const unsigned int LOG_FONT_CODES = QEL_LOG_LEVEL5;
// Output formats drawn into bitmaps: GIF, JPEG, PNG, TIFF, PCX.
const int RASTER_FORMATS = 4 | 16 | 64 | 128 | 2048;

using qelPoolAccess::logStream;
using qelPoolAccess::options;

bool logs(unsigned int bits)
{
    qelLogStream* log = logStream();
    return log && log->anyOf(bits);
}

bool logsAll()
{
    qelLogStream* log = logStream();
    return log && log->isExactly(QEL_LOG_ALL);
}

bool devTest()
{
    qelIni* ini = options();
    return ini && ini->isDevTest();
}

int pageResolution()
{
    qelIni* ini = options();
    return ini ? ini->getIPSPageResolution() : 240;
}

// The run's font mapping definition, when one is loaded.
qelMappingDef* mappingDef()
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    return pool ? pool->getMappingDef() : nullptr;
}

const char* orNull(const char* s)
{
    return s ? s : "(null)";
}

bool equalsIgnoreCase(const char* a, const char* b)
{
    return a && b && qelString::compare(a, b, true, 0);
}

bool isIdentityEncoding(const char* encoding)
{
    return equalsIgnoreCase(encoding, "identity-h") || equalsIgnoreCase(encoding, "identity-v");
}

char* copyText(const char* s)
{
    if (!s)
        return nullptr;
    const size_t n = std::strlen(s);
    char* c = new char[n + 1];
    std::memcpy(c, s, n + 1);
    return c;
}
}

qelTextObject::qelTextObject()
{
    setColorValue(0);
}

qelTextObject::qelTextObject(qelPoint position, qelMappedRes* fontMapping, const unsigned char* codePoints,
                             const char* text, uint16_t length, uint16_t iAxisOrientation,
                             uint16_t bAxisOrientation, uint32_t colorValue)
    : qelGraphicObject(position.x, position.y, iAxisOrientation, bAxisOrientation), m_textLength(length),
      m_fontMapping(fontMapping)
{
    setColorValue(colorValue);
    setCodePointText(codePoints);
    setText(text);
}

qelTextObject::~qelTextObject()
{
    delete m_text;
    delete[] m_codePointText;
    delete m_fontName;
    delete m_textId;
    delete[] m_unicodeText;
    delete[] m_unicodeValues;
    if (m_font && m_font->isUseCounted())
        m_font->releaseUse();
}

void qelTextObject::copyMatrix(double* dst, const double* src)
{
    if (src)
        std::memcpy(dst, src, 6 * sizeof(double));
}

void qelTextObject::setText(const char* text)
{
    delete m_text;
    m_text = text ? new qelString(text) : nullptr;
}

const char* qelTextObject::getText() const
{
    return m_text ? m_text->getBuffer() : nullptr;
}

void qelTextObject::setCodePointText(const unsigned char* bytes)
{
    delete[] m_codePointText;
    m_codePointText = nullptr;
    if (!bytes)
        return;
    m_codePointText = new unsigned char[m_textLength ? m_textLength : 1];
    std::memcpy(m_codePointText, bytes, m_textLength);
}

void qelTextObject::setCodes(const int32_t* values, int count)
{
    delete[] m_unicodeText;
    m_unicodeText = nullptr;
    m_unicodeTextLength = 0;
    if (!values || count < 1)
        return;
    m_unicodeText = new int32_t[static_cast<size_t>(count) + 1];
    std::memcpy(m_unicodeText, values, static_cast<size_t>(count) * sizeof(int32_t));
    m_unicodeText[count] = 0;
    m_unicodeTextLength = count;
}

void qelTextObject::setUnicodeValues(const uint32_t* values, int count)
{
    delete[] m_unicodeValues;
    m_unicodeValues = nullptr;
    if (!values || count < 1)
        return;
    m_unicodeValues = new uint32_t[count];
    std::memcpy(m_unicodeValues, values, static_cast<size_t>(count) * sizeof(uint32_t));
}

void qelTextObject::setFontName(const char* name)
{
    delete m_fontName;
    m_fontName = name ? new qelString(name) : nullptr;
}

const char* qelTextObject::getFontName() const
{
    return m_fontName ? m_fontName->getBuffer() : nullptr;
}

void qelTextObject::setTextId(const char* id)
{
    delete m_textId;
    m_textId = id ? new qelString(id) : nullptr;
}

const char* qelTextObject::getTextId() const
{
    return m_textId ? m_textId->getBuffer() : nullptr;
}

void qelTextObject::write(qelVisitor* visitor)
{
    qelIni* ini = options();
    const bool trace = ini && ini->isDevTestLevel(0x1);
    if (trace)
        qelMessageOutput::printf("[TextObject %s ]: (Begin): write\n", getText() ? getText() : "null");
    if (visitor)
        visitor->writeTextObject(this);
    if (trace)
        qelMessageOutput::write("[TextObject]: (End): write\n");
}

void qelTextObject::fixAbsPosition()
{
    if (getCreatedByScript())
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (pool)
        transformToPage(pool->getPageCoordinateTransformer());
}

bool qelTextObject::isBlank() const
{
    if (m_textLength == 0 || !m_font || !m_font->getEncoding())
        return false;
    const char* encoding = m_font->getEncoding();
    static const char* const singleByte[] = {"WinAnsi", "MacRoman", "MacExpert", "AdobeStandard", "Symbol"};
    for (const char* name : singleByte) {
        if (equalsIgnoreCase(encoding, name)) {
            const char* text = getText();
            if (!text)
                return false;
            for (const char* p = text; *p; ++p)
                if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\v' && *p != '\f' && *p != '\r')
                    return false;
            return true;
        }
    }
    if (isIdentityEncoding(encoding)) {
        if (!m_unicodeText || m_unicodeTextLength < 1)
            return false;
        for (int i = 0; i < m_unicodeTextLength; ++i)
            if (m_unicodeText[i] != 32)
                return false;
        return true;
    }
    return false;
}

// --- binding ---------------------------------------------------------------

void qelTextObject::bindCodePoints()
{
    qelAFPFont* font = nullptr;
    qelCodePage* codePage = nullptr;
    if (m_fontMapping) {
        font = m_fontMapping->getFont();
        codePage = m_fontMapping->getCodePage();
    } else if (m_font && (getCreatedByScript() || (m_font->getRepresentation()
                                                   && m_font->getRepresentation()->getType()
                                                          == qelFontRepresentation::TYPE_TYPE3))) {
        font = m_font;
        codePage = m_font->getCodePage();
    } else {
        font = m_font;
        if (font) {
            if (const qelPhysicalFont* pf = font->findPhysicalFont(static_cast<float>(m_fontHeight))) {
                font->setCodedFontName(pf->codedFontName);
                font->setCharacterSetName(pf->characterSetName);
                font->setCodePageName(pf->codePageName);
                font->setFontName(pf->fourthName);
            }
        }
    }
    if (!font)
        return;
    // A font with an alias stands for the font filed under its
    // representation's name. Without such a name (a font mapped by its
    // own name alone) there is nothing else to look for: it is used itself.
    if (font->getAliasNameCount() > 0) {
        const qelFontRepresentation* rep = font->getRepresentation();
        const char* name = rep ? rep->getName() : nullptr;
        if (name && *name) {
            qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
            qelGlobalRes* res = pool ? pool->getGlobalRes() : nullptr;
            qelRes* found = nullptr;
            if (res) {
                if (font->getScriptCreated()) {
                    found = res->findProcessScriptFont(name, 3);
                    if (!found)
                        found = res->findScriptFont(name, 3);
                } else {
                    found = res->findResource(name, 3);
                }
            }
            if (!found)
                return;
            font = static_cast<qelAFPFont*>(found);
        }
    }
    if (!codePage)
        codePage = font->getCodePage();

    const bool trueType = font->getKind() == qelAFPFont::KIND_GLYPH_FILE;
    const qelIPSFontRepresentation* ips = font->getIPSRepresentation();
    const char* charSetName = ips ? font->getCharacterSetName() : nullptr;
    const int technology = ips ? ips->getPatternTechnology() : 0;
    int renderingMode;
    if (getCreatedByScript() && font->getAliasNameCount() > 0 && !charSetName) {
        renderingMode = 1;
    } else if (trueType) {
        renderingMode = 0;
        if (font->getRepresentation())
            charSetName = font->getRepresentation()->getTypefaceName();
    } else {
        qelMappingDef* md = mappingDef();
        renderingMode = md ? md->getCharSetRenderingMode(charSetName) : 1;
    }

    const bool fromResources = font->isLoadedFromCharSet() && codePage && codePage->isFromResource();
    const unsigned char* bytes = nullptr;
    int count = 0;
    if (renderingMode == 0 && fromResources
        && (technology == qelIPSFontRepresentation::TECH_RASTER
            || technology == qelIPSFontRepresentation::TECH_TYPE1_OUTLINE)) {
        qelIni* ini = options();
        if (technology == qelIPSFontRepresentation::TECH_TYPE1_OUTLINE && ini
            && (ini->getOutputFormat() & RASTER_FORMATS) != 0) {
            bindRaster(font, codePage);
            return;
        }
        bytes = m_codePointText;
        count = m_codePointText ? m_textLength : 0;
    } else if (trueType) {
        bytes = m_codePointText;
        count = m_codePointText ? m_textLength : 0;
    } else if (getText()) {
        bytes = reinterpret_cast<const unsigned char*>(getText());
        count = static_cast<int>(std::strlen(getText()));
    }

    const char* tableName = fromResources ? codePage->getName() : "ALLCDEPG";
    qelPDFFontFileEntry* table = font->findGlyphName(tableName);
    if (!table) {
        table = new qelPDFFontFileEntry(tableName);
        font->addUsedGlyph(table);
    }
    const char* defaultName = trueType ? "" : (codePage ? codePage->getDefaultGCGID() : nullptr);
    qelFontMetrics* metrics = font->getRepresentation() ? font->getRepresentation()->getMetrics() : nullptr;
    const char* text = getText();
    const int textChars = text ? static_cast<int>(std::strlen(text)) : 0;

    if (count > 0) {
        const auto range = std::minmax_element(bytes, bytes + count);
        if (table->firstCode < 0 || *range.first < table->firstCode)
            table->firstCode = *range.first;
        if (*range.second > table->lastCode)
            table->lastCode = *range.second;
    }
    // How codes not yet bound are bound; the same for every code of the text.
    enum { BIND_NONE, BIND_SCRIPT, BIND_AS_IS, BIND_NAMED } how = BIND_NONE;
    if (getCreatedByScript() && font->getCodedFontName() && font->getCharacterSetName())
        how = BIND_SCRIPT;
    else if (font->isTakeCharsAsIs())
        how = BIND_AS_IS;
    else if ((codePage && codePage->isFromResource()) || trueType)
        how = BIND_NAMED;
    std::vector<int> unnamed;
    for (int i = 0; how != BIND_NONE && i < count; ++i) {
        const unsigned char b = bytes[i];
        // Codes bound before cost one look-up.
        if (table->state[b] == qelPDFFontFileEntry::USED)
            continue;
        const unsigned char c = (i < textChars) ? static_cast<unsigned char>(text[i]) : b;
        if (how == BIND_SCRIPT) {
            table->state[b] = qelPDFFontFileEntry::USED;
            table->firstChar[b] = c;
        } else if (how == BIND_AS_IS) {
            table->firstChar[b] = c;
            ++table->usedCount;
        } else {
            const char* name = codePage ? codePage->getCharName(b) : nullptr;
            if (!name) {
                name = defaultName;
                unnamed.push_back(i);
            }
            delete[] table->glyphName[b];
            table->glyphName[b] = nullptr;
            if (name) {
                table->glyphName[b] = copyText(name);
                qelString::trim(table->glyphName[b]);
                if (metrics)
                    table->charMetrics[b] = metrics->findCharMetrics(table->glyphName[b]);
            }
            table->state[b] = qelPDFFontFileEntry::USED;
            ++table->usedCount;
            table->firstChar[b] = c;
        }
    }

    if (logs(LOG_FONT_CODES) && !unnamed.empty() && static_cast<int>(unnamed.size()) < count) {
        qelLogStream* log = logStream();
        log->printLine("Warning! %s is not found for following code point(s) on applied font (%s=%s, CP=%s), "
                       "Using default %s (%s)",
                       trueType ? "Charname" : "GCGID", trueType ? "TF" : "CS", charSetName ? charSetName : "NULL",
                       codePage ? codePage->getName() : "(null)", trueType ? "Charname" : "GCGID",
                       orNull(defaultName));
        for (int i : unnamed)
            log->printLine("%c: %d (0x%02X)", (i < textChars) ? text[i] : ' ', bytes[i], bytes[i]);
    }
}

void qelTextObject::bindRaster(qelAFPFont* font, qelCodePage* codePage)
{
    if (!codePage)
        return;
    if (font->findGlyphName(codePage->getName())) {
        warnUnassignedGCGIDs(font, codePage);
        return;
    }
    qelPDFFontFileEntry* table = new qelPDFFontFileEntry(codePage->getName());
    font->addUsedGlyph(table);
    qelFontRepresentation* rep = font->getRepresentation();
    qelFontMetrics* metrics = rep ? rep->getMetrics() : nullptr;
    if (!rep || rep->getType() != qelFontRepresentation::TYPE_AFP || !metrics)
        return;
    for (int cp = 0; cp < 256; ++cp) {
        const char* name = nullptr;
        int mark = qelPDFFontFileEntry::USED;
        if (cp == codePage->getSpaceCodePoint() && metrics->findCharMetrics("SP010000"))
            name = "SP010000";
        if (!name)
            name = codePage->getCharName(cp);
        if (!name) {
            name = codePage->getDefaultGCGID();
            mark = qelPDFFontFileEntry::USED_DEFAULT;
        }
        if (!name || !*name)
            continue;
        std::unique_ptr<char[]> trimmed(copyText(name));
        qelString::trim(trimmed.get());
        qelAFPCharMetrics* m = metrics->findCharMetrics(trimmed.get());
        if (!*trimmed.get() || !m)
            continue;
        table->glyphName[cp] = trimmed.release();
        table->charMetrics[cp] = m;
        table->state[cp] = mark;
        ++table->usedCount;
    }
}

void qelTextObject::warnUnassignedGCGIDs(qelAFPFont* font, qelCodePage* codePage)
{
    if (!font || !codePage || !m_codePointText || !logs(LOG_FONT_CODES))
        return;
    const qelPDFFontFileEntry* table = font->findGlyphName(codePage->getName());
    if (!table)
        return;
    qelLogStream* log = logStream();
    for (int i = 0; i < m_textLength; ++i) {
        const unsigned char b = m_codePointText[i];
        if (table->state[b] == qelPDFFontFileEntry::USED_DEFAULT)
            log->printLine("==>CS=%s, CP=%s Warning! GCGID not assigned for Code Point %d (0x%02X). Using Default "
                           "GCGID: %s",
                           orNull(font->getCharacterSetName()), codePage->getName(), b, b,
                           orNull(codePage->getDefaultGCGID()));
    }
}

// --- bounding box ------------------------------------------------------------

void qelTextObject::computeBoundingBox()
{
    if (hasBoundingBox())
        return;
    qelLogStream* log = logStream();
    const bool trace = devTest() && log && log->getFile();
    if (trace)
        log->print("\nTextBBox=> Text:%s", orNull(getText()));
    if (!m_font)
        return;
    Extents e;
    bool ok;
    if ((m_wordSpacing != 0.0f && isBlank()) || m_textLength == 0)
        ok = blankExtents(e);
    else if (m_font->getKind() == qelAFPFont::KIND_GLYPH_FILE)
        ok = glyphExtents(e);
    else if (getRasterize())
        ok = fontFileExtents(e, false, true);
    else {
        ok = fontFileExtents(e, false, false);
        if (!ok)
            ok = characterSetExtents(e);
        if (!ok)
            ok = fontFileExtents(e, true, true);
    }
    if (ok)
        boxFromExtents(e);
}

bool qelTextObject::blankExtents(Extents& e) const
{
    e = Extents{};
    if (m_textLength == 0)
        return true;
    e.right = static_cast<float>(m_textLength * static_cast<double>(m_wordSpacing));
    e.top = static_cast<float>(-(static_cast<double>(pageResolution()) * m_fontHeight / 720.0));
    return true;
}

bool qelTextObject::isSpaceCode(int index, unsigned int code, bool singleByte) const
{
    if (m_unicodeText && index < m_unicodeTextLength && m_unicodeText[index] == 32)
        return true;
    return singleByte && code == 0x20;
}

bool qelTextObject::computePDFWidth(double& width) const
{
    width = 0.0;
    qelIPSFontResource* res = m_font ? m_font->getIPSFontResource() : nullptr;
    qelIPSFontHeader* header = res ? res->getHeader() : nullptr;
    if (!header || header->getWidthCount() <= 0) {
        qelLogStream* log = logStream();
        if (header && devTest() && log)
            log->print("PDF Font does not have width array information\n");
        return false;
    }
    const double scale = (m_fontHeight == -1) ? 10.0 : m_fontHeight / 10.0;
    if (!m_codePointText)
        return true;
    const bool pairs = isIdentityEncoding(m_font->getEncoding());
    const int codes = pairs ? (m_textLength + 1) / 2 : m_textLength;
    for (int k = 0; k < codes; ++k) {
        unsigned int code;
        if (pairs) {
            // A lone last byte is a high byte with a low byte of 0.
            const unsigned int high = m_codePointText[2 * k];
            const unsigned int low = (2 * k + 1 < m_textLength) ? m_codePointText[2 * k + 1] : 0;
            code = (high << 8) | low;
        } else {
            code = m_codePointText[k];
        }
        if (m_wordSpacing != 0.0f && isSpaceCode(k, code, !pairs)) {
            width += m_wordSpacing;
            continue;
        }
        const double w = header->getWidth(code);
        if (w <= 0.0 && devTest()) {
            qelLogStream* log = logStream();
            if (log)
                log->print("\n\tWarning! Character Width is zero. Font:%s, Character:%d(0x%02X)",
                           orNull(m_font->getFontName()), code, code);
        }
        width += w * scale;
    }
    return true;
}

bool qelTextObject::metricsExtents(Extents& e, qelCodePage* codePage, qelFontMetrics* metrics, int unitsPerEm,
                                   bool relative, bool) const
{
    // Code points: Unicode values converted through the code page, else the
    // code points translated through it.
    std::vector<unsigned char> codes;
    if (m_unicodeText && m_unicodeTextLength > 0) {
        codes.resize(static_cast<size_t>(m_unicodeTextLength));
        codePage->unicodeToCodePoints(m_unicodeText, m_unicodeTextLength, codes.data(), m_unicodeTextLength);
    } else if (m_codePointText) {
        codes.resize(m_textLength);
        codePage->translateToCodePage(m_codePointText, codes.data(), m_textLength);
    }
    const bool logAll = logsAll();
    qelLogStream* log = logStream();
    double sum = 0.0;
    double ascender = 0.0;
    double descender = 0.0;
    int characters = 0;
    int spaces = 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        const int cp = codes[i];
        const char* name = codePage->getCharName(cp);
        if (!name) {
            if (logAll && log)
                log->print("\n\tWarning! Font:%s Text:%s Charname not found for codepoint:%d",
                           orNull(m_font->getFontName()), orNull(getText()), cp);
            continue;
        }
        std::unique_ptr<char[]> trimmed(copyText(name));
        qelString::trim(trimmed.get());
        const qelAFPCharMetrics* m = metrics->findCharMetrics(trimmed.get());
        if (!m) {
            if (logAll && log)
                log->print("\n\tWarning! Font:%s Text:%s Character Metrics not found for Character:%s, codepoint:%d",
                           orNull(m_font->getFontName()), orNull(getText()), trimmed.get(), cp);
            continue;
        }
        ++characters;
        const bool space = (m_unicodeText && static_cast<int>(i) < m_unicodeTextLength)
            ? m_unicodeText[i] == 32 : cp == 0x20;
        if (m_wordSpacing != 0.0f && space)
            ++spaces;
        else
            sum += m->getCharIncrement(0);
        ascender = std::max(ascender, static_cast<double>(m->getAscenderHeight(0)));
        descender = std::max(descender, static_cast<double>(m->getDescenderDepth(0)));
    }
    const int resolution = pageResolution();
    double scale;
    if (relative)
        scale = static_cast<double>(m_fontHeight) * resolution / 720000.0;
    else if (unitsPerEm > 0)
        scale = static_cast<double>(resolution) / unitsPerEm;
    else
        return false;
    e.left = 0.0f;
    e.top = static_cast<float>(-ascender * scale);
    e.bottom = static_cast<float>(descender * scale);
    e.right = static_cast<float>(sum * scale + spaces * static_cast<double>(m_wordSpacing)
                                 + (characters - spaces) * static_cast<double>(m_characterSpacing));
    if (devTest() && log)
        log->print("\n\tBBOX=>TL=(%.2f,%.2f), BR=(%.2f,%.2f)", e.left, e.top, e.right, e.bottom);
    return true;
}

bool qelTextObject::glyphExtents(Extents& e) const
{
    qelLogStream* log = logStream();
    if (devTest() && log && m_codePointText) {
        log->print("\nTextBBox=> Text:");
        for (int i = 0; i < m_textLength; ++i)
            log->print("0x%0X ", m_codePointText[i]);
    }
    qelFontRepresentation* rep = m_font->getRepresentation();
    qelCodePage* codePage = m_codePage ? m_codePage : m_font->getCodePage();
    qelFontMetrics* metrics = rep ? rep->getMetrics() : nullptr;
    if (!codePage || !metrics)
        return false;
    return metricsExtents(e, codePage, metrics, rep->getResolution(), false, false);
}

bool qelTextObject::characterSetExtents(Extents& e) const
{
    qelLogStream* log = logStream();
    const bool trace = devTest() && log;
    const float height = static_cast<float>(m_fontHeight);
    const qelPhysicalFont* pf = m_font->findPhysicalFont(height);
    const char* fontName = orNull(m_font->getFontName());
    if (!pf) {
        if (trace)
            log->print("\n\tFont:%s. FontHt=%.2f, Font not mapped to AFP Fonts", fontName, height);
        return false;
    }
    if (!pf->characterSetName) {
        if (trace)
            log->print("\n\tFont:%s. FontHt=%.2f, Font not mapped to AFP characterset resource", fontName, height);
        return false;
    }
    if (!pf->codePageName) {
        if (trace)
            log->print("Font:%s FontHt=%.2f, Font not mapped to AFP codepage resource", fontName, height);
        return false;
    }
    if (!pf->characterSetMetrics || !pf->codePage) {
        if (trace)
            log->print("\n\tFont:%s, CS=%s, CP=%s, Charset or codepage not found.", fontName, pf->characterSetName,
                       pf->codePageName);
        return false;
    }
    if (trace)
        log->print("\n\tCS=%s, CP=%s", pf->characterSetName, pf->codePageName);
    return metricsExtents(e, pf->codePage, pf->characterSetMetrics, pf->characterSetResolution,
                          pf->relativeMetrics, false);
}

bool qelTextObject::fontFileExtents(Extents& e, bool useMappingDef, bool mustSucceed) const
{
    qelLogStream* log = logStream();
    const bool trace = devTest() && log;
    std::string file;
    if (qelIPSFontResource* res = m_font->getIPSFontResource()) {
        auto* glyphs = dynamic_cast<de::orvo::ips::FileGlyphCollection*>(res->getGlyphCollection());
        if (glyphs && glyphs->getFileName())
            file = glyphs->getFileName();
    }
    if (file.empty() && useMappingDef) {
        qelMappingDef* md = mappingDef();
        qelFontRepresentation* rep = m_font->getRepresentation();
        char path[1024] = {0};
        if (md && rep
            && md->resolveFontFile(rep->getTypefaceName(), m_font->getFontName(), rep->isBold(), rep->isItalic(), path,
                                   static_cast<int>(sizeof(path)))
                != -1)
            file = path;
    }
    if (file.empty()) {
        if (mustSucceed)
            throw new qelException(__FILE__, __LINE__, qelMsg::E232, 0, true, orNull(m_font->getFontName()),
                                   orNull(getText()), "Fontfile needed for text rasterization not found.");
        if (trace)
            log->print("\n\tFont:%s  Text:%s Fontfile needed for rasterization not found.",
                       orNull(m_font->getFontName()), orNull(getText()));
        return false;
    }
    if (trace)
        log->print("\n\tFont:%s, FileName:%s", orNull(m_font->getFontName()), file.c_str());

    std::vector<uint32_t> chars;
    if (m_unicodeText && m_unicodeTextLength > 0)
        chars.assign(m_unicodeText, m_unicodeText + m_unicodeTextLength);
    else if (const char* text = getText())
        for (const char* p = text; *p; ++p)
            chars.push_back(static_cast<unsigned char>(*p));
    float ext[4] = {0, 0, 0, 0};
    const double points = m_fontHeight / 10.0;
    if (qelMeasureText(file.c_str(), points, pageResolution(), chars.data(), static_cast<int>(chars.size()), ext)
        != 0) {
        if (log && logs(QEL_LOG_LEVEL2))
            log->printLine("Error while getting text width from raster library for Font : %s  Text : %s\n",
                           orNull(m_font->getFontName()), orNull(getText()));
        return false;
    }
    e.left = ext[0];
    e.top = ext[1];
    e.right = ext[2];
    e.bottom = ext[3];
    if (trace)
        log->print("\n\tGD TL=(%.2f,%.2f), BR=(%.2f,%.2f)", e.left, e.top, e.right, e.bottom);
    return true;
}

void qelTextObject::boxFromExtents(const Extents& e)
{
    double width = 0.0;
    if (!computePDFWidth(width) || width == 0.0)
        width = static_cast<double>(e.right) - e.left;
    width *= m_horizontalScaling;
    if (m_characterSpacing != 0.0f && m_textLength > 0)
        width += (m_textLength - 1) * static_cast<double>(m_characterSpacing);
    const float x = getX();
    const float y = getY();
    const float w = static_cast<float>(width);
    qelPoint tl;
    qelPoint br;
    const int angle = static_cast<int>(getAngle());
    qelLogStream* log = logStream();
    const bool logAll = log && logsAll();
    switch (angle) {
    case 0:
    case 360:
        tl = {x, y + e.top};
        br = {x + w, y + e.bottom};
        break;
    case 90:
        tl = {x + e.top, y - w};
        br = {x + e.bottom, y};
        break;
    case 180:
        tl = {x - w, y - e.bottom};
        br = {x, y - e.top};
        break;
    case 270:
        tl = {x - e.bottom, y};
        br = {x - e.top, y + w};
        break;
    default: {
        // Enclose the text rectangle turned by the angle around the position.
        const double rad = angle * 3.14159265358979323846 / 180.0;
        const double c = std::cos(rad);
        const double s = std::sin(rad);
        const double us[2] = {0.0, w};
        const double vs[2] = {e.top, e.bottom};
        double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
        for (double u : us)
            for (double v : vs) {
                const double px = x + u * c + v * s;
                const double py = y - u * s + v * c;
                minX = std::min(minX, px);
                maxX = std::max(maxX, px);
                minY = std::min(minY, py);
                maxY = std::max(maxY, py);
            }
        tl = {static_cast<float>(minX), static_cast<float>(minY)};
        br = {static_cast<float>(maxX), static_cast<float>(maxY)};
        if (logAll) {
            const double h = static_cast<double>(e.bottom) - e.top;
            log->print("\n\tTextBB: T1: W=%f H=%f T2: W=%f H=%f\n", std::fabs(w * c), std::fabs(w * s),
                       std::fabs(h * s), std::fabs(h * c));
        }
        break;
    }
    }
    setBoundingBox(tl, br);
    if (logAll)
        log->print("\n\t@(%.2f,%.2f)>%s< Font=%s, Enc=%s%s, Rot=%f, TW=%.2f, TL=(%.2f,%.2f), BR=(%.2f,%.2f), RF=%s", x,
                   y, orNull(getText()), orNull(m_font->getFontName()), orNull(m_font->getEncoding()),
                   m_customEncoding ? "(Custom Encoding)" : "", static_cast<double>(getAngle()), width, tl.x, tl.y,
                   br.x, br.y, getRasterize() ? "Y" : "N");
}
