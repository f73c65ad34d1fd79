#include "qelAEGParser.h"

#include "qelControlSequenceRecord.h"
#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelInitialTextConditions.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelMappingDef.h"
#include "qelMedia.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelPresentationTextParser.h"
#include "qelPtocaMedia.h"
#include "qelSFIBlock.h"
#include "qelSFIData.h"
#include "qelThreeByteValue.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using qelPoolAccess::options;
using qelPoolAccess::quiet;
using qelThreeByteValue::unsignedLow16OrUnsigned24;

const char* unitBaseText(int base)
{
    return base == 0 ? "ten inches" : "tencentimeters";
}

// Sets the triplet reader's log bit back when a Map Coded Font ends.
struct LogMaskGuard
{
    qelTripletParser* reader;
    ~LogMaskGuard()
    {
        if (reader)
            reader->setLogMask(QEL_LOG_LEVEL2);
    }
};

} // namespace

qelAEGParser::qelAEGParser() = default;

qelAEGParser::~qelAEGParser()
{
    delete m_initialTextConditions;
}

bool qelAEGParser::logs(unsigned int bits) const
{
    return m_log && m_log->anyOf(bits);
}

int qelAEGParser::offset()
{
    return m_currentSF ? qelSFIData::getFileOffset(m_currentSF) : 0;
}

bool qelAEGParser::takesFonts() const
{
    if (!m_media)
        return false;
    int kind = m_media->getMediaKind();
    return kind == 1 || kind == qelMedia::KIND_AFP_PAGE || kind == qelMedia::KIND_OVERLAY ||
           kind == qelMedia::KIND_GOCA;
}

int qelAEGParser::resolutionOf(int unitBase, int units)
{
    if (unitBase == 0)
        return units / 10;
    return static_cast<int>(units * 0.254);
}

qelInitialTextConditions* qelAEGParser::takeInitialTextConditions()
{
    qelInitialTextConditions* taken = m_initialTextConditions;
    m_initialTextConditions = nullptr;
    return taken;
}

void qelAEGParser::clearInitialTextConditions()
{
    delete m_initialTextConditions;
    m_initialTextConditions = nullptr;
}

void qelAEGParser::parse(qelMedia* media, qelSFIBlock* field)
{
    qelIni* ini = options();
    if (ini && ini->isDevTestLevel(0x2))
        qelMessageOutput::write("[AEGParser]: (Begin): parse\n");
    m_level = 2;
    clearInitialTextConditions();
    m_media = media;
    m_currentSF = field;
    try {
        beginActiveEnvironmentGroup();
    } catch (qelException* e) {
        if (e->getId() != qelMsg::I199)
            throw;
        delete e;
    }
    bool ended = false;
    while (!ended) {
        // The end of the input (I199 of a memory input included) is not a
        // short field: it leaves the group.
        qelSFIBlock* next = readNextSF();
        try {
            switch (next->getId()) {
            case 0xA66B:
                objectAreaDescriptor();
                break;
            case 0xA69B:
                presentationTextDescriptor();
                break;
            case 0xA6AF:
                pageDescriptor();
                break;
            case 0xA79B:
                composedTextControl();
                break;
            case 0xA9C9:
                endActiveEnvironmentGroup();
                ended = true;
                break;
            case 0xAB8A:
                mapCodedFontFormat2();
                break;
            case 0xABD8:
                mapPageOverlay();
                break;
            case 0xAC6B:
                objectAreaPosition();
                break;
            case 0xB15F:
                pageSegmentMigration();
                break;
            case 0xB18A:
                mapCodedFontFormat1();
                break;
            case 0xB19B:
                presentationTextDescriptorFormat2();
                break;
            case 0xA288:
                break;
            default:
                reportUnexpectedSF(next->getId());
                break;
            }
        } catch (qelException* e) {
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
            if (next->getId() == 0xA9C9)
                ended = true;
        } catch (...) {
            throw new qelException(__FILE__, __LINE__, qelMsg::E001, 0, true);
        }
    }
    if (ini && ini->isDevTestLevel(0x2))
        qelMessageOutput::write("[AEGParser]: (End): parse\n");
}

void qelAEGParser::beginActiveEnvironmentGroup()
{
    readBeginEnd("BAG", "Begin Active Environment Group", QEL_TRIPLET_CGCSGID | QEL_TRIPLET_COMMENT);
}

void qelAEGParser::endActiveEnvironmentGroup()
{
    const std::string name = readName();
    logField("EAG", "End Active Environment Group", name.c_str());
}

void qelAEGParser::pageDescriptor()
{
    qelTripletParser* triplets = getTripletParser();
    logField("PGD", "Page Descriptor", "");
    qelSFIBlock* f = m_currentSF;
    const bool log = logs(QEL_LOG_LEVEL2);
    int xBase = 0;
    int xUnits = 0;
    if (f->getRemainingLength() >= 1) {
        xBase = f->readByte();
        if (log)
            m_log->printLine("Page unit base for X axis (XpgBase) : %s ", unitBaseText(xBase));
        if (m_media)
            m_media->setUnitBase(xBase == 0 ? 1 : 0);
    }
    if (f->getRemainingLength() >= 1) {
        int yBase = f->readByte();
        if (log)
            m_log->printLine("Page unit base for Y axis (YpgBase) : %s", unitBaseText(yBase));
    }
    if (f->getRemainingLength() >= 2) {
        xUnits = static_cast<int>(f->readUShort());
        if (log)
            m_log->printLine("Page units per unit base for X axis (XpgUnits) : %d", xUnits);
        int resolution = resolutionOf(xBase, xUnits);
        // A resolution of 0 would leave nothing to measure by.
        if (m_media && resolution > 0 && resolution <= 0xFFFF)
            m_media->setResolution(static_cast<uint16_t>(resolution));
    }
    if (f->getRemainingLength() >= 2) {
        int yUnits = static_cast<int>(f->readUShort());
        if (log)
            m_log->printLine("Page units per unit base for Y axis (YpgUnits) : %d", yUnits);
    }
    uint32_t width = m_media ? m_media->getWidth() : 0;
    uint32_t height = m_media ? m_media->getHeight() : 0;
    if (f->getRemainingLength() >= 3) {
        width = unsignedLow16OrUnsigned24(qelThreeByteValue::read(m_currentSF));
        if (log)
            m_log->printLine("Page extents for X axis (XpgSize) : %d (0x%x)", width, width);
    }
    if (f->getRemainingLength() >= 3) {
        height = unsignedLow16OrUnsigned24(qelThreeByteValue::read(m_currentSF));
        if (log)
            m_log->printLine("Page extents for Y axis (YpgSize) : %d (0x%x)", height, height);
    }
    if (m_media) {
        m_media->setSize(width, height);
        if (takesFonts())
            if (auto* ptoca = dynamic_cast<qelPtocaMedia*>(m_media))
                ptoca->setTextState(static_cast<int32_t>(width), static_cast<int32_t>(height));
    }
    int left = f->getRemainingLength();
    if (left >= 15) {
        int reserved2 = static_cast<int>(f->readUShort());
        int reserved1 = f->readByte();
        if (log && reserved2 != 0)
            m_log->printAtOffset(static_cast<unsigned int>(offset()), "Warning! Illegal Reserved Bytes");
        if (log && reserved1 != 0)
            m_log->printAtOffset(static_cast<unsigned int>(offset()), "Warning! Illegal Reserved Byte");
    } else if (left >= 2) {
        int reserved2 = static_cast<int>(f->readUShort());
        if (log && reserved2 != 0)
            m_log->printAtOffset(static_cast<unsigned int>(offset()), "Warning! Illegal Reserved Bytes");
    }
    if (f->getRemainingLength() >= 3 && triplets) {
        uint32_t mandatory = 0;
        uint32_t optional = QEL_TRIPLET_MIXING | QEL_TRIPLET_COLOR;
        triplets->parse(&mandatory, &optional, f);
    }
}

void qelAEGParser::presentationTextDescriptor()
{
    logField("PTD", "Presentation Text Descriptor", "");
    qelSFIBlock* f = m_currentSF;
    const bool log = logs(QEL_LOG_LEVEL2);
    int xBase = f->readByte();
    if (log)
        m_log->printLine("Page unit base for X axis : %s", unitBaseText(xBase));
    int yBase = f->readByte();
    if (log)
        m_log->printLine("Page unit base for Y axis : %s", unitBaseText(yBase));
    int xUnits = static_cast<int>(f->readUShort());
    if (log)
        m_log->printLine("Page Units per unit base for X axis (Xptunits) : %d", xUnits);
    int yUnits = static_cast<int>(f->readUShort());
    if (log)
        m_log->printLine("Page Units per unit base for Y axis (Yptunits) : %d", yUnits);
    int xSize = static_cast<int>(f->readUShort());
    if (log)
        m_log->printLine("Page extents for X axis (XptSize) : %d (0x%x)", xSize, xSize);
    int ySize = static_cast<int>(f->readUShort());
    if (log)
        m_log->printLine("Page extents for Y axis (Yptunits) : %d (0x%x)", ySize, ySize);
    if (f->getRemainingLength() > 1) {
        int reserved = static_cast<int>(f->readUShort());
        if (log && reserved != 0)
            m_log->printAtOffset(static_cast<unsigned int>(offset()), "Warning! Illegal Reserved Bytes");
    }
    int rest = f->getRemainingLength();
    if (rest > 0)
        f->skip(rest);
}

void qelAEGParser::presentationTextDescriptorFormat2()
{
    logField("PTD", "Presentation Text Descriptor : 2", "");
    qelSFIBlock* f = m_currentSF;
    const bool log = logs(QEL_LOG_LEVEL2);
    int xBase = f->readByte();
    if (log)
        m_log->printLine("Unit base for X axis (XpBase) : %s", unitBaseText(xBase));
    int yBase = f->readByte();
    if (log)
        m_log->printLine("Unit base for Y axis (YpBase) : %s", unitBaseText(yBase));
    int xUnits = static_cast<int>(f->readUShort());
    if (log)
        m_log->printLine("Units per unit base for X axis (Xpunits) : %d", xUnits);
    int yUnits = static_cast<int>(f->readUShort());
    if (log)
        m_log->printLine("Units per unit base for Y axis (Ypunits) : %d", yUnits);
    int high = f->readByte();
    int low = static_cast<int>(f->readUShort());
    int extent = high * 65536 + low;
    if (log)
        m_log->printLine("Page extents for X axis (Xpextent) : %d (0x%x)", extent, extent);
    high = f->readByte();
    low = static_cast<int>(f->readUShort());
    extent = high * 65536 + low;
    if (log)
        m_log->printLine("Page extents for Y axis (Ypextent) : %d (0x%x)", extent, extent);
    if (f->getRemainingLength() > 1) {
        int reserved = static_cast<int>(f->readUShort());
        if (log && reserved != 0)
            m_log->printAtOffset(static_cast<unsigned int>(offset()), "Warning! Illegal reserved byte : 0x%x",
                                 reserved);
    }
    if (f->getRemainingLength() > 0) {
        if (log)
            m_log->printLine("Initial text conditions in presentation text descriptor 2 format");
        initialTextConditions();
    }
}

void qelAEGParser::setOrientation(int iWord, int bWord)
{
    qelInitialTextConditions* c = m_initialTextConditions;
    const bool log = logs(QEL_LOG_LEVEL3);
    c->iAxisWord = iWord;
    c->bAxisWord = bWord;
    int32_t i = qelPresentationTextParser::orientationDegrees(static_cast<uint32_t>(iWord));
    int32_t b = qelPresentationTextParser::orientationDegrees(static_cast<uint32_t>(bWord));
    int32_t im = qelPresentationTextParser::orientationMinutes(static_cast<uint32_t>(iWord));
    int32_t bm = qelPresentationTextParser::orientationMinutes(static_cast<uint32_t>(bWord));
    if (log)
        m_log->printLine("Set Text Orientation");
    auto valid = [](int32_t d) { return d == 0 || d == 90 || d == 180 || d == 270; };
    if (i == b || b == std::abs(i - 360) || i == std::abs(b - 360)) {
        if (log)
            m_log->printLine("Invalid: I Axis and B Axis ( %d, %d)Degrees. Set to Default Value (0, 90)", i, b);
        i = 0;
        b = 90;
    } else {
        if (!valid(i)) {
            if (log)
                m_log->printLine("Invalid: I Axis Degrees: %d. Set to Default Value 0", i);
            i = 0;
        }
        if (!valid(b)) {
            if (log)
                m_log->printLine("Invalid: B Axis Degrees: %d. Set to Default Value 90", b);
            b = 90;
        }
    }
    if (im >= 60) {
        if (log)
            m_log->printLine("Invalid: I Axis Minutes: %d. Set to Default Value 0", im);
        im = 0;
    }
    if (bm >= 60) {
        if (log)
            m_log->printLine("Invalid: B Axis Minutes: %d. Set to Default Value 0", bm);
        bm = 0;
    }
    if (log) {
        m_log->printLine("I Axis Degrees: %d", i);
        m_log->printLine("B Axis Degrees: %d", b);
        m_log->printLine("I Axis Minutes: %d", im);
        m_log->printLine("B Axis Minutes: %d", bm);
    }
    c->iAxisDegrees = i;
    c->bAxisDegrees = b;
    c->iAxisMinutes = im;
    c->bAxisMinutes = bm;
}

void qelAEGParser::initialTextConditions()
{
    qelSFIBlock* f = m_currentSF;
    const bool log = logs(QEL_LOG_LEVEL3);
    if (f->getRemainingLength() >= 2) {
        int escape = static_cast<int>(f->readUShort());
        if (escape != 0x2BD3 && (logs(QEL_LOG_LEVEL2)))
            m_log->printAtOffset(static_cast<unsigned int>(offset()),
                                 "Warning! Illegal Reserved Bytes: 0x%x, should be 0x2BD3", escape);
    }
    if (f->getRemainingLength() <= 0)
        return;
    delete m_initialTextConditions;
    m_initialTextConditions = new qelInitialTextConditions();
    qelInitialTextConditions* c = m_initialTextConditions;
    while (f->getRemainingLength() > 0) {
        int length = f->readByte();
        if (f->getRemainingLength() <= 0)
            break;
        int type = f->readByte();
        // Parameters bounded by the sequence's own length and by the field,
        // so that no sequence reads into the next one.
        int n = length - 2;
        int left = f->getRemainingLength();
        if (n > left)
            n = left;
        qelControlSequenceRecord record;
        record.setFunctionType(static_cast<uint8_t>(type));
        record.setLength(static_cast<uint8_t>(length));
        if (n > 0) {
            uint8_t* bytes = new uint8_t[static_cast<size_t>(n)];
            f->readBytes(bytes, n);
            record.setData(bytes, static_cast<uint8_t>(n));
        }
        switch (type & 0xFE) {
        case 0x74:
            if (record.getRemaining() >= 2) {
                c->textColor = record.readUnsignedShort();
                c->colorSpace = 5;
            }
            if (log)
                m_log->printLine("Set Text Color: 0x%x", c->textColor);
            break;
        case 0x80: {
            if (log)
                m_log->printLine("Set Extended Text Color: ");
            if (log)
                m_log->printLine("Set Extended Color");
            decodeColorSpecification(record.getData(), record.getDataLength(), false, log ? m_log : nullptr,
                                     m_colorValue, m_colorSpace, &m_colorValueKind);
            c->textColor = static_cast<uint32_t>(m_colorValue);
            c->colorSpace = m_colorSpace;
            break;
        }
        case 0xC0:
            if (record.getRemaining() >= 2)
                c->inlineMargin = record.readUnsignedShort();
            if (log)
                m_log->printLine("Set Inline Margin: %d", c->inlineMargin);
            break;
        case 0xC2:
            if (record.getRemaining() >= 2)
                c->interCharacterAdjustment = record.readUnsignedShort();
            if (log)
                m_log->printLine("Set Intercharacter Adjustment: %d", c->interCharacterAdjustment);
            break;
        case 0xC6:
            if (record.getRemaining() >= 2)
                c->inlinePosition = record.readUnsignedShort();
            if (log)
                m_log->printLine("Absolute Move Inline: %d", c->inlinePosition);
            break;
        case 0xD0:
            if (record.getRemaining() >= 2)
                c->baselineIncrement = record.readUnsignedShort();
            if (log)
                m_log->printLine("Set BaseLine Increment: %d ", c->baselineIncrement);
            break;
        case 0xD2:
            if (record.getRemaining() >= 2)
                c->baselinePosition = record.readUnsignedShort();
            if (log)
                m_log->printLine("Absolute Move Baseline: %d", c->baselinePosition);
            break;
        case 0xF0:
            if (record.getRemaining() >= 1)
                c->fontLocalId = record.readByte();
            if (log)
                m_log->printLine("Set coded font Local: %d", c->fontLocalId);
            break;
        case 0xF6:
            if (record.getRemaining() >= 2) {
                int iWord = record.readUnsignedShort();
                int bWord = record.getRemaining() >= 2 ? record.readUnsignedShort() : c->bAxisWord;
                setOrientation(iWord, bWord);
            }
            break;
        default:
            if (logs(QEL_LOG_LEVEL3))
                m_log->printLine("Warning! Unknown Presentation Text attribute: 0x%x",
                                 static_cast<unsigned int>(type & 0xFE));
            if (!quiet())
                qelMessageOutput::printf("Warning! Unknown Presentation Text attribute: 0x%x\n",
                                         static_cast<unsigned int>(type & 0xFE));
            break;
        }
        if ((type & 0x01) == 0) {
            // Unchained: the next sequence begins after the next escape.
            bool found = false;
            while (f->getRemainingLength() > 0) {
                if (f->readByte() == 0x2B) {
                    found = true;
                    break;
                }
            }
            if (!found || f->getRemainingLength() <= 0)
                break;
            f->readByte();
        }
    }
}

void qelAEGParser::mapCodedFontFormat1()
{
    logField("MCF-1", "Map Coded Font Format 1", "");
    qelSFIBlock* f = m_currentSF;
    const bool log2 = logs(QEL_LOG_LEVEL2);
    const bool log4 = logs(QEL_LOG_LEVEL3);
    if (!m_media) {
        if (log2)
            m_log->printLine("Warning! NULL media object in mapCodedFontFormat1.");
    } else if (!takesFonts()) {
        if (log2)
            m_log->printLine("Warning! Method mapCodedFontFormat1 cannot process non PTOCA media");
    }
    int groupLength = f->readByte();
    if (log2)
        m_log->printLine("Length of repeating group : (rglength) 0x%02x ", static_cast<unsigned int>(groupLength));
    int reserved2 = static_cast<int>(f->readUShort());
    if (log2 && reserved2 != 0)
        m_log->printLine("Warning! Illegal reserved Bytes");
    int reserved1 = f->readByte();
    if (log2 && reserved1 != 0)
        m_log->printLine("Warning! Illegal reserved byte");
    auto readText = [&](int n) {
        std::vector<unsigned char> raw(static_cast<size_t>(n) + 1, 0);
        f->readBytes(raw.data(), n);
        qelUtils::ebcdicToAscii(raw.data(), n);
        raw[static_cast<size_t>(n)] = 0;
        std::string text(reinterpret_cast<char*>(raw.data()));
        std::vector<char> buffer(text.begin(), text.end());
        buffer.push_back(0);
        return std::string(qelUtils::trim(buffer.data()));
    };
    while (f->getRemainingLength() > 0) {
        int start = f->getPosition();
        int localId = f->readByte();
        if (log4)
            m_log->printLine("Coded Font Local ID (CFLid) :  0x%x", static_cast<unsigned int>(localId));
        int reserved = f->readByte();
        if (log4 && reserved != 0)
            m_log->printLine("Warning! Illegal reserved byte: 0x%x", static_cast<unsigned int>(reserved));
        int section = f->readByte();
        if (log4) {
            m_log->printLine("Coded Font Section ID (0x%02X) : ", static_cast<unsigned int>(section));
            if (section == 0)
                m_log->print("Single-byte coded font ");
            else if (section >= 0x41 && section <= 0xFE)
                m_log->print("Double-byte coded font ");
            else
                m_log->print("Illegal value at 0x%X", static_cast<unsigned int>(offset()));
        }
        reserved = f->readByte();
        if (log4 && reserved != 0)
            m_log->printLine("Warning! Illegal reserved byte : 0x%x", static_cast<unsigned int>(reserved));
        std::string codedFont = readText(8);
        std::string codePage = readText(8);
        std::string charSet = readText(8);
        if (log4) {
            if (codedFont.empty())
                m_log->printLine("Warning! NULL CodedFont Name");
            else
                m_log->printLine("Coded Font Name : %s", codedFont.c_str());
            if (codePage.empty())
                m_log->printLine("Warning! NULL CodePage Name");
            else
                m_log->printLine("Codepage Name : %s", codePage.c_str());
            if (charSet.empty())
                m_log->printLine("Warning! NULL Character set Name");
            else
                m_log->printLine("Characterset Name : %s", charSet.c_str());
        }
        if (groupLength == 30) {
            int rotation = static_cast<int>(f->readUShort());
            if (log4) {
                const int degrees = rotationDegrees(static_cast<unsigned int>(rotation));
                if (degrees >= 0)
                    m_log->printLine("Character Rotation : %d degrees", degrees);
                else
                    m_log->printLine("Warning! Illegal Value for Character Rotation : 0x%x",
                                     static_cast<unsigned int>(rotation));
            }
        }
        // Longer groups: go on at the next group.
        int extra = groupLength - (f->getPosition() - start);
        if (extra > 0) {
            int left = f->getRemainingLength();
            f->skip(extra < left ? extra : left);
        }
        if (!takesFonts())
            continue;
        const std::string& name = codedFont.empty() ? charSet : codedFont;
        std::unique_ptr<qelMappedRes> mapped(new qelMappedRes(static_cast<uint8_t>(localId), 3, name.c_str()));
        mapped->setDerivedName(0);
        qelMappedFontInfo* info = new qelMappedFontInfo();
        if (!codedFont.empty())
            info->setCodedFontName(codedFont.c_str());
        if (!codePage.empty())
            info->setCodePageName(codePage.c_str());
        if (!charSet.empty())
            info->setCharacterSetName(charSet.c_str());
        info->setLocalId(static_cast<uint8_t>(localId));
        mapped->setFontInfo(info);
        m_media->addMappedResource(mapped.release());
    }
}

void qelAEGParser::mapCodedFontFormat2()
{
    qelTripletParser* triplets = getTripletParser();
    logField("MCF-2", "Map Coded Font Format 2", "");
    qelSFIBlock* f = m_currentSF;
    if (!f || !triplets)
        return;
    triplets->setLogMask(QEL_LOG_LEVEL3);
    LogMaskGuard guard{triplets};
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelMappingDef* definition = pool ? pool->getMappingDef() : nullptr;
    qelIni* ini = options();
    while (f->getRemainingLength() > 0) {
        int groupLength = static_cast<int>(f->readUShort());
        if (logs(QEL_LOG_LEVEL3))
            m_log->printLine("Repeating group length: 0x%x", static_cast<unsigned int>(groupLength));
        std::unique_ptr<qelMappedFontInfo> info(new qelMappedFontInfo());
        triplets->MCF_Triplets(groupLength - 2, f, info.get());
        triplets->setFullyQualifiedName(nullptr);

        if (const char* cpgid = info->getCPGID()) {
            const char* found = nullptr;
            if (definition && definition->isLoaded()) {
                std::vector<char> key(cpgid, cpgid + std::strlen(cpgid) + 1);
                qelUtils::trim(key.data());
                if (qelCodePageEntry* entry = definition->findCodePageByFile(key.data()))
                    found = entry->codePageName[0] ? entry->codePageName : nullptr;
            }
            if (found) {
                std::string name(found, strnlen(found, 8));
                info->setCodePageName(name.c_str());
            } else {
                std::string digits(cpgid);
                if (digits.size() < 6)
                    digits.insert(0, 6 - digits.size(), '0');
                std::string name = "T1" + digits;
                info->setCodePageName(name.c_str());
                if (!quiet())
                    qelMessageOutput::printf("Using default codepage %s\n", name.c_str());
                if (logs(QEL_LOG_LEVEL2))
                    m_log->printLine("Using default codepage %s", name.c_str());
            }
        }

        const char* codedFont = info->getCodedFontName();
        const char* charSet = info->getCharacterSetName();
        std::string name = codedFont && *codedFont ? codedFont : (charSet ? charSet : "");
        uint8_t derived = 0;
        if (name.empty() && info->getFGID()) {
            const char* fgid = info->getFGID();
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
            std::string derivedName = found ? std::string(found, strnlen(found, 8)) : std::string("C0H20000");
            if (derivedName.size() < 8)
                derivedName.append(8 - derivedName.size(), '0');
            double size = info->getHorizontalSize();
            const uint8_t flags = info->getDesignFlags();
            const unsigned int fgidValue = static_cast<unsigned int>(std::atoi(fgid)) & 0xFFFF;
            bool proportional;
            if (flags != 0)
                proportional = (flags & 0x04) != 0;
            else
                proportional = !(fgidValue <= 749 || (fgidValue >= 3840 && fgidValue <= 4095));
            int estimate = qelUtils::roundHalfDown(proportional ? size * 3.0 : size * 1000.0 / 600.0);
            info->setVerticalSize(estimate);
            int v = estimate / 10;
            if (v >= 1 && v <= 9) {
                derivedName[6] = static_cast<char>('0' + v);
                derivedName[7] = '0';
            } else if (v >= 11 && v <= 36) {
                derivedName[6] = static_cast<char>('A' + (v - 11));
                derivedName[7] = '0';
            } else {
                derivedName[6] = '0';
                derivedName[7] = '0';
            }
            info->setCharacterSetName(derivedName.c_str());
            name = derivedName;
            derived = 1;
        }

        const int32_t halfWidth = info->getHorizontalSize();
        const int32_t height = info->getVerticalSize();
        std::unique_ptr<qelMappedRes> mapped(new qelMappedRes(info->getLocalId(), 3, name.c_str()));
        mapped->setDerivedName(derived);
        mapped->setFontInfo(info.release());
        if (takesFonts()) {
            m_media->addMappedResource(mapped.release());
            if (ini && ini->getOutputFormat() == QEL_OUT_ASCII) {
                int32_t smallestWidth = m_media->getSmallestCharWidth();
                int32_t smallestHeight = m_media->getSmallestCharHeight();
                if (halfWidth == 0)
                    smallestWidth = 100;
                else if (halfWidth > 0 && halfWidth < smallestWidth)
                    smallestWidth = halfWidth;
                if (height == 0)
                    smallestHeight = 100;
                else if (height > 0 && height < smallestHeight)
                    smallestHeight = height;
                m_media->setSmallestCharSize(smallestWidth, smallestHeight);
            }
        }
    }
}

void qelAEGParser::mapPageOverlay()
{
    qelTripletParser* triplets = getTripletParser();
    logField("MPO", "Map Page Overlay", "");
    qelSFIBlock* f = m_currentSF;
    if (!triplets)
        return;
    while (f->getRemainingLength() > 0) {
        int groupLength = static_cast<int>(f->readUShort());
        triplets->repeatedTriplets(QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_RESOURCE_LOCAL_ID,
                                   QEL_TRIPLET_CGCSGID | QEL_TRIPLET_OVERLAY_CONDITION | QEL_TRIPLET_RESOURCE_USAGE,
                                   groupLength - 2, f);
        triplets->setFullyQualifiedName(nullptr);
        triplets->setAlternateName(nullptr);
    }
}

void qelAEGParser::pageSegmentMigration()
{
    logField("MPS", "Page Segment Migration", "");
    qelSFIBlock* f = m_currentSF;
    const bool log = logs(QEL_LOG_LEVEL2);
    int groupLength = f->readByte();
    if (log) {
        if (groupLength != 12)
            m_log->printLine("Warning! Illegal RG Length : 0x%x Should be 0x0C", static_cast<unsigned int>(groupLength));
        m_log->printLine("Length of repeating group (rglength) : 0x%x", static_cast<unsigned int>(groupLength));
    }
    if (f->getRemainingLength() > 6) {
        unsigned char reserved[3] = {};
        f->readBytes(reserved, 3);
        if (log && (reserved[0] || reserved[1] || reserved[2]))
            m_log->printLine("Warning! Illegal reserved (3) Bytes");
        for (int k = 0; k < 2; ++k)
            if (f->readUShort() != 0 && log)
                m_log->printLine("Warning! Illegal Reserved(2) Bytes.");
    }
    if (f->getRemainingLength() > 7) {
        const std::string name = readName();
        if (log)
            m_log->printLine("Page Segment Name : %s", name.c_str());
    }
    int rest = f->getRemainingLength();
    if (rest > 0)
        f->skip(rest);
}

void qelAEGParser::objectAreaDescriptor()
{
    qelTripletParser* triplets = getTripletParser();
    logField("OBD", "Object Area Descriptor", "");
    qelSFIBlock* f = m_currentSF;
    if (f->getDataSize() > 0 && f->getRemainingLength() > 0) {
        if (triplets) {
            uint32_t mandatory = QEL_TRIPLET_DESCRIPTOR_POSITION | QEL_TRIPLET_MEASUREMENT_UNITS
                                 | QEL_TRIPLET_OBJECT_AREA_SIZE;
            uint32_t optional = QEL_TRIPLET_MIXING | QEL_TRIPLET_COLOR;
            triplets->parse(&mandatory, &optional, f);
        }
        return;
    }
    if (!quiet())
        qelMessageOutput::printf("Warning! Missing Mandatory Triplet.\n");
    if (logs(QEL_LOG_LEVEL2))
        m_log->printLine("Warning! Missing Mandatory Triplet.");
}

void qelAEGParser::objectAreaPosition()
{
    logField("OBP", "Object Area Position", "");
    qelSFIBlock* f = m_currentSF;
    const bool log = logs(QEL_LOG_LEVEL2);
    auto has = [&](int n) { return f->getRemainingLength() >= n; };
    if (!has(1))
        return;
    int id = f->readByte();
    if (log)
        m_log->printLine("Object area position ID : %d (0x%x)", id, static_cast<unsigned int>(id));
    if (!has(1))
        return;
    int groupLength = f->readByte();
    if (log && groupLength != 23)
        m_log->printLine("Warning! RG Length not equal to 23");
    auto offsetValue = [&](const char* text) {
        if (!has(3))
            return false;
        uint32_t v = unsignedLow16OrUnsigned24(qelThreeByteValue::read(m_currentSF));
        if (log)
            m_log->printLine(text, v, v);
        return true;
    };
    auto rotation = [&](const char* good, const char* bad) {
        if (!has(2))
            return false;
        int v = static_cast<int>(f->readUShort());
        if (log) {
            const int degrees = rotationDegrees(static_cast<unsigned int>(v));
            if (degrees >= 0)
                m_log->printLine(good, degrees);
            else
                m_log->printLine(bad, v);
        }
        return true;
    };
    if (!offsetValue("X axis origin of the object area (XoaOset) : %d (0x%x)"))
        return;
    if (!offsetValue("Y axis origin of the object area (YoaOset) : %d (0x%x)"))
        return;
    if (!rotation("object area's X axis rotation (XoaOrent) : %d degrees",
                  "Warning! Illegal Value for object area's X axis rotation: %d"))
        return;
    if (!rotation("object area's Y axis rotation (YoaOrent)  : %d degrees",
                  "Warning! Illegal Value for object area's Y axis rotation : %d"))
        return;
    if (!has(1))
        return;
    if (f->readByte() != 0) {
        if (log)
            m_log->printLine("Warning! Reseved bytes not equal to 0x00");
        if (!quiet())
            qelMessageOutput::printf("Warning! Reseved bytes not equal to 0x00\n");
    }
    if (!offsetValue("X axis origin for object content (XocaOset): %d (0x%x)"))
        return;
    if (!offsetValue("Y axis origin for object content (YocaOset): %d (0x%x)"))
        return;
    if (!rotation("object content's  X axis rotation (XocaOrent): %d degrees",
                  "Warning! Illegal Value for object content's  X axis rotation: %d"))
        return;
    if (!rotation("object content's Y axis rotation (YocaOrent) : %d degrees",
                  "Warning! Illegal Value for object content's Y axis rotation: %d"))
        return;
    if (!has(1))
        return;
    int reference = f->readByte();
    if (log)
        m_log->printLine("Reference coordinate system (RefCSys) : %d", reference);
}

void qelAEGParser::composedTextControl()
{
    logField("CTC", "Composed Text Control", "");
    qelSFIBlock* f = m_currentSF;
    const bool log = logs(QEL_LOG_LEVEL2);
    for (int k = 0; k < 5 && f->getRemainingLength() >= 2; ++k) {
        int at = offset();
        unsigned int word = f->readUShort();
        unsigned int expected = k < 4 ? 0u : 0x2D00u;
        if (word != expected && log)
            m_log->printAtOffset(static_cast<unsigned int>(at), "Warning! Illegal Reserved Bytes.");
    }
    int rest = f->getRemainingLength();
    if (rest > 0)
        f->skip(rest);
}
