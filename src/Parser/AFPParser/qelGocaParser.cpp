#include "qelGocaParser.h"

#include "qelAreaObject.h"
#include "qelBoxObject.h"
#include "qelException.h"
#include "qelFilletObject.h"
#include "qelFullArcObject.h"
#include "qelGlobalDSPool.h"
#include "qelIOStream.h"
#include "qelImageObject.h"
#include "qelIni.h"
#include "qelLineObject.h"
#include "qelLogStream.h"
#include "qelLorbane.h"
#include "qelMarkerObject.h"
#include "qelMessageOutput.h"
#include "qelPartialArcObject.h"
#include "qelPoolAccess.h"
#include "qelResGOCA.h"
#include "qelSFIBlock.h"
#include "qelThreeByteValue.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace
{
using qelPoolAccess::options;
using qelPoolAccess::quiet;
using qelThreeByteValue::signedLow16OrSigned24;

// Orders read and dropped whole: only the format rules apply.
bool isIgnoredOrder(int code)
{
    static const unsigned char kIgnored[] = {
        0x03, 0x07, 0x09, 0x14, 0x15, 0x1A, 0x1B, 0x23, 0x24, 0x25, 0x27, 0x31, 0x32, 0x3F, 0x43, 0x48, 0x49,
        0x4A, 0x4C, 0x4D, 0x51, 0x54, 0x55, 0x58, 0x59, 0x5A, 0x5B, 0x61, 0x62, 0x64, 0x65, 0x66, 0x67, 0x69,
        0x74, 0x75, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7F, 0x86, 0xA0, 0xA4, 0xA5, 0xA6, 0xA7, 0xB1,
        0xB4, 0xC6, 0xD0, 0xD2, 0xD3, 0xD6, 0xD7, 0xD8, 0xE0, 0xE4, 0xE5, 0xE6, 0xE7, 0xF1};
    for (unsigned char c : kIgnored)
        if (c == code)
            return true;
    return false;
}

const char* lineTypeName(int type)
{
    static const char* const kNames[] = {"Default ( Solid )", "Dotted line",      "Short dashed line",
                                         "Dash-dot line",     "Double dotted line", "Long dashed line",
                                         "Dash-double-dot line", "Solid line",     "Invisible line"};
    return type >= 0 && type <= 8 ? kNames[type] : "Reserved Value";
}

const char* patternName(int symbol)
{
    static const char* const kNames[] = {"Drawing Default(Solid Fill)",
                                         "Dotted Patterns of 1st intensity",
                                         "Dotted Patterns of 2nd intensity",
                                         "Dotted Patterns of 3rd intensity",
                                         "Dotted Patterns of 4th intensity",
                                         "Dotted Patterns of 5th intensity",
                                         "Dotted Patterns of 6th intensity",
                                         "Dotted Patterns of 7th intensity",
                                         "Dotted Patterns of 8th intensity",
                                         "Vertical Lines",
                                         "Horizontal Lines",
                                         "Diagnoal Lines <bottom left - top right> 1",
                                         "Diagnoal Lines <bottom left - top right> 2",
                                         "Diagnoal Lines <Top left - Bottom right> 1",
                                         "Diagnoal Lines <Top left - Bottom right> 2",
                                         "No Fill",
                                         "Solid Fill"};
    if (symbol >= 0 && symbol <= 16)
        return kNames[symbol];
    return symbol == 0x40 ? "Blank( No Fill)." : "Reserved Value";
}

const char* markerName(int symbol)
{
    static const char* const kNames[] = {"Drawing Default", "Cross",          "Plus",           "Diamond",
                                         "Square",          "6 Point star",   "8 Point star",   "Filled Diamond",
                                         "Filled Square",   "Dot",            "Small circle"};
    if (symbol >= 0 && symbol <= 10)
        return kNames[symbol];
    return symbol == 0x40 ? "Blank" : "Reserved Value";
}

} // namespace

qelGocaParser::qelGocaParser() : m_imageData(__FILE__) {}

qelGocaParser::~qelGocaParser()
{
    dropImage();
    dropArea();
}

// --- logging ----------------------------------------------------------------------

bool qelGocaParser::logOn(unsigned int bits) const
{
    return m_log && m_log->anyOf(bits);
}

void qelGocaParser::log(const char* format, ...)
{
    if (!logOn(QEL_LOG_LEVEL2))
        return;
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
}

void qelGocaParser::warnOut(const char* format, ...)
{
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (logOn(QEL_LOG_LEVEL2))
        m_log->printLine("%s", text);
    if (!quiet())
        qelMessageOutput::printf("%s\n", text);
}

void qelGocaParser::trace(unsigned short level, const char* text) const
{
    qelIni* ini = options();
    if (ini && ini->isDevTestLevel(level))
        qelMessageOutput::write(text);
}

// --- the object loop ----------------------------------------------------------------

void qelGocaParser::beginResource(qelResGOCA* resource)
{
    m_resource = resource;
}

qelResGOCA* qelGocaParser::graphicsResource() const
{
    return static_cast<qelResGOCA*>(m_resource);
}

qelRes* qelGocaParser::parse(const char* name, int mode, const char* fileName)
{
    // A graphics object has no file of its own to be loaded from.
    if (mode == MODE_LIBRARY)
        return nullptr;
    m_mode = mode;
    setFileName(fileName ? fileName : name);
    return parseGraphics(name);
}

qelResGOCA* qelGocaParser::parseGraphics(const char* name)
{
    if (!m_currentSF || m_currentSF->getId() != 0xA8BB) {
        qelIOStream* in = qelIOStream::getCurrent();
        m_currentSF = in ? in->getSFIBlock() : nullptr;
    }
    if (!m_currentSF || m_currentSF->getId() != 0xA8BB)
        return nullptr;
    trace(0x2, "[GocaParser]: (Begin): parse\n");
    const std::string fileName = m_fileName.empty() && name ? name : m_fileName;
    resetDrawingState();
    setLastResourceKind(static_cast<int>(getResourceKind()));
    setResourceKind(8);
    setResourceName(name);
    setFileName(fileName.c_str());

    std::unique_ptr<qelResGOCA> resource(new qelResGOCA(name));
    resource->setFileName(m_fileName.c_str());
    m_resource = resource.get();
    m_objectName.clear();
    try {
        beginGraphicObject();
    } catch (qelException* e) {
        if (e->getId() != qelMsg::I199) {
            m_resource = nullptr;
            throw;
        }
        delete e;
    }
    if (!name || !*name)
        graphicsResource()->setName(m_objectName.c_str());

    bool ended = false;
    try {
        while (!ended) {
            qelSFIBlock* field = readNextSF();
            const int id = field->getId();
            try {
                switch (id) {
                case 0xA6BB: graphicsDataDescriptor(); break;
                case 0xA8C7: objectEnvironmentGroup(); break;
                case 0xA9BB:
                    ended = true;
                    endGraphicObject();
                    break;
                case 0xEEBB: drawingOrder(); break;
                default: reportUnexpectedSF(id); break;
                }
            } catch (qelException* e) {
                if (e->getId() != qelMsg::I199)
                    throw;
                delete e;
            }
        }
    } catch (...) {
        dropImage();
        dropArea();
        m_resource = nullptr;
        throw;
    }
    // Figures and images never ended belong to nobody.
    dropImage();
    dropArea();
    m_resource = nullptr;
    trace(0x2, "[GocaParser]: (End): parse\n");
    return resource.release();
}

void qelGocaParser::beginGraphicObject()
{
    trace(0x1, "[GocaParser]: (Begin): beginGraphicObject\n");
    m_objectName = readBeginEnd("BGR", "Begin Graphics Object", QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_TIME_STAMP | QEL_TRIPLET_COMMENT);
    trace(0x1, "[GocaParser]: (End): beginGraphicObject\n");
}

void qelGocaParser::endGraphicObject()
{
    qelTripletParser* triplets = getTripletParser();
    trace(0x1, "[GocaParser]: (Begin): endGraphicObject\n");
    const std::string name = readName();
    if (m_log && m_log->isExactly(QEL_LOG_ALL))
        m_log->printLine("GOCA Order Count=%d", m_orderCount);
    logField("EGR", "End Graphics Object", name.c_str());
    if (m_currentSF->getRemainingLength() > 0 && triplets) {
        uint32_t mandatory = 0, optional = QEL_TRIPLET_FULLY_QUALIFIED_NAME;
        triplets->parse(&mandatory, &optional, m_currentSF);
    }
    trace(0x1, "[GocaParser]: (End): endGraphicObject\n");
}

void qelGocaParser::objectEnvironmentGroup()
{
    std::string name = readBeginEnd("BOG", "Begin Object Enviroment Group", QEL_TRIPLET_CGCSGID | QEL_TRIPLET_COMMENT);
    for (;;) {
        qelSFIBlock* field = readNextSF();
        const int id = field->getId();
        switch (id) {
        case 0xA66B: objectAreaDescriptor(); break;
        case 0xA6BB: graphicsDataDescriptor(); break;
        case 0xAB8A:
            // Fonts of character strings: strings make no objects here.
            log("Map Coded Font in graphics object not read");
            if (m_currentSF->getRemainingLength() > 0)
                m_currentSF->skip(m_currentSF->getRemainingLength());
            break;
        case 0xABBB: mapGraphicsObject(); break;
        case 0xAC6B: objectAreaPosition(); break;
        case 0xA9C7:
            name = readName();
            logField("EOG", "End Object Enviroment Group", name.c_str());
            return;
        default: reportUnexpectedSF(id); break;
        }
    }
}

// --- environment group fields and the descriptor ---------------------------------------

void qelGocaParser::objectAreaDescriptor()
{
    qelTripletParser* triplets = getTripletParser();
    logField("OBD", "Object Area Descriptor", nullptr);
    if (m_currentSF->getDataSize() <= 0 || !triplets) {
        qelIOStream* in = qelIOStream::getCurrent();
        const int at = in ? in->getSFIOffset() : m_currentSF->getOffset();
        if (!quiet())
            qelMessageOutput::printf("Warning! Missing mandatory triplet. (at 0x%x )\n", static_cast<unsigned>(at));
        log("Warning! Missing mandatory triplet. (at 0x%x )", static_cast<unsigned>(at));
        return;
    }
    uint32_t mandatory = QEL_TRIPLET_DESCRIPTOR_POSITION | QEL_TRIPLET_MEASUREMENT_UNITS | QEL_TRIPLET_OBJECT_AREA_SIZE;
    uint32_t optional = QEL_TRIPLET_MIXING | QEL_TRIPLET_COLOR;
    triplets->parse(&mandatory, &optional, m_currentSF);
    graphicsResource()->setResolution(static_cast<uint16_t>(triplets->getMeasurementResolution()));
    uint32_t w = 0, h = 0;
    triplets->getObjectAreaExtent(w, h);
    m_areaWidth = static_cast<int32_t>(w);
    m_areaHeight = static_cast<int32_t>(h);
    graphicsResource()->setSize(w, h);
    m_window.setExtent(m_areaWidth, m_areaHeight);
}

void qelGocaParser::objectAreaPosition()
{
    logField("OBP", "Object Area Position", nullptr);
    qelSFIBlock* f = m_currentSF;
    auto byte = [f]() { return f->getRemainingLength() >= 1 ? f->readByte() : 0; };
    auto word = [f]() { return f->getRemainingLength() >= 2 ? f->readUShort() : 0u; };
    auto offset = [&]() {
        const uint32_t high = static_cast<uint32_t>(byte()) & 0xFF;
        return signedLow16OrSigned24((high << 16) | word());
    };
    auto orientation = [&](const char* good, const char* bad) {
        const unsigned int w = word();
        const int degrees = rotationDegrees(w);
        if (degrees < 0) {
            if (logOn(QEL_LOG_LEVEL2))
                m_log->printAtOffset(static_cast<unsigned>(f->getOffset()), bad, static_cast<int>(w));
        } else {
            log(good, degrees);
        }
        return degrees;
    };
    const int id = byte();
    log("Object area position ID : %d (0x%x)", id, static_cast<unsigned>(id));
    const int groupLength = byte();
    if (groupLength != 23)
        log("Warning! Invalid RG length (0x%02x)", static_cast<unsigned>(groupLength));
    m_originX = offset();
    log("X axis origin of the object area (XoaOset) : %d (0x%x)", m_originX, static_cast<unsigned>(m_originX));
    m_originY = offset();
    log("Y axis origin of the object area (YoaOset) : %d (0x%x)", m_originY, static_cast<unsigned>(m_originY));
    m_xRotation = orientation("Object area's X axis rotation (XoaOrent) : %d degrees",
                              "Warning! Illegal value for object area's X axis rotation: %d");
    m_yRotation = orientation("Object area's Y axis rotation (YoaOrent)  : %d degrees",
                              "Warning! Illegal value for object area's Y axis rotation : %d");
    if (byte() != 0) {
        log("Warning! Reseved bytes not equal to 0x00");
        if (!quiet())
            qelMessageOutput::write("Warning! Reseved bytes not equal to 0x00\n");
    }
    const int32_t contentX = offset();
    log("X axis origin for object content (XocaOset): %d (0x%x)", contentX, static_cast<unsigned>(contentX));
    const int32_t contentY = offset();
    log("Y axis origin for object content (YocaOset): %d (0x%x)", contentY, static_cast<unsigned>(contentY));
    orientation("Object content's  X axis rotation (XocaOrent): %d degrees",
                "Warning! Illegal value for object content's  X axis rotation: %d");
    orientation("Object content's Y axis rotation (YocaOrent) : %d degrees",
                "Warning! Illegal value for object content's Y axis rotation: %d");
    const int system = byte();
    log("Reference coordinate system (RefCSys) : %d", system);
    graphicsResource()->setIncludePosition(static_cast<float>(m_originX), static_cast<float>(m_originY));
}

void qelGocaParser::mapGraphicsObject()
{
    qelTripletParser* triplets = getTripletParser();
    logField("MGO", "Map graphic Object", nullptr);
    const unsigned int groupLength = m_currentSF->getRemainingLength() >= 2 ? m_currentSF->readUShort() : 0;
    if (groupLength == 5)
        log("RG Length : %d", groupLength);
    else
        warnOut("Warning! Invalid RG length (0x%x)", groupLength);
    if (m_currentSF->getRemainingLength() > 0 && triplets) {
        uint32_t mandatory = QEL_TRIPLET_MAPPING_OPTION, optional = 0;
        triplets->parse(&mandatory, &optional, m_currentSF);
        m_mappingOption = triplets->getMappingOption();
    } else {
        qelIOStream* in = qelIOStream::getCurrent();
        const int at = in ? in->getSFIOffset() : m_currentSF->getOffset();
        warnOut("Warning! Missing mandatory triplet. (at 0x%x )", static_cast<unsigned>(at));
    }
}

void qelGocaParser::graphicsDataDescriptor()
{
    logField("GDD", "Graphics Data Descriptor", nullptr);
    while (m_currentSF->getRemainingLength() > 0) {
        const int id = m_currentSF->readByte();
        switch (id) {
        case 0xF6: windowSpecification(); break;
        case 0xF7: drawingOrderSubset(); break;
        case 0x21: setCurrentDefaults(); break;
        default: break;
        }
    }
}

void qelGocaParser::windowSpecification()
{
    qelSFIBlock* f = m_currentSF;
    auto more = [f](int n) { return f->getRemainingLength() >= n; };
    log("GDD - Window Specification");
    int values[4] = {0, 0, 0, 0};
    int unitBase = 0, xUnits = 0, yUnits = 0;
    do {
        if (!more(1)) break;
        const int length = f->readByte();
        log(" Length : %d (0x%X)", length, static_cast<unsigned>(length));
        if (!more(1)) break;
        const int flags = f->readByte();
        log(" Window specification flag : %d (0x%02X)", flags, static_cast<unsigned>(flags));
        log(flags & 0x80 ? " Invalid picture presentation space" : " 2D Picture presentation space");
        log(flags & 0x40 ? " Pic Dimensions - Absolute pic in L-units" : " Picture dimensions not absolute");
        if (flags & 0x20)
            log(" Invalid reserved bit (0x%02X)", static_cast<unsigned>(flags));
        log(flags & 0x10 ? " Equal X and Y resolutions defined by Image Resolution field"
                         : " Resolution not defined or Non-Symmetric image");
        log(flags & 0x08 ? " Fixed image resolution" : " No resolution. Symmetric image");
        if (flags & 0x07)
            log(" Reserved bits are not equal to 0x00");
        if (!more(1)) break;
        const int reserved = f->readByte();
        if (reserved)
            log(" Invalid reserverd byte (0x%02X)", static_cast<unsigned>(reserved));
        if (!more(1)) break;
        const int format = f->readByte();
        if (format == 0)
            log(" Picture Co-ordinate format: %d (0x%X) - 16 bit high byte first signed integer", format, 0u);
        else
            log(" Picture Co-ordinate format: %d (0x%X)", format, static_cast<unsigned>(format));
        if (!more(1)) break;
        unitBase = f->readByte();
        if (unitBase == 0)
            log(" Base unit for X Axis: Ten inches");
        else
            log(" Base unit for X Axis: %d (0x%X) - Invalid", unitBase, static_cast<unsigned>(unitBase));
        if (!more(2)) break;
        xUnits = static_cast<int>(f->readUShort());
        log(" Number of units per unit base for X Axis: %d (0x%X)", xUnits, static_cast<unsigned>(xUnits));
        if (more(2)) {
            yUnits = static_cast<int>(f->readUShort());
            log(" Number of units per unit base for Y Axis: %d (0x%X)", yUnits, static_cast<unsigned>(yUnits));
        }
        if (yUnits != xUnits)
            log(" Warning! X and Y resolution are not same");
        if (!more(2)) break;
        m_imageResolution = static_cast<int32_t>(f->readUShort());
        log(" Image units per Unit base: %d (0x%X)", m_imageResolution, static_cast<unsigned>(m_imageResolution));
        static const char* const kNames[] = {" Window Left X co-ord: %d", " Window Right X co-ord: %d",
                                             " Window Bottom Y co-ord: %d", " Window Top Y co-ord: %d"};
        for (int i = 0; i < 4 && more(2); ++i) {
            values[i] = f->readShort();
            log(kNames[i], values[i]);
        }
    } while (false);

    m_window.set(values[0], values[1], values[2], values[3]);
    if (m_mappingOption == 0x20 || m_mappingOption == 0x30) {
        m_originX = m_areaWidth / 2 - m_window.getWidth() / 2;
        m_originY = m_areaHeight / 2 - m_window.getHeight() / 2;
    }
    log(" GOCA in %d (0x%02X) quadrant", m_window.getPictureQuadrant(),
        static_cast<unsigned>(m_window.getPictureQuadrant()));
    auto perInch = [unitBase](int value) {
        return unitBase == 0 ? value / 10 : static_cast<int>(static_cast<float>(value) * 0.254f);
    };
    if (m_imageResolution != 0)
        m_imageResolution = perInch(m_imageResolution);
    graphicsResource()->setResolution(static_cast<uint16_t>(perInch(xUnits)));
}

void qelGocaParser::drawingOrderSubset()
{
    qelSFIBlock* f = m_currentSF;
    log("GDD - Drawing order subset");
    static const char* const kNames[] = {" Length of drawing order subset: %d (0x%X)", " Drawing order subset: %d (0x%X)",
                                         nullptr, " Drawing order subset level 2.0: %d (0x%X)", " Version : %d (0x%X)",
                                         " Length of Co-ordinate format field: %d (0x%X)",
                                         " Co-ordinate format: %d (0x%X)"};
    for (const char* name : kNames) {
        if (!name) {
            if (f->getRemainingLength() < 2)
                return;
            const unsigned int reserved = f->readUShort();
            if (reserved)
                log(" Invalid reserved bytes 0x%X", reserved);
            continue;
        }
        if (f->getRemainingLength() < 1)
            return;
        const int v = f->readByte();
        log(name, v, static_cast<unsigned>(v));
    }
}

void qelGocaParser::setCurrentDefaults()
{
    qelSFIBlock* f = m_currentSF;
    log("GDD - Current defaults");
    while (f->getRemainingLength() > 0) {
        f->readByte();
        if (f->getRemainingLength() < 1)
            return;
        const int setId = f->readByte();
        if (f->getRemainingLength() < 2)
            return;
        const unsigned int mask = f->readUShort();
        if (f->getRemainingLength() < 1)
            return;
        const int flags = f->readByte();
        if (flags != 0x0F && flags != 0x8F && logOn(QEL_LOG_LEVEL2))
            m_log->printAtOffset(static_cast<unsigned>(f->getOffset()),
                                 "Warning! Illegal reserved bits in flag parameter (0x%02X)",
                                 static_cast<unsigned>(flags));
        setAttributeSet(setId, mask, flags == 0x0F);
    }
}

void qelGocaParser::setAttributeSet(int setId, unsigned int mask, bool standard)
{
    qelGocaAttributes& d = m_state.defaults;
    const qelGocaAttributes s;
    qelSFIBlock* f = m_currentSF;
    auto reservedBits = [&](unsigned int bits, const char* format) {
        if ((mask & bits) && logOn(QEL_LOG_LEVEL2))
            m_log->printAtOffset(static_cast<unsigned>(f->getOffset()), format, mask & bits);
    };
    const char* common = "Warning! Reserved bits not equal to zero in mask : 0x%X";
    switch (setId) {
    case 0:
        log(" Drawing Attributes to be set");
        reservedBits(0x4000, "Warning! Reserved bits not equal to zero in mask byte : 0x%X");
        reservedBits(0x0FFF, "Warning! Reserved bits not equal to zero in mask : 0x%X\n");
        if (mask & 0x8000) {
            d.color = standard ? s.color : static_cast<int32_t>(f->readUShort());
            log(" Fore Color Attribute: %d (0x%X)", d.color, static_cast<unsigned>(d.color));
        }
        if (mask & 0x2000) {
            d.mix = standard ? s.mix : static_cast<uint8_t>(f->readByte());
            log(" Foreground Mix Attribute:%d (0x%X)", d.mix, static_cast<unsigned>(d.mix));
        }
        if (mask & 0x1000) {
            d.backgroundMix = standard ? s.backgroundMix : static_cast<uint8_t>(f->readByte());
            log(" Background Mix Attribute: %d (0x%X)", d.backgroundMix, static_cast<unsigned>(d.backgroundMix));
        }
        break;
    case 1:
        log(" Line Attributes to be set");
        reservedBits(0x3FFF, common);
        if (mask & 0x8000) {
            d.lineType = standard ? s.lineType : static_cast<uint8_t>(f->readByte());
            log(" Line Type Attribute: %d (0x%X)", d.lineType, static_cast<unsigned>(d.lineType));
        }
        if (mask & 0x4000) {
            d.lineWidth = standard ? s.lineWidth : static_cast<float>(f->readByte());
            log(" Line Width Attribute: %f", static_cast<double>(d.lineWidth));
        }
        break;
    case 2:
        log(" Character Attributes to be set");
        reservedBits(0x03FF, common);
        if (mask & 0x8000)
            d.charAngle = standard ? s.charAngle : setCharacterAngle();
        if (mask & 0x4000) {
            if (standard) {
                d.charCellWidth = s.charCellWidth;
                d.charCellHeight = s.charCellHeight;
            } else {
                setCharacterCell(4, d.charCellWidth, d.charCellHeight);
            }
        }
        if (mask & 0x2000)
            d.charDirection = standard ? s.charDirection : setCharacterDirection();
        if (mask & 0x1000)
            d.charPrecision = standard ? s.charPrecision : setCharacterPrecision();
        if (mask & 0x0800)
            d.charSet = standard ? s.charSet : setCharacterSet();
        if ((mask & 0x0400) && !standard)
            f->skip(4);
        break;
    case 3:
        log(" Marker Attributes to be set");
        reservedBits(0xE000, common);
        if ((mask & 0x0600) == 0x0600)
            reservedBits(0x0600, common);
        reservedBits(0x00FF, common);
        if (mask & 0x1000)
            d.markerPrecision = standard ? s.markerPrecision : setMarkerPrecision();
        if (mask & 0x0800)
            d.markerSet = standard ? s.markerSet : setMarkerSet();
        if (mask & 0x0100)
            d.markerSymbol = standard ? s.markerSymbol : setMarkerSymbol();
        break;
    case 4:
        log(" Pattern Attributes to be set");
        reservedBits(0xF000, common);
        if ((mask & 0x0600) == 0x0600)
            reservedBits(0x0600, common);
        reservedBits(0x00FF, common);
        if (mask & 0x0800) {
            d.patternSet = standard ? s.patternSet : static_cast<uint8_t>(f->readByte());
            log(" Pattern Set Attribute: %d (0x%X)", d.patternSet, static_cast<unsigned>(d.patternSet));
        }
        if (mask & 0x0100)
            d.patternSymbol = standard ? s.patternSymbol : setPatternSymbol();
        break;
    case 11: {
        log(" Arc Attributes");
        reservedBits(0x0FFF, "Warning! Reserved bits not equal to zero in mask : 0x%x\n");
        float* targets[4] = {&d.arcP, &d.arcQ, &d.arcR, &d.arcS};
        const float standards[4] = {s.arcP, s.arcQ, s.arcR, s.arcS};
        static const char* const kNames[] = {" Major Axis X Attribute: %d (0x%X)", " Major Axis Y Attribute: %d (0x%X)",
                                             " Minor Axis X Attribute: %d (0x%X)", " Minor Axis Y Attribute: %d (0x%X)"};
        for (int i = 0; i < 4; ++i) {
            if (!(mask & (0x8000u >> i)))
                continue;
            *targets[i] = standard ? standards[i] : static_cast<float>(f->readShort());
            const int v = static_cast<int>(*targets[i]);
            log(kNames[i], v, static_cast<unsigned>(v));
        }
        break;
    }
    default:
        if (logOn(QEL_LOG_LEVEL2))
            m_log->printAtOffset(static_cast<unsigned>(f->getOffset()), "Warning! Illeagal Attribute Set Id : 0x%X",
                                 static_cast<unsigned>(setId));
        return;
    }
    if (standard)
        log(" Attributes are set to standard defaults");
}

void qelGocaParser::resetDrawingState()
{
    dropImage();
    dropArea();
    m_colorSpace = 5;
    m_segmentOpen = m_prologOpen = m_areaOpen = 0;
    m_currentX = m_currentY = 0;
    m_originX = m_originY = 0;
    m_xRotation = 0;
    m_yRotation = 90;
    m_mappingOption = 0;
    m_resource = nullptr;
    m_imageRows = 0;
    m_window.reset();
    m_state.reset();
    m_lastAreaX = m_lastAreaY = -1;
    m_resourceName.clear();
    m_fileName.clear();
    m_orderCount = 0;
    qelIni* ini = options();
    m_lineWidthFactor = ini ? ini->getGOCALineWidthFactor() : 0.0f;
    if (!(m_lineWidthFactor > 0.0f))
        m_lineWidthFactor = 0.01f;
}

// --- drawing orders -----------------------------------------------------------------

void qelGocaParser::drawingOrder()
{
    logField("GAD", "Graphic Data", nullptr);
    while (m_currentSF->getRemainingLength() > 0) {
        ++m_orderCount;
        dispatch(m_currentSF->readByte());
    }
}

void qelGocaParser::dispatch(int code)
{
    qelSFIBlock* f = m_currentSF;
    qelGocaAttributes& a = m_state.current;
    // Long orders: the handler gets L; what it leaves of the L bytes is
    // skipped, so the next order starts where the format says.
    auto longOrder = [f](auto handler) {
        const int length = f->readByte();
        const int start = f->getPosition();
        const int after = handler(length);
        const int used = f->getPosition() - start;
        if (used < length)
            f->skip(length - used);
        if (after > 0)
            f->skip(after);
    };
    switch (code) {
    case 0x00:
    case 0x71:
    case 0xFF: return;
    case 0x01: longOrder([this](int n) { comment(n); return 0; }); return;
    case 0x04:
        longOrder([this](int) {
            log("Segment characteristics not applicable for AFP GOCA");
            return 0;
        });
        return;
    case 0x08:
        a.patternSet = static_cast<uint8_t>(f->readByte());
        log("Set Pattern Set : 0x%x", static_cast<unsigned>(a.patternSet));
        return;
    case 0x0A:
        a.color = 0xFF00 + f->readByte();
        m_colorSpace = 5;
        log("Set Color (Color index value in OCA Table): 0x%x ", static_cast<unsigned>(a.color));
        return;
    case 0x0C:
        a.mix = static_cast<uint8_t>(f->readByte());
        log("Set Mix: 0x%x", static_cast<unsigned>(a.mix));
        return;
    case 0x0D:
        a.backgroundMix = static_cast<uint8_t>(f->readByte());
        log("Set Background Mix: 0x%x", static_cast<unsigned>(a.backgroundMix));
        return;
    case 0x11: longOrder([&](int) { a.lineWidth = setLineWidth(m_state.defaults.lineWidth); return 0; }); return;
    case 0x18: a.lineType = setLineType(); return;
    case 0x19: {
        const int width = f->readByte();
        a.lineWidth = width == 0 ? m_state.defaults.lineWidth : static_cast<float>(width);
        log("Set line width : %f", static_cast<double>(a.lineWidth));
        return;
    }
    case 0x21:
        longOrder([this](int) {
            readPoint(m_currentX, m_currentY);
            log("Set Current position: %li, %li", static_cast<long>(m_currentX), static_cast<long>(m_currentY));
            return 0;
        });
        return;
    case 0x22: longOrder([&](int) { setArcParameters(a.arcP, a.arcQ, a.arcR, a.arcS); return 0; }); return;
    case 0x26:
        longOrder([&](int) {
            a.color = static_cast<int32_t>(f->readUShort());
            m_colorSpace = 5;
            log("Set Extented Color(Color index value in OCA Table): 0x%x", static_cast<unsigned>(a.color));
            return 0;
        });
        return;
    case 0x28: a.patternSymbol = setPatternSymbol(); return;
    case 0x29: a.markerSymbol = setMarkerSymbol(); return;
    case 0x33: longOrder([&](int n) { setCharacterCell(n, a.charCellWidth, a.charCellHeight); return 0; }); return;
    case 0x34: longOrder([&](int) { a.charAngle = setCharacterAngle(); return 0; }); return;
    case 0x35:
        longOrder([&](int) {
            f->skip(4);
            log("Char Shear Angle not applicable for AFP GOCA");
            return 0;
        });
        return;
    case 0x37:
        longOrder([&](int) {
            f->skip(4);
            log("Set Marker Cell:Not Applicable for AFP GOCA ");
            return 0;
        });
        return;
    case 0x38: a.charSet = setCharacterSet(); return;
    case 0x39: a.charPrecision = setCharacterPrecision(); return;
    case 0x3A: a.charDirection = setCharacterDirection(); return;
    case 0x3B: a.markerPrecision = setMarkerPrecision(); return;
    case 0x3C: a.markerSet = setMarkerSet(); return;
    case 0x3E: endProlog(); return;
    case 0x60: longOrder([this](int) { endArea(); return 0; }); return;
    case 0x68: beginArea(); return;
    case 0x70: longOrder([this](int) { beginSegment(); return m_segmentSkip; }); return;
    case 0x80:
    case 0xC0: longOrder([&](int n) { box(code == 0xC0, n); return 0; }); return;
    case 0x81:
    case 0xC1: longOrder([&](int n) { line(code == 0xC1, n); return 0; }); return;
    case 0x82:
    case 0xC2: longOrder([&](int n) { marker(code == 0xC2, n); return 0; }); return;
    case 0x83:
    case 0xC3: longOrder([&](int n) { characterString(code == 0xC3, n); return 0; }); return;
    case 0x85:
    case 0xC5: longOrder([&](int n) { fillet(code == 0xC5, n); return 0; }); return;
    case 0x87:
    case 0xC7: longOrder([&](int) { fullArc(code == 0xC7); return 0; }); return;
    case 0x91:
    case 0xD1: longOrder([&](int) { beginImage(code == 0xD1); return 0; }); return;
    case 0x92:
        ++m_imageRows;
        longOrder([this](int n) { imageData(n); return 0; });
        return;
    case 0x93: longOrder([this](int n) { endImage(n); return 0; }); return;
    case 0xA1:
    case 0xE1: longOrder([&](int n) { relativeLine(code == 0xE1, n); return 0; }); return;
    case 0xA3:
    case 0xE3: longOrder([&](int) { partialArc(code == 0xE3); return 0; }); return;
    case 0xB2: longOrder([this](int n) { setProcessColor(n); return 0; }); return;
    case 0xFE: skipUnknown(code); return;
    default:
        if (!isIgnoredOrder(code))
            unexpectedOrder(code);
        skipUnknown(code);
        return;
    }
}

// Consumes an order by the format rules of its code.
void qelGocaParser::skipUnknown(int code)
{
    qelSFIBlock* f = m_currentSF;
    if (code == 0x00 || code == 0x71 || code == 0xFF)
        return;
    if (code == 0xFE) {
        const int second = f->readByte();
        if (second == 0xB0 || second == 0xF0)
            f->skip(static_cast<int>(f->readUShort()));
        return;
    }
    if (code < 0x80 && (code & 0x08)) {
        f->readByte();
        return;
    }
    f->skip(f->readByte());
}

void qelGocaParser::unexpectedOrder(int code)
{
    if (!quiet())
        qelMessageOutput::printf("Warning! Unexpected Draw Order ID: 0x%x", static_cast<unsigned>(code));
    log("Warning! Unexpected Draw Order ID: 0x%x", static_cast<unsigned>(code));
}

void qelGocaParser::comment(int n)
{
    std::vector<unsigned char> bytes(static_cast<size_t>(n) + 1, 0);
    if (n > 0)
        m_currentSF->readBytes(bytes.data(), n);
    qelUtils::ebcdicToAscii(bytes.data(), n);
    bytes[static_cast<size_t>(n)] = 0;
    log("Comment Length: %d, ReadLength=%d Comment : %s ", n, n, reinterpret_cast<char*>(bytes.data()));
}

void qelGocaParser::setProcessColor(int n)
{
    qelSFIBlock* f = m_currentSF;
    log("Process Color order");
    if (n > 0) {
        if (f->readByte() != 0)
            log("Reserved Byte Not Zero");
        --n;
    }
    int space = 0;
    if (n > 0)
        space = f->readByte();
    --n;
    int size = 0;
    int objectSpace = m_colorSpace;
    switch (space) {
    case 0x01: log("Color Space: RGB"); size = 3; objectSpace = 1; break;
    case 0x04: log("Color Space: CMYK"); size = 4; objectSpace = 2; break;
    case 0x06: log("Color Space: Highlight color space"); size = 2; objectSpace = 3; break;
    case 0x08: log("Color Space: CIELAB"); size = 3; objectSpace = 4; break;
    case 0x40: log("Color Space: Standard OCA color space"); size = 2; objectSpace = 5; break;
    default: log("Invalid Color Space : 0x%02X ", static_cast<unsigned>(space)); break;
    }
    for (int i = 0; i < 4 && n > 0; ++i, --n) {
        const int b = f->readByte();
        if (b != 0)
            log("Reserved byte is not zero : 0x%02X", static_cast<unsigned>(b));
    }
    int bits[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && n > 0; ++i, --n) {
        bits[i] = f->readByte();
        log("Number of bits in Component %d : 0x%02X", i + 1, static_cast<unsigned>(bits[i]));
    }
    unsigned int mask[4];
    for (int i = 0; i < 4; ++i)
        mask[i] = bits[i] >= 8 ? 0xFFu : (1u << bits[i]) - 1u;
    m_colorSpace = objectSpace;
    uint32_t value = 0;
    if (n >= size && size > 0) {
        n -= size;
        unsigned int b[4] = {0, 0, 0, 0};
        for (int i = 0; i < size; ++i)
            b[i] = static_cast<unsigned int>(f->readByte());
        switch (space) {
        case 0x01:
            for (int i = 0; i < 3; ++i)
                log("Color Byte %d: 0x%02x", i + 1, b[i]);
            value = (b[0] & mask[0]) | (b[1] & mask[1]) << 8 | (b[2] & mask[2]) << 16;
            break;
        case 0x04:
            for (int i = 0; i < 4; ++i)
                log("Color Byte %d: 0x%02x", i + 1, b[i]);
            value = (b[0] & mask[0]) << 24 | (b[1] & mask[1]) << 16 | (b[2] & mask[2]) << 8 | (b[3] & mask[3]);
            break;
        case 0x08: value = 0; break;
        default: value = b[0] * 256 + b[1]; break;
        }
        log("Color value in the defined format and encoding : 0x%x", value);
    } else if (size == 0) {
        log("Warning! Illegal Color value: 0x%x", value);
    }
    if (n > 0) {
        log("Skipping %d bytes", n);
        f->skip(n);
    }
    m_state.current.color = static_cast<int32_t>(value);
}

float qelGocaParser::setLineWidth(float defaultWidth)
{
    const int integer = m_currentSF->readByte();
    const int fraction = m_currentSF->readByte();
    const float width =
        (integer == 0 && fraction == 0) ? defaultWidth : static_cast<float>(integer) + static_cast<float>(fraction) / 256.0f;
    log("Set fractional line width : %f Integer: 0x%02X Fractional: 0x%02X", static_cast<double>(width),
        static_cast<unsigned>(integer), static_cast<unsigned>(fraction));
    return width;
}

uint8_t qelGocaParser::setLineType()
{
    const int type = m_currentSF->readByte();
    log("Set Line Type : %s", lineTypeName(type));
    return static_cast<uint8_t>(type);
}

uint8_t qelGocaParser::setPatternSymbol()
{
    const int symbol = m_currentSF->readByte();
    log("Pattern Symbol: 0x%x (%s)", static_cast<unsigned>(symbol), patternName(symbol));
    if (symbol == 0)
        return 16;
    if (symbol == 0x40)
        return 15;
    return static_cast<uint8_t>(symbol);
}

uint8_t qelGocaParser::setMarkerSymbol()
{
    const int symbol = m_currentSF->readByte();
    log("Marker Symbol: 0x%x (%s)", static_cast<unsigned>(symbol), markerName(symbol));
    return static_cast<uint8_t>(symbol);
}

uint8_t qelGocaParser::setMarkerSet()
{
    const int id = m_currentSF->readByte();
    if (id == 0)
        log("Set Marker Set Local Id:0x00 (Drawing Default)");
    else
        log("Set Marker Set Local Id:0x%02X (Not applicable for AFP GOCA)", static_cast<unsigned>(id));
    return static_cast<uint8_t>(id);
}

uint8_t qelGocaParser::setMarkerPrecision()
{
    const int v = m_currentSF->readByte();
    switch (v) {
    case 0: log("Set Marker Precision: 0x00 (Drawing Default)"); break;
    case 1: log("Set Marker Precision: 0x01 (String Precision)"); break;
    case 2: log("Set Marker Precision: 0x02 (Character Precision)"); break;
    case 3: log("Set Marker Precision: 0x03 (Stroke Precision - Not applicable for AFP GOCA)"); break;
    default: log("Set Marker Precision: 0x%02X (Reserved Values)", static_cast<unsigned>(v)); break;
    }
    return static_cast<uint8_t>(v);
}

uint8_t qelGocaParser::setCharacterSet()
{
    const int id = m_currentSF->readByte();
    if (m_resource)
        graphicsResource()->selectFont(static_cast<uint8_t>(id));
    if (id == 0)
        log("Set Char Set Local Id: 0x00 (Drawing Default)");
    else if (id == 0xFF)
        log("Set Char Set Local Id: 0xFF (Special char set)");
    else
        log("Set Char Set Local Id: 0x%02X", static_cast<unsigned>(id));
    return static_cast<uint8_t>(id);
}

uint8_t qelGocaParser::setCharacterPrecision()
{
    const int v = m_currentSF->readByte();
    switch (v) {
    case 0: log("Set Char Precision: 0x00 (Drawing Default)"); break;
    case 1: log("Set Char Precision: 0x01 (String Precision)"); break;
    case 2: log("Set Char Precision: 0x02 (Character Precision)"); break;
    case 3: log("Set Char Precision: 0x03 (Stroke Precision - Not applicable for AFP GOCA)"); break;
    default: log("Set Char Precision: 0x%02X (Reserved Value)", static_cast<unsigned>(v)); break;
    }
    return static_cast<uint8_t>(v);
}

uint8_t qelGocaParser::setCharacterDirection()
{
    const int v = m_currentSF->readByte();
    switch (v) {
    case 0: log("Set Char Direction:0x00 (Drawing Default)"); break;
    case 1: log("Set Char Direction:0x01 (Left To Right)"); break;
    case 2: log("Set Char Direction:0x02 (Top to Bottom)"); break;
    case 3: log("Set Char Direction:0x03 (Right To Left)"); break;
    case 4: log("Set Char Direction:0x04 (Bottom To Top)"); break;
    default: log("Set Char Direction:0x%x (Reserved Value)", static_cast<unsigned>(v)); break;
    }
    return static_cast<uint8_t>(v);
}

int32_t qelGocaParser::setCharacterAngle()
{
    const int x = m_currentSF->readShort();
    const int y = m_currentSF->readShort();
    int32_t angle = 0;
    if (x == 0 && y > 0)
        angle = 90;
    else if (y == 0 && x < 0)
        angle = 180;
    else if (x == 0 && y < 0)
        angle = 270;
    log("Char Angle: %i Degress", angle);
    return angle;
}

void qelGocaParser::setCharacterCell(int n, float& width, float& height)
{
    width = static_cast<float>(m_currentSF->readShort());
    height = static_cast<float>(m_currentSF->readShort());
    if (n == 8) {
        width += static_cast<float>(m_currentSF->readUShort()) / 65536.0f;
        height += static_cast<float>(m_currentSF->readUShort()) / 65536.0f;
    }
    log("Char Cell Size: %f,%f", static_cast<double>(width), static_cast<double>(height));
}

void qelGocaParser::setArcParameters(float& p, float& q, float& r, float& s)
{
    const int vp = m_currentSF->readShort();
    const int vq = m_currentSF->readShort();
    const int vr = m_currentSF->readShort();
    const int vs = m_currentSF->readShort();
    p = static_cast<float>(vp);
    q = static_cast<float>(vq);
    r = static_cast<float>(vr);
    s = static_cast<float>(vs);
    log("Arc Parameters( Major/Minor Axis Point):(%d,%d),(%d,%d)", vp, vq, vr, vs);
}

void qelGocaParser::beginSegment()
{
    qelSFIBlock* f = m_currentSF;
    m_segmentSkip = 0;
    unsigned char name[5] = {};
    f->readBytes(name, 4);
    qelUtils::ebcdicToAscii(name, 4);
    f->readByte();
    const int flags = f->readByte();
    const unsigned int dataLength = f->readUShort();
    unsigned char other[5] = {};
    f->readBytes(other, 4);
    qelUtils::ebcdicToAscii(other, 4);
    const bool chained = (flags & 0x80) == 0;
    const bool prolog = (flags & 0x10) != 0;
    const int append = flags & 0x06;
    bool appended = append == 6;
    log("Begin Segment %s", reinterpret_cast<char*>(name));
    log(chained ? "Segment Chained: true" : "Segment Chained: false. Segment ignored");
    log(prolog ? "Segment Prolog: true" : "Segment Prolog: false");
    log(append == 0 ? "Segment New: true" : "Segment New: false");
    log(appended ? "Segment Appended: true" : "Segment Appended: false");
    if (append == 2 || append == 4)
        log("Segment Append Flag : 0x%i Reserved Value", flags);
    log("Segment Data Length: 0x%x", dataLength);
    log("Segment Predecessor/Successor Name: %s", reinterpret_cast<char*>(other));
    if (!m_segmentOpen && appended) {
        log("No Segment exists to append the current segment");
        log("Segment treated as new segment");
        appended = false;
    }
    if (!chained) {
        if (m_prologOpen)
            log("New unchainged Segment begins. Old Prolog does not terminate");
        m_segmentOpen = 0;
        m_prologOpen = 0;
        m_segmentSkip = static_cast<int>(dataLength);
        return;
    }
    if (!appended) {
        if (m_prologOpen)
            log("New Segment begins. Old Prolog does not terminate");
        m_prologOpen = prolog ? 1 : 0;
        m_segmentOpen = 1;
    }
}

void qelGocaParser::endProlog()
{
    const int v = m_currentSF->readByte();
    if (v == 0)
        log("End Prolog");
    else
        log("End Prolog: 0x%02X (Invalid reserved value)", static_cast<unsigned>(v));
    if (!m_segmentOpen)
        log("Prolog not in the segment");
    m_prologOpen = 0;
}

// --- figures ------------------------------------------------------------------------

void qelGocaParser::readPoint(int32_t& x, int32_t& y)
{
    x = m_currentSF->readShort();
    y = m_currentSF->readShort();
}

float qelGocaParser::readMultiplier()
{
    const int integer = m_currentSF->readByte();
    const int fraction = m_currentSF->readByte();
    return static_cast<float>(integer) + static_cast<float>(fraction) / 256.0f;
}

float qelGocaParser::scaledLineWidth() const
{
    const float resolution = m_resource ? static_cast<float>(graphicsResource()->getResolution()) : 0.0f;
    return resolution * m_lineWidthFactor * m_state.current.lineWidth;
}

qelPoint qelGocaParser::map(int32_t x, int32_t y) const
{
    return m_window.transformPoint(static_cast<float>(x), static_cast<float>(y));
}

void qelGocaParser::checkLinePoints(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2)
{
    const bool in1 = m_window.contains(x1, y1);
    const bool in2 = m_window.contains(x2, y2);
    if (in1 && in2)
        return;
    if (!in1)
        log("Warning! Point1 (%d(0x%x), %d(0x%x)) is out of region", x1, static_cast<unsigned>(x1), y1,
            static_cast<unsigned>(y1));
    if (!in2)
        log("Warning! Point2 (%d(0x%x), %d(0x%x)) is out of region", x2, static_cast<unsigned>(x2), y2,
            static_cast<unsigned>(y2));
    qelLogStream* anyLog = logOn(QEL_LOG_ANY) ? m_log : nullptr;
    if (x1 != x2 && y1 != y2 && anyLog)
        anyLog->printLine("Warning! slanting line\n");
    if (!in1)
        m_window.clampPoint(x1, y1, anyLog);
    if (!in2)
        m_window.clampPoint(x2, y2, anyLog);
}

bool qelGocaParser::startsAtAreaPoint(bool given) const
{
    if (given || !m_areaOpen)
        return false;
    return !(m_lastAreaX == -1 && m_lastAreaY == -1) && m_lastAreaX == m_currentX && m_lastAreaY == m_currentY;
}

void qelGocaParser::applyCommon(qelGraphicObject* object) const
{
    if (m_resource)
        object->setResolution(graphicsResource()->getResolution());
    object->setColorSpace(m_colorSpace);
    object->setIAxisOrientation(static_cast<uint16_t>(m_xRotation));
    object->setBAxisOrientation(static_cast<uint16_t>(m_yRotation));
    object->setAngle(static_cast<float>(m_xRotation), false);
    object->setAreaOrigin(static_cast<float>(m_originX), static_cast<float>(m_originY));
    object->setAbsoluteInlineFlag(1);
    object->setAbsoluteBaselineFlag(1);
}

void qelGocaParser::finish(qelGraphicObject* object)
{
    applyCommon(object);
    if (m_areaOpen && m_area)
        m_area->addChild(object);
    else if (m_resource)
        graphicsResource()->addParsedObject(object);
    else
        delete object;
}

void qelGocaParser::moveTo(int32_t x, int32_t y, bool area)
{
    m_currentX = x;
    m_currentY = y;
    log("Current Position moved to ( %d, %d )", x, y);
    if (area && m_areaOpen) {
        m_lastAreaX = x;
        m_lastAreaY = y;
    }
}

void qelGocaParser::line(bool given, int n)
{
    log(given ? "Line at given position" : "Line at current position");
    const bool connects = startsAtAreaPoint(given);
    int32_t x = m_currentX, y = m_currentY;
    if (given) {
        readPoint(x, y);
        n -= 4;
    }
    const qelGocaAttributes& a = m_state.current;
    bool first = true;
    // Whole points only: a partial point belongs to no line.
    for (; n >= 4; n -= 4) {
        int32_t ex, ey;
        readPoint(ex, ey);
        checkLinePoints(x, y, ex, ey);
        auto* object = new qelLineObject(map(x, y), map(ex, ey), a.lineType, scaledLineWidth(),
                                         static_cast<uint32_t>(a.color), a.mix, a.backgroundMix);
        if (m_areaOpen)
            object->setContinued(first ? (connects ? 1 : 0) : 1);
        log("Line from ( %d, %d ) to ( %d, %d )", x, y, ex, ey);
        finish(object);
        first = false;
        x = ex;
        y = ey;
    }
    moveTo(x, y, true);
}

void qelGocaParser::relativeLine(bool given, int n)
{
    log(given ? "Relattive Line at given position" : "Relative Line at current position");
    const bool connects = startsAtAreaPoint(given);
    int32_t x0 = m_currentX, y0 = m_currentY;
    if (given) {
        readPoint(x0, y0);
        n -= 4;
    }
    const qelGocaAttributes& a = m_state.current;
    int32_t sx = 0, sy = 0;
    int32_t px = x0, py = y0;
    bool first = true;
    for (; n >= 2; n -= 2) {
        sx += static_cast<int8_t>(m_currentSF->readByte());
        sy += static_cast<int8_t>(m_currentSF->readByte());
        const int32_t ex = x0 + sx, ey = y0 + sy;
        auto* object = new qelLineObject(map(px, py), map(ex, ey), a.lineType, scaledLineWidth(),
                                         static_cast<uint32_t>(a.color), a.mix, a.backgroundMix);
        if (m_areaOpen)
            object->setContinued(first ? (connects ? 1 : 0) : 1);
        log("Line from ( %d, %d ) to ( %d, %d )", px, py, ex, ey);
        finish(object);
        first = false;
        px = ex;
        py = ey;
    }
    moveTo(px, py, true);
}

void qelGocaParser::box(bool given, int n)
{
    qelSFIBlock* f = m_currentSF;
    const int flags = f->readByte();
    if (f->readByte() != 0)
        log("Reserved Byte is not zero");
    int32_t x1 = m_currentX, y1 = m_currentY, x2, y2;
    if (given) {
        readPoint(x1, y1);
        n -= 4;
    }
    readPoint(x2, y2);
    const bool rounded = n > 7;
    int32_t ex = 0, ey = 0;
    if (rounded) {
        ex = static_cast<int32_t>(f->readUShort());
        ey = n > 9 ? static_cast<int32_t>(f->readUShort()) : ex;
    }
    log(given ? "Box at given position" : "Box at current position");
    log("First corner point: %li,%li", static_cast<long>(x1), static_cast<long>(y1));
    log("Diagonal corner point: %li,%li", static_cast<long>(x2), static_cast<long>(y2));
    if (rounded) {
        log("Rounded Corner");
        log("Length in X-axis direction of ellipse:%i", ex);
        log("Length in Y-axis direction of ellipse:%i", ey);
    }
    log("DrawControlFlags: %d ( 0x%02X )", flags, static_cast<unsigned>(flags));
    log("Fill:%s", flags & 0x40 ? "Yes" : "No");
    log("Draw Boundary:%s", flags & 0x20 ? "Yes" : "No");
    qelLogStream* anyLog = logOn(QEL_LOG_ANY) ? m_log : nullptr;
    m_window.clampPoint(x1, y1, anyLog);
    m_window.clampPoint(x2, y2, anyLog);
    const qelPoint p1 = map(x1, y1), p2 = map(x2, y2);
    const qelPoint topLeft{std::fmin(p1.x, p2.x), std::fmin(p1.y, p2.y)};
    const qelPoint bottomRight{std::fmax(p1.x, p2.x), std::fmax(p1.y, p2.y)};
    const qelGocaAttributes& a = m_state.current;
    auto* object = new qelBoxObject(topLeft, bottomRight, rounded ? 1 : 0, ex, ey, a.lineType, scaledLineWidth(),
                                    static_cast<uint32_t>(a.color), a.mix, a.backgroundMix,
                                    static_cast<uint8_t>(flags));
    object->setInArea(m_areaOpen);
    finish(object);
}

void qelGocaParser::fillet(bool given, int n)
{
    log(given ? "Fillet at given position" : "Fillet at current position");
    const bool connects = startsAtAreaPoint(given);
    int32_t x = m_currentX, y = m_currentY;
    if (given) {
        readPoint(x, y);
        n -= 4;
    }
    if (n >= 4) {
        const qelGocaAttributes& a = m_state.current;
        auto* object = new qelFilletObject(a.lineType, scaledLineWidth(), static_cast<uint32_t>(a.color), a.mix,
                                           a.backgroundMix);
        if (m_areaOpen)
            object->setContinued(connects ? 1 : 0);
        finish(object);
        int count = 0;
        for (;;) {
            object->addPoint(map(x, y));
            ++count;
            log("Fillet Point %i:(%d,%d)", count, x, y);
            if (n < 4)
                break;
            readPoint(x, y);
            n -= 4;
        }
    }
    moveTo(x, y, true);
}

void qelGocaParser::fullArc(bool given)
{
    log(given ? "Full arc at given position" : "Full arc at current position");
    const bool connects = startsAtAreaPoint(given);
    int32_t x = m_currentX, y = m_currentY;
    if (given)
        readPoint(x, y);
    const float multiplier = readMultiplier();
    log("Center point of an arc:( %d, %d)", x, y);
    log("Arc multiplier:%f", static_cast<double>(multiplier));
    const qelGocaAttributes& a = m_state.current;
    auto* object = new qelFullArcObject(map(x, y), qelPoint{a.arcP, a.arcQ}, qelPoint{a.arcR, a.arcS}, multiplier,
                                        a.lineType, scaledLineWidth(), static_cast<uint32_t>(a.color), a.mix,
                                        a.backgroundMix);
    if (m_areaOpen)
        object->setContinued(connects ? 1 : 0);
    finish(object);
    moveTo(x, y, true);
}

void qelGocaParser::partialArc(bool given)
{
    log(given ? "Partial arc at given position" : "Partial arc at current position");
    const bool connects = startsAtAreaPoint(given);
    int32_t sx = m_currentX, sy = m_currentY;
    if (given)
        readPoint(sx, sy);
    int32_t cx, cy;
    readPoint(cx, cy);
    const float multiplier = readMultiplier();
    auto angle = [this]() {
        const int32_t hi = m_currentSF->readShort();
        const uint32_t lo = m_currentSF->readUShort();
        const int32_t raw = static_cast<int32_t>((static_cast<uint32_t>(hi) << 16) | lo);
        return (raw / 65536) % 360;
    };
    const int32_t start = angle();
    const int32_t sweep = angle();
    log("Line Start point of an arc:( %d, %d)", sx, sy);
    log("Center point of an arc:( %d, %d)", cx, cy);
    log("Arc multiplier:%f", static_cast<double>(multiplier));
    log("Arc Start & Sweep angle:( %f, %f)", static_cast<double>(start), static_cast<double>(sweep));
    const qelGocaAttributes& a = m_state.current;
    auto* object = new qelPartialArcObject(map(cx, cy), qelPoint{a.arcP, a.arcQ}, qelPoint{a.arcR, a.arcS},
                                           map(sx, sy), static_cast<float>(start), static_cast<float>(sweep),
                                           multiplier, a.lineType, scaledLineWidth(), static_cast<uint32_t>(a.color),
                                           a.mix, a.backgroundMix);
    if (m_areaOpen)
        object->setContinued(connects ? 1 : 0);
    finish(object);

    // The arc ends at start + sweep on the ellipse the output draws: radii
    // |P| and |Q| times the multiplier, or the turned forms of the axes,
    // whose quarter turns the output draws mirrored in y.
    const int p = static_cast<int>(a.arcP), q = static_cast<int>(a.arcQ);
    const int r = static_cast<int>(a.arcR), s = static_cast<int>(a.arcS);
    double rx = std::abs(p), ry = std::abs(q);
    int turn = 0;
    if (p == 0 && q == 0 && r < 0 && s < 0) {
        rx = std::abs(s);
        ry = std::abs(r);
        turn = 90;
    } else if (p < 0 && s == 0 && r == 0 && q < 0) {
        turn = 180;
    } else if (p == 0 && q == 0 && r > 0 && s > 0) {
        rx = s;
        ry = r;
        turn = 270;
    }
    const double pi = 3.14159265358979323846;
    const double e = static_cast<double>(start + sweep) * pi / 180.0;
    const double lx = rx * multiplier * std::cos(e);
    const double ly = ry * multiplier * std::sin(e);
    const double t = turn * pi / 180.0;
    const double dx = lx * std::cos(t) - ly * std::sin(t);
    double dy = ly * std::cos(t) + lx * std::sin(t);
    if (turn == 90 || turn == 270)
        dy = -dy;
    moveTo(static_cast<int32_t>(std::lround(cx + dx)), static_cast<int32_t>(std::lround(cy + dy)), true);
}

void qelGocaParser::marker(bool given, int n)
{
    log(given ? "Marker at given position" : "Marker at current position");
    int32_t x = m_currentX, y = m_currentY;
    if (given) {
        readPoint(x, y);
        n -= 4;
    }
    const qelGocaAttributes& a = m_state.current;
    for (;;) {
        log("Marker symbol id 0x%x drawn at ( %d, %d )", static_cast<unsigned>(a.markerSymbol), x, y);
        finish(new qelMarkerObject(map(x, y), a.markerSet, a.markerSymbol, a.markerPrecision,
                                   static_cast<uint32_t>(a.color), a.mix, a.backgroundMix));
        if (n < 4)
            break;
        readPoint(x, y);
        n -= 4;
    }
    moveTo(x, y, false);
}

// --- areas, strings and images --------------------------------------------------------

void qelGocaParser::dropArea()
{
    delete m_area;
    m_area = nullptr;
    m_areaOpen = 0;
}

void qelGocaParser::beginArea()
{
    const int flags = m_currentSF->readByte();
    log("Begin Area");
    if (flags & 0x80)
        log("Reserved bit is not zero");
    log("Draw Boundary:%s", flags & 0x40 ? "True" : "False");
    log(flags & 0x20 ? "Filling Mode:Unspecified mode" : "Filling Mode:Alternate mode");
    if (flags & 0x1F)
        log("Reserved bits are not zero");
    dropArea();
    m_areaOpen = 1;
    const qelGocaAttributes& a = m_state.current;
    m_area = new qelAreaObject((flags & 0x40) ? 1 : 0, a.lineType, scaledLineWidth(), a.patternSet,
                               static_cast<uint32_t>(a.color), a.patternSymbol, a.mix, a.backgroundMix);
    m_area->setColorSpace(m_colorSpace);
    m_lastAreaX = m_lastAreaY = -1;
}

void qelGocaParser::endArea()
{
    if (!m_areaOpen || !m_area) {
        log("End Area without matching Begin Area");
    } else {
        log("End Area");
        qelAreaObject* area = m_area;
        m_area = nullptr;
        m_areaOpen = 0;
        area->setColorSpace(m_colorSpace);
        if (m_resource)
            area->setResolution(graphicsResource()->getResolution());
        area->setIAxisOrientation(static_cast<uint16_t>(m_xRotation));
        area->setBAxisOrientation(static_cast<uint16_t>(m_yRotation));
        area->setAngle(static_cast<float>(m_xRotation), false);
        area->setAreaOrigin(static_cast<float>(m_originX), static_cast<float>(m_originY));
        if (m_resource)
            graphicsResource()->addParsedObject(area);
        else
            delete area;
    }
    m_lastAreaX = m_lastAreaY = -1;
}

void qelGocaParser::characterString(bool given, int n)
{
    int32_t x = m_currentX, y = m_currentY;
    if (given) {
        readPoint(x, y);
        n -= 4;
    }
    log(given ? "Character string at given position (X=%f Y=%f)" : "Character string at current position (X=%f Y=%f)",
        static_cast<double>(x), static_cast<double>(y));
    if (n >= 1 && n <= 255) {
        unsigned char raw[256] = {};
        m_currentSF->readBytes(raw, n);
        unsigned char text[256] = {};
        std::memcpy(text, raw, static_cast<size_t>(n));
        qelUtils::ebcdicToAscii(text, n);
        log("Text at ( %f, %f)", static_cast<double>(x), static_cast<double>(y));
        log("Text   Value : %s", reinterpret_cast<char*>(text));
        log("Warning! Text objects within Graphic object(GOCA) container are not yet supported");
        qelIni* ini = options();
        if (ini && ini->isDevTest() && logOn(QEL_LOG_LEVEL2)) {
            const size_t length = std::strlen(reinterpret_cast<char*>(text));
            std::string high, low;
            for (size_t i = 0; i < length; ++i) {
                char digits[3];
                std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(raw[i]));
                high += digits[0];
                low += digits[1];
            }
            m_log->printLine("%s", "");
            m_log->printLine("EBCDIC Value(%d) : %s", static_cast<int>(length), high.c_str());
            m_log->printLine("               %s", low.c_str());
        }
    }
    m_currentX = x;
    m_currentY = y;
    log("Current Position moved to ( %f, %f )", static_cast<double>(x), static_cast<double>(y));
}

// Forgets the image being received with its cached bytes and spill file.
void qelGocaParser::dropImage()
{
    delete m_image;
    m_image = nullptr;
    m_imageData.drop();
    m_imageRows = 0;
}

void qelGocaParser::beginImage(bool given)
{
    qelSFIBlock* f = m_currentSF;
    int32_t x = m_currentX, y = m_currentY;
    if (given)
        readPoint(x, y);
    const int format = f->readByte();
    const int reserved = f->readByte();
    const int32_t width = static_cast<int32_t>(f->readUShort());
    const int32_t height = static_cast<int32_t>(f->readUShort());
    log(given ? "Begin Image at given position" : "Begin Image at current position");
    log("Image Origin:(%f,%f)", static_cast<double>(x), static_cast<double>(y));
    if (reserved)
        log("Reserved Byte is not zero");
    log("Image Size:(%d,%d)", width, height);
    log("Image Format: 0x%x", static_cast<unsigned>(format));
    // Rows of an unfinished image never start the next one.
    dropImage();
    char name[64];
    std::snprintf(name, sizeof name, "%s%04d%06d", "Img", getInputNumber(), nextImageNumber());
    m_imageName = name;
    m_image = new qelImageObject();
    m_image->setKind(qelImageObject::IMAGE_GOCA);
    m_image->setName(name);
    const qelGocaAttributes& a = m_state.current;
    const uint16_t resolution = static_cast<uint16_t>(
        m_imageResolution != 0 ? m_imageResolution : (m_resource ? graphicsResource()->getResolution() : 0));
    m_image->setResolution(resolution);
    m_image->setPresentationSize(width, height);
    m_image->setAreaSize(width, height);
    m_image->setForegroundMix(a.mix);
    m_image->setBackgroundMix(a.backgroundMix);
    m_image->setIAxisOrientation(static_cast<uint16_t>(m_xRotation));
    m_image->setBAxisOrientation(static_cast<uint16_t>(m_yRotation));
    m_image->setAngle(static_cast<float>(m_xRotation), false);
    m_image->setAreaOrigin(static_cast<float>(m_originX), static_cast<float>(m_originY));
    m_imagePosition = map(x, y);
    m_image->setPosition(m_imagePosition);
    m_imageHeight = height;
    m_currentX = x;
    m_currentY = y;
}

void qelGocaParser::imageData(int n)
{
    log("Image Data Length : 0x%x", static_cast<unsigned>(n));
    if (!m_image) {
        warnOut("Warning! Image Data without Begin Image");
        return;
    }
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[static_cast<size_t>(n) + 1]);
    if (n > 0)
        m_currentSF->readBytes(bytes.get(), n);
    if (m_log && m_log->anyOf(QEL_LOG_ANY))
        logBytes(bytes.get(), n);
    if (!m_imageData.active()) {
        qelIni* ini = options();
        m_imageData.start(ini ? ini->getTempPath() : nullptr, m_imageName,
                          ini ? ini->getImageMaxCacheSize() : 5242880u);
    }
    m_imageData.add(bytes.release(), static_cast<uint32_t>(n));
}

void qelGocaParser::endImage(int n)
{
    log("End Image");
    for (int i = 0; i < n; ++i)
        if (m_currentSF->readByte() != 0)
            log("End Image: Reserved byte is not zero");
    if (!m_image) {
        warnOut("Warning! End Image without Begin Image");
        return;
    }
    if (!m_imageData.active()) {
        warnOut("Warning! End Image without Image Data");
        dropImage();
        return;
    }
    if (logOn(QEL_LOG_LEVEL2)) {
        if (m_imageRows != m_imageHeight)
            m_log->printLine("Warning: Only %d rows of Image Data is received.", m_imageRows);
        m_log->printLine("Current Position moved to ( %.2f, %.2f )", static_cast<double>(m_imagePosition.x),
                         static_cast<double>(m_imagePosition.y));
    }
    m_image->setColorSpace(m_colorSpace);
    m_image->setColorValue(static_cast<uint32_t>(m_state.current.color));
    uint32_t length = 0;
    std::unique_ptr<unsigned char[]> data(m_imageData.take(length));
    m_image->setData(data.get(), static_cast<int32_t>(length));
    m_image->setDataLength(m_image->getData() ? static_cast<int32_t>(length) : 0);
    qelImageObject* image = m_image;
    m_image = nullptr;
    dropImage();
    if (m_areaOpen && m_area)
        m_area->addChild(image);
    else if (m_resource)
        graphicsResource()->addParsedObject(image);
    else
        delete image;
}
