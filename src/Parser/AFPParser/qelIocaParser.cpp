#include "qelIocaParser.h"

#include "qelException.h"
#include "qelIOStream.h"
#include "qelImageObject.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelLorbane.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"
#include "qelThreeByteValue.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <strings.h>

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

bool isI199(const qelException* e)
{
    return e->getId() == qelMsg::I199;
}
} // namespace

qelIocaParser::qelIocaParser() : m_data(__FILE__) {}

qelIocaParser::~qelIocaParser()
{
    reset();
}

int qelIocaParser::bitsPerPixel(qelImageObject* image)
{
    try {
        return image->getBitsPerPixel();
    } catch (qelException* e) {
        if (e->getId() != qelMsg::E013)
            throw;
        delete e;
        return 1;
    }
}

bool qelIocaParser::logs(unsigned int bits) const
{
    return m_log && m_log->anyOf(bits);
}

void qelIocaParser::log(const char* format, ...)
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

void qelIocaParser::warnOut(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (logs(QEL_LOG_LEVEL2))
        m_log->printLine("%s", text);
    if (!quiet())
        qelMessageOutput::printf("%s\n", text);
}

void qelIocaParser::reset()
{
    m_data.drop();
    m_image = nullptr;
    m_beginName.clear();
}

qelImageObject* qelIocaParser::parse(qelSFIBlock* begin)
{
    devTrace("[IocaParser]: (Begin): parse\n");
    reset();
    std::unique_ptr<qelImageObject> image(new qelImageObject());
    image->setKind(qelImageObject::IMAGE_IOCA);
    m_image = image.get();
    if (begin)
        m_currentSF = begin;
    try {
        try {
            beginImageObject();
        } catch (qelException* e) {
            if (!isI199(e))
                throw;
            delete e;
        }
        bool done = false;
        while (!done) {
            const int id = readNextSF()->getId();
            try {
                switch (id) {
                case 0xA8C7: objectEnvironmentGroup(); break;
                case 0xEEFB: imagePictureData(); break;
                case 0xA9FB:
                    done = true;
                    endImageObject();
                    break;
                default: reportUnexpectedSF(id); break;
                }
            } catch (qelException* e) {
                if (!isI199(e))
                    throw;
                delete e;
                // A short End Image still ends the object with its data.
                if (done)
                    handOverData();
            }
        }
    } catch (...) {
        reset();
        throw;
    }
    reset();
    devTrace("[IocaParser]: (End): parse\n");
    return image.release();
}

void qelIocaParser::beginImageObject()
{
    const std::string name = readName();
    logField("BIM", "Begin Image Object", name.c_str());
    if (!name.empty()) {
        m_beginName = name;
        m_image->setName(name.c_str());
    }
    char unique[64];
    std::snprintf(unique, sizeof unique, "%s%04d%06d", "Img", getInputNumber(), nextImageNumber());
    m_image->setFullName(unique);
    qelTripletParser* triplets = getTripletParser();
    if (triplets && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = 0x183;
        triplets->parse(&mandatory, &optional, m_currentSF);
        const char* fqn = triplets->getFullyQualifiedNameText();
        if (fqn && *fqn)
            m_image->setObjectName(fqn);
    }
}

void qelIocaParser::endImageObject()
{
    const std::string name = readName();
    logField("EIM", "End Image Object", name.c_str());
    if (logs(QEL_LOG_LEVEL1) && !name.empty()
        && (m_beginName.empty() || strcasecmp(name.c_str(), m_beginName.c_str()) != 0))
        m_log->printLine("Warning! Mismatch between image Begin SFI name (%s) and End SFI name (%s)",
                         m_beginName.c_str(), name.c_str());
    qelTripletParser* triplets = getTripletParser();
    if (triplets && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_FULLY_QUALIFIED_NAME;
        triplets->parse(&mandatory, &optional, m_currentSF);
    }
    handOverData();
}

void qelIocaParser::handOverData()
{
    if (!m_image)
        return;
    if (!m_data.active()) {
        m_data.drop();
        return;
    }
    uint32_t length = 0;
    unsigned char* data = m_data.take(length);
    m_image->setRawData(data, static_cast<int32_t>(length));
}

void qelIocaParser::objectEnvironmentGroup()
{
    beginObjectEnvironmentGroup();
    for (;;) {
        const int id = readNextSF()->getId();
        try {
            switch (id) {
            case 0xA66B: objectAreaDescriptor(); break;
            case 0xA6FB: imageDataDescriptor(); break;
            case 0xABFB: mapImageObject(); break;
            case 0xAC6B: objectAreaPosition(); break;
            case 0xA9C7:
                endObjectEnvironmentGroup();
                return;
            default: reportUnexpectedSF(id); break;
            }
        } catch (qelException* e) {
            if (!isI199(e))
                throw;
            delete e;
            if (id == 0xA9C7)
                return;
        }
    }
}

void qelIocaParser::beginObjectEnvironmentGroup()
{
    readBeginEnd("BOG", "Begin Object Enviroment Group", 0x101);
}

void qelIocaParser::endObjectEnvironmentGroup()
{
    logField("EOG", "End Object Enviroment Group", readName().c_str());
}

void qelIocaParser::objectAreaDescriptor()
{
    logField("OBD", "Object Area Descriptor", nullptr);
    qelTripletParser* triplets = getTripletParser();
    if (m_currentSF->getDataSize() <= 0 || !triplets) {
        qelIOStream* in = qelIOStream::getCurrent();
        const int at = in ? in->getSFIOffset() : m_currentSF->getOffset();
        if (!quiet())
            qelMessageOutput::printf("Warning! Missing Mandatory Triplet. (at %ld (0x%lx) )\n", static_cast<long>(at),
                                     static_cast<unsigned long>(static_cast<unsigned int>(at)));
        if (logs(QEL_LOG_LEVEL2))
            m_log->printLine("Warning! Missing Mandatory Triplet. (at %d 0x%x )", at, static_cast<unsigned int>(at));
        return;
    }
    uint32_t mandatory = 0x70;
    uint32_t optional = 0x20000200;
    triplets->parse(&mandatory, &optional, m_currentSF);
    // The triplet reader turns a ten-centimetre base into units per inch.
    const uint16_t resolution = static_cast<uint16_t>(triplets->getMeasurementResolution());
    m_image->setResolution(resolution);
    m_image->setAreaResolution(resolution);
    m_image->setDescriptorPositionId(triplets->getDescriptorPositionId());
    m_image->setXUnitBase(triplets->getXUnitBase());
    m_image->setYUnitBase(triplets->getYUnitBase());
    m_image->setXUnitsPerBase(triplets->getXUnitsPerBase());
    m_image->setYUnitsPerBase(triplets->getYUnitsPerBase());
    m_image->setAreaSizeType(triplets->getObjectAreaSizeType());
    uint32_t width = 0, height = 0;
    triplets->getObjectAreaExtent(width, height);
    m_image->setAreaSize(static_cast<int32_t>(width), static_cast<int32_t>(height));
    m_image->setColorValue(triplets->getColorValue());
    m_image->setColorSpace(triplets->getColorSpace());
    m_image->setCoveragePercent(triplets->getHighlightCoverage());
    m_image->setShadingPercent(triplets->getHighlightShading());
    m_colorValue = static_cast<int32_t>(triplets->getColorValue());
    m_colorValueKind = static_cast<uint32_t>(triplets->getColorSpace());
}

void qelIocaParser::objectAreaPosition()
{
    logField("OBP", "Object Area Position", nullptr);
    qelSFIBlock* f = m_currentSF;
    auto has = [f](int n) { return f->getRemainingLength() >= n; };
    auto offset = [f]() { return qelThreeByteValue::signedLow16OrSigned24(qelThreeByteValue::read(f)); };
    auto illegal = [this, f](const char* format, unsigned int word) {
        if (logs(QEL_LOG_LEVEL2))
            m_log->printAtOffset(static_cast<unsigned long long>(f->getOffset()), format, static_cast<int>(word));
    };
    if (has(1)) {
        const int id = f->readByte();
        m_image->setAreaPositionId(static_cast<uint8_t>(id));
        log("Object area position ID : %d (0x%x)", id, static_cast<unsigned int>(id));
    }
    if (has(1) && f->readByte() != 23)
        log("Warning! RG Length not equal to 23");
    if (has(3)) {
        const int32_t x = offset();
        m_image->setX(static_cast<float>(x));
        log("X axis origin of the object area (XoaOset) : %d (0x%x)", x, static_cast<unsigned int>(x));
    }
    if (has(3)) {
        const int32_t y = offset();
        m_image->setY(static_cast<float>(y));
        log("Y axis origin of the object area (YoaOset) : %d (0x%x)", y, static_cast<unsigned int>(y));
    }
    if (has(2)) {
        const unsigned int word = f->readUShort();
        const int degrees = rotationDegrees(word);
        if (degrees < 0) {
            illegal("Warning! Illegal Value for object area's X axis rotation: %d", word);
        } else {
            m_image->setIAxisOrientation(static_cast<uint16_t>(degrees));
            log("object area's X axis rotation (XoaOrent) : %d degrees", degrees);
        }
    }
    if (has(2)) {
        const unsigned int word = f->readUShort();
        const int degrees = rotationDegrees(word);
        if (degrees < 0) {
            illegal("Warning! Illegal Value for object area's Y axis rotation : %d", word);
        } else {
            m_image->setBAxisOrientation(static_cast<uint16_t>(degrees));
            log("object area's Y axis rotation (YoaOrent) : %d degrees", degrees);
        }
    }
    if (has(1) && f->readByte() != 0) {
        log("Warning! Reseved bytes not equal to 0x00");
        if (!quiet())
            qelMessageOutput::write("Warning! Reseved bytes not equal to 0x00\n");
    }
    int32_t contentX = 0, contentY = 0;
    const bool withX = has(3);
    if (withX) {
        contentX = offset();
        log("X axis origin for object content (XocaOset): %d (0x%x)", contentX, static_cast<unsigned int>(contentX));
    }
    const bool withY = has(3);
    if (withY) {
        contentY = offset();
        log("Y axis origin for object content (YocaOset): %d (0x%x)", contentY, static_cast<unsigned int>(contentY));
    }
    if (withX || withY)
        m_image->setContentOrigin(static_cast<uint16_t>(contentX), static_cast<uint16_t>(contentY));
    if (has(2)) {
        const unsigned int word = f->readUShort();
        const int degrees = rotationDegrees(word);
        if (degrees < 0)
            illegal("Warning! Illegal Value for object content's  X axis rotation: %d", word);
        else
            log("object content's  X axis rotation (XocaOrent): %d degrees", degrees);
    }
    if (has(2)) {
        const unsigned int word = f->readUShort();
        const int degrees = rotationDegrees(word);
        if (degrees < 0)
            illegal("Warning! Illegal Value for object content's Y axis rotation: %d", word);
        else
            log("object content's Y axis rotation (YocaOrent) : %d degrees", degrees);
    }
    if (has(1)) {
        const int system = f->readByte();
        m_image->setReferenceSystem(static_cast<uint8_t>(system));
        log("Reference coordinate system (RefCSys) : %d", system);
    }
}

void qelIocaParser::mapImageObject()
{
    logField("MIO", "Map Image Object", nullptr);
    const bool shortField = m_currentSF->getRemainingLength() < 2;
    if (shortField || m_currentSF->readUShort() != 5) {
        log("Warning! RG Length not equal to 5");
        if (!quiet())
            qelMessageOutput::write("Warning! RG Length not equal to 5\n");
    }
    qelTripletParser* triplets = getTripletParser();
    if (!triplets)
        return;
    uint32_t mandatory = QEL_TRIPLET_MAPPING_OPTION;
    uint32_t optional = 0;
    triplets->parse(&mandatory, &optional, m_currentSF);
    m_image->setMappingOption(triplets->getMappingOption());
}

void qelIocaParser::imageDataDescriptor()
{
    logField("IDD", "Image Data Descriptor", nullptr);
    qelSFIBlock* f = m_currentSF;
    auto word = [f]() { return f->getRemainingLength() >= 2 ? static_cast<uint16_t>(f->readUShort()) : uint16_t(0); };
    const int unitBase = f->getRemainingLength() >= 1 ? f->readByte() : 0;
    m_image->setUnitBase(static_cast<uint8_t>(unitBase));
    log("Unit base (UNITBASE) : %s", unitBase != 0 ? "Ten centimeters" : "Ten inches");
    if (unitBase != 0)
        log("WARNING ! UnitBase MUST be 10 inches in MO:DCA-P Data Stream !!!");
    const uint16_t xResolution = word();
    const uint16_t yResolution = word();
    const uint16_t xSize = word();
    const uint16_t ySize = word();
    m_image->setImageResolution(xResolution, yResolution);
    m_image->setImageSize(xSize, ySize);
    log("Horizontal resolution in image points per unit base (XRESOL) : %d (0x%x)", xResolution, xResolution);
    log("Vertical resolution in image points per unit base (YRESOL) : %d (0x%x)", yResolution, yResolution);
    log("Horizontal size of the Image in image points (XSIZE) : %d (0x%x)", xSize, xSize);
    log("Vertical size of the Image in image points (YSIZE) :   %d (0x%x)", ySize, ySize);
    while (f->getRemainingLength() > 0) {
        const int id = f->readByte();
        if (id == 0xF7) {
            const int length = f->readByte();
            if (length != 2)
                warnOut("Error! Illegal IOCA_LENGTH %d (%08x) in function", length, static_cast<unsigned int>(length));
            const int category = f->readByte();
            if (category != 1)
                warnOut("Error! Illegal IOCA_CATEGORY %08x in function", static_cast<unsigned int>(category));
            const int set = f->readByte();
            m_image->setFunctionSetId(static_cast<uint8_t>(set));
            switch (set) {
            case 0: log("IOCA Function Set (FS00-Standalone) : %02d", set); break;
            case 10: log("IOCA Function Set (FS10-Presentation Level, not tiled) : %02d", set); break;
            case 11: log("IOCA Function Set (FS11-Presentation Level, not tiled) : %02d", set); break;
            case 20: log("IOCA Function Set (FS20-Library/Resource) : %02d", set); break;
            case 42: log("IOCA Function Set (FS42-Presentation Level, tiled) : %02d", set); break;
            case 45: log("IOCA Function Set (FS45-Presentation Level, tiled) : %02d", set); break;
            default: warnOut("Warning! Illegal IOCA Function Set Value : %02d", set); break;
            }
        } else if (id == 0xF6) {
            log("BiLevel Image Color");
            const int length = f->readByte();
            if (length != 4)
                warnOut("Error! Illegal IOCA_AREA %d (%08x) in function", length, static_cast<unsigned int>(length));
            const int area = f->readByte();
            if (area == 0)
                log("Applicability Area : Foreground");
            else
                warnOut("Error! Illegal IOCA_AREA %d (%08x) in function", area, static_cast<unsigned int>(area));
            if (f->readByte() != 0)
                log("Warning! Reserved Byte not equal to 0x00");
            const int color = static_cast<int>(f->readUShort());
            m_image->setColorValue(static_cast<uint32_t>(color));
            m_image->setColorSpace(5);
            m_image->markBilevelColorGiven();
            logImageColor(color);
        } else {
            // Any other self-defining field is skipped by its length byte,
            // so that its data are never read as identifiers.
            if (f->getRemainingLength() <= 0)
                break;
            const int length = f->readByte();
            const int left = f->getRemainingLength();
            f->skip(length < left ? length : left);
        }
    }
}

void qelIocaParser::imagePictureData()
{
    logField("IPD", "Image Picture Data ", nullptr);
    const int n = m_currentSF->getRemainingLength();
    log("Length of Picture Data : %d", n);
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[static_cast<size_t>(n) + 1]);
    if (n > 0)
        m_currentSF->readBytes(bytes.get(), n);
    if (!m_data.active()) {
        qelIni* ini = options();
        m_data.start(ini ? ini->getTempPath() : nullptr, m_image->getFullName(),
                     ini ? ini->getImageMaxCacheSize() : 5242880u);
    }
    m_data.add(bytes.release(), static_cast<uint32_t>(n));
}
