#include "qelBarcodeParser.h"

#include "qel2DDataMatrixBarcodeSymbol.h"
#include "qelBarcodeObject.h"
#include "qelBarcodeSymbol.h"
#include "qelBarcodeTranslation.h"
#include "qelCODE128BarcodeSymbol.h"
#include "qelCODE39BarcodeSymbol.h"
#include "qelCodePage.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelMappingDef.h"
#include "qelMessageOutput.h"
#include "qelRes.h"
#include "qelSFIBlock.h"
#include "qelTextObject.h"
#include "qelThreeByteValue.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

using qelThreeByteValue::signedLow16OrSigned24;

enum : int {
    kBBC = 0xA8EB,
    kEBC = 0xA9EB,
    kBOG = 0xA8C7,
    kEOG = 0xA9C7,
    kOBD = 0xA66B,
    kOBP = 0xAC6B,
    kMBC = 0xABEB,
    kMCF2 = 0xAB8A,
    kBDD = 0xA6EB,
    kBDA = 0xEEEB
};

const char* modifierText(uint32_t type, unsigned int modifier)
{
    switch (type) {
    case 1:
        if (modifier == 1)
            return "Do not generate check digit";
        if (modifier == 2)
            return "Generate check digit";
        return "Invalid modifier value";
    case 17:
        if (modifier == 2)
            return "Use Code128 Start Character Algorithm";
        return "Use Code128 Start Character Algorithm that supportes barcode type UCC/EAN 128";
    case 28:
        if (modifier == 0)
            return "Use Error Checking and Correcting algorithm 200 (ECC 200)";
        return "Invalid modifier value";
    default:
        return nullptr;
    }
}

bool hasNoSymbol(uint32_t type)
{
    return type == 29 || type == 30 || type == 32;
}

// Codewords the data needs in Data Matrix ASCII encodation: digit pairs
// count one, every other byte one.
int estimateCodewords(const unsigned char* data, int length)
{
    int count = 0;
    for (int i = 0; i < length; ++i) {
        if (data[i] >= '0' && data[i] <= '9' && i + 1 < length && data[i + 1] >= '0' && data[i + 1] <= '9')
            ++i;
        ++count;
    }
    return count;
}

// The name of a code page without a mapping entry: "T1" and the CPGID
// right-aligned in six digits.
std::string defaultCodePageName(const char* cpgid)
{
    std::string digits(cpgid);
    if (digits.size() < 6)
        digits.insert(0, 6 - digits.size(), '0');
    return "T1" + digits;
}

char g_allocationText[160];

} // namespace

qelBarcodeParser::qelBarcodeParser()
{
    if (qelGlobalDSPool* pool = qelGlobalDSPool::getInstance())
        pool->getIni();
}

qelBarcodeParser::~qelBarcodeParser() = default;

bool qelBarcodeParser::logging(unsigned int bits) const
{
    return m_log && m_log->anyOf(bits);
}

bool qelBarcodeParser::quiet() const
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    return ini && ini->isQuietMode();
}

void qelBarcodeParser::warn(const char* text)
{
    if (logging(QEL_LOG_LEVEL2))
        m_log->printLine("%s", text);
    if (!quiet())
        qelMessageOutput::printf("%s\n", text);
}

void qelBarcodeParser::readTriplets(uint32_t mandatory, uint32_t optional)
{
    qelTripletParser* triplets = getTripletParser();
    triplets->parse(&mandatory, &optional, m_currentSF);
}

template <typename Handler> void qelBarcodeParser::handleField(Handler handler)
{
    try {
        handler();
    } catch (qelException* e) {
        if (e->getId() != qelMsg::I199)
            throw;
        delete e;
    }
}

qelBarcodeObject* qelBarcodeParser::parse(qelSFIBlock* beginField)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    const bool trace = ini && ini->isDevTestLevel(0x2);
    if (trace)
        qelMessageOutput::write("[BarcodeParser]: (Begin): parse\n");
    m_symbol = nullptr;
    m_object = nullptr;
    m_hriFontLocalId = 0;
    std::unique_ptr<qelBarcodeObject> object(new (std::nothrow) qelBarcodeObject());
    if (!object)
        return nullptr;
    object->setModuleWidth(255);
    object->setElementHeight(0xFFFF);
    m_object = object.get();
    m_currentSF = beginField;
    struct Forget
    {
        qelBarcodeParser* parser;
        ~Forget()
        {
            parser->m_object = nullptr;
            parser->m_symbol = nullptr;
        }
    } forget{this};

    if (beginField)
        handleField([this] { beginBarcodeObject(); });
    for (bool done = false; !done;) {
        qelSFIBlock* field = readNextSF();
        handleField([this, field, &done] {
            switch (field->getId()) {
            case kBOG:
                parseObjectEnvironmentGroup();
                break;
            case kEBC:
                done = true;
                endBarcodeObject();
                break;
            case kBDA:
                barcodeData();
                break;
            default:
                reportUnexpectedSF(field->getId());
                break;
            }
        });
    }
    // Only these types are ever drawn; any other object is dropped on output.
    const uint32_t type = object->getBarcodeType();
    if (type != qelBarcodeObject::TYPE_CODE39 && type != qelBarcodeObject::TYPE_CODE128 &&
        type != qelBarcodeObject::TYPE_DATA_MATRIX)
        qelDocumentParser::countIgnoredObject();
    if (trace)
        qelMessageOutput::write("[BarcodeParser]: (End): parse\n");
    return object.release();
}

void qelBarcodeParser::parseObjectEnvironmentGroup()
{
    beginObjectEnvironmentGroup();
    for (bool done = false; !done;) {
        qelSFIBlock* field = readNextSF();
        handleField([this, field, &done] {
            switch (field->getId()) {
            case kOBD:
                objectAreaDescriptor();
                break;
            case kBDD:
                barcodeDataDescriptor();
                break;
            case kMCF2:
                mapCodedFont2();
                break;
            case kMBC:
                mapBarcodeObject();
                break;
            case kOBP:
                objectAreaPosition();
                break;
            case kEOG:
                done = true;
                endObjectEnvironmentGroup();
                break;
            default:
                reportUnexpectedSF(field->getId());
                break;
            }
        });
    }
}

void qelBarcodeParser::beginBarcodeObject()
{
    const std::string name = readName();
    m_object->setName(name.c_str());
    logField("BBC", "Begin Barcode Object  ", name.c_str());
    if (m_currentSF->getRemainingLength() > 0)
        readTriplets(0, 0x183);
}

void qelBarcodeParser::endBarcodeObject()
{
    readBeginEnd("EBC", "End Barcode", QEL_TRIPLET_FULLY_QUALIFIED_NAME);
}

void qelBarcodeParser::beginObjectEnvironmentGroup()
{
    readBeginEnd("BOG", "Begin Object Enviroment Group", QEL_TRIPLET_CGCSGID | QEL_TRIPLET_COMMENT);
}

void qelBarcodeParser::endObjectEnvironmentGroup()
{
    const std::string name = readName();
    logField("EOG", "End Object Enviroment Group", name.c_str());
}

void qelBarcodeParser::objectAreaDescriptor()
{
    qelTripletParser* triplets = getTripletParser();
    logField("OBD", "Object Area Descriptor", nullptr);
    if (m_currentSF->getRemainingLength() <= 0) {
        warn("Warning! Missing Mandatory Triplet.");
        return;
    }
    readTriplets(0x70, 0x20000200);
    m_object->setResolution(static_cast<uint16_t>(triplets->getMeasurementResolution()));
    uint32_t width = 0;
    uint32_t height = 0;
    triplets->getObjectAreaExtent(width, height);
    m_object->setPresentationWidth(static_cast<uint16_t>(width));
    m_object->setPresentationHeight(static_cast<uint16_t>(height));
    m_object->setColorValue(triplets->getColorValue());
    m_object->setColorSpace(triplets->getColorSpace());
}

void qelBarcodeParser::objectAreaPosition()
{
    logField("OBP", "Object Area Position", nullptr);
    qelSFIBlock* f = m_currentSF;
    const bool log = logging(QEL_LOG_LEVEL2);
    if (f->getRemainingLength() < 1)
        return;
    const int id = f->readByte();
    if (log)
        m_log->printLine("Object area position ID : %d (0x%x)", id, static_cast<unsigned int>(id));
    const int groupLength = f->getRemainingLength() >= 1 ? f->readByte() : -1;
    if (groupLength != 23 && log)
        m_log->printLine("Warning! RG Length not equal to 23");

    int32_t x = 0;
    int32_t y = 0;
    if (f->getRemainingLength() < 3)
        return;
    x = signedLow16OrSigned24(qelThreeByteValue::read(f));
    if (log)
        m_log->printLine("X axis origin of the object area (XoaOset) : %d (0x%x)", x, static_cast<unsigned int>(x));
    m_object->setX(static_cast<float>(x));
    if (f->getRemainingLength() < 3)
        return;
    y = signedLow16OrSigned24(qelThreeByteValue::read(f));
    if (log)
        m_log->printLine("Y axis origin of the object area (YoaOset) : %d (0x%x)", y, static_cast<unsigned int>(y));
    m_object->setY(static_cast<float>(y));

    if (f->getRemainingLength() < 2)
        return;
    unsigned int word = f->readUShort();
    int d = rotationDegrees(word);
    if (d >= 0) {
        m_object->setIAxisOrientation(static_cast<uint16_t>(d));
        m_object->setAngle(static_cast<float>(d), false);
        if (log)
            m_log->printLine("object area's X axis rotation (XoaOrent) : %d degrees", d);
    } else if (log) {
        m_log->printAtOffset(static_cast<unsigned long long>(f->getOffset()),
                             "Warning! Illegal Value for object area's X axis rotation: %d", word);
    }
    if (f->getRemainingLength() < 2)
        return;
    word = f->readUShort();
    d = rotationDegrees(word);
    if (d >= 0) {
        m_object->setBAxisOrientation(static_cast<uint16_t>(d));
        if (log)
            m_log->printLine("object area's Y axis rotation (YoaOrent)  : %d degrees", d);
    } else if (log) {
        m_log->printAtOffset(static_cast<unsigned long long>(f->getOffset()),
                             "Warning! Illegal Value for object area's Y axis rotation : %d", word);
    }

    if (f->getRemainingLength() < 1)
        return;
    if (f->readByte() != 0)
        warn("Warning! Reseved bytes not equal to 0x00");

    if (f->getRemainingLength() < 3)
        return;
    x = signedLow16OrSigned24(qelThreeByteValue::read(f));
    if (log)
        m_log->printLine("X axis origin for object content (XocaOset): %d (0x%x)", x, static_cast<unsigned int>(x));
    m_object->setContentOriginX(x);
    if (f->getRemainingLength() < 3)
        return;
    y = signedLow16OrSigned24(qelThreeByteValue::read(f));
    if (log)
        m_log->printLine("Y axis origin for object content (YocaOset): %d (0x%x)", y, static_cast<unsigned int>(y));
    m_object->setContentOriginY(y);

    if (f->getRemainingLength() < 2)
        return;
    word = f->readUShort();
    d = rotationDegrees(word);
    if (log) {
        if (d >= 0)
            m_log->printLine("object content's  X axis rotation (XocaOrent): %d degrees", d);
        else
            m_log->printLine("Warning! Illegal Value for object content's  X axis rotation: %d", word);
    }
    if (f->getRemainingLength() < 2)
        return;
    word = f->readUShort();
    d = rotationDegrees(word);
    if (log) {
        if (d >= 0)
            m_log->printLine("object content's Y axis rotation (YocaOrent) : %d degrees", d);
        else
            m_log->printLine("Warning! Illegal Value for object content's Y axis rotation: %d", word);
    }

    if (f->getRemainingLength() < 1)
        return;
    const int system = f->readByte();
    m_object->setReferenceCoordinateSystem(static_cast<uint8_t>(system));
    if (log)
        m_log->printLine("Reference coordinate system (RefCSys) : %d", system);
}

void qelBarcodeParser::mapBarcodeObject()
{
    qelTripletParser* triplets = getTripletParser();
    logField("MBC", "Map Barcode Object", nullptr);
    if (m_currentSF->getRemainingLength() < 2 || m_currentSF->readUShort() != 5)
        warn("Warning! RG Length not equal to 5");
    readTriplets(0x800000, 0);
    m_object->setMappingOption(triplets->getMappingOption());
}

void qelBarcodeParser::mapCodedFont2()
{
    logField("MCF-2", "Map Coded Font Format 2", nullptr);
    qelSFIBlock* f = m_currentSF;
    qelTripletParser* triplets = getTripletParser();
    // The reader logs the groups under the repeating-group bit, and under
    // the message bit again once the field is done, however it ends.
    struct LogBit
    {
        qelTripletParser* reader;
        ~LogBit() { reader->setLogMask(QEL_LOG_LEVEL2); }
    } restore{triplets};
    triplets->setLogMask(QEL_LOG_LEVEL3);

    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelMappingDef* definition = pool ? pool->getMappingDef() : nullptr;
    bool added = false;
    while (f->getRemainingLength() > 0) {
        // A lone byte cannot hold a group length.
        if (f->getRemainingLength() < 2) {
            f->skip(f->getRemainingLength());
            break;
        }
        const int groupLength = static_cast<int>(f->readUShort());
        if (logging(QEL_LOG_LEVEL3))
            m_log->printLine("Repeating group length: 0x%x", static_cast<unsigned int>(groupLength));
        std::unique_ptr<qelMappedFontInfo> info(new qelMappedFontInfo());
        triplets->MCF_Triplets(groupLength - 2, f, info.get());
        triplets->setFullyQualifiedName(nullptr);

        if (const char* cpgid = info->getCPGID()) {
            qelCodePageEntry* entry = definition ? definition->findCodePageByFile(cpgid) : nullptr;
            if (entry && entry->codePageName[0]) {
                info->setCodePageName(entry->codePageName);
            } else {
                const std::string name = defaultCodePageName(cpgid);
                if (!quiet())
                    qelMessageOutput::printf("Using default codepage %s\n", name.c_str());
                if (logging(QEL_LOG_LEVEL2))
                    m_log->printLine("Using default codepage %s", name.c_str());
                info->setCodePageName(name.c_str());
            }
        }

        std::string name;
        uint8_t derived = 0;
        if (info->getExtraName())
            name = info->getExtraName();
        else if (info->getCodedFontName())
            name = info->getCodedFontName();
        else if (info->getCharacterSetName())
            name = info->getCharacterSetName();
        else if (const char* fgid = info->getFGID()) {
            const char* gcsgid = info->getGCSGID();
            const char* found = nullptr;
            if (definition) {
                found = definition->findGCSGIDByText(gcsgid, fgid);
                if (!found)
                    found = definition->findGCSGIDByText(gcsgid, nullptr);
                if (!found)
                    found = definition->findGCSGIDByText("DEFAULT", fgid);
                if (!found)
                    found = definition->findGCSGID(255, 255);
            }
            name = found ? found : "C0H20000";
            info->setCharacterSetName(name.c_str());
            derived = 1;
        }

        auto* mapped = new qelMappedRes(info->getLocalId(), qelRes::TYPE_FONT, name.empty() ? nullptr : name.c_str());
        mapped->setDerivedName(derived);
        mapped->setFontInfo(info.release());
        m_object->addMappedFont(mapped);
        added = true;
    }
    if (!m_object->areFontsBound() || added)
        m_object->bindFonts();
}

void qelBarcodeParser::getBarcodeTypeName(uint32_t type)
{
    if (!logging(QEL_LOG_LEVEL2))
        return;
    const char* name = type == 34 ? "USPS Four State" : qelBarcodeObject::getTypeName(type);
    m_log->printLine("Barcode Type: 0x%X <%s>", type, name);
}

void qelBarcodeParser::selectCodePage(uint32_t type)
{
    const int cpgid = qelBarcodeTranslation::getCodePage(type);
    if (logging(QEL_LOG_LEVEL2)) {
        if (cpgid != 0)
            m_log->printLine("Using CodePage having CPGID %d", cpgid);
        else if (hasNoSymbol(type))
            m_log->printLine("CodePage handling not done for barcode Type: 0x%X <%s>", type,
                             qelBarcodeObject::getTypeName(type));
        else if (type != 34)
            m_log->printLine("Barcode Type: 0x%X <Invalid Barcode Type>", type);
    }
    if (m_tableCodePage != -1 && m_tableCodePage == cpgid)
        return;
    if (cpgid != 0) {
        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelIni* ini = pool ? pool->getIni() : nullptr;
        if (qelCodePage::readCodePageFile(m_table, ini ? ini->getCpPath() : nullptr, cpgid)) {
            m_tableCodePage = cpgid;
            return;
        }
    }
    qelBarcodeTranslation::fill(m_table, cpgid);
    m_tableCodePage = cpgid;
}

float qelBarcodeParser::convertRatio(unsigned int value, int32_t moduleWidth)
{
    if (value == 0)
        return 0.0f;
    if (value == 0xFFFF)
        return moduleWidth <= 20 ? 2.2f : 3.0f;
    int digits = 0;
    for (unsigned int v = value; v != 0; v /= 10)
        ++digits;
    double divisor = 10.0;
    for (int i = 2; i < digits; ++i)
        divisor *= 10.0;
    return static_cast<float>(value / divisor);
}

void qelBarcodeParser::barcodeDataDescriptor()
{
    logField("BDD", "Barcode Data Descriptor", nullptr);
    qelSFIBlock* f = m_currentSF;
    const bool log = logging(QEL_LOG_LEVEL2);
    auto byte = [f](unsigned int fallback) {
        return f->getRemainingLength() >= 1 ? static_cast<unsigned int>(f->readByte()) : fallback;
    };
    auto word = [f](unsigned int fallback) { return f->getRemainingLength() >= 2 ? f->readUShort() : fallback; };

    const unsigned int unitBase = byte(0);
    if (log)
        m_log->printLine("Unit base of Barcode Object: ten %s", unitBase == 0 ? "inches" : "centimeters");
    if (byte(0) != 0)
        warn("Warning! Reseved byte not equal to 0x00");
    const unsigned int xUnits = word(0);
    if (log)
        m_log->printLine("Number of units per unit base for X axis: 0x%X", xUnits);
    const unsigned int yUnits = word(0);
    if (log)
        m_log->printLine("Number of units per unit base for Y axis: 0x%X", yUnits);
    const unsigned int width = word(0);
    if (log)
        m_log->printLine("Width of the Barcode Presentation Space: 0x%X %s", width,
                         width == 0xFFFF ? "(Use width of the controlling environment)" : "");
    const unsigned int height = word(0);
    if (log)
        m_log->printLine("Height of the Barcode Presentation Space: 0x%X %s", height,
                         height == 0xFFFF ? "(Use height of the controlling environment)" : "");
    if (word(0) != 0)
        warn("Warning! Reseved bytes not equal to 0x0000");
    const unsigned int type = byte(0);
    getBarcodeTypeName(type);
    const unsigned int modifier = byte(0);
    if (log) {
        if (const char* text = modifierText(type, modifier))
            m_log->printLine("Barcode Modifier: 0x%02X (%s)", modifier, text);
        else
            m_log->printLine("Barcode Modifier: 0x%02X", modifier);
    }
    const unsigned int fontId = byte(0);
    if (log)
        m_log->printLine("HRI Font Local Id: 0x%X %s", fontId,
                         fontId == 255 ? "(Use Presentation Device Default Font)" : "");
    const unsigned int color = word(0);
    if (log)
        m_log->printLine("Barcode Color: 0x%04X", color);
    const unsigned int moduleWidth = byte(0);
    if (log)
        m_log->printLine("Module Width: 0x%X %s", moduleWidth,
                         moduleWidth == 255 ? "(Use Default Module width of Presentation Device)"
                                            : "Mils(thousands of an inch)");
    const unsigned int elementHeight = word(0);
    if (log)
        m_log->printLine("Module Height: 0x%X %s", elementHeight,
                         elementHeight == 0xFFFF ? "(Use Default Module height of Presentation Device)" : "");
    const unsigned int multiplier = byte(0);
    if (log)
        m_log->printLine("Module Height Multiplier: 0x%X", multiplier);
    const unsigned int ratio = word(0);
    if (log)
        m_log->printLine("Wide element to Narrow element Ratio: 0x%X", ratio);

    if (width != 0xFFFF) {
        // Units per ten centimetres become units per inch.
        const unsigned int resolution = unitBase == 0 ? xUnits / 10 : xUnits * 254 / 1000;
        m_object->setResolution(static_cast<uint16_t>(resolution));
        m_object->setPresentationWidth(static_cast<uint16_t>(width));
        m_object->setPresentationHeight(static_cast<uint16_t>(height));
    }
    m_object->setBarcodeType(type);
    selectCodePage(type);
    m_object->setModifier(static_cast<uint8_t>(modifier));
    m_hriFontLocalId = static_cast<uint8_t>(fontId);
    m_object->setColorValue(color);
    m_object->setColorSpace(qelGraphicObject::COLOR_OCA);
    m_object->setModuleWidth(static_cast<int32_t>(moduleWidth));
    m_object->setElementHeight(elementHeight == 0xFFFF ? 0xFFFF
                                                       : static_cast<int32_t>(elementHeight * multiplier));
    m_object->setWideToNarrowRatio(convertRatio(ratio, static_cast<int32_t>(moduleWidth)));
}

void qelBarcodeParser::parseDataMatrixParameters(qelBarcodeSymbol* base)
{
    auto* symbol = static_cast<qel2DDataMatrixBarcodeSymbol*>(base);
    qelSFIBlock* f = m_currentSF;
    const bool log = logging(QEL_LOG_LEVEL2);
    if (f->getRemainingLength() < 1)
        return;
    const unsigned int flags = static_cast<unsigned int>(f->readByte());
    symbol->setTranslateFromEBCDIC((flags & 0x80) != 0);
    symbol->setProcessEscapeSequences((flags & 0x40) == 0);
    if (log) {
        m_log->printLine("DataMatrix Flags: 0x%02X", flags);
        m_log->printLine("%s", (flags & 0x80) ? "Translate from EBCDIC to ASCII" : "No translation from EBCDIC to ASCII");
        m_log->printLine("%s", (flags & 0x40) ? "Ignore Escape Sequences" : "Process Escape Sequences");
        if (flags & 0x3F)
            m_log->printLine("Reserved bits are not equal to zero");
    }
    if (f->getRemainingLength() < 2)
        return;
    const unsigned int rowSize = f->readUShort();
    symbol->setRowSize(static_cast<uint16_t>(rowSize));
    if (log)
        m_log->printLine("Desired Row Size: %d %s", rowSize, rowSize == 0 ? "(Row Size depends on amount Barcode data)" : "");
    if (f->getRemainingLength() < 2)
        return;
    const unsigned int rows = f->readUShort();
    symbol->setNumberOfRows(static_cast<uint16_t>(rows));
    if (log)
        m_log->printLine("Desired Number of Rows: %d %s", rows,
                         rows == 0 ? "(Number of rows depend on amount Barcode data)" : "");
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    if (ini && ini->isDevTest())
        qelMessageOutput::printf("Desired Row Size X Number of Rows: %d x %d \n", rowSize, rows);
    if (f->getRemainingLength() < 1)
        return;
    const int sequence = f->readByte();
    symbol->setSequenceIndicator(static_cast<uint8_t>(sequence));
    if (log)
        m_log->printLine("Structured Sequence Indicator: %d %s", sequence, sequence == 0 ? "(Not part of any sequence)" : "");
    if (f->getRemainingLength() < 1)
        return;
    const int count = f->readByte();
    symbol->setSymbolCount(static_cast<uint8_t>(count));
    if (log)
        m_log->printLine("Structured Sequence Indicator Count: %d", count);
    if (f->getRemainingLength() < 1)
        return;
    const int high = f->readByte();
    if (log)
        m_log->printLine("Structured Sequence Identification(High Order Byte): 0x%02X", static_cast<unsigned int>(high));
    symbol->setFileIdentification(static_cast<uint16_t>(high << 8));
    if (f->getRemainingLength() < 1)
        return;
    const int low = f->readByte();
    if (log)
        m_log->printLine("Structured Sequence Identification(Low Order Byte): 0x%02X", static_cast<unsigned int>(low));
    symbol->setFileIdentification(static_cast<uint16_t>((high << 8) | low));
    if (f->getRemainingLength() < 1)
        return;
    const unsigned int special = static_cast<unsigned int>(f->readByte());
    symbol->setUccEanFNC1((special & 0x80) != 0);
    symbol->setIndustryFNC1((special & 0x40) != 0);
    symbol->setReaderProgramming((special & 0x20) != 0);
    if (log) {
        m_log->printLine("Special Function Flags: 0x%02X", special);
        m_log->printLine("Symbol conforms to UCC/EAN standards: %s", (special & 0x80) ? "true" : "false");
        m_log->printLine("Symbol conforms to industry standards: %s", (special & 0x40) ? "true" : "false");
        m_log->printLine("%s", (special & 0x20) ? "Symbol encodes a data symbol" : "Symbol encodes a message to reader system");
        switch (special & 0x18) {
        case 0x08: m_log->printLine("Use 05 Macro Header/Trailer"); break;
        case 0x10: m_log->printLine("Use 06 Macro Header/Trailer"); break;
        default: m_log->printLine("No Header/Trailer instructions"); break;
        }
    }
}

void qelBarcodeParser::barcodeData()
{
    logField("BDA", "Barcode Data", "");
    qelSFIBlock* f = m_currentSF;
    const uint32_t type = m_object->getBarcodeType();
    const bool log = logging(QEL_LOG_LEVEL2);
    std::unique_ptr<qelBarcodeSymbol> symbol;
    switch (type) {
    case qelBarcodeObject::TYPE_CODE39: symbol.reset(new qelCODE39BarcodeSymbol()); break;
    case qelBarcodeObject::TYPE_CODE128: symbol.reset(new qelCODE128BarcodeSymbol()); break;
    case qelBarcodeObject::TYPE_DATA_MATRIX: symbol.reset(new qel2DDataMatrixBarcodeSymbol()); break;
    default: symbol.reset(new qelBarcodeSymbol()); break;
    }
    m_symbol = symbol.get();

    const unsigned int flags = f->getRemainingLength() >= 1 ? static_cast<unsigned int>(f->readByte()) : 0;
    const uint16_t x = static_cast<uint16_t>(f->getRemainingLength() >= 2 ? f->readUShort() : 0);
    const uint16_t y = static_cast<uint16_t>(f->getRemainingLength() >= 2 ? f->readUShort() : 0);
    const bool hri = (flags & 0x80) == 0;
    int position = qelBarcodeSymbol::HRI_DEFAULT;
    if ((flags & 0x60) == 0x20)
        position = qelBarcodeSymbol::HRI_BELOW;
    else if ((flags & 0x60) == 0x40)
        position = qelBarcodeSymbol::HRI_ABOVE;
    symbol->setHRIPresented(hri);
    symbol->setHRIPosition(position);
    symbol->setAsteriskPresented((flags & 0x10) == 0);
    symbol->setSymbolPresented((flags & 0x04) == 0);
    symbol->setTrailingBlanksSuppressed((flags & 0x02) != 0);
    symbol->setXOrigin(x);
    symbol->setYOrigin(y);
    if (log) {
        m_log->printLine("Flags: 0x%X", flags);
        m_log->printLine("%s", hri ? "HRI presented" : "HRI not presented");
        if (hri) {
            switch (flags & 0x60) {
            case 0x20: m_log->printLine("HRI presented below the barcode symbol"); break;
            case 0x40: m_log->printLine("HRI presented above the barcode symbol"); break;
            default: m_log->printLine("HRI presented at Default Position"); break;
            }
        }
        m_log->printLine("%s", (flags & 0x10) ? "Asterisk not presented" : "Asterisk presented");
        m_log->printLine("%s", (flags & 0x04) ? "Barcode Symbol not presented" : "Barcode Symbol presented");
        m_log->printLine("%s", (flags & 0x02) ? "Trailing blanks are supressed and adjusted"
                                              : "Trailing blanks are not supressed and not adjusted");
        m_log->printLine("Barcode Symbol X Origin: 0x%04X", x);
        m_log->printLine("Barcode Symbol Y Origin: 0x%04X", y);
    }

    if (type == qelBarcodeObject::TYPE_DATA_MATRIX)
        parseDataMatrixParameters(symbol.get());
    if (hasNoSymbol(type)) {
        if (log)
            m_log->printLine("Barcode Type: 0x%X(%s) not supported", type, qelBarcodeObject::getTypeName(type));
        m_symbol = nullptr;
        return;
    }

    const int length = f->getRemainingLength();
    if (length > 0) {
        std::vector<unsigned char> raw(static_cast<size_t>(length) + 1, 0);
        std::vector<unsigned char> data(static_cast<size_t>(length) + 1, 0);
        f->readBytes(raw.data(), length);
        for (int i = 0; i < length; ++i)
            data[static_cast<size_t>(i)] = m_table[raw[static_cast<size_t>(i)]];
        symbol->setData(data.data(), length);
        if (hri)
            symbol->setHRIText(createHRIText(raw.data(), data.data(), length, x, y));

        qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
        qelIni* ini = pool ? pool->getIni() : nullptr;
        const bool devTest = ini && ini->isDevTest();
        if (log || devTest) {
            std::string hex;
            std::string text;
            hex.reserve(static_cast<size_t>(length) * 3);
            text.reserve(static_cast<size_t>(length) * 3);
            char piece[8];
            for (int i = 0; i < length; ++i) {
                std::snprintf(piece, sizeof piece, "%02X ", raw[static_cast<size_t>(i)]);
                hex += piece;
                // A zero byte would end the dump text early.
                const unsigned char c = data[static_cast<size_t>(i)];
                text += ' ';
                text += c ? static_cast<char>(c) : ' ';
                text += ' ';
            }
            if (log) {
                m_log->printLine("%s", "EBCDIC Data:(");
                m_log->write(hex.c_str());
                m_log->write(")");
                m_log->printLine("%s", "ASCII  Data:(");
                m_log->write(text.c_str());
                m_log->write(")");
            }
            if (devTest && type == qelBarcodeObject::TYPE_DATA_MATRIX) {
                qelMessageOutput::printf("EBCDIC Data:(%s)\n", hex.c_str());
                qelMessageOutput::printf("ASCII  Data:(%s)\n", text.c_str());
                const int estimate = estimateCodewords(data.data(), length);
                qelMessageOutput::printf("CodeWord Count: %d ASCII Count:%d \n", estimate, length);
                const int rowSize = static_cast<qel2DDataMatrixBarcodeSymbol*>(symbol.get())->getRowSize();
                if ((rowSize == 20 && estimate > 22) || (rowSize == 32 && estimate > 10))
                    qelMessageOutput::write("Exceeds limit\n");
                else
                    qelMessageOutput::write("\n");
            }
        }
    }
    m_symbol = nullptr;
    m_object->addData(symbol.release());
}

qelTextObject* qelBarcodeParser::createHRIText(const unsigned char* raw, const unsigned char* translated, int length,
                                               uint16_t x, uint16_t y)
{
    qelTextObject* text = new (std::nothrow)
        qelTextObject(qelPoint{static_cast<float>(x), static_cast<float>(y)}, nullptr, raw,
                      reinterpret_cast<const char*>(translated), static_cast<uint16_t>(length),
                      m_object->getIAxisOrientation(), m_object->getBAxisOrientation(), m_object->getColorValue());
    if (!text) {
        const char* name = m_object->getName();
        std::snprintf(g_allocationText, sizeof g_allocationText,
                      "Memory allocation error occured while creating text object for barcode \"%s\"",
                      name ? name : "null");
        throw static_cast<const char*>(g_allocationText);
    }
    text->setAbsoluteInlineFlag(1);
    text->setAbsoluteBaselineFlag(1);
    text->setResolution(m_object->getResolution());
    text->setColorSpace(m_object->getColorSpace());
    text->setLocalFontId(m_hriFontLocalId);
    return text;
}
