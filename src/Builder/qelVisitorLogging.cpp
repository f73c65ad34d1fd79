// Object log lines of the visitor base: one line per object received
// ("-->") and per object written ("==>"), positions and sizes in output
// units and millimetres.
#include "qelVisitor.h"

#include "qelAFPFont.h"
#include "qelBarcodeObject.h"
#include "qelGraphicObject.h"
#include "qelLineObject.h"
#include "qelLogStream.h"
#include "qelMappedRes.h"
#include "qelMedia.h"
#include "qelPage.h"
#include "qelPageCoordinateTransformer.h"
#include "qelRes.h"
#include "qelResourceReference.h"
#include "qelTextObject.h"

#include <cstdint>
#include <string>

namespace
{
double mm(double value, double resolution)
{
    return resolution != 0.0 ? value * 25.4 / resolution : 0.0;
}

// Output units as the log's 16-bit values; out of range gives 0.
int16_t toShort(double value)
{
    if (!(value > -2147483648.0 && value < 2147483647.0))
        return 0;
    return static_cast<int16_t>(static_cast<int32_t>(value));
}

const char* nameOr(const char* name)
{
    return name ? name : "No Name";
}
}

const char* qelVisitor::lineTypeName(int lineType)
{
    switch (lineType) {
    case 0: return "Default";
    case 1: return "Dotted";
    case 2: return "Short Dashed";
    case 3: return "Dash Dot";
    case 4: return "Double Dot";
    case 5: return "Long Dash";
    case 6: return "Dash Double Dot";
    case 7: return "Solid";
    case 8: return "Invisible";
    case 9: return "Extended WithStart Pos";
    case 153: return "Not Applicable";
    default: return "Unknown";
    }
}

const char* qelVisitor::markerName(int symbol)
{
    switch (symbol & 0xFF) {
    case 0:
    case 1: return "Cross";
    case 2: return "Plus";
    case 3: return "Diamond";
    case 4: return "Square";
    case 5: return "6 PT Star";
    case 6: return "8 PT Star";
    case 7: return "Fill Diamond";
    case 8: return "Fill Square";
    case 9: return "Dot";
    case 10: return "Circle";
    case 64: return "Blank";
    default: return "Unknown";
    }
}

const char* qelVisitor::colorSpaceName(int space)
{
    switch (space) {
    case 1: return "RGB";
    case 2: return "CMYK";
    case 3: return "HIGHLIGHT";
    case 4: return "CIELAB";
    case 5: return "SOCA";
    default: return "";
    }
}

void qelVisitor::logColorSpace(const char* spaceName, uint32_t color)
{
    if (!m_log)
        return;
    if (!spaceName) {
        m_log->printLine("Warning! Invalid Colorspace info to log");
        return;
    }
    m_log->print("\n-->ColorSpace=%s, Color=%lu[0x%X]", spaceName, static_cast<unsigned long>(color), color);
}

void qelVisitor::logColorValue(int space, uint32_t color)
{
    if (m_log)
        m_log->print("\n-->ColorSpace=%s, Color=%lu[0x%X]", colorSpaceName(space), static_cast<unsigned long>(color),
                     color);
}

void qelVisitor::logColor(qelGraphicObject* object)
{
    if (!m_log)
        return;
    if (!object) {
        m_log->printLine("Warning! Invalid Object info to log");
        return;
    }
    const int space = object->getColorSpace();
    const uint32_t color = object->getColorValue();
    m_log->print("\n==>ColorSpace=%s, Color=%lu[0x%X]", space == 0 ? "NONE" : colorSpaceName(space),
                 static_cast<unsigned long>(color), color);
}

void qelVisitor::logInputImage(const char* name, float width, float height, float x, float y, float presentationWidth,
                               float presentationHeight, int xResolution, int yResolution, const char* compression,
                               int bitsPerPixel)
{
    if (!m_log)
        return;
    const double t = m_transformer ? m_transformer->getResolution() : 0;
    m_log->print("\n-->Image=%s, ImgSize=(W:%.2f[%0.2fmm], H:%.2f[%0.2fmm]), BPP=%d, Compression=%s, "
                 "Pos=(X:%.2f[%0.2fmm], Y:%.2f[%0.2fmm]), PresentationSize=(W:%.2f[%0.2fmm], H:%.2f[%0.2fmm]) ",
                 nameOr(name), width, mm(width, xResolution), height, mm(height, yResolution), bitsPerPixel,
                 compression ? compression : "Unknown", x, mm(x, t), y, mm(y, t), presentationWidth,
                 mm(presentationWidth, xResolution), presentationHeight, mm(presentationHeight, yResolution));
}

void qelVisitor::logOutputImage(const char* name, float width, float height, const char* type, float x, float y,
                                int xResolution, int yResolution, const char* compression)
{
    if (!m_log)
        return;
    const double t = m_transformer ? m_transformer->getResolution() : 0;
    m_log->print("\n==>Image=%s, ImgSize=(W:%.2f[%0.2fmm], H:%.2f[%0.2fmm]), Type=%s, Compression=%s, "
                 "Pos=(X:%0.2f[%0.2fmm], Y:%0.2f[%0.2fmm])",
                 nameOr(name), width, mm(width, xResolution), height, mm(height, yResolution),
                 type ? type : "Unknown", compression ? compression : "Unknown", x, mm(x, t), y, mm(y, t));
}

void qelVisitor::logImagePlacement(const char* name, long width, long height, float x, float y)
{
    if (!m_log)
        return;
    const double t = m_transformer ? m_transformer->getResolution() : 0;
    m_log->print("Image=%s, ImgSize=(W:%ld[%0.2fmm], H:%ld[%0.2fmm]), Pos=(X:%.2f[%0.2fmm], Y:%.2f[%0.2fmm])",
                 nameOr(name), width, mm(static_cast<double>(width), t), height, mm(static_cast<double>(height), t), x,
                 mm(x, t), y, mm(y, t));
}

namespace
{
void graphicsLine(qelLogStream* log, const char* marker, float width, float length, float startX, float startY,
                  float endX, float endY, const char* orientation, int resolution, int lineType)
{
    if (!log)
        return;
    const double r = resolution;
    log->print("\n%sGLine Orn=%s, Width=%0.2f[%0.2fmm], Length=%0.2f[%0.2fmm], StartPos=(X:%0.2f[%0.2fmm], "
               "Y:%0.2f[%0.2fmm] ), EndPos=(X:%0.2f[%0.2fmm], Y:%0.2f[%0.2fmm] ), LT=%s",
               marker, orientation ? orientation : "", width, mm(width, r), length, mm(length, r), startX,
               mm(startX, r), startY, mm(startY, r), endX, mm(endX, r), endY, mm(endY, r),
               qelVisitor::lineTypeName(lineType));
}

void arc(qelLogStream* log, const char* marker, const char* type, qelPoint centre, int resolution, int lineType,
         int hRadius, int vRadius, int startAngle, int endAngle)
{
    if (!log)
        return;
    const double r = resolution;
    log->print("\n%sArc T=%s, CP=(%0.2f[%0.2fmm],%0.2f[%0.2fmm]), Hr=%d[%0.2fmm], Vr=%d[%0.2fmm], LT=%s", marker,
               type ? type : "", centre.x, mm(centre.x, r), centre.y, mm(centre.y, r), hRadius, mm(hRadius, r),
               vRadius, mm(vRadius, r), qelVisitor::lineTypeName(lineType));
    if (startAngle > 0 && endAngle > 0)
        log->print(", Start Angle = %d, End Angle = %d", startAngle, endAngle);
}

void marker(qelLogStream* log, const char* mark, int symbol, qelPoint p, float cw, float ch, int resolution)
{
    if (!log)
        return;
    const double r = resolution;
    log->print("\n%sMarker, Name=%s, Pos=(%0.2f[%0.2fmm], %0.2f[%0.2fmm]), CW=%0.2f[%0.2fmm], CH=%0.2f[%0.2fmm]",
               mark, qelVisitor::markerName(symbol), p.x, mm(p.x, r), p.y, mm(p.y, r), cw, mm(cw, r), ch, mm(ch, r));
}

void fillet(qelLogStream* log, const char* mark, qelPoint s, qelPoint e, int resolution, int lineType)
{
    if (!log)
        return;
    const double r = resolution;
    log->print("\n%sFillet, SP=(%0.2f[%0.2fmm], %0.2f[%0.2fmm]), EP=(%0.2f[%0.2fmm],%0.2f[%0.2fmm]), LT=%s", mark,
               s.x, mm(s.x, r), s.y, mm(s.y, r), e.x, mm(e.x, r), e.y, mm(e.y, r),
               qelVisitor::lineTypeName(lineType));
}

void box(qelLogStream* log, const char* mark, qelPoint f, qelPoint d, int resolution, int lineType, bool rounded,
         float xr, float yr)
{
    if (!log)
        return;
    const double r = resolution;
    log->print("\n%sBox T=%c, FP=(%0.2f[%0.2fmm], %0.2f[%0.2fmm]), DP=(%0.2f[%0.2fmm],%0.2f[%0.2fmm]), LT=%s", mark,
               rounded ? 'R' : 'S', f.x, mm(f.x, r), f.y, mm(f.y, r), d.x, mm(d.x, r), d.y, mm(d.y, r),
               qelVisitor::lineTypeName(lineType));
    if (rounded)
        log->print(", XR=(%0.2f[%0.2fmm]), YR=(%0.2f[%0.2fmm])", xr, mm(xr, r), yr, mm(yr, r));
}
}

void qelVisitor::logInputGraphicsLine(float width, float length, float startX, float startY, float endX, float endY,
                                      const char* orientation, int resolution, int lineType)
{
    graphicsLine(m_log, "-->", width, length, startX, startY, endX, endY, orientation, resolution, lineType);
}

void qelVisitor::logOutputGraphicsLine(float width, float length, float startX, float startY, float endX, float endY,
                                       const char* orientation, int resolution, int lineType)
{
    graphicsLine(m_log, "==>", width, length, startX, startY, endX, endY, orientation, resolution, lineType);
}

void qelVisitor::logInputLine(const char* orientation, float width, uint16_t length, float startX, float startY)
{
    if (!m_log)
        return;
    const double o = m_outputResolution;
    float endX = 0.0f;
    float endY = 0.0f;
    const std::string orn = orientation ? orientation : "";
    if (orn == "HLine") {
        endX = startX + length;
        endY = startY + width;
    } else if (orn == "VLine") {
        endX = startX + width;
        endY = startY + length;
    }
    m_log->print("\n-->Line Orn=%s, Width=%0.2f[%0.2fmm], Length=%d[%0.2fmm], StartPos=(X:%0.2f[%0.2fmm], "
                 "Y:%0.2f[%0.2fmm]), EndPos=(X:%0.2f[%0.2fmm], Y:%0.2f[%0.2fmm])",
                 orn.c_str(), width, mm(width, o), length, mm(length, o), startX, mm(startX, o), startY,
                 mm(startY, o), endX, mm(endX, o), endY, mm(endY, o));
}

void qelVisitor::logOutputLine(qelLineObject* line, qelPoint start)
{
    if (!m_log)
        return;
    if (!line) {
        m_log->printLine("Warning! Invalid Line object to log");
        return;
    }
    const double t = m_transformer ? m_transformer->getResolution() : 0;
    const bool horizontal = line->getHorizontal() != 0;
    const float w = line->getWidth();
    const float l = line->getLength();
    const float endX = horizontal ? start.x + l : start.x + w;
    const float endY = horizontal ? start.y + w : start.y + l;
    m_log->print("\n==>Line Orn=%s, Width=%0.2f[%0.2fmm], Length=%0.2f[%0.2fmm], StartPos=(X:%0.2f[%0.2fmm], "
                 "Y:%0.2f[%0.2fmm]), EndPos=(X:%0.2f[%0.2fmm], Y:%0.2f[%0.2fmm])",
                 horizontal ? "HLine" : "VLine", w, mm(w, t), l, mm(l, t), start.x, mm(start.x, t), start.y,
                 mm(start.y, t), endX, mm(endX, t), endY, mm(endY, t));
}

void qelVisitor::logInputArc(const char* type, qelPoint centre, int resolution, int lineType, int hRadius,
                             int vRadius, int startAngle, int endAngle)
{
    arc(m_log, "-->", type, centre, resolution, lineType, hRadius, vRadius, startAngle, endAngle);
}

void qelVisitor::logOutputArc(const char* type, qelPoint centre, int resolution, int lineType, int hRadius,
                              int vRadius, int startAngle, int endAngle)
{
    arc(m_log, "==>", type, centre, resolution, lineType, hRadius, vRadius, startAngle, endAngle);
}

void qelVisitor::logInputMarker(int symbol, qelPoint position, float cellWidth, float cellHeight, int resolution)
{
    marker(m_log, "-->", symbol, position, cellWidth, cellHeight, resolution);
}

void qelVisitor::logOutputMarker(int symbol, qelPoint position, float cellWidth, float cellHeight, int resolution)
{
    marker(m_log, "==>", symbol, position, cellWidth, cellHeight, resolution);
}

void qelVisitor::logInputFillet(qelPoint start, qelPoint end, int resolution, int lineType)
{
    fillet(m_log, "-->", start, end, resolution, lineType);
}

void qelVisitor::logOutputFillet(qelPoint start, qelPoint end, int resolution, int lineType)
{
    fillet(m_log, "==>", start, end, resolution, lineType);
}

void qelVisitor::logInputBox(qelPoint first, qelPoint diagonal, int resolution, int lineType, bool rounded,
                             float xRadius, float yRadius)
{
    box(m_log, "-->", first, diagonal, resolution, lineType, rounded, xRadius, yRadius);
}

void qelVisitor::logOutputBox(qelPoint first, qelPoint diagonal, int resolution, int lineType, bool rounded,
                              float xRadius, float yRadius)
{
    box(m_log, "==>", first, diagonal, resolution, lineType, rounded, xRadius, yRadius);
}

void qelVisitor::logBeginPage(qelPage* page)
{
    if (!m_log)
        return;
    if (!page) {
        m_log->printLine("Warning! Invalid page to log");
        return;
    }
    const float o = static_cast<float>(m_outputResolution);
    const float wmm = o != 0.0f ? static_cast<float>(m_pageWidth) * 25.4f / o : 0.0f;
    const float hmm = o != 0.0f ? static_cast<float>(m_pageHeight) * 25.4f / o : 0.0f;
    m_log->print("\n==>BPG Name=%s, Size=(W:%d[%0.2fmm], H:%d[%0.2fmm])", nameOr(page->getName()), m_pageWidth,
                 static_cast<double>(wmm), m_pageHeight, static_cast<double>(hmm));
}

void qelVisitor::logEndPage(qelPage* page)
{
    if (!m_log)
        return;
    if (!page) {
        m_log->printLine("Warning! Invalid page to log");
        return;
    }
    m_log->print("\n==>EPG Name=%s", nameOr(page->getName()));
}

void qelVisitor::logBeginResource(qelRes* resource, qelPoint position, int resolution, bool mediumOverlay)
{
    if (!m_log)
        return;
    if (!resource) {
        m_log->printLine("Warning! Invalid Resource to log");
        return;
    }
    const double r = resolution;
    // The inline flag marks a resource that came as structured fields of
    // the print file.
    const char* kind = mediumOverlay ? "M" : (resource->getInline() ? "SF" : "I");
    const char* name = nameOr(resource->getName());
    if (resource->getType() == qelRes::TYPE_OVERLAY) {
        const qelMedia* media = dynamic_cast<const qelMedia*>(resource);
        const long w = media ? static_cast<long>(media->getWidth()) : 0;
        const long h = media ? static_cast<long>(media->getHeight()) : 0;
        m_log->print("\n==>%s Name=%s, Size=(W:%ld[%0.2fmm], H=%ld[%0.2fmm]), Pos=(X:%0.2f[%0.2fmm], "
                     "Y=%0.2f[%0.2fmm]), Type=%s",
                     "BMO", name, w, mm(static_cast<double>(w), r), h, mm(static_cast<double>(h), r), position.x,
                     mm(position.x, r), position.y, mm(position.y, r), kind);
        return;
    }
    const char* tag = resource->getType() == qelRes::TYPE_PAGE_SEGMENT ? "BPS"
                      : (resource->getType() == qelRes::TYPE_OBJECT_CONTAINER ? "BOC" : "");
    m_log->print("\n==>%s Name=%s, Pos=(X:%0.2f[%0.2fmm], Y=%0.2f[%0.2fmm]), Type=%s", tag, name, position.x,
                 mm(position.x, r), position.y, mm(position.y, r), kind);
}

void qelVisitor::logEndResource(qelRes* resource)
{
    if (!m_log)
        return;
    if (!resource) {
        m_log->printLine("Warning! Invalid Resource to log");
        return;
    }
    const uint32_t type = resource->getType();
    const char* tag = type == 1 ? "EMO" : (type == 2 ? "EPS" : (type == 8 ? "EOC" : ""));
    m_log->print("\n==>%s Name=%s", tag, nameOr(resource->getName()));
}

void qelVisitor::logBeginInclude(qelResourceReference* reference)
{
    if (!m_log)
        return;
    if (!reference) {
        m_log->printLine("Warning! Invalid Include Resource info to log");
        return;
    }
    const char* tag = nullptr;
    switch (reference->getType()) {
    case 1: tag = "BMO"; break;
    case 2: tag = "BPS"; break;
    case 8: tag = "BOC"; break;
    default: return;
    }
    const double o = m_outputResolution;
    const float x = reference->getX();
    const float y = reference->getY();
    m_log->print("\n==>%s Name=%s Pos=(X:%.2f[%0.2fmm], Y=%.2f[%0.2ffmm]), Type=I", tag, nameOr(reference->getName()),
                 x, mm(x, o), y, mm(y, o));
}

void qelVisitor::logEndInclude(qelResourceReference* reference)
{
    if (!m_log)
        return;
    if (!reference) {
        m_log->printLine("Warning! Invalid Include Resource info to log");
        return;
    }
    const char* name = nameOr(reference->getName());
    switch (reference->getType()) {
    case 1: m_log->print("\n==>EMO Name=%s", name); break;
    case 2: m_log->print("\n==>EPS Name=%s ", name); break;
    case 8: m_log->print("\n==>EOC Name=%s ", name); break;
    default: break;
    }
}

void qelVisitor::logGraphicsObject(qelGraphicObject* object)
{
    if (!m_log)
        return;
    if (!object) {
        m_log->printLine("Warning! Invalid GOCA object to log");
        return;
    }
    const qelPoint origin = object->getOriginOffset();
    m_log->print("\n==>BGR Pos=(X:%.2f, Y=%.2f)", origin.x, origin.y);
}

void qelVisitor::logEndGraphicsObject(qelGraphicObject* object)
{
    if (!m_log)
        return;
    if (!object) {
        m_log->printLine("Warning! Invalid GOCA object to log");
        return;
    }
    m_log->print("\n==>EGR");
}

void qelVisitor::logBarcode(qelBarcodeObject* barcode, qelPoint position)
{
    if (!m_log)
        return;
    if (!barcode) {
        m_log->printLine("Warning! Invalid Barcode object to log");
        return;
    }
    const double t = m_transformer ? m_transformer->getResolution() : 0;
    const long w = barcode->getPresentationWidth();
    const long h = barcode->getPresentationHeight();
    m_log->print("\n==>BBC Name=%s Size=(W:%ld[%0.2fmm], H=%ld[%0.2fmm]), Pos=(X:%0.2f[%0.2fmm], Y=%0.2f[%0.2fmm]), "
                 "Type=I",
                 nameOr(barcode->getName()), w, mm(static_cast<double>(w), t), h, mm(static_cast<double>(h), t),
                 position.x, mm(position.x, t), position.y, mm(position.y, t));
}

void qelVisitor::logEndBarcode(qelBarcodeObject* barcode)
{
    if (!m_log)
        return;
    if (!barcode) {
        m_log->printLine("Warning! Invalid Resource to log");
        return;
    }
    m_log->print("\n==>EBC Name=%s", nameOr(barcode->getName()));
}

namespace
{
int fontIdOf(const qelTextObject* text)
{
    if (text->getLocalFontId() != 0)
        return text->getLocalFontId();
    const qelMappedRes* mapping = text->getFontMapping();
    return mapping ? mapping->getLocalId() : 0;
}
}

bool qelVisitor::logText(qelTextObject* text)
{
    if (!text)
        return true;
    const bool hidden = text->getSuppressed() || text->getRemoved();
    if (hidden && m_log && m_log->anyOf(QEL_LOG_FONT)) {
        const int id = fontIdOf(text);
        if (id != m_loggedFont)
            setDefaultFont(text, text->getFontMapping(), text->getFont(), false);
        m_loggedFont = id;
        m_log->print("\n  @(%.2f,%.2f)>%s< (%s)", text->getX(), text->getY(), text->getText() ? text->getText() : "",
                     text->getRemoved() ? "Removed" : "Suppressed");
    }
    return hidden;
}

void qelVisitor::logTextObject(qelTextObject* text)
{
    if (!m_log)
        return;
    if (!text) {
        m_log->printLine("Warning! Invalid Text info to log");
        return;
    }
    const int space = text->getColorSpace();
    const int32_t color = static_cast<int32_t>(text->getColorValue());
    if (space != m_lastLoggedColorSpace || color != m_lastLoggedColor) {
        logColor(text);
        m_lastLoggedColorSpace = space;
        m_lastLoggedColor = color;
        logColorValue(space, static_cast<uint32_t>(color));
    }
    // The log only reads the font: it neither prepares it nor marks its
    // code point usage, so a run writes the same output with or without it.
    const int id = fontIdOf(text);
    if (id != m_currentFont) {
        qelAFPFont* font = text->getFont();
        m_log->logOutputText(text, font);
        const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
        m_log->logInputText(text, text->getFontMapping(), font, rep ? rep->getHeight() : -1, nullptr, nullptr, nullptr,
                            &m_outputFont);
        m_currentFont = id;
    }
    const double scale = text->getResolution() ? static_cast<double>(m_outputResolution) / text->getResolution() : 1.0;
    m_log->print("\n  @(%d,%d)>%s<", toShort(scale * text->getX()),
                 toShort(scale * text->getY()), text->getText() ? text->getText() : "(null)");
}
