#include "qelObjectContainerParser.h"

#include "qelContainerObject.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelImgInfo.h"
#include "qelIni.h"
#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelMessageIds.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelResObjectContainer.h"
#include "qelSFIBlock.h"
#include "qelThreeByteValue.h"
#include "qelTripletParser.h"

#include <cstdarg>
#include <cstdio>

using qelPoolAccess::options;
using qelPoolAccess::quiet;

namespace
{

// Degrees of a rotation word; -1 for any other value.
int degreesOf(unsigned int word)
{
    switch (word) {
    case 0x0000: return 0;
    case 0x2D00: return 90;
    case 0x5A00: return 180;
    case 0x8700: return 270;
    default: return -1;
    }
}

// The signed origin or offset a 3-byte field holds.
int32_t readOrigin(qelSFIBlock* field)
{
    return qelThreeByteValue::signedLow16OrSigned24(qelThreeByteValue::read(field));
}

} // namespace

qelObjectContainerParser::qelObjectContainerParser() : m_data(__FILE__)
{
}

qelObjectContainerParser::~qelObjectContainerParser() = default;

bool qelObjectContainerParser::isKeptType(int type)
{
    switch (type) {
    case qelContainerObject::TYPE_TIF:
    case qelContainerObject::TYPE_DIB:
    case qelContainerObject::TYPE_DIB2:
    case qelContainerObject::TYPE_PCX:
    case qelContainerObject::TYPE_GIF:
    case qelContainerObject::TYPE_JPG:
    case qelContainerObject::TYPE_JP2:
    case qelContainerObject::TYPE_PNG:
    case qelContainerObject::TYPE_BMP:
        return true;
    default:
        return false;
    }
}

void qelObjectContainerParser::reset()
{
    m_level = 0;
    m_container.reset();
    m_current.reset();
    m_made = nullptr;
    m_ended = false;
    setLastResourceKind(static_cast<int>(getResourceKind()));
    setResourceKind(9);
    m_resourceName.clear();
    m_fileName.clear();
    m_data.drop();
    if (qelGlobalDSPool* pool = qelGlobalDSPool::getInstance())
        m_log = pool->getLogStream();
}

template <typename F> void qelObjectContainerParser::handleField(F handle)
{
    try {
        handle();
    } catch (qelException* e) {
        if (e->getId() != qelMsg::I199)
            throw;
        delete e;
    }
}

qelRes* qelObjectContainerParser::parse(const char* name, int mode, const char* fileName)
{
    m_mode = mode;
    // No triplets may be read before makeContainerFromFile: the object
    // type of the include waits in the shared triplet reader.
    reset();
    setResourceName(name);
    setFileName(fileName ? fileName : name);
    try {
        if (mode == MODE_LIBRARY) {
            makeContainerFromFile();
        } else {
            qelSFIBlock* field = readNextSF();
            if (field->getId() == 0xA892)
                readObjectContainer();
            else
                reportUnexpectedSF(field->getId());
        }
    } catch (qelException* e) {
        delete e;
        abandon();
        return nullptr;
    }
    return finish();
}

qelResObjectContainer* qelObjectContainerParser::parseInline(qelSFIBlock* begin)
{
    m_mode = 0;
    reset();
    m_currentSF = begin;
    try {
        readObjectContainer();
    } catch (qelException* e) {
        delete e;
        abandon();
        return nullptr;
    }
    return finish();
}

void qelObjectContainerParser::abandon()
{
    skipRestOfContainer();
    m_container.reset();
    m_current.reset();
    m_made = nullptr;
    m_data.drop();
}

void qelObjectContainerParser::skipRestOfContainer()
{
    if (m_mode == MODE_LIBRARY || m_ended || m_level <= 0)
        return;
    try {
        skipToEnd(0xA892);
    } catch (qelException* e) {
        // The input ended inside the container.
        delete e;
    }
    m_ended = true;
}

qelResObjectContainer* qelObjectContainerParser::finish()
{
    m_container.reset();
    if (!m_current || !m_made)
        return m_current.release();
    try {
        if (qelImgInfo* image = m_made->getImage())
            m_current->raiseMaxBitsPerPixel(image->bitsPerPixel);
    } catch (qelException* e) {
        // An image the library cannot read keeps the bits per pixel; the
        // error has been written.
        delete e;
    }
    return m_current.release();
}

void qelObjectContainerParser::readObjectContainer()
{
    beginObjectContainer();
    const bool kept = m_container && isKeptType(m_container->getType());
    if (!kept) {
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
            m_log->printLine("Skipping object container due to unsupported type: %s",
                             qelContainerObject::getTypeName(m_container ? m_container->getType() : 0));
        qelDocumentParser::countIgnoredObject();
    }
    for (;;) {
        qelSFIBlock* field = readNextSF();
        const int id = field->getId();
        if (id == 0xA992) {
            handleField([&] { endObjectContainer(!kept); });
            // A short End field still ends the container.
            if (!m_ended)
                endObjectContainer(!kept);
            return;
        }
        handleField([&] {
            switch (id) {
            case 0xA8C7: objectEnvironmentGroup(kept); break;
            case 0xEE92:
                if (kept)
                    objectContainerData();
                else
                    logField("OCD", "Object Container Data", "");
                break;
            default: reportUnexpectedSF(id); break;
            }
        });
    }
}

void qelObjectContainerParser::beginObjectContainer()
{
    m_container.reset();
    m_current.reset();
    m_made = nullptr;
    if (!m_currentSF || m_currentSF->getId() != 0xA892)
        readNextSF();
    std::string name;
    if (m_currentSF->getRemainingLength() > 7)
        name = readName();
    logField("BOC", "Begin Object Container", name.c_str());
    if (m_resourceName.empty())
        m_resourceName = name;
    ++m_level;
    qelTripletParser* triplets = getTripletParser();
    // Without triplets the type stays unknown: the reader still holds the
    // type of the last field it read.
    bool unknownType = true;
    if (triplets && m_currentSF->getRemainingLength() > 0) {
        unknownType = false;
        uint32_t mandatory = QEL_TRIPLET_CLASSIFICATION;
        uint32_t optional = QEL_TRIPLET_COLOR | QEL_TRIPLET_COMMENT | QEL_TRIPLET_TIME_STAMP |
                            QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_CGCSGID;
        try {
            triplets->parse(&mandatory, &optional, m_currentSF);
        } catch (qelException* e) {
            // A classification without a known type leaves the type
            // unknown (the container is dropped); a short field drops the
            // rest of its triplets.
            if (e->getId() == qelMsg::W016 && e->getKind() == QEL_MSG_WARNING)
                unknownType = true;
            else if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
        triplets->takeFullyQualifiedName();
        triplets->takeAlternateName();
    }
    m_container.reset(new qelContainerObject());
    m_container->setDataFileName(m_resourceName.c_str());
    m_container->setType(unknownType ? 0 : triplets->getObjectTypeCode());
    m_container->setParseStage(1);
}

void qelObjectContainerParser::endObjectContainer(bool skip)
{
    if (!m_ended) {
        m_ended = true;
        --m_level;
        // The container ends here even when its End field is short.
        if (skip) {
            m_container.reset();
            m_current.reset();
            m_made = nullptr;
            m_data.drop();
        } else {
            makeResource();
        }
    }
    readBeginEnd("EOC", "End Object Container", QEL_TRIPLET_FULLY_QUALIFIED_NAME);
    if (qelTripletParser* triplets = getTripletParser()) {
        triplets->takeFullyQualifiedName();
        triplets->takeAlternateName();
    }
}

void qelObjectContainerParser::makeResource()
{
    if (!m_container)
        return;
    m_current.reset(new qelResObjectContainer(m_resourceName.c_str()));
    m_current->setFound(1);
    m_current->setFileName(m_fileName.c_str());
    uint32_t length = 0;
    unsigned char* data = m_data.active() ? m_data.take(length) : nullptr;
    if (data && length == 0) {
        delete[] data;
        data = nullptr;
    }
    if (length > static_cast<uint32_t>(INT32_MAX)) {
        // Beyond what a container can hold: it is dropped.
        delete[] data;
        m_container.reset();
        m_current.reset();
        m_made = nullptr;
        return;
    }
    m_container->setData(data, static_cast<int32_t>(length));
    m_container->setInline(1);
    m_made = m_container.get();
    m_current->addObject(m_container.release());
}

void qelObjectContainerParser::objectEnvironmentGroup(bool read)
{
    if (!read) {
        logField("BOC", "Begin Object Container", "");
        for (;;) {
            qelSFIBlock* field = readNextSF();
            switch (field->getId()) {
            case 0xA66B: logField("OBD", "Object Area Descriptor", ""); break;
            case 0xA692: logField("CDD", "Container Data Descriptor", ""); break;
            case 0xAB92: logField("MCD", "Map Container Data", ""); break;
            case 0xABC3: logField("MDR", "Map Data Resource", ""); break;
            case 0xAC6B: logField("OBP", "Object Area Position", ""); break;
            case 0xA9C7: logField("EOC", "End Object Container", ""); return;
            default: reportUnexpectedSF(field->getId()); break;
            }
        }
    }
    handleField([&] { beginObjectEnvironmentGroup(); });
    for (;;) {
        qelSFIBlock* field = readNextSF();
        const int id = field->getId();
        if (id == 0xA9C7) {
            handleField([&] { endObjectEnvironmentGroup(); });
            return;
        }
        handleField([&] {
            switch (id) {
            case 0xA66B: objectAreaDescriptor(); break;
            case 0xA692: containerDataDescriptor(); break;
            case 0xAB92: mapContainerData(); break;
            case 0xABC3: mapDataResource(); break;
            case 0xAC6B: objectAreaPosition(); break;
            default: reportUnexpectedSF(id); break;
            }
        });
    }
}

void qelObjectContainerParser::beginObjectEnvironmentGroup()
{
    ++m_level;
    const std::string name = readName();
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL1) && m_currentSF) {
        char text[64];
        std::snprintf(text, sizeof text, "Begin Object Environment Group : %s", name.c_str());
        m_log->logStructuredField(getLevel(), static_cast<unsigned int>(m_currentSF->getOffset()),
                                  static_cast<unsigned short>(m_currentSF->getId()), "BOG", text, "");
    }
    qelTripletParser* triplets = getTripletParser();
    if (triplets && m_currentSF->getRemainingLength() > 0) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_COMMENT | QEL_TRIPLET_CGCSGID;
        triplets->parse(&mandatory, &optional, m_currentSF);
        triplets->takeFullyQualifiedName();
        triplets->takeAlternateName();
        // The group's classification, when it has one, counts.
        if (m_container && triplets->getObjectTypeCode() != 0)
            m_container->setType(triplets->getObjectTypeCode());
    }
    if (m_container)
        m_container->setParseStage(2);
}

void qelObjectContainerParser::endObjectEnvironmentGroup()
{
    --m_level;
    const std::string name = readName();
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL1) && m_currentSF) {
        char text[64];
        std::snprintf(text, sizeof text, "End Object Environment Group : %s", name.c_str());
        m_log->logStructuredField(getLevel(), static_cast<unsigned int>(m_currentSF->getOffset()),
                                  static_cast<unsigned short>(m_currentSF->getId()), "EOG", text, "");
    }
}

void qelObjectContainerParser::objectAreaDescriptor()
{
    logField("OBD", "Object Area Descriptor", "");
    qelTripletParser* triplets = getTripletParser();
    if (m_currentSF->getRemainingLength() <= 0) {
        if (!quiet())
            qelMessageOutput::write("Warning! Missing Mandatory Triplet.\n");
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
            m_log->printLine("Warning! Missing Mandatory Triplet.");
        return;
    }
    if (!triplets)
        return;
    uint32_t mandatory = QEL_TRIPLET_DESCRIPTOR_POSITION | QEL_TRIPLET_MEASUREMENT_UNITS | QEL_TRIPLET_OBJECT_AREA_SIZE;
    uint32_t optional = QEL_TRIPLET_COLOR | QEL_TRIPLET_MIXING;
    triplets->parse(&mandatory, &optional, m_currentSF);
    if (!m_container)
        return;
    // Units per inch; a ten-centimetre base is converted by the reader.
    const int32_t resolution = triplets->getMeasurementResolution();
    m_container->setResolution(static_cast<uint16_t>(resolution < 0 ? 0 : resolution > 0xFFFF ? 0xFFFF : resolution));
    uint32_t width = 0;
    uint32_t height = 0;
    triplets->getObjectAreaExtent(width, height);
    m_container->setAreaSize(static_cast<int32_t>(width & 0x7FFFFFFF), static_cast<int32_t>(height & 0x7FFFFFFF));
}

void qelObjectContainerParser::logOBP(const char* format, ...)
{
    if (!m_log || !m_log->anyOf(QEL_LOG_LEVEL2))
        return;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_log->printLine("%s", text);
}

void qelObjectContainerParser::objectAreaPosition()
{
    logField("OBP", "Object Area Position", "");
    qelSFIBlock* f = m_currentSF;
    qelContainerObject* c = m_container.get();
    // Values arrive one by one: a short field keeps those read before.
    const int id = f->readByte();
    logOBP("Object area position ID : %d (0x%x)", id, static_cast<unsigned int>(id));
    const int groupLength = f->readByte();
    if (groupLength != 23)
        logOBP("Warning! RG Length not equal to 23");
    const int32_t x = readOrigin(f);
    logOBP("X axis origin of the object area (XoaOset) : %d (0x%x)", x, static_cast<unsigned int>(x));
    if (c)
        c->setX(static_cast<float>(x));
    const int32_t y = readOrigin(f);
    logOBP("Y axis origin of the object area (YoaOset) : %d (0x%x)", y, static_cast<unsigned int>(y));
    if (c)
        c->setY(static_cast<float>(y));
    const unsigned int xRotation = f->readUShort();
    const int iAxis = degreesOf(xRotation);
    if (iAxis < 0) {
        logOBP("Warning! Illegal Value for object area's X axis rotation: %d", static_cast<int>(xRotation));
    } else {
        logOBP("object area's X axis rotation (XoaOrent) : %d degrees", iAxis);
        if (c) {
            c->setIAxisOrientation(static_cast<uint16_t>(iAxis));
            c->setAngle(static_cast<float>(iAxis), false);
        }
    }
    const unsigned int yRotation = f->readUShort();
    const int bAxis = degreesOf(yRotation);
    if (bAxis < 0) {
        logOBP("Warning! Illegal Value for object area's Y axis rotation : %d", static_cast<int>(yRotation));
    } else {
        logOBP("object area's Y axis rotation (YoaOrent)  : %d degrees", bAxis);
        if (c)
            c->setBAxisOrientation(static_cast<uint16_t>(bAxis));
    }
    if (f->readByte() != 0) {
        logOBP("Warning! Reseved bytes not equal to 0x00");
        if (!quiet())
            qelMessageOutput::write("Warning! Reseved bytes not equal to 0x00\n");
    }
    const int32_t contentX = readOrigin(f);
    logOBP("X axis origin for object content (XocaOset): %d (0x%x)", contentX, static_cast<unsigned int>(contentX));
    if (c) {
        c->setContentOffset(contentX, c->getContentOffsetY());
        c->setContentOrigin(contentX, c->getContentOriginY());
    }
    const int32_t contentY = readOrigin(f);
    logOBP("Y axis origin for object content (YocaOset): %d (0x%x)", contentY, static_cast<unsigned int>(contentY));
    if (c) {
        c->setContentOffset(contentX, contentY);
        c->setContentOrigin(contentX, contentY);
    }
    const unsigned int contentXRotation = f->readUShort();
    const int contentXDegrees = degreesOf(contentXRotation);
    if (contentXDegrees < 0)
        logOBP("Warning! Illegal Value for object content's  X axis rotation: %d", static_cast<int>(contentXRotation));
    else
        logOBP("object content's  X axis rotation (XocaOrent): %d degrees", contentXDegrees);
    const unsigned int contentYRotation = f->readUShort();
    const int contentYDegrees = degreesOf(contentYRotation);
    if (contentYDegrees < 0)
        logOBP("Warning! Illegal Value for object content's Y axis rotation: %d", static_cast<int>(contentYRotation));
    else
        logOBP("object content's Y axis rotation (YocaOrent) : %d degrees", contentYDegrees);
    const int system = f->readByte();
    logOBP("Reference coordinate system (RefCSys) : %d", system);
}

void qelObjectContainerParser::containerDataDescriptor()
{
    logField("CDD", "Container Data Descriptor", "");
    qelSFIBlock* f = m_currentSF;
    if (f->getRemainingLength() >= 2)
        f->skip(2);
    for (int i = 0; i < 4 && f->getRemainingLength() >= 2; ++i)
        f->readUShort();
}

void qelObjectContainerParser::mapContainerData()
{
    logField("MCD", "Map Container Data", "");
    qelTripletParser* triplets = getTripletParser();
    m_currentSF->readUShort();
    if (!triplets)
        return;
    uint32_t mandatory = QEL_TRIPLET_MAPPING_OPTION;
    uint32_t optional = 0;
    triplets->parse(&mandatory, &optional, m_currentSF);
}

void qelObjectContainerParser::mapDataResource()
{
    logField("MDR", "Map Data Resource", "");
    qelTripletParser* triplets = getTripletParser();
    const int groupLength = static_cast<int>(m_currentSF->readUShort());
    if (!triplets)
        return;
    triplets->repeatedTriplets(QEL_TRIPLET_CLASSIFICATION | QEL_TRIPLET_RESOURCE_LOCAL_ID |
                                   QEL_TRIPLET_FULLY_QUALIFIED_NAME,
                               QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME, groupLength, m_currentSF);
    triplets->takeFullyQualifiedName();
    triplets->takeAlternateName();
}

void qelObjectContainerParser::objectContainerData()
{
    logField("OCD", "Object Container Data", "");
    const int n = m_currentSF->getRemainingLength();
    if (n <= 0 || !m_container)
        return;
    if (!m_data.active()) {
        qelIni* ini = options();
        const char* name = m_container->getImageName();
        m_data.start(ini ? ini->getTempPath() : nullptr, name ? name : "Img",
                     ini ? ini->getImageMaxCacheSize() : 5242880u);
    }
    m_data.add(m_currentSF->readNewBytes(n), static_cast<uint32_t>(n));
}

void qelObjectContainerParser::makeContainerFromFile()
{
    qelTripletParser* triplets = getTripletParser();
    std::unique_ptr<qelContainerObject> container(new qelContainerObject());
    container->setDataFileName(m_resourceName.c_str());
    container->setType(triplets ? triplets->getObjectTypeCode() : 0);
    container->loadData();
    if (!container->getData() && !container->getFilePath())
        return;
    if (!container->isRasterType())
        qelDocumentParser::countIgnoredObject();
    m_current.reset(new qelResObjectContainer(m_resourceName.c_str()));
    m_current->setFound(1);
    m_current->setFileName(m_fileName.c_str());
    if (container->getFilePath())
        m_current->setLibraryName(container->getFilePath());
    m_made = container.get();
    m_current->addObject(container.release());
}
