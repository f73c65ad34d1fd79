#include "qelImImageParser.h"

#include "qelCell.h"
#include "qelException.h"
#include "qelIOStream.h"
#include "qelImageObject.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"
#include "qelThreeByteValue.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

namespace
{
using qelPoolAccess::options;
using qelPoolAccess::quiet;

void devTrace(const char* text)
{
    qelIni* ini = options();
    if (ini && ini->isDevTestLevel(0x2))
        qelMessageOutput::write(text);
}

const char* degreesText(unsigned int word)
{
    switch (word) {
    case 0x0000: return "0 Degrees";
    case 0x2D00: return "90 Degrees";
    case 0x5A00: return "180 Degrees";
    case 0x8700: return "270 Degrees";
    default: return nullptr;
    }
}

// Units per inch of a count of points per unit base: ten inches, or ten
// centimetres (base 1).
uint16_t perInch(int base, uint16_t points)
{
    if (base == 0)
        return static_cast<uint16_t>(points / 10);
    return static_cast<uint16_t>(static_cast<uint32_t>(points) * 254u / 1000u);
}
} // namespace

qelImImageParser::qelImImageParser() : m_data(__FILE__) {}

qelImImageParser::~qelImImageParser()
{
    reset();
}

bool qelImImageParser::logs(unsigned int bits) const
{
    return m_log && m_log->anyOf(bits);
}

void qelImImageParser::log(const char* format, ...)
{
    if (!logs(QEL_LOG_LEVEL2))
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
}

void qelImImageParser::warnAt(const char* text)
{
    if (logs(QEL_LOG_LEVEL2) && m_currentSF)
        m_log->printAtOffset(static_cast<unsigned long long>(m_currentSF->getOffset()), "%s", text);
}

void qelImImageParser::reset()
{
    m_data.drop();
    m_image = nullptr;
    m_imageColor = 8;
    m_originX = m_originY = 0.0f;
    m_cell = CellData();
    m_rasterPending = false;
}

qelList* qelImImageParser::parse(qelSFIBlock* begin)
{
    devTrace("[ImImageParser]: (Begin): parse\n");
    reset();
    // The scale factor stays 1: no output reads it.
    m_pageResolution = 0;
    std::unique_ptr<qelImageObject> image(new qelImageObject());
    image->setKind(qelImageObject::IMAGE_IM);
    image->setPlacement(0);
    m_image = image.get();
    if (begin)
        m_currentSF = begin;
    try {
        try {
            beginImImageObject();
        } catch (qelException* e) {
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
        bool done = false;
        while (!done) {
            const int id = readNextSF()->getId();
            try {
                switch (id) {
                case 0xA67B: imageInputDescriptor(); break;
                case 0xA77B: imageOutputControl(); break;
                case 0xAC7B:
                    if (m_rasterPending)
                        finishCell();
                    m_image->clearSimpleImage();
                    m_rasterPending = false;
                    imageCellPosition();
                    break;
                case 0xEE7B:
                    imageRasterData();
                    m_rasterPending = true;
                    break;
                case 0xA97B:
                    done = true;
                    if (m_rasterPending) {
                        m_rasterPending = false;
                        finishCell();
                    }
                    endImImageObject();
                    break;
                default: reportUnexpectedSF(id); break;
                }
            } catch (qelException* e) {
                if (e->getId() != qelMsg::I199)
                    throw;
                delete e;
            }
        }
    } catch (...) {
        reset();
        throw;
    }
    std::unique_ptr<qelList> list(new qelList());
    addImage(list.get());
    image.release();
    reset();
    devTrace("[ImImageParser]: (End): parse\n");
    return list.release();
}

void qelImImageParser::beginImImageObject()
{
    const std::string name = readName();
    m_image->setName(name.c_str());
    char unique[64];
    std::snprintf(unique, sizeof unique, "%s%04d%06d", "Img", getInputNumber(), nextImageNumber());
    m_image->setFullName(unique);
    logField("BII", "Begin IM IMAGE Object", name.c_str());
}

void qelImImageParser::endImImageObject()
{
    const std::string name = readName();
    logField("EIM", "End IM IMAGE Object", name.c_str());
}

void qelImImageParser::imageOutputControl()
{
    logField("IOC", "IM Image Output Control", nullptr);
    qelSFIBlock* f = m_currentSF;
    auto has = [f](int n) { return f->getRemainingLength() >= n; };
    int32_t x = 0, y = 0;
    if (has(3)) {
        x = qelThreeByteValue::signedLow16OrSigned24(qelThreeByteValue::read(f));
        log("X axis origin of the object area : %d", x);
    }
    if (has(3)) {
        y = qelThreeByteValue::signedLow16OrSigned24(qelThreeByteValue::read(f));
        log("Y axis origin of the object area : %d", y);
    }
    unsigned int rotation[2] = {0, 0};
    const char* const lines[2] = {
        "The object area's X axis rotation from the X axis of the reference coordinate System : ",
        "The object area's Y axis rotation from the X axis of the reference coordinate System : "};
    for (int i = 0; i < 2; ++i) {
        if (!has(2))
            break;
        rotation[i] = f->readUShort();
        if (const char* text = degreesText(rotation[i]))
            log("%s%s", lines[i], text);
        else
            log("%sWarning! Illegal orientation Value 0x%x ", lines[i], rotation[i]);
    }
    for (int i = 0; i < 4 && has(2); ++i)
        if (f->readUShort() != 0)
            warnAt("Warning! Reserved bytes(2) not equal to 0x00");
    uint16_t mapping[2] = {0, 0};
    const char* const mapLines[2] = {"Image mapping in X direction : ", "Image mapping in Y direction : "};
    for (int i = 0; i < 2; ++i) {
        if (!has(2))
            break;
        mapping[i] = static_cast<uint16_t>(f->readUShort());
        log("%s%s", mapLines[i],
            mapping[i] == 1000   ? "Image point-to-pel"
            : mapping[i] == 2000 ? "Image point-to-two pel [double dot]"
                                 : "Warning! Illegal Map Value.");
    }
    m_image->setImageMapping(mapping[0], mapping[1]);
    if (has(2) && f->readUShort() != 0xFFFF)
        log("Warning! Reserved Bytes(2) not equal to 0xFFFF");
    const uint16_t iAxis = static_cast<uint16_t>(rotation[0] >> 7);
    m_image->setIAxisOrientation(iAxis);
    m_image->setBAxisOrientation(static_cast<uint16_t>(rotation[1] >> 7));
    m_image->setAngle(static_cast<float>(iAxis), false);
    m_originX = static_cast<float>(x);
    m_originY = static_cast<float>(y);
    m_image->setPosition(m_originX, m_originY);
}

void qelImImageParser::imageInputDescriptor()
{
    logField("IID", "IM Image Input Descriptor", nullptr);
    qelSFIBlock* f = m_currentSF;
    auto has = [f](int n) { return f->getRemainingLength() >= n; };
    auto word = [f]() { return f->getRemainingLength() >= 2 ? static_cast<uint16_t>(f->readUShort()) : uint16_t(0); };
    static const uint16_t kConstants[6] = {0x0000, 0x0960, 0x0960, 0x0000, 0x0000, 0x0000};
    for (uint16_t expected : kConstants) {
        if (!has(2))
            break;
        if (f->readUShort() != expected)
            warnAt(expected == 0x0960 ? "Warning! Reserved Bytes(2) not equal to 0x0960"
                                      : "Warning! Reserved Bytes(2) not equal to 0x0000");
    }
    const int xBase = has(1) ? f->readByte() : 0;
    log("Unit base for the image X axis (XBase) : %s", xBase != 0 ? "Ten centimeters" : "Ten inches");
    const int yBase = has(1) ? f->readByte() : 0;
    log("Unit base for the image Y axis (YBase) : %s", yBase != 0 ? "Ten centimeters" : "Ten inches");
    const uint16_t xPoints = word();
    log("Image points per unit base for the image X-axis : %d", xPoints);
    const uint16_t yPoints = word();
    log("Image points per unit base for the image Y-axis : %d", yPoints);
    const uint16_t xSize = word();
    log("Size of image in X direction (XSize) : %d", xSize);
    const uint16_t ySize = word();
    log("Size of image in Y direction (YSize) : %d", ySize);
    for (int i = 0; i < 2 && has(2); ++i)
        if (f->readUShort() != 0)
            log("Warning! Reserved Bytes(2) not equal to 0x00");
    if (has(2) && f->readUShort() != 0x2D00)
        log("Warning! Reserved Bytes(2) not equal to 0x2D00");
    const uint16_t cellWidth = word();
    log("Default size of image cell in X direction (XCSizeD) : %d", cellWidth);
    const uint16_t cellHeight = word();
    log("Default size of image cell in Y direction (YCSizeD) : %d", cellHeight);
    if (has(2) && f->readUShort() != 0x0001)
        log("Warning! Reserved Bytes(2) not equal to 0x0001");
    if (has(2))
        m_imageColor = static_cast<uint16_t>(f->readUShort());

    m_image->setXUnitBase(static_cast<uint8_t>(xBase));
    m_image->setYUnitBase(static_cast<uint8_t>(yBase));
    m_image->setImageResolution(xPoints, yPoints);
    m_image->setDefaultCellSize(cellWidth, cellHeight);
    if (cellWidth != 0 || cellHeight != 0) {
        m_image->markCellBased();
    } else {
        // Without cells the raster fills one cell of the image size.
        m_cell.x = m_cell.y = 0.0f;
        m_cell.width = m_cell.fillWidth = xSize;
        m_cell.height = m_cell.fillHeight = ySize;
    }
    logImageColor(m_imageColor);
    if (m_imageColor == 0 || m_imageColor == 0xFF00 || m_imageColor == 0xFF07 || m_imageColor == 0xFFFF) {
        m_image->setColorValue(static_cast<uint32_t>(m_colorValue));
        m_image->setColorSpace(static_cast<int32_t>(m_colorValueKind));
    } else {
        m_image->setColorValue(m_imageColor);
        m_image->setColorSpace(5);
        m_colorValue = m_imageColor;
        m_colorValueKind = 5;
    }
    uint16_t resolution = perInch(xBase, xPoints);
    if (resolution == 0) {
        // Nothing can be placed at 0 units per inch.
        resolution = 240;
        if (logs(QEL_LOG_LEVEL2))
            m_log->printLine("Warning! IM image resolution 0, %d units per inch taken", static_cast<int>(resolution));
    }
    m_image->setResolution(resolution);
    qelIOStream* in = qelIOStream::getCurrent();
    if (!(m_originX == 0.0f && in && in->isResourceFile()))
        m_image->setPosition(m_originX, m_originY);
    m_image->setImageSize(xSize, ySize);
}

void qelImImageParser::imageCellPosition()
{
    logField("ICP", "IM Image Cell Position", nullptr);
    qelSFIBlock* f = m_currentSF;
    auto has = [f](int n) { return f->getRemainingLength() >= n; };
    auto word = [f]() { return f->getRemainingLength() >= 2 ? static_cast<uint16_t>(f->readUShort()) : uint16_t(0); };
    const uint16_t x = word();
    log("Offset of image cell in X direction : {   %4.2f}", static_cast<double>(x));
    const uint16_t y = word();
    log("Offset of image cell in Y direction : {   %4.2f}", static_cast<double>(y));
    const uint16_t width = word();
    log("Size of image cell in X direction : {   %4d}", width);
    const uint16_t height = word();
    log("Size of image cell in Y direction : {   %4d}", height);
    int32_t fillWidth = width, fillHeight = height;
    if (has(2)) {
        const uint16_t v = static_cast<uint16_t>(f->readUShort());
        fillWidth = v == 0xFFFF ? width : v;
        log("Size of fill rectangle in X direction : {   %4d}", fillWidth);
    } else {
        log("ERROR: XFilSize missing in IMAGE CELL POSITION: D3AC7B");
    }
    if (has(2)) {
        const uint16_t v = static_cast<uint16_t>(f->readUShort());
        fillHeight = v == 0xFFFF ? height : v;
        log("Size of fill rectangle in Y direction : {   %4d}", fillHeight);
    } else {
        log("ERROR: YFilSize missing in IMAGE CELL POSITION: D3AC7B");
    }
    m_cell.x = static_cast<float>(x);
    m_cell.y = static_cast<float>(y);
    m_cell.width = width;
    m_cell.height = height;
    m_cell.fillWidth = fillWidth;
    m_cell.fillHeight = fillHeight;
    m_image->markCellBased();
}

void qelImImageParser::imageRasterData()
{
    logField("IRD", "IM Image Raster Data", nullptr);
    const int n = m_currentSF->getRemainingLength();
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[static_cast<size_t>(n) + 1]);
    if (n > 0)
        m_currentSF->readBytes(bytes.get(), n);
    if (logs(QEL_LOG_LEVEL4))
        logBytes(bytes.get(), n);
    if (!m_data.active()) {
        qelIni* ini = options();
        m_data.start(ini ? ini->getTempPath() : nullptr, m_image->getFullName(),
                     ini ? ini->getImageMaxCacheSize() : 5242880u);
    }
    m_data.add(bytes.release(), static_cast<uint32_t>(n));
}

void qelImImageParser::finishCell()
{
    uint32_t length = 0;
    std::unique_ptr<unsigned char[]> raster(m_data.take(length));
    std::unique_ptr<qelCell> cell(new qelCell());
    cell->setPosition(m_cell.x, m_cell.y);
    cell->setCellSize(m_cell.width, m_cell.height);
    cell->setFillSize(m_cell.fillWidth, m_cell.fillHeight);
    // A cell of width 0 holds no row.
    uint64_t rows = m_cell.width > 0 ? static_cast<uint64_t>(length) * 8u / static_cast<uint64_t>(m_cell.width) : 0;
    if (rows > 0xFFFF)
        rows = 0xFFFF;
    const int64_t rowBytes = m_cell.width > 0 ? (static_cast<int64_t>(m_cell.width) + 7) / 8 : 0;
    cell->setRowCount(static_cast<uint16_t>(rows));
    cell->setRowBytes(static_cast<uint16_t>(rowBytes > 0xFFFF ? 0xFFFF : rowBytes));
    if (length > 0)
        cell->takeRawBits(raster.release(), static_cast<int32_t>(length));
    m_image->addCell(cell.release());
}

void qelImImageParser::addImage(qelList* list)
{
    if (m_image) {
        list->append(m_image);
        return;
    }
    if (logs(QEL_LOG_LEVEL2))
        m_log->printLine("Warning! Attempt to add a NULL Image object to List");
    if (!quiet())
        qelMessageOutput::write("Warning! Attempt to add a NULL Image object to List");
}
