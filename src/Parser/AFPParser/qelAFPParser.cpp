#include "qelAFPParser.h"

#include "qelCharSetAliasName.h"
#include "qelDocumentParser.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelHashIdMap.h"
#include "qelIndex.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelList.h"
#include "qelMedia.h"
#include "qelNOP.h"
#include "qelNOPList.h"
#include "qelNOPRecord.h"
#include "qelObjectContainerParser.h"
#include "qelPoolAccess.h"
#include "qelResObjectContainer.h"
#include "qelResourceAliasName.h"
#include "qelGlobalRes.h"
#include "qelResourceReference.h"
#include "qelSFIBlock.h"
#include "qelString.h"
#include "qelThreeByteValue.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

struct NameRow
{
    unsigned short code;
    const char* name;
};

// Sorted by code.
const NameRow kNames[] = {
    {0x0000, "GOCA No Operation"},
    {0x0001, "GOCA Comment"},
    {0x0003, "Push And Set Character Cell"},
    {0x0004, "Segment Characteristics"},
    {0x0007, "Call Segment"},
    {0x0008, "Set Pattern Set"},
    {0x0009, "Push And Set Pattern Symbol"},
    {0x000A, "Set Color"},
    {0x000C, "Set Mix"},
    {0x000D, "Set Background Mix"},
    {0x0011, "Set Fractional Line Width"},
    {0x0014, "Set Individual Attribute"},
    {0x0015, "Set Stroke Line Width"},
    {0x0018, "Set Line Type"},
    {0x0019, "Set Line Width"},
    {0x001A, "Set Line End"},
    {0x001B, "Set Line Join"},
    {0x0021, "Set Current Position"},
    {0x0022, "Set Arc Parameters"},
    {0x0023, "Push And Set Pick Identifier"},
    {0x0024, "Set Model Transform"},
    {0x0025, "GOCA Set Background Color"},
    {0x0026, "Set Extended Color"},
    {0x0027, "Set Viewing Window"},
    {0x0028, "Set Pattern Symbol"},
    {0x0029, "Set Marker Symbol"},
    {0x0031, "Set Viewing Transform"},
    {0x0032, "Set Segment Boundary"},
    {0x0033, "Set Character Cell"},
    {0x0034, "Set Character Angle"},
    {0x0035, "Set Character Shear"},
    {0x0037, "Set Markercell"},
    {0x0038, "Set Character Set"},
    {0x0039, "Set Character Precision"},
    {0x003A, "Set Character Direction"},
    {0x003B, "Set Marker Precision"},
    {0x003C, "Set Markerset"},
    {0x003E, "End Prolog"},
    {0x003F, "GOCA Pop"},
    {0x0043, "Set Pick Identifier"},
    {0x0048, "Push And Set Pattern Set"},
    {0x0049, "End Element"},
    {0x004A, "Push And Set Color"},
    {0x004C, "Push And Set Mix"},
    {0x004D, "Push And Set Background Mix"},
    {0x0051, "Push And Set Fractional Line Width"},
    {0x0054, "Push And Set Individual Attribute"},
    {0x0055, "Push And Set Stroke Line Width"},
    {0x0058, "Push And Set Line Type"},
    {0x0059, "Push And Set Line Width"},
    {0x005A, "Push And Set Line End"},
    {0x005B, "Push And Set Line Join"},
    {0x0060, "End Area"},
    {0x0061, "Push And Set Current Position"},
    {0x0062, "Push And Set Arc Parameters"},
    {0x0064, "Push And Set Model Transform"},
    {0x0065, "Push And Set Background Color"},
    {0x0066, "Push And Set Extended Color"},
    {0x0067, "Push And Set Viewing Window"},
    {0x0068, "Begin Area"},
    {0x0069, "Push And Set Marker Symbol"},
    {0x0070, "Begin Segment"},
    {0x0071, "End Segment"},
    {0x0072, "Overstrike"},
    {0x0074, "Set Text Color"},
    {0x0075, "Push And Set Character shear"},
    {0x0076, "Underscore"},
    {0x0077, "Push And Set Marker Cell"},
    {0x0078, "Temporary Baseline Move"},
    {0x0079, "Push And Set Character Precision"},
    {0x007A, "Push And Set Character Direction"},
    {0x007B, "Push And Set Marker Precision"},
    {0x007C, "Push And Set Marker Set"},
    {0x007D, "Close Figure"},
    {0x007F, "GOCA End Path"},
    {0x0080, "Set Extended Text Color"},
    {0x0081, "Line CP"},
    {0x0082, "Marker CP"},
    {0x0083, "Character String CP"},
    {0x0085, "Fillet CP"},
    {0x0086, "Arc At CP"},
    {0x0087, "Full Arc CP"},
    {0x0091, "Begin Image CP"},
    {0x0092, "Image Data"},
    {0x0093, "End Image"},
    {0x00A0, "Set Pattern Reference Point"},
    {0x00A1, "Relative Line CP"},
    {0x00A3, "Partial Arc CP"},
    {0x00A4, "Sharp Fillet At CP"},
    {0x00A5, "Bezier Curve At CP"},
    {0x00A6, "Set Indexed Color"},
    {0x00A7, "Set Background Indexed Color"},
    {0x00B1, "Character String Move At CP"},
    {0x00B2, "Set Process Color"},
    {0x00B4, "Set Clip Path"},
    {0x00C0, "Set Inline Margin"},
    {0x00C1, "GOCA Line"},
    {0x00C2, "Set Intercharacter Adjustment"},
    {0x00C3, "Character String"},
    {0x00C4, "Set Variable Space Character Increment"},
    {0x00C5, "Fillet"},
    {0x00C6, "Absolute Move Inline"},
    {0x00C7, "Full Arc"},
    {0x00C8, "Relative Move Inline"},
    {0x00D0, "Set Baseline Increment"},
    {0x00D1, "Begin Image"},
    {0x00D2, "Absolute Move Baseline"},
    {0x00D3, "Label"},
    {0x00D4, "Relative Move Baseline"},
    {0x00D6, "Bitblt"},
    {0x00D7, "Fill Path"},
    {0x00D8, "Begin Line"},
    {0x00DA, "Transparent Data"},
    {0x00E0, "Push And Set Pattern Reference Point"},
    {0x00E1, "Relative Line"},
    {0x00E3, "Partial Arc"},
    {0x00E4, "Draw I Axis Rule"},
    {0x00E5, "Bezier Curve"},
    {0x00E6, "Draw B Axis Rule"},
    {0x00E7, "Push And Set Background Indexed Color"},
    {0x00EE, "Repeat String"},
    {0x00F0, "Set Coded Font Local"},
    {0x00F1, "Character String Move"},
    {0x00F2, "Begin Suppression"},
    {0x00F4, "End Suppression"},
    {0x00F6, "Set Text Orientation"},
    {0x00F8, "PTOCA No Operation"},
    {0x00FE, "Extension Order"},
    {0x00FF, "End Of Symbol Definition"},
    {0x8C87, "Code Page Index"},
    {0x8C89, "Font Index FNI"},
    {0x8C8A, "Coded Font Index"},
    {0xA088, "Medium Finishing Control"},
    {0xA090, "Tag Logical Element"},
    {0xA288, "Medium Copy Count"},
    {0xA289, "Font Patterns Map"},
    {0xA66B, "Object Area Descriptor"},
    {0xA67B, "IM Image Descriptor"},
    {0xA687, "Code Page Descriptor"},
    {0xA688, "Medium Descriptor"},
    {0xA689, "Font Descriptor"},
    {0xA692, "Container Data Descriptor"},
    {0xA69B, "Presentation Text Descriptor"},
    {0xA6AF, "Page Descriptor"},
    {0xA6BB, "Graphics Data Descriptor"},
    {0xA6C5, "Form Environment Group Descriptor"},
    {0xA6E3, "Data Map Transmission Subcase Descriptor"},
    {0xA6E7, "Line Descriptor"},
    {0xA6EB, "Barcode Data Descriptor"},
    {0xA6FB, "Image Data Descriptor"},
    {0xA77B, "IM Image Control"},
    {0xA787, "Code Page Control"},
    {0xA788, "Medium Modification Control"},
    {0xA789, "Font Control"},
    {0xA78A, "Coded Font Control"},
    {0xA79B, "Composed Text Control"},
    {0xA7AF, "Page Modification Control"},
    {0xA7CA, "Condtional Processing Control"},
    {0xA85F, "Begin Page Segment"},
    {0xA87B, "Begin IM Image Object"},
    {0xA887, "Begin Code Page"},
    {0xA889, "Begin Font"},
    {0xA88A, "Begin Coded Font"},
    {0xA892, "Begin Object Container"},
    {0xA89B, "Begin Presentation Text Object"},
    {0xA8A7, "Begin Document Index"},
    {0xA8A8, "Begin Document"},
    {0xA8AD, "Begin Page Group"},
    {0xA8AF, "Begin Page"},
    {0xA8BB, "Begin Graphic Object"},
    {0xA8C4, "Begin Document Environment Group"},
    {0xA8C5, "Begin Form Environment Group"},
    {0xA8C6, "Begin Resource Group"},
    {0xA8C7, "Begin Object Environment Group"},
    {0xA8C9, "Begin Active Environment Group"},
    {0xA8CA, "Begin Data Map"},
    {0xA8CB, "Begin Page Map"},
    {0xA8CC, "Begin Medium Map"},
    {0xA8CD, "Begin Form Map"},
    {0xA8CE, "Begin Resource"},
    {0xA8DF, "Begin Overlay"},
    {0xA8E3, "Begin Data Map Transmission Subcase"},
    {0xA8EB, "Begin Barcode Object"},
    {0xA8FB, "Begin Image Object"},
    {0xA95F, "End Page Segment"},
    {0xA97B, "End IM Image Object"},
    {0xA987, "End Code Page"},
    {0xA989, "End Font"},
    {0xA98A, "End Coded Font"},
    {0xA992, "End Object Container"},
    {0xA99B, "End Presentation Text Object"},
    {0xA9A7, "End Document Index"},
    {0xA9A8, "End Document"},
    {0xA9AD, "End Page Group"},
    {0xA9AF, "End Page"},
    {0xA9BB, "End Graphic Object"},
    {0xA9C4, "End Document Environment Group"},
    {0xA9C5, "End Form Environment Group"},
    {0xA9C6, "End Resource Group"},
    {0xA9C7, "End Object Environment Group"},
    {0xA9C9, "End Active Environment Group"},
    {0xA9CA, "End Data Map"},
    {0xA9CB, "End Page Map"},
    {0xA9CC, "End Medium Map"},
    {0xA9CD, "End Form Map"},
    {0xA9CE, "End Resource"},
    {0xA9DF, "End Overlay"},
    {0xA9E3, "End Data Map Transmission Subcase"},
    {0xA9EB, "End Barcode Object"},
    {0xA9FB, "End Image Object"},
    {0xAAE7, "Line Descriptor Count"},
    {0xAAEC, "Fixed Data Size"},
    {0xAB88, "Map Media Type"},
    {0xAB89, "Font Name Map"},
    {0xAB8A, "Map Coded Font Format2"},
    {0xAB92, "Map Container Data"},
    {0xABBB, "Map Graphics Object"},
    {0xABC3, "Map Data Resource"},
    {0xABCA, "Invoke Data Map"},
    {0xABCC, "Invoke Medium Map"},
    {0xABD8, "Map Page Overlay"},
    {0xABEA, "Map Suppression"},
    {0xABEB, "Map Barcode Object"},
    {0xABFB, "Map Image Object"},
    {0xAC6B, "Object Area Position"},
    {0xAC7B, "IM Image Position"},
    {0xAC89, "Font Position"},
    {0xACAF, "Page Position F1"},
    {0xAE89, "Font Orientation"},
    {0xAF5F, "Include Page Segment"},
    {0xAFC3, "Include Object"},
    {0xAFD8, "Include Page Overlay"},
    {0xB15F, "Page Segment Migration"},
    {0xB18A, "Map Coded Font Format"},
    {0xB19B, "Presentation Text Descriptor2"},
    {0xB1AF, "Page Position F2"},
    {0xB1DF, "Map Medium Overlay"},
    {0xB2A7, "Index Element"},
    {0xEE7B, "IM Image Data"},
    {0xEE89, "Font Patterns"},
    {0xEE92, "Object Container Data"},
    {0xEE9B, "Presentation Text Data"},
    {0xEEBB, "Graphic Data"},
    {0xEEEB, "Barcode Data"},
    {0xEEEC, "Fixed Data Text"},
    {0xEEEE, "No Operation"},
    {0xEEFB, "Image Picture Data"},
    {0xFEB0, "Character String Extended At CP"},
    {0xFEF0, "Character String Extended"},
    {0xFFFF, "Bad SF Type"},
};

int g_lastResourceKind = 0;
int g_overlayCounter = 0;

// The resynchronisation search gives up after this many bytes.
const int kSearchWindow = 4096;

using qelPoolAccess::options;
using qelPoolAccess::quiet;
using qelThreeByteValue::unsignedLow16OrSigned24;

std::string trimmed(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Item n (from 1) of a comma list; false when it is absent. An empty first
// item counts as absent.
bool commaItem(const std::string& list, int n, std::string& item)
{
    size_t begin = 0;
    for (int i = 1; i < n; ++i) {
        size_t comma = list.find(',', begin);
        if (comma == std::string::npos)
            return false;
        begin = comma + 1;
    }
    if (n > 1 && begin >= list.size())
        return false;
    size_t comma = list.find(',', begin);
    item = list.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
    return !(n == 1 && item.empty());
}

qelResourceAliasName* newAliasRecord(char chooser)
{
    switch (std::toupper(static_cast<unsigned char>(chooser))) {
    case 'B':
        return new qelObjectAliasName();
    case 'C':
        return new qelCharSetAliasName();
    case 'F':
        return new qelFormDefAliasName();
    case 'G':
        return new qelGOCAAliasName();
    case 'O':
        return new qelOverlayAliasName();
    case 'S':
        return new qelPageSegmentAliasName();
    case 'T':
        return new qelCodePageAliasName();
    case 'X':
        return new qelCodedFontAliasName();
    default:
        return nullptr;
    }
}

} // namespace

qelAFPParser::qelAFPParser() : qelAFPParser(true)
{
}

qelAFPParser::qelAFPParser(bool withTriplets) : m_withTriplets(withTriplets)
{
    m_resourceKind = static_cast<uint32_t>(g_lastResourceKind);
    if (qelGlobalDSPool* pool = qelGlobalDSPool::getInstance())
        m_log = pool->getLogStream();
}

qelAFPParser::~qelAFPParser()
{
    m_currentSF = nullptr;
}

qelTripletParser* qelAFPParser::getTripletParser() const
{
    if (!m_withTriplets)
        return nullptr;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    return pool ? pool->getTripletParser() : nullptr;
}

int qelAFPParser::getLastResourceKind()
{
    return g_lastResourceKind;
}

void qelAFPParser::setLastResourceKind(int kind)
{
    g_lastResourceKind = kind;
}

int qelAFPParser::getOverlayCounter()
{
    return g_overlayCounter;
}

int qelAFPParser::nextOverlayNumber()
{
    return ++g_overlayCounter;
}

void qelAFPParser::resetInputValues()
{
    g_lastResourceKind = 0;
    g_overlayCounter = 0;
}

qelSFIBlock* qelAFPParser::readNextSF(qelIOStream* input)
{
    for (;;) {
        qelIOStream* in = input ? input : qelIOStream::getCurrent();
        if (!in)
            throw new qelException(__FILE__, __LINE__, qelMsg::E059, 0, true);
        qelIOStream* copy = in->getLinkedStream();
        try {
            qelSFIBlock* field = in->readSFI();
            m_currentSF = field;
            while (field->getId() == 0xEEEE) {
                writeRawSF(copy, field);
                processNOP(nullptr);
                field = in->readSFI();
                m_currentSF = field;
            }
            writeRawSF(copy, field);
            return field;
        } catch (qelException* e) {
            if (e->getKind() == QEL_MSG_WARNING && e->getId() == qelMsg::W060) {
                // An unknown field has been read whole: drop it.
                delete e;
                qelDocumentParser::countIgnoredObject();
                continue;
            }
            if (e->getKind() == QEL_MSG_WARNING && e->getId() == qelMsg::W062) {
                if (in->getBytesLeft() == 0)
                    throw;
                delete e;
                resynchronise(in);
                continue;
            }
            throw;
        }
    }
}

// Searches the next X'D3' and goes back to its introducer.
void qelAFPParser::resynchronise(qelIOStream* in)
{
    int left = in->getBytesLeft();
    int start = in->getPosition();
    int limit = left < kSearchWindow ? left : kSearchWindow;
    int before1 = -1;
    int before2 = -1;
    int before3 = -1;
    for (int read = 0; read < limit; ++read) {
        int c = in->readByte();
        if (c == 0xD3) {
            int position = in->getPosition();
            int target;
            if (before3 == 0x5A) {
                target = position - 4;
                in->setCarriageControl(true);
            } else {
                target = position - 3;
            }
            if (target < 0)
                target = 0;
            in->seek(target);
            in->setOffset(target);
            if (qelSFIBlock* record = in->getSFIBlock())
                record->reset();
            return;
        }
        before3 = before2;
        before2 = before1;
        before1 = c;
    }
    char text[512];
    throw new qelException(__FILE__, __LINE__, qelMsg::E076, 0, true, in->describe(text, sizeof text),
                           static_cast<unsigned int>(start));
}

int qelAFPParser::writeRawSF(qelIOStream* output, qelSFIBlock* field)
{
    if (!output || !field)
        return -1;
    if (!output->isOpen())
        return -2;
    const size_t total = 1 + static_cast<size_t>(rawSFSize(field));
    std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[total]);
    if (!bytes)
        return -3;
    bytes[0] = 0x5A;
    encodeRawSF(field, field->getLength(), bytes.get() + 1);
    try {
        output->write(bytes.get(), static_cast<int>(total));
    } catch (qelException* e) {
        delete e;
        return -3;
    }
    return 0;
}

int qelAFPParser::rawSFSize(qelSFIBlock* field)
{
    const int extension = field->getExtensionSize();
    return 8 + (extension > 0 ? extension + 1 : 0) + field->getDataSize();
}

void qelAFPParser::encodeRawSF(qelSFIBlock* field, int length, unsigned char* out)
{
    const int extension = field->getExtensionSize();
    const int data = field->getDataSize();
    const int id = field->getId();
    *out++ = static_cast<unsigned char>((length >> 8) & 0xFF);
    *out++ = static_cast<unsigned char>(length & 0xFF);
    *out++ = 0xD3;
    *out++ = static_cast<unsigned char>((id >> 8) & 0xFF);
    *out++ = static_cast<unsigned char>(id & 0xFF);
    *out++ = static_cast<unsigned char>(field->getFlags());
    *out++ = static_cast<unsigned char>((field->getReserved() >> 8) & 0xFF);
    *out++ = static_cast<unsigned char>(field->getReserved() & 0xFF);
    if (extension > 0) {
        *out++ = static_cast<unsigned char>(extension + 1);
        std::memcpy(out, field->getExtension(), static_cast<size_t>(extension));
        out += extension;
    }
    if (data > 0)
        std::memcpy(out, field->getData(), static_cast<size_t>(data));
}

qelAFPParser::IncludedObject qelAFPParser::readIncludeObject(qelLogStream* log)
{
    qelTripletParser* triplets = getTripletParser();
    qelSFIBlock* f = m_currentSF;
    IncludedObject object;
    object.name = readName();
    if (f->getRemainingLength() >= 1) {
        const int reservedAt = f->getPosition();
        if (f->readByte() != 0 && (log && log->anyOf(QEL_LOG_LEVEL2)))
            log->printAtOffset(static_cast<unsigned long long>(f->getOffset() + reservedAt),
                               "Warning! Reserved byte not equal to 0x00");
    }
    if (f->getRemainingLength() >= 1)
        object.type = f->readByte() & 0xFF;
    if (f->getRemainingLength() >= 3)
        object.x = unsignedLow16OrSigned24(qelThreeByteValue::read(f));
    if (f->getRemainingLength() >= 3)
        object.y = unsignedLow16OrSigned24(qelThreeByteValue::read(f));
    if (f->getRemainingLength() >= 2)
        object.xRotation = rotationDegrees(f->readUShort());
    if (f->getRemainingLength() >= 2)
        object.yRotation = rotationDegrees(f->readUShort());
    if (f->getRemainingLength() >= 3)
        object.xContent = static_cast<uint16_t>(unsignedLow16OrSigned24(qelThreeByteValue::read(f)));
    if (f->getRemainingLength() >= 3)
        object.yContent = static_cast<uint16_t>(unsignedLow16OrSigned24(qelThreeByteValue::read(f)));
    if (f->getRemainingLength() >= 1)
        object.coordinateSystem = static_cast<uint8_t>(f->readByte());

    if (log && log->anyOf(QEL_LOG_LEVEL1))
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(f->getOffset()), 0xAFC3, "IOB",
                                "Include Object", object.name.c_str());
    if (log && log->anyOf(QEL_LOG_LEVEL2)) {
        switch (object.type) {
        case 0x5F: log->printLine("Object Type: 0x%02X <Page segment>", object.type); break;
        case 0x92: log->printLine("Object Type: 0x%02X <Other object data>", object.type); break;
        case 0xBB: log->printLine("Object Type: 0x%02X <GOCA>", object.type); break;
        case 0xEB: log->printLine("Object Type: 0x%02X <BCOCA>", object.type); break;
        case 0xFB: log->printLine("Object Type: 0x%02X <IOCA>", object.type); break;
        default: log->printLine("Warning! Illegal object type Value 0x%02X", object.type); break;
        }
        log->printLine("X axis origin of the object area : %d (0x%x)", object.x, static_cast<unsigned int>(object.x));
        log->printLine("Y axis origin of the object area : %d (0x%x)", object.y, static_cast<unsigned int>(object.y));
        if (object.xRotation >= 0)
            log->printLine("object area's X axis rotation (XoaOrent) : %d degrees", object.xRotation);
        else
            log->printAtOffset(static_cast<unsigned long long>(f->getOffset()),
                               "Warning! Illegal Value for object area's X axis rotation : %d", object.xRotation);
        if (object.yRotation >= 0)
            log->printLine("object area's Y axis rotation (YoaOrent)  : %d degrees", object.yRotation);
        else
            log->printAtOffset(static_cast<unsigned long long>(f->getOffset()),
                               "Warning! Illegal Value for object area's Y axis rotation : %d", object.yRotation);
        log->printLine("X axis origin of the object content : 0x%x", object.xContent);
        log->printLine("Y axis origin of the object content : 0x%x", object.yContent);
        log->printLine(object.coordinateSystem == 1 ? "Page/Overlay Coordinate system"
                                                    : "Reserved value for coordinate system");
    }

    if (triplets && f->getRemainingLength() > 0) {
        uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_OBJECT_AREA_SIZE
                            | QEL_TRIPLET_MAPPING_OPTION | QEL_TRIPLET_COLOR;
        uint32_t mandatory = 0;
        if (object.type == 0x92)
            mandatory = QEL_TRIPLET_CLASSIFICATION;
        else
            optional |= QEL_TRIPLET_CLASSIFICATION;
        const bool contentUnset = object.xContent == 0xFFFF && object.yContent == 0xFFFF;
        if (contentUnset)
            optional |= QEL_TRIPLET_MEASUREMENT_UNITS;
        else
            mandatory |= QEL_TRIPLET_MEASUREMENT_UNITS;
        triplets->setObjectAreaExtent(0, 0);
        triplets->parse(&mandatory, &optional, f);
        uint32_t ex = 0, ey = 0;
        triplets->getObjectAreaExtent(ex, ey);
        const bool sized = (ex >= 1 && ex <= 32767) || (ey >= 1 && ey <= 32767);
        if (contentUnset && sized && (optional & QEL_TRIPLET_MEASUREMENT_UNITS))
            throw new qelException(__FILE__, __LINE__, qelMsg::E009, 0, true, f->getOffset());
        m_colorValue = static_cast<int32_t>(triplets->getColorValue());
        m_colorSpace = triplets->getColorSpace();
        m_colorValueKind = static_cast<uint32_t>(triplets->getColorSpace());
        if (std::unique_ptr<qelString> full = triplets->takeFullyQualifiedName())
            object.name = full->getBuffer();
    }
    return object;
}

void qelAFPParser::setContainerValues(qelResourceReference* reference) const
{
    qelTripletParser* triplets = getTripletParser();
    if (!triplets)
        return;
    reference->setResolution(static_cast<uint16_t>(triplets->getXUnitsPerBase() / 10));
    reference->setObjectType(triplets->getObjectTypeCode());
    uint32_t ex = 0, ey = 0;
    triplets->getObjectAreaExtent(ex, ey);
    reference->setObjectArea(static_cast<int32_t>(ex), static_cast<int32_t>(ey));
    reference->setXUnitBase(triplets->getXUnitBase());
    reference->setYUnitBase(triplets->getYUnitBase());
    reference->setXUnitsPerBase(triplets->getXUnitsPerBase());
    reference->setYUnitsPerBase(triplets->getYUnitsPerBase());
    reference->setMappingOption(triplets->getMappingOption());
}

void qelAFPParser::trace(const char* text) const
{
    qelIni* ini = options();
    if (ini && ini->isDevTestLevel(0x1))
        qelMessageOutput::write(text);
}

void qelAFPParser::readWithOwnReader(const char* path, const std::function<void()>& read)
{
    std::unique_ptr<qelIOStream> file(new qelIOStream());
    file->openFile(path, false);
    qelIOStream* saved = qelIOStream::getCurrent();
    qelIOStream::setCurrent(file.get());
    auto restore = [&]() {
        qelIOStream::setCurrent(saved);
        m_currentSF = nullptr;
        file->closeStream();
    };
    try {
        read();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

int qelAFPParser::rotationDegrees(unsigned int word)
{
    switch (word) {
    case 0x0000: return 0;
    case 0x2D00: return 90;
    case 0x5A00: return 180;
    case 0x8700: return 270;
    default: return -1;
    }
}

std::string qelAFPParser::readName()
{
    if (!m_currentSF || m_currentSF->getRemainingLength() < 8)
        return std::string();
    unsigned char bytes[9] = {};
    m_currentSF->readBytes(bytes, 8);
    qelUtils::ebcdicToAscii(bytes, 8);
    char* text = reinterpret_cast<char*>(bytes);
    qelString::trimRight(text);
    qelString::trimLeft(text);
    return std::string(text);
}

void qelAFPParser::logField(const char* abbreviation, const char* title, const char* text)
{
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL1) && m_currentSF)
        m_log->logStructuredField(getLevel(), static_cast<unsigned int>(m_currentSF->getOffset()),
                                  static_cast<unsigned short>(m_currentSF->getId()), abbreviation, title, text);
}

std::string qelAFPParser::readBeginEnd(const char* abbreviation, const char* title, uint32_t optional,
                                       bool* withTriplets)
{
    const std::string name = readName();
    logField(abbreviation, title, name.c_str());
    qelTripletParser* triplets = getTripletParser();
    const bool read = triplets && m_currentSF && m_currentSF->getRemainingLength() > 0;
    if (read) {
        uint32_t mandatory = 0;
        triplets->parse(&mandatory, &optional, m_currentSF);
    }
    if (withTriplets)
        *withTriplets = read;
    return name;
}

std::unique_ptr<qelIndex> qelAFPParser::readTagLogicalElement()
{
    logField("TLE", "Tag Logical Element", "");
    qelTripletParser* triplets = getTripletParser();
    if (!triplets || !m_currentSF || m_currentSF->getRemainingLength() <= 0)
        return nullptr;
    std::unique_ptr<qelIndex> entry(triplets->createIndexEntry());
    uint32_t mandatory = QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_ATTRIBUTE_VALUE;
    uint32_t optional = QEL_TRIPLET_CGCSGID | QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_ATTRIBUTE_QUALIFIER;
    try {
        triplets->parse(&mandatory, &optional, m_currentSF);
    } catch (...) {
        triplets->detachIndexEntry();
        throw;
    }
    triplets->detachIndexEntry();
    return entry;
}

void qelAFPParser::skipToEnd(int beginId)
{
    const int endId = beginId + 0x0100;
    int depth = 1;
    while (depth > 0) {
        qelSFIBlock* field = readNextSF();
        if (field->getId() == beginId)
            ++depth;
        else if (field->getId() == endId)
            --depth;
    }
}

void qelAFPParser::warnUnsupported(qelLogStream* log, const char* abbreviation, unsigned int offset)
{
    if (log && log->anyOf(QEL_LOG_LEVEL2))
        log->printLine("Warning! Unsupported object %s skipped (at 0x%x )", abbreviation, offset);
    if (!quiet())
        qelMessageOutput::printf("Warning! Unsupported object %s skipped (at 0x%x )\n", abbreviation, offset);
    qelDocumentParser::countIgnoredObject();
}

void qelAFPParser::skipUnsupportedObject(int beginId)
{
    const char* name = beginId == 0xA87B ? "BII" : beginId == 0xA8FB ? "BIM" : "BOC";
    const unsigned int offset = m_currentSF ? static_cast<unsigned int>(m_currentSF->getOffset()) : 0u;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    warnUnsupported(pool ? pool->getLogStream() : nullptr, name, offset);
    skipToEnd(beginId);
}

void qelAFPParser::parseObjectContainer(qelMedia* media, const char* mediaName, qelSFIBlock* begin)
{
    if (!media)
        return;
    qelGlobalDSPool* pool = qelPoolAccess::pool("Unable to allocate Object Container Parser at qelAFPParser");
    auto* parser = dynamic_cast<qelObjectContainerParser*>(pool->getObjectContainerParser());
    if (!parser)
        throw "Unable to allocate Object Container Parser at qelAFPParser";
    std::unique_ptr<qelResObjectContainer> container(parser->parseInline(begin));
    if (!container)
        return;
    // Containers of one name in several pages or overlays stay apart.
    std::string name = container->getName() ? container->getName() : "";
    name += '_';
    name += mediaName ? mediaName : "";
    container->setName(name.c_str());
    qelIOStream* in = qelIOStream::getCurrent();
    container->setInline(in && in->isSpoolInput() ? 1 : 0);
    qelList* objects = container->getObjects();
    const bool withData = objects && objects->getHead();
    qelResObjectContainer* registered = container.get();
    pool->getGlobalRes()->addResource(container.release());
    if (!withData)
        return;
    auto* reference = new qelResourceReference(0.0f, 0.0f, registered);
    if (media->getMediaKind() == qelMedia::KIND_AFP_PAGE)
        reference->setPositionGiven(1);
    else if (media->getMediaKind() == qelMedia::KIND_OVERLAY)
        reference->setPositionGiven(2);
    media->addIncludedResource(reference);
}

void qelAFPParser::logBytes(const unsigned char* bytes, int n)
{
    for (int i = 0; i < n; ++i) {
        if (i % 40 == 0)
            m_log->printLine("%02X ", bytes[i]);
        else
            m_log->print("%02X ", bytes[i]);
    }
}

void qelAFPParser::processNOP(qelNOPRecord** out)
{
    if ((m_log && m_log->anyOf(QEL_LOG_LEVEL1)) && m_currentSF)
        m_log->logStructuredField(getLevel(), static_cast<unsigned int>(m_currentSF->getOffset()),
                                  static_cast<unsigned short>(m_currentSF->getId()), "NOP", "No Operation", "");
    if (!m_currentSF)
        return;
    int n = m_currentSF->getRemainingLength();
    if (n <= 0) {
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL1))
            m_log->printLine("No Operation: no data found");
        return;
    }
    if (!out && (!m_log || m_log->noneOf(QEL_LOG_LEVEL4))) {
        // Nobody looks at the text.
        m_currentSF->skip(n);
        return;
    }
    std::unique_ptr<qelNOPRecord> record(new qelNOPRecord());
    record->length = n;
    record->raw = new (std::nothrow) unsigned char[n + 1];
    if (!record->raw)
        throw "Unable to allocate NOP data at qelAFPParser";
    m_currentSF->readBytes(record->raw, n);
    record->raw[n] = 0;
    record->text = new char[n + 1];
    std::memcpy(record->text, record->raw, static_cast<size_t>(n));
    qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(record->text), n);
    record->text[n] = 0;
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL4)) {
        logBytes(record->raw, n);
        m_log->printLine("%s", record->text);
    }
    if (out)
        *out = record.release();
}

void qelAFPParser::defineAliasName(qelNOPRecord* record)
{
    if (!record)
        return;
    if (!record->text) {
        delete[] record->raw;
        record->raw = nullptr;
        return;
    }
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    const char* text = record->text;
    size_t length = std::strlen(text);
    if (ini && ini->isQELNOP() && length > 4 && std::strstr(text, "QEL,M")) {
        std::string rest(text + (length < 6 ? length : 6));
        size_t separator = rest.find('=');
        int flag = 1;
        if (separator == std::string::npos || separator == 0) {
            separator = rest.find('#');
            if (separator != std::string::npos) {
                rest[separator] = '=';
                flag = 0;
            }
        }
        // Without a usable separator the text stays a No Operation record.
        if (separator != std::string::npos) {
            std::string value = rest.substr(separator + 1);
            std::unique_ptr<qelResourceAliasName> alias(newAliasRecord(value.empty() ? 0 : value[0]));
            if (alias) {
                alias->setSeparatorFlag(flag);
                alias->setName(trimmed(rest.substr(0, separator)).c_str());
                std::string item;
                if (commaItem(value, 1, item))
                    alias->setHashId(item.c_str());
                if (auto* charSet = dynamic_cast<qelCharSetAliasName*>(alias.get())) {
                    std::string second;
                    if (commaItem(value, 2, item)) {
                        bool hasThird = commaItem(value, 3, second);
                        charSet->addNamePair(item.c_str(), hasThird ? second.c_str() : nullptr);
                    }
                }
                if (pool)
                    pool->getHashIdMap()->addAlias(alias.release());
            }
            delete[] record->text;
            record->text = nullptr;
            delete[] record->raw;
            record->raw = nullptr;
            return;
        }
    }
    qelNOP* nop = new qelNOP(text);
    if (record->raw && record->length > 0) {
        nop->setEBCDICValue(record->raw, record->length);
        record->raw = nullptr;
    }
    if (pool)
        pool->getNOPList()->addNOP(nop);
    else
        delete nop;
    delete[] record->text;
    record->text = nullptr;
    delete[] record->raw;
    record->raw = nullptr;
}

void qelAFPParser::reportUnexpectedSF(int id)
{
    const char* name = getSFTypeName(id);
    int n = m_currentSF ? m_currentSF->getRemainingLength() : 0;
    std::vector<unsigned char> data;
    if (n > 0) {
        if (m_log && m_log->anyOf(QEL_LOG_LEVEL2)) {
            try {
                data.resize(static_cast<size_t>(n));
            } catch (const std::bad_alloc&) {
                throw "Unable to allocate SFI data at qelModcaParer";
            }
            m_currentSF->readBytes(data.data(), n);
        } else {
            m_currentSF->skip(n);
        }
    }
    if (!quiet())
        qelMessageOutput::printf("Warning! Unexpected SFType ID : 0x%x\n", static_cast<unsigned int>(id));
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL2)) {
        m_log->printLine("Warning! Unexpected SFType ID : 0x%x==>%s", static_cast<unsigned int>(id), name);
        if (!data.empty()) {
            logBytes(data.data(), n);
            std::string text(data.begin(), data.end());
            qelUtils::ebcdicToAscii(reinterpret_cast<unsigned char*>(&text[0]), n);
            m_log->printLine("%s", text.c_str());
        }
    }
}

void qelAFPParser::logSkippedSF(int id)
{
    if (m_log && m_currentSF)
        m_log->logSFI(getLevel(), static_cast<unsigned int>(m_currentSF->getOffset()),
                      static_cast<unsigned short>(id), nullptr);
}

const char* qelAFPParser::getSFTypeName(int id)
{
    size_t low = 0;
    size_t high = sizeof kNames / sizeof kNames[0];
    while (low < high) {
        size_t mid = (low + high) / 2;
        if (kNames[mid].code == id)
            return kNames[mid].name;
        if (kNames[mid].code < id)
            low = mid + 1;
        else
            high = mid;
    }
    return "";
}

namespace
{
// Low bits of a component of the given size; 8 and more keep the byte.
uint8_t colorMask(uint8_t bits)
{
    return bits >= 8 ? 0xFF : static_cast<uint8_t>((1u << bits) - 1);
}
} // namespace

void qelAFPParser::decodeColorSpecification(const uint8_t* data, int length, bool shortReadsZero, qelLogStream* log,
                                            int32_t& value, int32_t& space, uint32_t* kind)
{
    if (length < 0)
        length = 0;
    int at = 0;
    auto next = [&]() -> uint8_t { return at < length ? data[at++] : (at++, 0); };
    next();
    const uint8_t spaceByte = next();
    for (int k = 0; k < 4; ++k)
        next();
    uint8_t bits[4];
    for (uint8_t& b : bits)
        b = next();
    int valueBytes = 0;
    int32_t code = 0;
    const char* spaceText = nullptr;
    switch (spaceByte) {
    case 0x01: code = 1; valueBytes = 3; spaceText = "RGB Color Space : 0x%02x"; break;
    case 0x04: code = 2; valueBytes = 4; spaceText = "CMYK Color Space : 0x%02x"; break;
    case 0x06: code = 3; valueBytes = 2; spaceText = "HighLight Color Space <not handled> : 0x%02x"; break;
    case 0x08: code = 4; valueBytes = 3; spaceText = "CIELAB Color Space <not handled> : 0x%02x"; break;
    case 0x40: code = 5; valueBytes = 2; spaceText = "Standard OCA Color Space : 0x%02x"; break;
    default: break;
    }
    if (code)
        space = code;
    if (log) {
        if (spaceText)
            log->printLine(spaceText, spaceByte);
        else
            log->printLine("Warning! Illegal Color Space: 0x%x", spaceByte);
        for (int k = 0; k < 4; ++k)
            log->printLine("No. of bits in Component %d: 0x%02x", k + 1, bits[k]);
    }
    if (!spaceText) {
        if (log)
            log->printLine("Warning! Illegal Color value: 0x%08X", 0u);
        return;
    }
    // Colour bytes missing: the value stays.
    const bool headerComplete = length >= 10;
    if (length < 10 + valueBytes && (headerComplete || !shortReadsZero))
        return;
    uint8_t v[4] = {};
    for (int k = 0; k < valueBytes; ++k)
        v[k] = next();
    uint32_t result = static_cast<uint32_t>(value);
    switch (spaceByte) {
    case 0x01:
        result = static_cast<uint32_t>(v[0] & colorMask(bits[0])) |
                 (static_cast<uint32_t>(v[1] & colorMask(bits[1])) << 8) |
                 (static_cast<uint32_t>(v[2] & colorMask(bits[2])) << 16);
        break;
    case 0x04:
        result = (static_cast<uint32_t>(v[0] & colorMask(bits[0])) << 24) |
                 (static_cast<uint32_t>(v[1] & colorMask(bits[1])) << 16) |
                 (static_cast<uint32_t>(v[2] & colorMask(bits[2])) << 8) |
                 static_cast<uint32_t>(v[3] & colorMask(bits[3]));
        break;
    case 0x06:
    case 0x40:
        result = ((static_cast<uint32_t>(v[0]) << 8) | v[1]) & (bits[0] == 16 ? 0xFFFFu : 0u);
        break;
    default:
        break;
    }
    if (spaceByte != 0x08) {
        value = static_cast<int32_t>(result);
        if (kind)
            *kind = static_cast<uint32_t>(code);
    }
    if (!log)
        return;
    if (spaceByte == 0x06 || spaceByte == 0x40) {
        const int c = (v[0] << 8) | v[1];
        log->printLine("Color value: 0x%04X (%d)", static_cast<unsigned int>(c), c);
        if (spaceByte == 0x06) {
            const uint8_t coverage = next();
            const uint8_t shading = next();
            log->printLine("Coverage percentage: 0x%02X (%d)", coverage, coverage);
            log->printLine("Shading percentage: 0x%02X (%d)", shading, shading);
        }
        log->printLine("Color value in the defined format and encoding : 0x%04X", static_cast<uint32_t>(value));
    } else {
        for (int k = 0; k < valueBytes; ++k)
            log->printLine("Color Byte %d: 0x%02X (%d)", k + 1, v[k], v[k]);
        log->printLine("Color value in the defined format and encoding : 0x%08X", static_cast<uint32_t>(value));
    }
}

void qelAFPParser::readColorSpecification(uint8_t* remaining)
{
    if (!remaining)
        return;
    qelLogStream* log = m_log && m_log->anyOf(QEL_LOG_LEVEL3) ? m_log : nullptr;
    if (log)
        log->printLine("Set Extended Color");
    // Only the bytes of this control sequence that the field holds.
    int n = *remaining;
    const int left = m_currentSF ? m_currentSF->getRemainingLength() : 0;
    if (n > left)
        n = left;
    std::vector<uint8_t> bytes(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0)
        m_currentSF->readBytes(bytes.data(), n);
    *remaining = static_cast<uint8_t>(*remaining - n);
    decodeColorSpecification(bytes.data(), n, false, log, m_colorValue, m_colorSpace, &m_colorValueKind);
}

void qelAFPParser::logImageColor(int value)
{
    if (!m_log || m_log->noneOf(QEL_LOG_LEVEL2))
        return;
    const char* name = nullptr;
    switch (value) {
    case 0x0000: case 0xFF00: case 0xFF07: name = "Presentation-process default"; break;
    case 0x0001: case 0xFF01: name = "Blue"; break;
    case 0x0002: case 0xFF02: name = "Red"; break;
    case 0x0003: case 0xFF03: name = "Pink/magenta"; break;
    case 0x0004: case 0xFF04: name = "Green"; break;
    case 0x0005: case 0xFF05: name = "Turquoise/cyan"; break;
    case 0x0006: case 0xFF06: name = "Yellow"; break;
    case 0x0008: name = "Black"; break;
    case 0x000F: name = "Grey"; break;
    case 0x0010: name = "Brown"; break;
    case 0xFF08: name = "Color of medium"; break;
    case 0xFFFF: name = "Current Default"; break;
    default: break;
    }
    m_log->printLine("Color of the Image : ");
    if (name)
        m_log->print("%s", name);
    else
        m_log->printLine("Error! Invalid color value In Image object descriptor");
}
