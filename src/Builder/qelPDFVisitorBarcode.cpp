// Bar codes in PDF output: Code 39 bars with their human-readable line,
// Code 128 modules, and Data Matrix symbols placed as 1-bit images.
#include "qelPDFVisitor.h"

#include "qel2DDataMatrixBarcodeImplementor.h"
#include "qel2DDataMatrixBarcodeSymbol.h"
#include "qelAFPFont.h"
#include "qelBarcodeObject.h"
#include "qelBarcodeSymbol.h"
#include "qelFontRepresentation.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappedRes.h"
#include "qelPageCoordinateTransformer.h"
#include "qelTextObject.h"

#include <cstdint>
#include <string>

namespace
{
const char* nameOr(const char* name) { return name ? name : "None"; }

bool logs(qelLogStream* log, unsigned mask) { return log && log->anyOf(mask); }

// Where the object is placed: through its include, else its own position.
qelPoint barcodePosition(const qelBarcodeObject* b)
{
    return b->getInclude() || b->getPlacement() == 1 ? b->getAbsolutePosition() : b->getPosition();
}

int objectResolution(const qelBarcodeObject* b) { return b->getResolution() ? b->getResolution() : 240; }

// (a, b) along the object's I and B axes as a move of the transformer,
// whose axes are the page's.
void moveAlongAxes(qelPageCoordinateTransformer* t, int orientation, float a, float b)
{
    switch (orientation) {
    case 0:
    case 360: t->moveInline(a); t->moveBaseline(b); break;
    case 90: t->moveInline(-b); t->moveBaseline(a); break;
    case 180: t->moveInline(-a); t->moveBaseline(-b); break;
    case 270: t->moveInline(b); t->moveBaseline(-a); break;
    default: break;
    }
}

template <typename F> void forEachSymbol(qelBarcodeObject* b, F f)
{
    for (qelListNode* n = b->getSymbols() ? b->getSymbols()->getHead() : nullptr; n; n = n->next)
        if (n->item)
            f(static_cast<qelBarcodeSymbol*>(n->item));
}
}

// The transformer at the object's placement point, page axes, page offsets
// applied.
static qelPoint startAt(qelPageCoordinateTransformer* t, qelPoint position, qelPageOffset offset)
{
    t->setOrientation(0, 90);
    t->setPosition(t->transform(position.x, position.y));
    if (offset.x != 0 || offset.y != 0) {
        t->moveInline(static_cast<float>(offset.x));
        t->moveBaseline(static_cast<float>(offset.y));
    }
    return t->getPosition();
}

void qelPDFVisitor::writeBarcodeObject(qelBarcodeObject* barcode)
{
    if (!barcode || !m_doc || !getTransformer())
        return;
    if (!barcode->getSymbols() || barcode->getSymbols()->getCount() == 0) {
        if (logs(getLog(), QEL_LOG_LEVEL2))
            getLog()->print("\n\tWarning! Barcode Object has no barcode symbols. Object Name:%s",
                            nameOr(barcode->getName()));
        return;
    }
    switch (barcode->getBarcodeType()) {
    case qelBarcodeObject::TYPE_CODE39: writeLinearBarcode(barcode); break;
    case qelBarcodeObject::TYPE_CODE128: writeBarcodeSymbols(barcode); break;
    case qelBarcodeObject::TYPE_DATA_MATRIX: write2DDMBarcodeObject(barcode); break;
    default: break;
    }
}

void qelPDFVisitor::writeLinearBarcode(qelBarcodeObject* barcode)
{
    qelPageCoordinateTransformer* t = getTransformer();
    const int orientation = barcode->getIAxisOrientation();
    barcode->setAngle(static_cast<float>(orientation), false);
    t->setOrientation(0, 90);
    applyObjectColor(barcode);
    const qelPoint start = startAt(t, barcodePosition(barcode), getPageOffset());
    const float pageRes = static_cast<float>(pageResolution());
    const float inches = barcode->getModuleWidth() == 255 ? 0.00745f : barcode->getModuleWidth() / 1000.0f;
    const float moduleWidth = inches * pageRes;
    const float s = pageRes / static_cast<float>(objectResolution(barcode));
    qelLogStream* log = getLog();
    float width = 0.0f;
    forEachSymbol(barcode, [&](qelBarcodeSymbol* symbol) {
        t->setOrientation(0, 90);
        t->setPosition(start);
        if (symbol->isSymbolPresented() && symbol->getPattern() && symbol->getPatternLength() > 0) {
            if (logs(log, QEL_LOG_LEVEL2))
                log->print("\n==>Barcode=%s, Data=>%s<, CheckSumDigit=%d, ModuleWidth:%.3f inches,  "
                           "ModuleHeight:%.3f inches",
                           nameOr(barcode->getName()),
                           symbol->getData() ? reinterpret_cast<const char*>(symbol->getData()) : "",
                           symbol->getCheckValue(), static_cast<double>(inches),
                           static_cast<double>(symbol->getHeight() / static_cast<float>(objectResolution(barcode))));
            if (log && log->isExactly(QEL_LOG_ALL))
                log->print("\n\tPrint Data Len=%d Print Data:>%s< ", symbol->getPatternLength(),
                           reinterpret_cast<const char*>(symbol->getPattern()));
            const float dx = (symbol->getXOrigin() + static_cast<float>(barcode->getContentOriginX())) * s;
            const float dy = (symbol->getYOrigin() + static_cast<float>(barcode->getContentOriginY())) * s;
            moveAlongAxes(t, orientation, dx, dy);
            // The object's colour again: a human-readable line before may
            // have set its own.
            applyObjectColor(barcode);
            int bars = 0;
            width = drawBarcodeBars(barcode, symbol->getPattern(), symbol->getPatternLength(), moduleWidth,
                                    symbol->getHeight() * s, orientation, barcode->getWideToNarrowRatio(), &bars);
            // Each symbol's bars are filled before its text: nothing but
            // path construction may stand between the rectangles and f.
            if (bars > 0) {
                opdf_fill(m_doc);
                checkLibraryError("writeLinearBarcode()->opdf_fill()");
            }
        }
        if (symbol->isHRIPresented() && symbol->getHRIText())
            writeBarcodeText(barcode, symbol, width);
    });
}

float qelPDFVisitor::drawBarcodeBars(qelBarcodeObject* barcode, const unsigned char* elements, int count,
                                     float moduleWidth, float barHeight, int orientation, float ratio, int* bars)
{
    qelPageCoordinateTransformer* t = getTransformer();
    const qelPoint first = t->getPosition();
    const float h = barHeight;
    float total = 0.0f;
    bool bar = false;
    int added = 0;
    for (int i = 0; i < count; ++i) {
        const float w = elements[i] == 'W' ? moduleWidth * ratio : moduleWidth;
        bar = i % 10 == 0 ? true : !bar;
        const float x = t->getX();
        const float y = t->getY();
        float rx = x, ry = y, rw = w, rh = h;
        bool placed = true;
        switch (orientation) {
        case 0:
        case 360: ry = y - h; t->moveInline(w); break;
        case 90: rx = x - h; ry = y - w; rw = h; rh = w; t->moveBaseline(w); break;
        // Leftwards: each element lies left of the position it starts at.
        case 180: rx = x - w; t->moveInline(-w); break;
        case 270: rw = h; rh = w; t->moveBaseline(-w); break;
        default: placed = false; break;
        }
        if (bar && placed) {
            opdf_rect(m_doc, rx, ry, rw, rh);
            checkLibraryError("drawBarcodeBars()->opdf_rect()");
            ++added;
        }
        total += w;
    }
    checkPageBounds(first, t->getPosition(), orientation, barcode->getName(), qelGraphicObject::KIND_BARCODE);
    if (bars)
        *bars = added;
    return total;
}

void qelPDFVisitor::writeBarcodeSymbols(qelBarcodeObject* barcode)
{
    qelPageCoordinateTransformer* t = getTransformer();
    t->setOrientation(barcode->getIAxisOrientation(), barcode->getBAxisOrientation());
    qelLogStream* log = getLog();
    if (barcode->getIAxisOrientation() != 0 || barcode->getBAxisOrientation() != 90) {
        if (logs(log, QEL_LOG_LEVEL2))
            log->print("\n\tWarning! Orientation other than IAxis=0, BAxis=90 not supported for barcode objects. "
                       "Object Name=%s.",
                       nameOr(barcode->getName()));
        t->setOrientation(0, 90);
        return;
    }
    applyObjectColor(barcode);
    const qelPoint start = startAt(t, barcodePosition(barcode), getPageOffset());
    if (logs(log, QEL_LOG_GENERAL))
        logBarcode(barcode, start);
    const float res = static_cast<float>(objectResolution(barcode));
    const float s = static_cast<float>(pageResolution()) / res;
    forEachSymbol(barcode, [&](qelBarcodeSymbol* symbol) {
        const int modules = symbol->getPatternLength();
        if (!symbol->isSymbolPresented() || !symbol->getPattern() || modules <= 0)
            return;
        t->setPosition(start);
        t->moveInline((symbol->getXOrigin() + static_cast<float>(barcode->getContentOriginX())) * s);
        t->moveBaseline((symbol->getYOrigin() + static_cast<float>(barcode->getContentOriginY())) * s);
        if (logs(log, QEL_LOG_LEVEL2))
            log->print("\n==>Barcode=%s, Data=>%s<, CheckSumDigit=%d, ModuleWidth:%.3f inches,  "
                       "ModuleHeight:%.3f inches",
                       nameOr(barcode->getName()),
                       symbol->getData() ? reinterpret_cast<const char*>(symbol->getData()) : "",
                       symbol->getCheckValue(), static_cast<double>(symbol->getWidth() / res),
                       static_cast<double>(symbol->getHeight() / res));
        const int bars = drawBarcodeModules(barcode, symbol->getPattern(), modules,
                                            symbol->getWidth() / static_cast<float>(modules) * s,
                                            symbol->getHeight() * s);
        if (bars > 0) {
            opdf_fill(m_doc);
            checkLibraryError("writeBarcodeSymbols()->opdf_fill()");
        }
    });
    if (logs(log, QEL_LOG_GENERAL))
        logEndBarcode(barcode);
}

int qelPDFVisitor::drawBarcodeModules(qelBarcodeObject* barcode, const unsigned char* modules, int count,
                                      float moduleWidth, float barHeight)
{
    qelPageCoordinateTransformer* t = getTransformer();
    const qelPoint first = t->getPosition();
    int added = 0;
    for (int i = 0; i < count; ++i) {
        if (modules[i] == 'b') {
            opdf_rect(m_doc, t->getX(), t->getY() - barHeight, moduleWidth, barHeight);
            checkLibraryError("drawBarcodeModules()->opdf_rect()");
            ++added;
            t->moveInline(moduleWidth);
        } else if (modules[i] == 's') {
            t->moveInline(moduleWidth);
        }
    }
    checkPageBounds(first, t->getPosition(), 0, barcode->getName(), qelGraphicObject::KIND_BARCODE);
    return added;
}

void qelPDFVisitor::write2DDMBarcodeObject(qelBarcodeObject* barcode)
{
    qelPageCoordinateTransformer* t = getTransformer();
    const int orientation = barcode->getIAxisOrientation();
    const float angle = 360.0f - static_cast<float>(orientation);
    barcode->setAngle(static_cast<float>(orientation), false);
    const qelPoint start = startAt(t, barcodePosition(barcode), getPageOffset());
    applyObjectColor(barcode);
    qelIni* ini = getOptions();
    unsigned flags = PDF_IMAGE_SAVE | PDF_IMAGE_STENCIL | PDF_IMAGE_INVERT;
    int compression = 8;
    if (ini && ini->isDevTest() && !ini->hasSwitch("ENC_FLATE")) {
        flags = PDF_IMAGE_SAVE | PDF_IMAGE_STENCIL;
        compression = -1;
    }
    qelLogStream* log = getLog();
    if (logs(log, QEL_LOG_GENERAL))
        logBarcode(barcode, start);
    const int res = objectResolution(barcode);
    const float s = static_cast<float>(pageResolution()) / static_cast<float>(res);
    forEachSymbol(barcode, [&](qelBarcodeSymbol* symbol) {
        if (!symbol->isSymbolPresented())
            return;
        const unsigned char* data = symbol->getPattern();
        const int length = symbol->getPatternLength();
        const int w = static_cast<int>(symbol->getWidth());
        const int h = static_cast<int>(symbol->getHeight());
        auto* matrix = dynamic_cast<qel2DDataMatrixBarcodeSymbol*>(symbol);
        // The bitmap must hold whole rows of w pixels for every one of h rows.
        if (!data || w <= 0 || h <= 0 || static_cast<int64_t>((w + 7) / 8) * h > length) {
            qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
            pool->getDataMatrixImplementor();
            const int rows = matrix ? matrix->getNumberOfRows() : 0;
            const int columns = matrix ? matrix->getRowSize() : 0;
            if (qel2DDataMatrixBarcodeImplementor::getSymbolSizeIndex(rows, columns)
                    != qel2DDataMatrixBarcodeImplementor::SIZE_COUNT
                && logs(log, QEL_LOG_GENERAL))
                log->print("\n\tWarning! Image buffer of 2D Data Matrix Barcode Object (%s) is null",
                           nameOr(barcode->getName()));
            return;
        }
        t->setOrientation(0, 90);
        t->setPosition(start);
        const float e = static_cast<float>(h) * s;
        const float dx = (symbol->getXOrigin() + static_cast<float>(barcode->getContentOriginX())) * s;
        const float dy = (symbol->getYOrigin() + static_cast<float>(barcode->getContentOriginY())) * s;
        moveAlongAxes(t, orientation, dx, dy);
        float x = t->getX(), y = t->getY();
        switch (orientation) {
        case 180: t->moveBaseline(-e); y = t->getY(); break;
        case 90: t->moveInline(-e); x = t->getX(); break;
        case 270: t->moveInline(e); x = t->getX(); break;
        default: t->moveInline(static_cast<float>(w) * s); t->moveBaseline(e); y = t->getY(); break;
        }
        // One image per distinct symbol and placing of the PDF.
        std::string key = std::to_string(w) + "x" + std::to_string(h) + "/" + std::to_string(flags) + "/"
                          + std::to_string(compression) + "/";
        key.append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
        std::string& name = m_barcodeImages[key];
        if (name.empty()) {
            const char* own = matrix ? matrix->getImageName() : nullptr;
            name = own && *own ? own : "QELDM" + std::to_string(m_barcodeImages.size());
        }
        const float pointWidth = static_cast<float>(w) * 72.0f / static_cast<float>(res);
        const float pointHeight = static_cast<float>(h) * 72.0f / static_cast<float>(res);
        const int rc = opdf_placeImageData(m_doc, name.c_str(), data, length, w, h, 1, 1, x, y, angle, pointWidth,
                                           pointHeight, flags, nullptr, PDF_IMAGE_RAW, compression, nullptr,
                                           nullptr, -1);
        checkLibraryError("write2DDMBarcodeObject()->opdf_placeImageData()", rc);
        checkPageBounds(qelPoint{x, y}, t->getPosition(), orientation, barcode->getName(),
                        qelGraphicObject::KIND_BARCODE);
    });
    if (logs(log, QEL_LOG_GENERAL))
        logEndBarcode(barcode);
}

void qelPDFVisitor::writeBarcodeText(qelBarcodeObject* barcode, qelBarcodeSymbol* symbol, float symbolWidth)
{
    qelTextObject* text = symbol ? symbol->getHRIText() : nullptr;
    if (!barcode || !text || !m_doc)
        return;
    setCurrentFont(NO_FONT);
    setLoggedFont(NO_FONT);
    const float r = static_cast<float>(pageResolution());
    const float e = static_cast<float>(objectResolution(barcode));
    qelAFPFont* font = text->getFont();
    if (!font && text->getFontMapping())
        font = text->getFontMapping()->getFont();
    const qelFontRepresentation* rep = font ? font->getRepresentation() : nullptr;
    float h = 10.0f;
    if (rep) {
        const int height = rep->getHeight();
        h = height == 0 ? 0.1f : height == -1 ? 10.0f : static_cast<float>(height) / 10.0f;
    }
    const float c = symbolWidth > 0.0f ? (symbolWidth - measureTextWidth(text)) * 0.5f * e / r : 0.0f;
    const qelPoint own = text->getPosition();
    // The symbol's origin and the object's offset turned like the bars.
    const float a = own.x + static_cast<float>(barcode->getContentOriginX());
    const float b = own.y + static_cast<float>(barcode->getContentOriginY());
    const int orientation = barcode->getIAxisOrientation();
    float x = a, y = b;
    switch (orientation) {
    case 90: x = -b; y = a; break;
    case 180: x = -a; y = -b; break;
    case 270: x = b; y = -a; break;
    default: break;
    }
    if (symbolWidth != 0.0f) {
        // Below the bars: one font height below their bottom; above: one
        // millimetre above their top.
        const float g = symbol->getHeight();
        const float f = h * e / 72.0f;
        const float u = e / 25.4f;
        const bool above = symbol->getHRIPosition() == qelBarcodeSymbol::HRI_ABOVE;
        switch (orientation) {
        case 90: x += above ? u : -(g + f); y += c; break;
        case 180: x -= c; y += above ? u : -(g + f); break;
        case 270: x += above ? -u : g + f; y -= c; break;
        default: x += c; y += above ? -u : g + f; break;
        }
    }
    text->setPosition(x, y);
    text->setAreaOrigin(barcodePosition(barcode));
    writeTextObject(text);
    // A second write of the object starts from the symbol's origin again.
    text->setPosition(own);
    setCurrentFont(NO_FONT);
    setLoggedFont(NO_FONT);
}
