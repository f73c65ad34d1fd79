// Text output of the PDF visitor: each text object becomes one PDF text
// object in its font, at its position and orientation, with its spacing,
// underscore and overstrike lines.
#include "qelPDFVisitor.h"

#include "qelAFPFont.h"
#include "qelCodePage.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIPSFontRepresentation.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMappedRes.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelPageCoordinateTransformer.h"
#include "qelTextObject.h"

#include <algorithm>
#include <cstring>

namespace
{
const float kNotSet = 65535.0f;

const unsigned char* bytesOf(const char* text) { return reinterpret_cast<const unsigned char*>(text); }

bool isRotatedChars(int rotation) { return rotation != 0 && rotation != 360; }

int textResolution(const qelTextObject* text) { return text->getResolution() ? text->getResolution() : 240; }

bool isSet(float v) { return v != kNotSet && v != 0.0f; }

bool isIPSType(const qelFontRepresentation* rep)
{
    return rep && (rep->getType() == qelFontRepresentation::TYPE_AFP || rep->getType() == qelFontRepresentation::TYPE_PDF);
}

// The coded font of a text: its own, else the one of its font mapping,
// which the text keeps.
qelAFPFont* textFont(qelTextObject* text)
{
    qelAFPFont* font = text->getFont();
    if (!font && text->getFontMapping()) {
        font = text->getFontMapping()->getFont();
        text->setFont(font);
    }
    return font;
}

// Name whose rendering mode decides how a font is shown; null when the
// text goes to a substitute font anyway.
const char* renderingName(qelAFPFont* font)
{
    const qelFontRepresentation* rep = font->getRepresentation();
    const char* cs = isIPSType(rep) ? font->getCharacterSetName() : nullptr;
    if (cs && *cs)
        return cs;
    if (font->getScriptCreated())
        return font->getCodedFontName();
    return nullptr;
}

int renderingMode(const char* name)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelMappingDef* md = pool ? pool->getMappingDef() : nullptr;
    return md ? md->getCharSetRenderingMode(name) : 1;
}

// Space code point of a text's code page (0x40 without one).
int spaceCode(qelTextObject* text, qelAFPFont* font)
{
    const qelCodePage* cp = nullptr;
    if (const qelMappedRes* mapping = text->getFontMapping())
        cp = mapping->getCodePage();
    else if (font && font->getScriptCreated())
        cp = font->getCodePage();
    const int s = cp ? cp->getSpaceCodePoint() : 0;
    return s > 0 && s < 256 ? s : 0x40;
}
}

// Whether the text can be drawn with its AFP font itself. A font without a
// usage record for the text (no text bound codes of it) cannot.
bool qelPDFVisitor::rendersWithAFPFont(qelTextObject* text, qelAFPFont* font)
{
    if (!resolveCodePage(text, font, false))
        return false;
    try {
        return resolveTextFont(text, font);
    } catch (qelException* e) {
        if (e->getId() != qelMsg::E095)
            throw;
        delete e;
    }
    return false;
}

// --- dispatch --------------------------------------------------------------------------

void qelPDFVisitor::writeTextObject(qelTextObject* text)
{
    if (!text || !m_doc)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (pool)
        pool->getGlobalRes();
    qelAFPFont* font = textFont(text);
    computeTextPosition(text);
    text->setAngle(static_cast<float>(text->getIAxisOrientation()), false);
    applyObjectColor(text);

    const char* name = font && !font->isMetricsFromFile() ? renderingName(font) : nullptr;
    if (!name) {
        writeTextUsingSub(text, 1);
    } else {
        const int mode = renderingMode(name);
        if (mode == 0) {
            // Without a usage record no text bound codes of the AFP font.
            if (rendersWithAFPFont(text, font))
                writeTextUsingAFPFont(text);
            else
                writeTextUsingSub(text, 1);
        } else if (mode == 1 || mode == 2) {
            writeTextUsingSub(text, mode);
        }
    }

    qelLogStream* log = getLog();
    if (log && log->anyOf(QEL_LOG_FONT)) {
        const bool removed = text->getRemoved() != 0;
        const bool suppressed = text->getSuppressed() != 0;
        const char* state = removed && suppressed ? "Suppressed & Removed"
                            : removed             ? "Removed"
                            : suppressed          ? "Suppressed"
                                                  : "";
        log->print("\n  @(%.2f,%.2f)>%s< %s", text->getX(), text->getY(), text->getText() ? text->getText() : "",
                   state);
    }
}

// --- text objects ---------------------------------------------------------------------------

int qelPDFVisitor::beginText(qelTextObject* text, qelAFPFont* font, int mode)
{
    if (!text || !m_doc)
        return 0;
    opdf_beginText(m_doc);
    checkLibraryError("beginText()->opdf_beginText()");
    if (font)
        setAFPFont(text, font, mode);
    else
        setDefPDFFont();

    int flags = 0;
    const float unit = 72.0f / static_cast<float>(textResolution(text));
    const float adjustment = text->getCharacterSpacing();
    if (isSet(adjustment)) {
        opdf_setCharSpacing(m_doc, unit * adjustment);
        checkLibraryError("beginText()->opdf_setCharSpacing()");
        flags |= 2;
    }
    const float increment = text->getWordSpacing();
    const char* display = text->getText();
    if (mode != 0 && isSet(increment) && display && std::strchr(display, ' ')) {
        const float space = opdf_stringWidth(m_doc, bytesOf(" "), 1);
        opdf_setWordSpacing(m_doc, unit * increment - space);
        checkLibraryError("beginText()->opdf_setWordSpacing()");
        flags |= 1;
    }
    return flags;
}

void qelPDFVisitor::endText(int flags)
{
    if (!m_doc)
        return;
    if (flags & 1)
        opdf_setWordSpacing(m_doc, 0.0f);
    if (flags & 2)
        opdf_setCharSpacing(m_doc, 0.0f);
    opdf_endText(m_doc);
    checkLibraryError("endText()->opdf_endText()");
}

void qelPDFVisitor::writeTextUsingSub(qelTextObject* text, int mode)
{
    if (!text || !m_doc)
        return;
    const char* display = text->getText();
    if (!display || !*display) {
        isTextEmpty(text, display, 0);
        return;
    }
    const int length = static_cast<int>(std::strlen(display));
    qelAFPFont* font = findRegisteredFont(textFont(text));
    if (font)
        prepareTextFont(text, font);
    qelPageCoordinateTransformer* t = getTransformer();
    const int flags = beginText(text, font, mode);
    const float w = opdf_stringWidth(m_doc, bytesOf(display), length);
    const qelPoint start = t->getPosition();
    const int angle = static_cast<int>(text->getAngle());
    if (!text->getRemoved() && !text->getSuppressed()) {
        if (font && isRotatedChars(text->getCharacterRotation())) {
            writeRotatedText(text, font, bytesOf(display), length);
        } else {
            opdf_textAligned(m_doc, start.x, start.y, text->getAngle(), 0, bytesOf(display), length);
            checkLibraryError("writeTextUsingSub()->opdf_textAligned()");
        }
    }
    t->moveInline(w * static_cast<float>(pageResolution()) / 72.0f);
    const qelPoint end = t->getPosition();
    endText(flags);
    writeScoreLines(text, font, start, end);
    qelPoint top = end;
    top.y += font ? static_cast<float>(font->getRepresentation() ? font->getRepresentation()->getHeight() : 100) / 10.0f
                  : 10.0f;
    checkPageBounds(start, top, angle, nullptr, 0);
}

void qelPDFVisitor::writeTextUsingAFPFont(qelTextObject* text)
{
    if (!text || !m_doc)
        return;
    const unsigned char* codes = text->getCodePointText();
    const int count = text->getTextLength();
    if (!codes || count == 0) {
        isTextEmpty(text, reinterpret_cast<const char*>(codes), count);
        return;
    }
    qelAFPFont* font = findRegisteredFont(textFont(text));
    if (font)
        prepareTextFont(text, font);
    qelPageCoordinateTransformer* t = getTransformer();
    const qelPoint start = t->getPosition();
    const int flags = beginText(text, font, 0);
    const float increment = text->getWordSpacing();
    const int vsi = static_cast<int>(static_cast<uint16_t>(static_cast<int>(increment)));
    if (vsi != 0 && vsi != 0xFFFF) {
        writeVSpaceTextUsingAFPFont(text, font);
    } else {
        const float w = opdf_stringWidth(m_doc, codes, count);
        if (!text->getRemoved() && !text->getSuppressed()) {
            if (isRotatedChars(text->getCharacterRotation())) {
                writeRotatedText(text, font, codes, count);
            } else {
                opdf_textAligned(m_doc, start.x, start.y, static_cast<float>(static_cast<int16_t>(text->getAngle())),
                                 0, codes, count);
                checkLibraryError("writeTextUsingAFPFont()->opdf_textAligned(2)");
            }
        }
        t->moveInline(w / 72.0f * static_cast<float>(pageResolution()));
    }
    const qelPoint end = t->getPosition();
    endText(flags);
    writeScoreLines(text, font, start, end);
    qelPoint top = end;
    top.y += font && font->getRepresentation() ? font->getRepresentation()->getHeight() / 10.0f : 10.0f;
    checkPageBounds(start, top, static_cast<int>(text->getAngle()), nullptr, 0);
}

void qelPDFVisitor::writeVSpaceTextUsingAFPFont(qelTextObject* text, qelAFPFont* font)
{
    const unsigned char* codes = text ? text->getCodePointText() : nullptr;
    const int count = text ? text->getTextLength() : 0;
    if (!codes || count <= 0 || !m_doc)
        return;
    qelPageCoordinateTransformer* t = getTransformer();
    const float resolution = static_cast<float>(pageResolution());
    const unsigned char s = static_cast<unsigned char>(spaceCode(text, font));
    const float increment = text->getWordSpacing();
    const float incrementPoints = increment * 72.0f / static_cast<float>(textResolution(text));
    float z = 0.0f;
    if (std::memchr(codes, s, static_cast<size_t>(count))) {
        const float spaceWidth = opdf_stringWidth(m_doc, &s, 1);
        // A space glyph without width cannot be widened: such spaces are
        // placed by the increment instead.
        if (spaceWidth > 0.0f)
            z = incrementPoints * 100.0f / spaceWidth;
    }
    const bool shown = !text->getRemoved() && !text->getSuppressed();
    auto showRun = [&](const unsigned char* run, int n, bool spaces, const char* name) {
        if (n <= 0)
            return;
        if (spaces && z != 0.0f) {
            opdf_setHorizontalScaling(m_doc, z);
            checkLibraryError("writeVSpaceTextUsingAFPFont()->opdf_setHorizontalScaling()");
        }
        float w = opdf_stringWidth(m_doc, run, n);
        if (shown) {
            const qelPoint p = t->getPosition();
            if (isRotatedChars(text->getCharacterRotation()))
                writeRotatedText(text, font, run, n);
            else {
                opdf_textAligned(m_doc, p.x, p.y, text->getAngle(), 0, run, n);
                checkLibraryError(name);
            }
        }
        if (spaces && z != 0.0f) {
            opdf_setHorizontalScaling(m_doc, 100.0f);
            checkLibraryError("writeVSpaceTextUsingAFPFont()->opdf_setHorizontalScaling()");
        }
        if (spaces && z == 0.0f)
            w = incrementPoints * static_cast<float>(n);
        t->moveInline(w / 72.0f * resolution);
    };
    int i = 0;
    while (i < count) {
        const bool spaces = codes[i] == s;
        int j = i;
        while (j < count && (codes[j] == s) == spaces)
            ++j;
        const bool last = j >= count && !spaces;
        showRun(codes + i, j - i, spaces,
                last ? "writeVSpaceTextUsingAFPFont()->opdf_textAligned(2)"
                     : "writeVSpaceTextUsingAFPFont()->opdf_textAligned(1)");
        i = j;
    }
}

void qelPDFVisitor::writeRotatedText(qelTextObject* text, qelAFPFont* font, const unsigned char* bytes, int count)
{
    if (!text || !m_doc)
        return;
    qelPageCoordinateTransformer* t = getTransformer();
    float x = t->getX();
    float y = t->getY();
    const float r = static_cast<float>(pageResolution());
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    const int c = isIPSType(rep) ? font->getRotation() : 0;
    const int iAxis = text->getIAxisOrientation();
    const int bAxis = text->getBAxisOrientation();
    qelLogStream* log = getLog();
    if (c == 180 && (iAxis == 180 || bAxis == 270)) {
        opdf_rotate(m_doc, 180.0f);
        switch (iAxis) {
        case 90: x = y; break;
        case 180: x = -x; break;
        case 270: x = -y; break;
        default: break;
        }
        switch (bAxis) {
        case 90:
        case 270: y = -y; break;
        case 180: y = -x; break;
        default: break;
        }
        for (int i = 0; i < count; ++i) {
            x += opdf_stringWidth(m_doc, bytes + i, 1) / 72.0f * r;
            opdf_textAligned(m_doc, x, y, text->getAngle(), 0, bytes + i, 1);
            checkLibraryError("writeRotatedText()->opdf_textAligned(2)");
        }
        opdf_rotate(m_doc, -180.0f);
        return;
    }
    if (log) {
        if (c == 180)
            log->printLine("Warning! Character rotation (%d) not handled for text objects having I,B orientation as "
                           "(%d, %d)\n",
                           180, iAxis, bAxis);
        else
            log->printLine("Warning! Character rotation (%d) not handled\n", c);
    }
    opdf_textAligned(m_doc, x, y, text->getAngle(), 0, bytes, count);
    checkLibraryError("writeRotatedText()->opdf_textAligned()");
}

// --- score lines ------------------------------------------------------------------------------

void qelPDFVisitor::writeScoreLines(qelTextObject* text, qelAFPFont* font, qelPoint start, qelPoint end)
{
    if (!text || !m_doc)
        return;
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    const bool underscore = (text->getUnderline() & 0x0F) != 0 || (rep && rep->isUnderline());
    const bool overstrike = (text->getOverstrike() & 0x0F) != 0 || (rep && rep->isStrikeover());
    const int angle = static_cast<int>(text->getAngle());
    if (underscore)
        checkAndWriteScore(start, end, font, angle, true);
    if (overstrike)
        checkAndWriteScore(start, end, font, angle, false);
}

void qelPDFVisitor::checkAndWriteScore(qelPoint start, qelPoint end, qelAFPFont* font, int angle, bool underscore)
{
    if (!m_doc)
        return;
    const float d = static_cast<float>(pageResolution());
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    int h = 10;
    if (rep) {
        const int height = rep->getHeight();
        h = height == -1 ? 10 : height / 10;
    }
    float dx = 0.0f, dy = 0.0f;
    float width = 0.0f;
    if (underscore) {
        const float m = rep ? static_cast<float>(h) * 75.0f * d / 72000.0f : 750.0f * d / 72000.0f;
        width = rep ? static_cast<float>(h) * 50.0f * d / 72000.0f : 500.0f * d / 72000.0f;
        const float o = m + width / 2.0f;
        switch (angle) {
        case 0:
        case 360: dy = -o; break;
        case 90: dx = o; break;
        case 180: dy = o; break;
        case 270: dx = -o; break;
        default: break;
        }
    } else {
        const qelIPSFontRepresentation* ips = isIPSType(rep) ? static_cast<const qelIPSFontRepresentation*>(rep) : nullptr;
        width = ips && ips->isRelativeMetric() ? 50.0f * d / 1000.0f : static_cast<float>(h) * 50.0f * d / 72000.0f;
        const float o = d * static_cast<float>(h) / 72.0f * 0.5f;
        switch (angle) {
        case 0:
        case 360: dy = o; break;
        case 90: dx = -o; break;
        case 180: dy = -o; break;
        case 270: dx = o; break;
        default: break;
        }
    }
    opdf_setlinewidth(m_doc, width / d * 72.0f);
    opdf_moveto(m_doc, start.x + dx, start.y + dy);
    checkLibraryError("checkAndWriteScore()->opdf_moveto()");
    opdf_lineto(m_doc, end.x + dx, end.y + dy);
    checkLibraryError("checkAndWriteScore()->opdf_lineto()");
    opdf_stroke(m_doc);
    checkLibraryError("checkAndWriteScore()->opdf_stroke()");
}

// --- measuring ----------------------------------------------------------------------------------

float qelPDFVisitor::measureTextWidth(qelTextObject* text)
{
    if (!text || !m_doc)
        return -1.0f;
    qelAFPFont* font = findRegisteredFont(textFont(text));
    int mode = 1;
    if (font && !font->isMetricsFromFile()) {
        const char* name = renderingName(font);
        mode = name ? renderingMode(name) : 1;
        if (mode == 0 && !rendersWithAFPFont(text, font))
            mode = 1;
    }
    setAFPFont(text, font, mode);
    float w = 0.0f;
    if (mode == 0) {
        if (text->getCodePointText())
            w = opdf_stringWidth(m_doc, text->getCodePointText(), text->getTextLength());
    } else if (const char* display = text->getText()) {
        w = opdf_stringWidth(m_doc, bytesOf(display), static_cast<int>(std::strlen(display)));
    }
    return w / 72.0f * static_cast<float>(pageResolution());
}
