// Font selection of the PDF visitor: every text gets a PDF font, either a
// standard font, an external substitute font (referenced or embedded) or a
// font made from the AFP font itself, with widths from the AFP metrics or
// the substitute's tables.
#include "qelPDFVisitor.h"

#include "qelAFPCharMetrics.h"
#include "qelAFPFont.h"
#include "qelAFPFontMetrics.h"
#include "qelCodePage.h"
#include "qelException.h"
#include "qelFontBuilder.h"
#include "qelFontConverter.h"
#include "qelGcgidUnicodeMap.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelHashIdMap.h"
#include "qelIPSFontRepresentation.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappedFontInfo.h"
#include "qelMFMFile.h"
#include "qelMappedRes.h"
#include "qelMessageOutput.h"
#include "qelNamePair.h"
#include "qelPoolAccess.h"
#include "qelResourceAliasName.h"
#include "qelTTFRepresentation.h"
#include "qelString.h"
#include "qelTextObject.h"
#include "qelType3FontRepresentation.h"
#include "qelType1PFMRepresentation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace
{
const char* const kAllCodePages = "ALLCDEPG";

const char* const kStandardFonts[17][4] = {
    {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique"},
    {"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic"},
    {"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"},
    {"Symbol", "", "", ""},
    {"ZapfDingbats", "", "", ""},
    {"AvantGarde-Book", "", "AvantGarde-BookOblique", ""},
    {"AvantGarde-Demi", "", "AvantGarde-DemiOblique", ""},
    {"Bookman-Demi", "", "Bookman-DemiItalic", ""},
    {"Bookman-Light", "", "Bookman-LightItalic", ""},
    {"Helvetica-Narrow", "Helvetica-Narrow-Bold", "Helvetica-Narrow-Oblique", "Helvetica-Narrow-BoldOblique"},
    {"NewCenturySchlbk-Roman", "NewCenturySchlbk-Bold", "NewCenturySchlbk-Italic", "NewCenturySchlbk-BoldItalic"},
    {"Palatino-Roman", "Palatino-Bold", "Palatino-Italic", "Palatino-BoldItalic"},
    {"Helvetica-Condensed", "Helvetica-Condensed-Bold", "Helvetica-Condensed-Oblique", "Helvetica-Condensed-BoldObl"},
    {"", "", "ZapfChancery-MediumItalic", ""},
    {"OPDF-Monospace", "", "", ""},
    {"OPDF-SmallCap", "", "", ""},
    {"Arial", "Arial-Bold", "Arial-Italic", "Arial-BoldItalic"},
};

const char* orNull(const char* text) { return text ? text : "(null)"; }

bool sameNoCase(const char* a, const char* b) { return a && b && strcasecmp(a, b) == 0; }

// Font size in points of a height in tenths of a point.
float sizeOfHeight(int height)
{
    if (height == 0)
        return 0.1f;
    if (height == -1)
        return 10.0f;
    return static_cast<float>(height) / 10.0f;
}

int heightOf(const qelAFPFont* font)
{
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    return rep ? rep->getHeight() : 100;
}

bool isIPSType(const qelFontRepresentation* rep)
{
    return rep && (rep->getType() == qelFontRepresentation::TYPE_AFP || rep->getType() == qelFontRepresentation::TYPE_PDF);
}

bool isAFPType(const qelFontRepresentation* rep) { return rep && rep->getType() == qelFontRepresentation::TYPE_AFP; }

using qelPoolAccess::options;

bool logs(const qelLogStream* log, unsigned int bits) { return log && log->anyOf(bits); }

// The code page of a text's font mapping, else a script font's own one.
qelCodePage* textCodePage(qelTextObject* text, qelAFPFont* font)
{
    const qelMappedRes* mapping = text ? text->getFontMapping() : nullptr;
    if (mapping)
        return mapping->getCodePage();
    if (font && font->getScriptCreated())
        return font->getCodePage();
    return nullptr;
}

// Name under which Differences of the text's code page are kept.
const char* encodingRecordName(qelTextObject* text, qelAFPFont* font)
{
    const qelMappedRes* mapping = text ? text->getFontMapping() : nullptr;
    if (mapping)
        return mapping->getCodePageName();
    if (font && font->getScriptCreated())
        return font->getCodePageName();
    return nullptr;
}

// Encoding name handed to the library for a text: none, "Symbol" or
// "WinAnsiEncoding". An empty encoding text counts as none.
const char* encodingName(qelTextObject* text, qelAFPFont* font)
{
    const qelMappedRes* mapping = text ? text->getFontMapping() : nullptr;
    const char* e = mapping ? mapping->getCodePageEncoding() : nullptr;
    // A code page without an encoding text leaves it to the coded font.
    if (!e && font)
        e = font->getEncoding();
    if (!e || !*e || sameNoCase(e, "NULL"))
        return nullptr;
    if (sameNoCase(e, "SYMBOL"))
        return "Symbol";
    return "WinAnsiEncoding";
}

// The font filed under the character set name of a coded font, else the
// font itself.
qelAFPFont* registeredFont(qelAFPFont* font)
{
    if (!font)
        return nullptr;
    const char* coded = font->getCodedFontName();
    const char* cs = isIPSType(font->getRepresentation()) ? font->getCharacterSetName() : nullptr;
    if (!coded || !*coded || !cs)
        return font;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* res = pool ? pool->getGlobalRes() : nullptr;
    qelRes* found = nullptr;
    if (res) {
        if (font->getScriptCreated()) {
            found = res->findProcessScriptFont(cs, qelRes::TYPE_FONT);
            if (!found)
                found = res->findScriptFont(cs, qelRes::TYPE_FONT);
        } else {
            found = res->findResource(cs, qelRes::TYPE_FONT);
        }
    }
    return found && found->getType() == qelRes::TYPE_FONT ? static_cast<qelAFPFont*>(found) : font;
}

// Codes handed to the library for a record: what texts used; a record of
// all code points with a substitute font covers the whole single-byte
// range so that later texts find their widths.
void codeRange(const qelPDFFontFileEntry* record, bool wholeRange, int& first, int& last)
{
    first = record->firstCode;
    last = record->lastCode;
    if (wholeRange) {
        first = first < 0 || first > 32 ? 32 : first;
        last = 255;
    }
    if (first < 0)
        first = 0;
    if (last < first)
        last = first;
}

// Scale from font units to 1/1000 text space of the AFP metrics.
float afpScale(const qelAFPFont* font, const qelFontRepresentation* rep, float size)
{
    const qelIPSFontRepresentation* ips = dynamic_cast<const qelIPSFontRepresentation*>(rep);
    if (ips && ips->isRelativeMetric())
        return 1.0f;
    const int resolution = rep ? rep->getResolution() : 0;
    if (resolution <= 0) {
        const char* cs = font ? font->getCharacterSetName() : nullptr;
        throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, orNull(cs), "Font Resolution is zero");
    }
    return 72000.0f / (static_cast<float>(resolution) * size);
}

void descriptorFromAFPMetrics(const qelAFPFont* font, const qelFontRepresentation* rep, float size,
                              PDFFontDescriptor* d)
{
    const qelAFPFontMetrics* m = rep ? dynamic_cast<const qelAFPFontMetrics*>(rep->getMetrics()) : nullptr;
    if (!m) {
        const char* cs = font ? font->getCharacterSetName() : nullptr;
        throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, orNull(cs), "Font Metrics Object is NULL");
    }
    const float f = afpScale(font, rep, size);
    d->Ascent = static_cast<int32_t>(m->getMaxAscenderHeight(0) * f);
    d->Descent = static_cast<int32_t>(m->getMaxDescenderDepth(0) * f);
    d->CapHeight = static_cast<int32_t>(m->getCapMHeight(0) * f);
    const qelIPSFontRepresentation* ips = dynamic_cast<const qelIPSFontRepresentation*>(rep);
    d->FontBBox[0] = 0;
    d->FontBBox[1] = 0;
    if (ips && ips->isRelativeMetric()) {
        d->FontBBox[2] = 1000;
        d->FontBBox[3] = 1000;
    } else {
        d->FontBBox[2] = static_cast<int32_t>(m->getMaxCharBoxWidth() * f);
        d->FontBBox[3] = static_cast<int32_t>(m->getMaxCharBoxHeight() * f);
    }
}

int16_t readLE16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }

// Alias names of a coded font as the file search takes them.
std::unique_ptr<qelList> aliasList(const qelAFPFont* font)
{
    std::unique_ptr<qelList> list(new qelList(&qelList::deleteAs<qelNamePair>));
    for (const auto& a : font->getAliasNames())
        list->append(new qelNamePair(a.first.empty() ? nullptr : a.first.c_str(),
                                     a.second.empty() ? nullptr : a.second.c_str()));
    return list;
}

// PostScript name of a character of an outline font.
const char* psName(const qelAFPCharMetrics* cm)
{
    if (!cm)
        return nullptr;
    const char* name = cm->getFontSpecificName();
    return name && *name ? name : cm->getGlyphName();
}

std::string styleName(const qelFontRepresentation* rep)
{
    char buffer[512];
    buffer[0] = '\0';
    rep->getStyleName(buffer, sizeof buffer);
    return buffer;
}
}

qelAFPFont* qelPDFVisitor::findRegisteredFont(qelAFPFont* font) { return registeredFont(font); }

// --- standard font table -----------------------------------------------------------

std::string lookupStandardFontName(const char* family, const char* weight, bool italic)
{
    if (!family || !*family)
        return std::string();
    const int bold = sameNoCase(weight, "BOLD") ? 1 : 0;
    const int column = italic ? bold + 2 : bold;
    const std::string withRoman = std::string(family) + "-Roman";
    for (const char* name : {family, withRoman.c_str()}) {
        for (int row = 0; row < 17; ++row)
            for (int c = 0; c < 4; ++c) {
                if (!*kStandardFonts[row][c] || !sameNoCase(kStandardFonts[row][c], name))
                    continue;
                // A styled name keeps its own style and adds the asked one
                // (columns: bit 0 bold, bit 1 italic).
                return kStandardFonts[row][c | column];
            }
    }
    return std::string();
}

// --- record state ---------------------------------------------------------------------

qelPDFVisitor::FontRecordState& qelPDFVisitor::fontState(const qelPDFFontFileEntry* record)
{
    return m_fontStates[record];
}

qelPDFFontFileEntry* qelPDFVisitor::substituteRecord(qelTextObject* text, qelAFPFont* font)
{
    if (qelPDFFontFileEntry* record = resolveCodePage(text, font, false))
        return record;
    std::unique_ptr<qelPDFFontFileEntry>& own = m_ownRecords[font];
    if (!own) {
        own.reset(new qelPDFFontFileEntry(nullptr));
        std::memcpy(own->codePageName, kAllCodePages, sizeof own->codePageName);
        own->firstCode = 32;
        own->lastCode = 255;
    }
    return own.get();
}

const qelPDFVisitor::FontRecordState* qelPDFVisitor::findFontState(const qelPDFFontFileEntry* record) const
{
    auto it = m_fontStates.find(record);
    return it == m_fontStates.end() ? nullptr : &it->second;
}

// --- routes ------------------------------------------------------------------------------

void qelPDFVisitor::setAFPFont(qelTextObject* text, qelAFPFont* font, int mode)
{
    if (!m_doc)
        return;
    if (!font) {
        setDefPDFFont();
        m_currentCodedFont = nullptr;
        return;
    }
    if (mode == 0) {
        const qelFontRepresentation* rep = font->getRepresentation();
        const qelIPSFontRepresentation* ips = isAFPType(rep) ? static_cast<const qelIPSFontRepresentation*>(rep) : nullptr;
        const int technology = ips ? ips->getPatternTechnology() : 0;
        if (technology == qelIPSFontRepresentation::TECH_TYPE1_OUTLINE) {
            setOutlineFont(text, font);
            m_currentCodedFont = font;
            return;
        }
        if (technology == qelIPSFontRepresentation::TECH_RASTER) {
            setType3Font(text, font);
            m_currentCodedFont = font;
            return;
        }
        mode = 1;
    }
    if (mode == 1 || mode == 2)
        selectSubstituteFont(text, font, mode);
    else
        setDefPDFFont();
    m_currentCodedFont = font;
}

namespace
{
int fontKeyOf(const qelTextObject* text)
{
    int key = text->getLocalFontId();
    if (key == 0 && text->getFontMapping())
        key = text->getFontMapping()->getLocalId();
    return key;
}

bool isOwnFont(const qelTextObject* text) { return !text->getFontMapping() && text->getFont(); }
}

void qelPDFVisitor::selectSubstituteFont(qelTextObject* text, qelAFPFont* font, int mode)
{
    if (!text || !font)
        return;
    const int key = fontKeyOf(text);
    // The page walk does not reset the key between object groups, so an
    // overlay's font of the same local id must not pass for the current one.
    const bool current = isOwnFont(text) ? font == m_currentCodedFont
                                         : key == getCurrentFont() && font == m_currentCodedFont;
    if (current)
        return;
    setCurrentFont(key);
    setLoggedFont(key);

    qelMappedRes* mapping = text->getFontMapping();
    const qelMappedFontInfo* info = mapping ? mapping->getFontInfo() : nullptr;
    const float factor = info ? info->getHorizontalScale() : 0.0f;
    const float scaling = factor != 0.0f ? factor * 100.0f : 100.0f;
    if (m_textScaling != 100.0f || scaling != 100.0f) {
        opdf_setHorizontalScaling(m_doc, scaling);
        checkLibraryError("selectSubstituteFont()->opdf_setHorizontalScaling()");
        m_textScaling = scaling;
    }

    const char* name = font->getFontName();
    bool set = name && *name && setTextFont(text, font, mode) == 1;
    if (!set)
        set = setMappedStandardFont(text, font) == 1;
    if (!set) {
        setFallbackFontName(text, font);
        setStandardFont(text, font, nullptr);
    }

    m_currentCodedFont = font;
    m_currentHeight = heightOf(font);
    if (mapping)
        m_currentCodePageName = mapping->getCodePageName() ? mapping->getCodePageName() : "";
    else {
        qelIni* ini = getOptions();
        m_currentCodePageName = ini && ini->getCodePage() ? ini->getCodePage() : "";
    }
    if (logs(getLog(), QEL_LOG_FONT))
        setDefaultFont(text, mapping, text->getFont(), true);
}

int qelPDFVisitor::setTextFont(qelTextObject* text, qelAFPFont* font, int mode)
{
    if (!text || !font)
        return -1;
    qelFontRepresentation* rep = font->getRepresentation();
    if (!isAFPType(rep))
        return -1;
    const char* name = font->getFontName();
    if (!name || !*name)
        return -1;
    qelPDFFontFileEntry* record = substituteRecord(text, font);
    FontRecordState& st = fontState(record);
    if (st.state == 1 || (mode == 2 && st.state != 0 && !st.representation))
        return -1;
    if (st.state == 0)
        findStandardFontName(text, font, record);
    st.embedding = mode;
    const bool standard = st.state == 3;

    if (!st.representation && (!standard || mode == 2)) {
        char metricsPath[512];
        char fontPath[512];
        metricsPath[0] = fontPath[0] = '\0';
        int type = 0;
        std::unique_ptr<qelList> aliases = aliasList(font);
        const int found = findExternalFontFile(font, name, rep->isBold(), rep->isItalic(), aliases.get(), metricsPath,
                                               fontPath, mode == 2, &type, false);
        if (found != 1) {
            if (qelLogStream* log = getLog(); logs(log, QEL_LOG_FONT)) {
                const char* coded = font->getCodedFontName();
                if (coded && *coded)
                    log->print("\n==>CF=%s CS=%s TF=%s Warning! External font file not found.", coded,
                               orNull(font->getCharacterSetName()), orNull(font->getTypefaceName()));
                else
                    log->print("\n==>CS=%s TF=%s Warning! External font file not found.",
                               orNull(font->getCharacterSetName()), orNull(font->getTypefaceName()));
            }
            return -1;
        }
        st.outlinePath = fontPath;
        const std::string style = styleName(rep);
        attachExternalFont(font, record, type, style.c_str(), metricsPath[0] ? metricsPath : fontPath);
        // A font file that cannot be read leaves the standard fonts.
        if (!st.representation)
            return -1;
    }
    setType1TTFontForRef(text, font, record, standard);
    return 1;
}

void qelPDFVisitor::setType1TTFontForRef(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record,
                                         bool standard)
{
    if (!text || !font || !record)
        return;
    qelAFPFont* own = registeredFont(font);
    qelFontRepresentation* rep = own->getRepresentation();
    if (!isAFPType(rep))
        return;
    FontRecordState& st = fontState(record);

    const char* differences = nullptr;
    const char* recordName = nullptr;
    if (qelCodePage* cp = textCodePage(text, own)) {
        differences = cp->buildDifferences();
        if (differences && !*differences)
            differences = nullptr;
        if (differences)
            recordName = encodingRecordName(text, own);
    }
    const char* cs = own->getCharacterSetName();
    const bool allCodes = sameNoCase(record->codePageName, kAllCodePages);
    std::string key = (differences || !allCodes) ? std::string(cs ? cs : "NULL") + "_" + record->codePageName
                                                 : std::string(cs ? cs : "NULL");
    // A referenced standard font is filed under its own name: character
    // sets standing in for several styles (DEFAULT) keep their fonts apart.
    if (standard && st.embedding == 1 && !differences && allCodes && !st.baseFont.empty())
        key = st.baseFont;
    const int height = rep->getHeight();
    if (height == m_currentHeight && sameNoCase(key.c_str(), opdf_getCurrentFontName(m_doc)))
        return;

    const char* encoding = encodingName(text, own);
    const float size = sizeOfHeight(height);
    int fontType = st.state == 6 ? 0 : st.state == 7 ? 1 : 2;

    PDFFontDescriptor descriptor;
    std::memset(&descriptor, 0, sizeof descriptor);
    PDFFontDescriptor* desc = nullptr;
    if (standard && st.embedding == 1) {
        fontType = 0;
    } else {
        if (!st.representation) {
            const char* typeName = st.state == 6 ? "Type1" : st.state == 7 ? "True Type" : "Open Type";
            throw new qelException(__FILE__, __LINE__, qelMsg::E118, 0, true, orNull(cs), record->codePageName,
                                   typeName);
        }
        fillFontDescriptor(st.representation, &descriptor);
        if (!allCodes)
            descriptorFromAFPMetrics(own, rep, size, &descriptor);
        descriptor.Flags = (encoding && std::strcmp(encoding, "Symbol") == 0) ? 4 : 32;
        if (st.representation->isFixedPitch())
            descriptor.Flags += 1;
        if (st.representation->isItalic())
            descriptor.Flags += 64;
        descriptor.FontName = const_cast<char*>(st.baseFont.c_str());
        desc = &descriptor;
        // A symbolic font keeps its own encoding: no base encoding is named.
        if (encoding && std::strcmp(encoding, "Symbol") == 0)
            encoding = nullptr;
    }
    if (sameNoCase(key.c_str(), "NULL") && own->getTypefaceName() && *own->getTypefaceName())
        key = own->getTypefaceName();

    // Substitute fonts show the display text: their widths go by its bytes,
    // from the substitute's own tables (the library's for standard fonts).
    // AFP widths go by code point and would not fit those bytes.
    int first = 0, last = 0;
    codeRange(record, st.representation != nullptr, first, last);
    std::vector<uint16_t> shownWidths;
    if (st.representation && !(standard && st.embedding == 1))
        if (uint16_t* w = st.representation->getWidths(first, last)) {
            shownWidths.assign(w, w + (last - first + 1));
            delete[] w;
        }
    const uint16_t* widths = shownWidths.empty() ? nullptr : shownWidths.data();
    const char* outline = st.embedding == 2 && !st.outlinePath.empty() ? st.outlinePath.c_str() : nullptr;
    const char* baseFont = st.baseFont.empty() ? "Helvetica" : st.baseFont.c_str();
    const int rc = opdf_setFontUsingFile(m_doc, fontType, key.c_str(), baseFont, encoding, size, first, last, widths,
                                         desc, outline, recordName, differences,
                                         differences ? static_cast<int>(std::strlen(differences)) : 0, nullptr,
                                         record->usedCount);
    checkLibraryError("setType1TTFontForRef()->opdf_setFontUsingFile()", rc);
}

int qelPDFVisitor::setMappedStandardFont(qelTextObject* text, qelAFPFont* font)
{
    qelPDFFontFileEntry* record = substituteRecord(text, font);
    FontRecordState& st = fontState(record);
    if (st.state == 0)
        findStandardFontName(text, font, record);
    if (st.state != 3)
        return -1;
    setStandardFont(text, font, record);
    return 1;
}

void qelPDFVisitor::findStandardFontName(qelTextObject*, qelAFPFont* font, qelPDFFontFileEntry* record)
{
    if (!font || !record)
        return;
    const qelFontRepresentation* rep = font->getRepresentation();
    const bool bold = rep && rep->isBold();
    const bool italic = rep && rep->isItalic();
    const char* weight = bold ? "BOLD" : "MEDIUM";
    std::string name = lookupStandardFontName(font->getFontName(), weight, italic);
    for (const auto& alias : font->getAliasNames()) {
        if (!name.empty())
            break;
        name = lookupStandardFontName(alias.first.c_str(), weight, italic);
    }
    if (name.empty())
        return;
    FontRecordState& st = fontState(record);
    st.baseFont = name;
    st.bold = bold;
    st.italic = italic;
    st.state = 3;
}

void qelPDFVisitor::setFallbackFontName(qelTextObject* text, qelAFPFont* font)
{
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    const bool bold = rep && rep->isBold();
    const bool italic = rep && rep->isItalic();
    std::string name = "Helvetica";
    if (bold || italic) {
        name += "-";
        if (bold)
            name += "Bold";
        if (italic)
            name += "Oblique";
    }
    qelPDFFontFileEntry* record = substituteRecord(text, font);
    FontRecordState& st = fontState(record);
    st.baseFont = name;
    st.state = 1;
    st.bold = bold;
    st.italic = italic;
}

void qelPDFVisitor::setStandardFont(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record)
{
    if (!record)
        record = substituteRecord(text, font);
    fontState(record).embedding = 1;
    if (sameNoCase(record->codePageName, kAllCodePages))
        setStandardFontWithWidth(text, font, record);
    else
        setStandardFontForCodePage(text, font, record);
}

void qelPDFVisitor::setStandardFontWithWidth(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record)
{
    FontRecordState& st = fontState(record);
    const char* differences = nullptr;
    const char* recordName = nullptr;
    if (qelMappedRes* mapping = text->getFontMapping()) {
        if (qelCodePage* cp = mapping->getCodePage()) {
            differences = cp->buildDifferences();
            if (differences && !*differences)
                differences = nullptr;
            if (differences)
                recordName = mapping->getCodePageName();
        }
    }
    const qelFontRepresentation* rep = font->getRepresentation();
    const char* cs = font->getCharacterSetName();
    const std::string key = differences && isAFPType(rep) ? std::string(cs ? cs : "NULL") + "_" + record->codePageName
                                                          : st.baseFont;
    const int height = heightOf(font);
    if (height == m_currentHeight && sameNoCase(key.c_str(), opdf_getCurrentFontName(m_doc)))
        return;
    int first = 0, last = 0;
    codeRange(record, false, first, last);
    const int rc = opdf_setFontUsingStream(m_doc, 0, key.c_str(), st.baseFont.c_str(), encodingName(text, font),
                                           sizeOfHeight(height), first, last, nullptr, nullptr, nullptr, nullptr, 0,
                                           recordName, differences,
                                           differences ? static_cast<int>(std::strlen(differences)) : 0, nullptr,
                                           record->usedCount);
    checkLibraryError("setStandardFontWithWidth()->opdf_setFontUsingStream()", rc);
}

void qelPDFVisitor::setStandardFontForCodePage(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record)
{
    FontRecordState& st = fontState(record);
    const qelFontRepresentation* rep = font->getRepresentation();
    const char* cs = font->getCharacterSetName();
    const std::string key = !isAFPType(rep) ? std::string(rep && rep->getName() ? rep->getName() : "NULL")
                                            : std::string(cs ? cs : "NULL") + "_" + record->codePageName;
    const int height = heightOf(font);
    if (height == m_currentHeight && sameNoCase(key.c_str(), opdf_getCurrentFontName(m_doc)))
        return;
    const char* differences = nullptr;
    const char* recordName = nullptr;
    if (qelCodePage* cp = textCodePage(text, font)) {
        differences = cp->buildDifferences();
        if (differences && !*differences)
            differences = nullptr;
        if (differences)
            recordName = encodingRecordName(text, font);
    }
    // The display text is shown: the library's metrics of the standard font
    // fit its bytes, AFP widths by code point would not. The widths of an
    // MFM file are by code point of the code page the text is shown in.
    int first = 0, last = 0;
    codeRange(record, false, first, last);
    const uint16_t* widths = nullptr;
    if (font->isMetricsFromFile()) {
        prepareGlyphWidths(text, font, record);
        if (static_cast<int>(st.widths.size()) >= last - first + 1 && !st.widths.empty())
            widths = st.widths.data();
    }
    const int rc = opdf_setFontUsingStream(m_doc, 0, key.c_str(), st.baseFont.c_str(), encodingName(text, font),
                                           sizeOfHeight(height), first, last, widths, nullptr, nullptr, nullptr, 0,
                                           recordName, differences,
                                           differences ? static_cast<int>(std::strlen(differences)) : 0, nullptr,
                                           record->usedCount);
    checkLibraryError("setStandardFontWithWidth()->opdf_setFontUsingStream()", rc);
}

// --- widths ---------------------------------------------------------------------------------

void qelPDFVisitor::prepareGlyphWidths(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record)
{
    if (!font || !record)
        return;
    FontRecordState& st = fontState(record);
    // MFM widths differ by character rotation.
    const int rotation = text && font->isMetricsFromFile() ? text->getCharacterRotation() : 0;
    if (!st.widths.empty() && st.widthsCount == record->usedCount && st.widthsRotation == rotation)
        return;
    font = registeredFont(font);
    std::vector<uint16_t> widths;
    if (st.embedding != 0 && font->isMetricsFromFile()) {
        widths = getMFMWidths(text, font, record);
    } else if (!sameNoCase(record->codePageName, kAllCodePages)) {
        widths = getAFPFontWidths(text, font, record);
    } else if (st.representation) {
        int first = 0, last = 0;
        codeRange(record, true, first, last);
        if (uint16_t* w = st.representation->getWidths(first, last)) {
            widths.assign(w, w + (last - first + 1));
            delete[] w;
        }
    }
    if (widths.empty())
        return;
    st.widths.swap(widths);
    st.widthsCount = record->usedCount;
    st.widthsRotation = rotation;
}

std::vector<uint16_t> qelPDFVisitor::getMFMWidths(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record)
{
    std::vector<uint16_t> widths;
    const qelFontRepresentation* rep = font->getRepresentation();
    const char* cs = font->getCharacterSetName();
    const qelMFMFile* mfm = font->getMetricsRecord();
    if (!mfm || !rep)
        throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, orNull(cs), "Orvo font metric object is null");
    const char* name = encodingRecordName(text, font);
    const qelMFMWidthSet* set = name ? mfm->findWidths(name) : nullptr;
    qelIni* ini = getOptions();
    if (!set && name && ini && ini->isQELNOP()) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelHashIdMap* map = pool ? pool->getHashIdMap() : nullptr;
        const qelResourceAliasName* alias = map ? map->findHashId(name, qelRes::TYPE_CODE_PAGE) : nullptr;
        if (alias && alias->getHashId())
            set = mfm->findWidths(alias->getHashId());
    }
    if (!set) {
        char reason[160];
        std::snprintf(reason, sizeof reason, "MFM doesn't exist for %s code page combination", orNull(name));
        throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, orNull(cs), reason);
    }
    const qelIPSFontRepresentation* ips = dynamic_cast<const qelIPSFontRepresentation*>(rep);
    float d = 1.0f;
    if (!ips || !ips->isRelativeMetric()) {
        const int resolution = rep->getResolution();
        if (resolution < 1)
            throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, orNull(cs),
                                   "Font resolution is zero for fixed metric unit base");
        d = 72000.0f / (static_cast<float>(resolution) * sizeOfHeight(rep->getHeight()));
    }
    const int rotation = text ? text->getCharacterRotation() : 0;
    const int index = rotation > 360 ? 0 : (rotation / 90) % 4;
    const uint16_t* array = set->widths[index];
    if (!array || record->firstCode < 0)
        return widths;
    for (int code = record->firstCode; code <= record->lastCode && code < qelMFMWidthSet::kWidths; ++code) {
        const float w = static_cast<float>(array[code]) * d;
        widths.push_back(static_cast<uint16_t>(w < 0 ? 0 : w > 65535 ? 65535 : w));
    }
    return widths;
}

std::vector<uint16_t> qelPDFVisitor::getAFPFontWidths(qelTextObject* text, qelAFPFont* font,
                                                     qelPDFFontFileEntry* record)
{
    std::vector<uint16_t> widths;
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    if (!isAFPType(rep) || !record || record->firstCode < 0)
        return widths;
    const char* cs = font->getCharacterSetName();
    const qelAFPFontMetrics* m = dynamic_cast<const qelAFPFontMetrics*>(rep->getMetrics());
    if (!m)
        throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, orNull(cs), "Font Metrics Object is NULL");
    const qelIPSFontRepresentation* ips = static_cast<const qelIPSFontRepresentation*>(rep);
    qelIni* ini = getOptions();
    const int rotation = ips->getRotation();
    if (ini && ini->isStrict() && !m->hasOrientation(rotation))
        throw new qelException(__FILE__, __LINE__, qelMsg::E011, 0, true, rotation, orNull(cs));
    const float d = afpScale(font, rep, sizeOfHeight(rep->getHeight()));
    qelCodePage* cp = textCodePage(text, font);
    const char* spaceName = cp ? cp->getSpaceCharName() : nullptr;
    const qelAFPCharMetrics* spaceMetrics =
        spaceName ? dynamic_cast<const qelAFPCharMetrics*>(m->findCharMetrics(spaceName)) : nullptr;
    const bool quiet = ini && ini->isQuietMode();
    qelLogStream* log = getLog();
    for (int code = record->firstCode; code <= record->lastCode && code < 256; ++code) {
        float w = 0.0f;
        if (cp && code == cp->getSpaceCodePoint() && m->getSpaceCharIncrement(0) != 0) {
            w = m->getSpaceCharIncrement(0) * d;
        } else if (!record->glyphName[code]) {
            w = 0.0f;
        } else if (const qelAFPCharMetrics* cm = record->charMetrics[code]) {
            w = cm->getCharIncrement(0) * d;
        } else {
            const char* gcgid = record->glyphName[code];
            if (spaceMetrics) {
                if (!quiet)
                    qelMessageOutput::printf("==>CS=%s, Warning! Char Metrics is not found for GCCID %s. Using Metrics "
                                             "of SpaceChar GCGID %s.\n",
                                             orNull(cs), gcgid, spaceName);
                if (logs(log, QEL_LOG_LEVEL2))
                    log->print("\n==>CS=%s, Warning! Char Metrics is not found for GCCID %s. Using Metrics of "
                               "SpaceChar GCGID %s.",
                               orNull(cs), gcgid, spaceName);
                w = spaceMetrics->getCharIncrement(0) * d;
            } else {
                if (!quiet)
                    qelMessageOutput::printf("==>CS=%s, Warning! Char Metrics is not found for GCCID %s.\n", orNull(cs),
                                             gcgid);
                if (logs(log, QEL_LOG_LEVEL2))
                    log->print("\n==>CS=%s, Warning! Char Metrics is not found for GCCID %s.", orNull(cs), gcgid);
            }
        }
        widths.push_back(static_cast<uint16_t>(w < 0 ? 0 : w > 65535 ? 65535 : w));
    }
    return widths;
}

// --- default and logged fonts -------------------------------------------------------------

void qelPDFVisitor::setDefPDFFont()
{
    if (!m_doc)
        return;
    const char* current = opdf_getCurrentFontName(m_doc);
    const bool isHelvetica = sameNoCase(current, "Helvetica");
    if (m_currentHeight == 100 && !m_currentCodedFont && isHelvetica)
        return;
    const bool wasHelvetica = m_currentHeight == 100 && isHelvetica;
    m_currentCodedFont = nullptr;
    m_currentHeight = 100;
    m_currentCodePageName.clear();
    if (logs(getLog(), QEL_LOG_FONT))
        setDefaultFont(nullptr, nullptr, nullptr, true);
    if (wasHelvetica)
        return;
    if (m_textScaling != 100.0f) {
        m_textScaling = 100.0f;
        opdf_setHorizontalScaling(m_doc, 100.0f);
    }
    const int rc = opdf_setFont(m_doc, "Helvetica", "WinAnsiEncoding", 10.0f, 0, 0, 0, nullptr, nullptr);
    checkLibraryError("setDefPDFFont()->opdf_setFont()", rc);
}

void qelPDFVisitor::setDefaultFont(qelTextObject* text, qelMappedRes* mapping, qelAFPFont* font, bool detailed)
{
    qelLogStream* log = getLog();
    if (!log)
        return;
    log->logOutputText(text, font);
    if (!detailed)
        return;
    qelAFPFont* shown = registeredFont(font);
    qelPDFFontFileEntry* record = (text && shown) ? substituteRecord(text, shown) : nullptr;
    const FontRecordState* st = record ? findFontState(record) : nullptr;
    const char* used = st && !st->baseFont.empty() ? st->baseFont.c_str() : "Helvetica";
    qelOutputFontRecord& out = getOutputFontRecord();
    out.clear();
    out.typefaceName = used;
    out.usedFontName = used;
    if (st) {
        out.bold = st->bold;
        out.italic = st->italic;
        out.light = st->light;
        out.embedding = st->embedding;
        switch (st->state) {
        case 1: out.sourceKind = qelOutputFontRecord::SOURCE_SUBSTITUTE_DEFAULT; break;
        case 4: out.sourceKind = qelOutputFontRecord::SOURCE_RASTER; break;
        case 6: out.sourceKind = qelOutputFontRecord::SOURCE_TYPE1; break;
        case 7:
            out.sourceKind = st->representation && st->representation->getType() == qelFontRepresentation::TYPE_OPENTYPE
                                 ? qelOutputFontRecord::SOURCE_OPENTYPE
                                 : qelOutputFontRecord::SOURCE_TRUETYPE;
            break;
        default: break;
        }
    }
    log->write("\n-->");
    log->logFont(text, mapping, shown, m_currentHeight, used, shown ? shown->getTypefaceName() : "Helvetica", "SF", &out);
}

// --- AFP font routes -------------------------------------------------------------------------

namespace
{
// Code page key of the AFP font routes.
std::string codePageKey(qelTextObject* text, qelAFPFont* font)
{
    const qelMappedRes* mapping = text->getFontMapping();
    if (mapping && mapping->getCodePageName())
        return mapping->getCodePageName();
    if (font->getScriptCreated() && font->getCodePageName())
        return font->getCodePageName();
    qelIni* ini = options();
    return ini && ini->getCodePage() ? ini->getCodePage() : "";
}

int routeKey(const qelTextObject* text)
{
    int key = text->getLocalFontId();
    if (key == 0 && text->getFontMapping())
        key = text->getFontMapping()->getLocalId();
    return key;
}
}

void qelPDFVisitor::setType3Font(qelTextObject* text, qelAFPFont* font)
{
    if (!text || !font)
        return;
    const std::string cpKey = codePageKey(text, font);
    const int key = routeKey(text);
    const bool current = isOwnFont(text) ? font == m_currentCodedFont
                                         : key == getCurrentFont() && font == m_currentCodedFont;
    if (current)
        return;
    setCurrentFont(key);
    setLoggedFont(key);
    m_currentHeight = heightOf(font);
    qelFontRepresentation* rep = font->getRepresentation();
    if (!isAFPType(rep))
        return;
    const char* cs = font->getCharacterSetName();
    qelPDFFontFileEntry* record = font->findGlyphName(cpKey.c_str());
    if (!record)
        throw new qelException(__FILE__, __LINE__, qelMsg::E095, 0, true, orNull(cs), cpKey.c_str());
    buildType3Font(font, text);
    FontRecordState& st = fontState(record);
    const qelType3FontRepresentation* type3 = dynamic_cast<const qelType3FontRepresentation*>(st.type3.get());
    if (!type3)
        throw new qelException(__FILE__, __LINE__, qelMsg::E096, 0, true, orNull(cs), cpKey.c_str());
    if (!type3->getCharProcs() || !type3->getWidthTable())
        throw new qelException(__FILE__, __LINE__, qelMsg::E097, 0, true, orNull(cs), cpKey.c_str());
    const qelString* differences = type3->getDifferences();
    if (!differences || differences->getLength() <= 0)
        throw new qelException(__FILE__, __LINE__, qelMsg::E106, 0, true, orNull(cs), cpKey.c_str());

    const int height = rep->getHeight();
    PDFFontDescriptor descriptor;
    std::memset(&descriptor, 0, sizeof descriptor);
    fillFontDescriptor(rep, &descriptor);
    descriptor.Flags = 0;
    descriptor.FontName = nullptr;
    if (m_textScaling != 100.0f) {
        opdf_setHorizontalScaling(m_doc, 100.0f);
        checkLibraryError("setType3Font()->opdf_setHorizontalScaling()");
        m_textScaling = 100.0f;
    }
    int first = 0, last = 0;
    codeRange(record, false, first, last);
    // The library reads as many procedures as the code count; entries past
    // the built ones stay null and are skipped.
    const int glyphCount = record->usedCount;
    std::vector<PDFGlyphProc> procs(
        static_cast<size_t>(std::max(type3->getCharProcArraySize(), glyphCount > 0 ? glyphCount : 0)) + 1);
    for (int32_t i = 0; i < type3->getCharProcArraySize(); ++i)
        if (const qelType3CharProc* p = type3->getCharProcs()[i]) {
            procs[static_cast<size_t>(i)].name = p->name;
            procs[static_cast<size_t>(i)].content = p->content;
            procs[static_cast<size_t>(i)].length = p->length;
        }
    const int32_t* unicode = static_cast<int>(st.unicodeMap.size()) >= last - first + 1 && !st.unicodeMap.empty()
                                 ? st.unicodeMap.data()
                                 : nullptr;
    const std::string pdfKey = std::string(cs ? cs : "NULL") + "_" + cpKey;
    const int rc = opdf_setFontUsingType3Stream(m_doc, 3, pdfKey.c_str(), orNull(cs), cpKey.c_str(),
                                                sizeOfHeight(height), first, last, type3->getWidthTable(),
                                                &descriptor, procs.data(), differences->getBuffer(),
                                                differences->getLength(), unicode, glyphCount);
    checkLibraryError("setType3Font()->opdf_setFontUsingType3Stream()", rc);
    m_currentCodePageName = cpKey;
    const char* pdfName = opdf_getCurrentFontName(m_doc);
    st.baseFont = pdfName ? pdfName : "NULL";
    st.embedding = 0;
    st.state = 4;
    m_currentCodedFont = font;
    if (logs(getLog(), QEL_LOG_FONT))
        setDefaultFont(text, text->getFontMapping(), font, true);
}

void qelPDFVisitor::buildType3Font(qelAFPFont* font, qelTextObject* text)
{
    qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    if (!isAFPType(rep) || !text)
        return;
    const char* cs = font->getCharacterSetName();
    if (!rep->getMetrics())
        throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, orNull(cs), "Font Metrics Object is NULL");
    const std::string cpKey = codePageKey(text, font);
    qelPDFFontFileEntry* record = font->findGlyphName(cpKey.c_str());
    if (!record)
        return;
    FontRecordState& st = fontState(record);
    if (st.type3 && st.type3Count >= record->usedCount)
        return;
    st.type3.reset();
    st.type3Count = -1;
    qelCodePage* cp = textCodePage(text, font);
    if (cp) {
        st.unicodeMap = getUnicodeMap(font, cp, record);
        rep->setSpaceCodePoint(cp->getSpaceCodePoint());
        rep->setDefaultCharName(cp->getDefaultGCGID());
        rep->setSpaceCharName(cp->getSpaceCharName());
    }
    const qelIPSFontRepresentation* ips = static_cast<const qelIPSFontRepresentation*>(rep);
    const qelAFPFontMetrics* m = dynamic_cast<const qelAFPFontMetrics*>(rep->getMetrics());
    qelIni* ini = getOptions();
    if (ini && ini->isStrict() && m && !m->hasOrientation(ips->getRotation()))
        throw new qelException(__FILE__, __LINE__, qelMsg::E011, 0, true, static_cast<int>(ips->getRotation()),
                               orNull(cs));
    rep->setGCGIDCount(record->usedCount);
    rep->setGCGIDArray(record->glyphName);
    rep->setFirstChar(record->firstCode);
    rep->setLastChar(record->lastCode);
    qelFontConverter converter;
    converter.setQuietMode(ini && ini->isQuietMode() ? 1 : 0);
    converter.setLogStream(getLog());
    qelRepresentation* made = nullptr;
    try {
        made = converter.convert(rep, qelFontRepresentation::TYPE_TYPE3);
    } catch (...) {
        // The array is the record's: the representation must not keep it.
        rep->setGCGIDArray(nullptr);
        throw;
    }
    rep->setGCGIDArray(nullptr);
    if (made) {
        st.type3.reset(static_cast<qelFontRepresentation*>(made));
        st.type3Count = record->usedCount;
        st.bold = rep->isBold();
        st.italic = rep->isItalic();
        st.light = rep->isLight();
    }
}

void qelPDFVisitor::setOutlineFont(qelTextObject* text, qelAFPFont* font)
{
    if (!text || !font)
        return;
    const char* cs = font->getCharacterSetName();
    const std::string cpKey = codePageKey(text, font);
    const qelMappedRes* mapping = text->getFontMapping();
    const char* encoding = encodingName(text, font);
    const qelMappedFontInfo* info = mapping ? mapping->getFontInfo() : nullptr;
    const float scaling = info && info->getHorizontalScale() != 0.0f ? info->getHorizontalScale() * 100.0f : 100.0f;
    const int key = routeKey(text);
    if (key == getCurrentFont() && font == m_currentCodedFont)
        return;
    qelFontRepresentation* rep = font->getRepresentation();
    if (!rep)
        throw new qelException(__FILE__, __LINE__, qelMsg::E094, 0, true, orNull(cs));
    if (!isAFPType(rep))
        return;
    qelPDFFontFileEntry* record = font->findGlyphName(cpKey.c_str());
    if (!record)
        throw new qelException(__FILE__, __LINE__, qelMsg::E095, 0, true, orNull(cs), cpKey.c_str());
    setCurrentFont(key);
    setLoggedFont(key);
    prepareOutlineFont(font, text, record);
    const std::string pdfKey = std::string(orNull(cs)) + "_" + cpKey;
    const int height = rep->getHeight();
    if (height == m_currentHeight && sameNoCase(pdfKey.c_str(), opdf_getCurrentFontName(m_doc)))
        return;
    FontRecordState& st = fontState(record);
    st.state = 6;
    st.embedding = 0;
    st.baseFont = styleName(rep);
    // A font without names is known by its character set.
    if (st.baseFont.empty())
        st.baseFont = orNull(cs);
    st.bold = rep->isBold();
    st.italic = rep->isItalic();
    st.light = rep->isLight();

    PDFFontDescriptor descriptor;
    std::memset(&descriptor, 0, sizeof descriptor);
    fillFontDescriptor(rep, &descriptor);
    descriptor.Flags = (encoding && std::strcmp(encoding, "Symbol") == 0) ? 4 : 32;
    if (rep->isFixedPitch())
        descriptor.Flags += 1;
    if (rep->isItalic())
        descriptor.Flags += 64;
    descriptor.FontName = const_cast<char*>(st.baseFont.c_str());
    if (st.differences.empty())
        throw new qelException(__FILE__, __LINE__, qelMsg::E106, 0, true, orNull(cs), cpKey.c_str());
    if (m_textScaling != 100.0f || scaling != 100.0f) {
        opdf_setHorizontalScaling(m_doc, scaling);
        checkLibraryError("setOutlineFont()->opdf_setHorizontalScaling()");
        m_textScaling = scaling;
    }
    int first = 0, last = 0;
    codeRange(record, false, first, last);
    const uint16_t* widths =
        static_cast<int>(st.widths.size()) >= last - first + 1 && !st.widths.empty() ? st.widths.data() : nullptr;
    const int32_t* unicode = static_cast<int>(st.unicodeMap.size()) >= last - first + 1 && !st.unicodeMap.empty()
                                 ? st.unicodeMap.data()
                                 : nullptr;
    const int rc = opdf_setFontUsingStream(m_doc, 0, pdfKey.c_str(), st.baseFont.c_str(), nullptr,
                                           sizeOfHeight(height), first, last, widths, &descriptor, orNull(cs),
                                           rep->getFontData(), rep->getFontDataLength(), nullptr,
                                           st.differences.c_str(), static_cast<int>(st.differences.size()), unicode,
                                           record->usedCount);
    checkLibraryError("setOutlineFont()->opdf_setFontUsingStream()", rc);
    m_currentHeight = height;
    m_currentCodePageName = cpKey;
    if (logs(getLog(), QEL_LOG_FONT))
        setDefaultFont(text, text->getFontMapping(), font, true);
}

void qelPDFVisitor::prepareOutlineFont(qelAFPFont* font, qelTextObject* text, qelPDFFontFileEntry* record)
{
    FontRecordState& st = fontState(record);
    if (!st.widths.empty() && st.derivedCount == record->usedCount)
        return;
    prepareGlyphWidths(text, font, record);
    if (qelCodePage* cp = textCodePage(text, font))
        st.unicodeMap = getUnicodeMap(font, cp, record);
    st.differences = getOutlineDifferences(text, font, record);
    const qelFontRepresentation* rep = font->getRepresentation();
    st.bold = rep->isBold();
    st.italic = rep->isItalic();
    st.light = rep->isLight();
    st.derivedCount = record->usedCount;
}

std::string qelPDFVisitor::getOutlineDifferences(qelTextObject* text, qelAFPFont* font, qelPDFFontFileEntry* record)
{
    const qelFontRepresentation* rep = font->getRepresentation();
    const char* cs = font->getCharacterSetName();
    const qelFontMetrics* m = rep ? rep->getMetrics() : nullptr;
    if (!m)
        throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, orNull(cs), "Font Metrics Object is NULL");
    qelCodePage* cp = textCodePage(text, font);
    const char* spaceName = cp ? cp->getSpaceCharName() : nullptr;
    const qelAFPCharMetrics* spaceMetrics =
        spaceName ? dynamic_cast<const qelAFPCharMetrics*>(m->findCharMetrics(spaceName)) : nullptr;
    qelIni* ini = getOptions();
    const bool quiet = ini && ini->isQuietMode();
    qelLogStream* log = getLog();
    std::string out;
    int previous = -2;
    for (int code = record->firstCode; code >= 0 && code <= record->lastCode && code < 256; ++code) {
        const char* gcgid = record->glyphName[code];
        if (!gcgid)
            continue;
        const qelAFPCharMetrics* cm = record->charMetrics[code];
        const char* name = psName(cm);
        if (!name) {
            if (spaceMetrics) {
                if (!quiet)
                    qelMessageOutput::printf("==>CS=%s, Warning! Postscript name for GCCID %s is not found. Using "
                                             "Postscript name of SpaceChar GCGID %s.\n",
                                             orNull(cs), gcgid, spaceName);
                if (logs(log, QEL_LOG_LEVEL2))
                    log->print("\n==>CS=%s, Warning! Postscript name for GCCID %s is not found. Using Postscript name "
                               "of SpaceChar GCGID %s.",
                               orNull(cs), gcgid, spaceName);
                name = psName(spaceMetrics);
            } else {
                if (!quiet)
                    qelMessageOutput::printf("==>CS=%s, Warning! Postscript name for GCCID %s is not found.\n",
                                             orNull(cs), gcgid);
                if (logs(log, QEL_LOG_LEVEL2))
                    log->print("\n==>CS=%s, Warning! Postscript name for GCCID %s is not found.", orNull(cs), gcgid);
                continue;
            }
        }
        if (!name)
            continue;
        if (code != previous + 1)
            out += " " + std::to_string(code);
        out += " /";
        out += name;
        previous = code;
    }
    return out;
}

std::vector<int32_t> qelPDFVisitor::getUnicodeMap(qelAFPFont* font, qelCodePage* codePage,
                                                 qelPDFFontFileEntry* record)
{
    std::vector<int32_t> map;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGcgidUnicodeMap* table = pool ? pool->getGcgidUnicodeMap() : nullptr;
    qelLogStream* log = getLog();
    const bool logAll = log && log->isExactly(QEL_LOG_ALL);
    const char* cs = orNull(font ? font->getCharacterSetName() : nullptr);
    const char* cpName = orNull(codePage ? codePage->getName() : nullptr);
    const bool tableLoaded = table && table->isLoaded();
    if (!codePage || !record || record->firstCode < 0 || (!codePage->hasUnicode() && !tableLoaded)) {
        if (logAll)
            log->print("\n==>CS=%s, CP=%s Warning! Unicode information not available.", cs, cpName);
        return map;
    }
    qelIni* ini = getOptions();
    const char* tableName = ini && ini->getGcgidUnicodeFile() ? ini->getGcgidUnicodeFile() : "gcgid2unicode.def";
    bool any = false;
    for (int code = record->firstCode; code <= record->lastCode && code < 256; ++code) {
        int32_t value = -1;
        const char* name = record->glyphName[code];
        if (record->state[code] != qelPDFFontFileEntry::NOT_USED) {
            const qelCodePageChar* e = codePage->getEntry(code);
            if (e && e->unicode >= 0)
                value = e->unicode;
            else if (name && sameNoCase(name, codePage->getSpaceCharName()) && codePage->getEntry(codePage->getSpaceCodePoint())
                     && codePage->getEntry(codePage->getSpaceCodePoint())->unicode >= 0)
                value = codePage->getEntry(codePage->getSpaceCodePoint())->unicode;
            else if (name) {
                if (logAll)
                    log->print("\n==>CS=%s, CP=%s(%s) Warning! Unicode not found for GCGID \"%s\" ", cs, cpName,
                               cpName, name);
                value = tableLoaded ? qelGcgidUnicodeMap::findUnicodeValue(table, name) : -1;
                if (logAll)
                    log->print(value < 0 ? "\n==>CS=%s, CP=%s Warning! Unicode not found for GCGID \"%s\" in %s"
                                         : "\n==>CS=%s, CP=%s Warning! Unicode obtained for GCGID \"%s\" from %s",
                               cs, cpName, name, tableName);
            }
        }
        any = any || value >= 0;
        map.push_back(value);
    }
    if (!any) {
        if (logAll)
            log->print("\n==>CS=%s, CP=%s Warning! No valid unicode entries found. Unicode information not passed to "
                       "PDF document",
                       cs, cpName);
        map.clear();
    }
    return map;
}

// --- external fonts ---------------------------------------------------------------------------

void qelPDFVisitor::fillFontDescriptor(qelFontRepresentation* rep, PDFFontDescriptor* d)
{
    if (!d)
        return;
    d->written = 0;
    d->FontName = nullptr;
    d->StemH = -1;
    d->MissingWidth = -1;
    d->Leading = -1;
    d->MaxWidth = -1;
    d->AvgWidth = -1;
    d->Style = nullptr;
    d->fontFile = nullptr;
    if (!rep)
        return;
    switch (rep->getType()) {
    case qelFontRepresentation::TYPE_AFP: {
        const float size = sizeOfHeight(rep->getHeight());
        if (rep->getMetrics())
            descriptorFromAFPMetrics(nullptr, rep, size, d);
        d->ItalicAngle = 0;
        d->StemV = 0;
        d->XHeight = 0;
        break;
    }
    case qelFontRepresentation::TYPE_PFM: {
        const qelType1PFMRepresentation* pfm = static_cast<const qelType1PFMRepresentation*>(rep);
        const uint8_t* header = pfm->getHeader();
        const uint8_t* ext = pfm->getExtTextMetrics();
        const qelFontMetrics* m = rep->getMetrics();
        // dfAscent at 74, dfAvgWidth at 91; extended metrics: cap height 14,
        // x height 16, lower-case descent 20, slant 22 (tenths of a degree).
        d->Ascent = header ? readLE16(header + 74) : 0;
        d->CapHeight = ext ? readLE16(ext + 14) : 0;
        // The descender is stored positive; PDF wants it below the baseline.
        const int descender = ext ? readLE16(ext + 20) : 0;
        d->Descent = descender > 0 ? -descender : descender;
        d->ItalicAngle = ext ? readLE16(ext + 22) / 10.0f : 0.0f;
        d->StemV = header ? readLE16(header + 91) : 0;
        d->XHeight = ext ? readLE16(ext + 16) : 0;
        d->FontBBox[0] = m ? m->getMinX() : 0;
        d->FontBBox[1] = m ? m->getMinY() : 0;
        d->FontBBox[2] = m ? m->getMaxCharBoxWidth() : 0;
        d->FontBBox[3] = m ? m->getMaxCharBoxHeight() : 0;
        break;
    }
    case qelFontRepresentation::TYPE_TRUETYPE:
    case qelFontRepresentation::TYPE_OPENTYPE: {
        const qelTTFRepresentation* ttf = dynamic_cast<const qelTTFRepresentation*>(rep);
        const qelTTFHeadTable* head = ttf ? ttf->getHeadTable() : nullptr;
        const qelTTFOS2Table* os2 = ttf ? ttf->getOS2Table() : nullptr;
        const qelTTFHheaTable* hhea = ttf ? ttf->getHorizontalHeaderTable() : nullptr;
        const qelTTFPostTable* post = ttf ? ttf->getPostTable() : nullptr;
        const double upem = head && head->unitsPerEm ? head->unitsPerEm : 1000.0;
        auto scaled = [upem](double v) { return static_cast<int32_t>(std::floor(v * 1000.0 / upem + 0.5)); };
        const int weight = os2 ? os2->usWeightClass : 0;
        d->StemV = 50 + (weight / 65) * (weight / 65);
        d->XHeight = os2 && os2->version >= 2 ? scaled(os2->sxHeight) : 0;
        d->ItalicAngle = post ? static_cast<float>(post->italicAngle) : 0.0f;
        // The font program is copied as it is: the metrics come from its
        // tables.
        if (hhea) {
            d->Ascent = scaled(hhea->ascender);
            d->Descent = scaled(hhea->descender);
        } else if (os2) {
            d->Ascent = scaled(os2->sTypoAscender);
            d->Descent = scaled(os2->sTypoDescender);
        }
        d->CapHeight = os2 && os2->version >= 2 ? scaled(os2->sCapHeight) : d->Ascent;
        if (head) {
            d->FontBBox[0] = scaled(head->xMin);
            d->FontBBox[1] = scaled(head->yMin);
            d->FontBBox[2] = scaled(head->xMax);
            d->FontBBox[3] = scaled(head->yMax);
        }
        break;
    }
    default:
        break;
    }
}

void qelPDFVisitor::attachExternalFont(qelAFPFont* font, qelPDFFontFileEntry* record, int fontType, const char* key,
                                       const char* fontFile)
{
    if (!record)
        return;
    FontRecordState& st = fontState(record);
    qelFontRepresentation* rep = nullptr;
    if (key && *key)
        for (const auto& loaded : m_externalFonts)
            if (sameNoCase(loaded->getFileName(), key)) {
                rep = loaded.get();
                break;
            }
    if (!rep) {
        const int type = fontType == qelFontRepresentation::TYPE_PFM || fontType == qelFontRepresentation::TYPE_PFB
                             ? qelFontRepresentation::TYPE_PFM
                             : fontType;
        std::unique_ptr<qelFontRepresentation> made(
            loadExternalFont(fontFile, type, sameNoCase(record->codePageName, kAllCodePages)));
        if (!made)
            return;
        made->setFileName(key);
        rep = made.get();
        m_externalFonts.push_back(std::move(made));
    }
    st.representation = rep;
    if (rep->getType() == qelFontRepresentation::TYPE_PFM) {
        qelType1PFMRepresentation* pfm = static_cast<qelType1PFMRepresentation*>(rep);
        st.baseFont = pfm->getFontName() ? pfm->getFontName() : "";
        pfm->setFontFileName(st.outlinePath.c_str());
        st.state = 6;
    } else if (rep->getType() == qelFontRepresentation::TYPE_TRUETYPE
               || rep->getType() == qelFontRepresentation::TYPE_OPENTYPE) {
        const qelTTFRepresentation* ttf = dynamic_cast<const qelTTFRepresentation*>(rep);
        st.baseFont = ttf && ttf->getFontName() ? ttf->getFontName() : "";
        st.state = 7;
    }
    st.bold = rep->isBold();
    st.italic = rep->isItalic();
    st.light = rep->isLight();
    (void)font;
}
