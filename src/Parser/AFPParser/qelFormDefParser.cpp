#include "qelFormDefParser.h"

#include "qelException.h"
#include "qelFORMDEF.h"
#include "qelGlobalDSPool.h"
#include "qelGlobalRes.h"
#include "qelIOStream.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelModcaParser.h"
#include "qelPoolAccess.h"
#include "qelSFIBlock.h"
#include "qelSFIData.h"
#include "qelString.h"
#include "qelThreeByteValue.h"
#include "qelTripletParser.h"
#include "qelUtils.h"

#include <memory>

namespace
{

using qelPoolAccess::options;
using qelPoolAccess::quiet;
using qelThreeByteValue::signedLow16OrSigned24;

enum
{
    SF_BFM = 0xA8CD,
    SF_EFM = 0xA9CD,
    SF_BDG = 0xA8C4,
    SF_EDG = 0xA9C4,
    SF_BMM = 0xA8CC,
    SF_EMM = 0xA9CC,
    SF_BFG = 0xA8C5,
    SF_EFG = 0xA9C5,
    SF_FGD = 0xA6C5,
    SF_MDD = 0xA688,
    SF_MCC = 0xA288,
    SF_MMC = 0xA788,
    SF_PGP1 = 0xACAF,
    SF_PGP2 = 0xB1AF,
    SF_MMO = 0xB1DF,
    SF_MSU = 0xABEA,
    SF_PMC = 0xA7AF,
    SF_MPO = 0xABD8,
    SF_MFC = 0xA088,
    SF_MMT = 0xAB88
};

} // namespace

qelFormDefParser::qelFormDefParser() = default;

qelFormDefParser::~qelFormDefParser() = default;

int32_t qelFormDefParser::offsetOf3Bytes(uint8_t high, uint8_t middle, uint8_t low)
{
    return signedLow16OrSigned24((static_cast<uint32_t>(high) << 16) | (static_cast<uint32_t>(middle) << 8) | low);
}

// ------------------------------------------------------------------ helpers

qelLogStream* qelFormDefParser::logWith(unsigned int mask) const
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    return log && log->anyOf(mask) ? log : nullptr;
}

int qelFormDefParser::inputOffset()
{
    return m_currentSF ? qelSFIData::getFileOffset(m_currentSF) : 0;
}

long qelFormDefParser::fieldOffset()
{
    qelIOStream* in = m_input ? m_input : qelIOStream::getCurrent();
    return in ? static_cast<long>(in->getSFIOffset()) : 0L;
}

void qelFormDefParser::warnAtOffset(unsigned int mask, const char* text)
{
    if (qelLogStream* log = logWith(mask))
        log->printAtOffset(static_cast<unsigned int>(inputOffset()), "%s", text);
}

void qelFormDefParser::readTriplets(uint32_t optional)
{
    qelTripletParser* triplets = getTripletParser();
    if (!triplets || m_currentSF->getRemainingLength() <= 0)
        return;
    uint32_t mandatory = 0;
    try {
        triplets->parse(&mandatory, &optional, m_currentSF);
    } catch (...) {
        dropNames();
        throw;
    }
    dropNames();
}

void qelFormDefParser::dropNames()
{
    qelTripletParser* triplets = getTripletParser();
    // Freed through the reader, which would free them again otherwise.
    triplets->setFullyQualifiedName(nullptr);
    triplets->setAlternateName(nullptr);
}

void qelFormDefParser::logField(const char* abbreviation, const char* name, const char* text)
{
    if (qelLogStream* log = logWith(QEL_LOG_LEVEL1))
        log->logStructuredField(getLevel(), static_cast<unsigned long long>(m_currentSF->getOffset()),
                                static_cast<unsigned short>(m_currentSF->getId()), abbreviation, name, text);
}

void qelFormDefParser::prepareSearchPaths(int mode)
{
    prepareSearch(3, mode);
}

void qelFormDefParser::releaseMaps()
{
    for (qelMediumMap* map : m_maps)
        map->setFormDefinition(nullptr);
    m_maps.clear();
}

void qelFormDefParser::finish()
{
    m_currentMediumMap = nullptr;
    m_currentMmc = nullptr;
    if (m_found && m_mode == MODE_LIBRARY)
        closeResourceFile();
    m_input = nullptr;
}

// ------------------------------------------------------------------- parses

qelRes* qelFormDefParser::parse(const char* name, int mode, const char* fileName)
{
    prepareSearchPaths(mode);
    std::unique_ptr<qelFORMDEF> form;
    m_maps.clear();
    m_formDef = nullptr;
    m_input = nullptr;
    try {
        setNames(name, fileName);
        if (mode == MODE_LIBRARY)
            qelResParser::loadResourceFile();
        m_input = qelIOStream::getCurrent();
        form.reset(new qelFORMDEF(m_resourceName.c_str()));
        m_resource = form.get();
        m_formDef = form.get();
        if (mode == MODE_LIBRARY && m_input && m_input->getStream())
            form->setLibraryName(m_input->getName());
        form->setFileName(m_fileName.c_str());
        qelSFIBlock* field = readNextSF(m_input);
        if (field->getId() == SF_BFM)
            parseFormMap();
        else
            reportUnexpectedSF(field->getId());
    } catch (qelException* e) {
        // A form definition cut short is an error, not the end of the input;
        // the end-of-input information is not printed by itself.
        const bool silent = e->getId() == qelMsg::I001 && e->getKind() != QEL_MSG_ERROR;
        makeEndOfDataError(e);
        if (silent)
            qelMessageOutput::write(e->getText());
        delete e;
        releaseMaps();
        form.reset();
    } catch (...) {
        releaseMaps();
        form.reset();
        m_resource = nullptr;
        m_formDef = nullptr;
        finish();
        throw;
    }
    m_maps.clear();
    m_formDef = nullptr;
    finish();
    m_resource = form.get();
    return form.release();
}

void qelFormDefParser::parse(qelSFIBlock* beginFormMap)
{
    qelIOStream* input = qelIOStream::getCurrent();
    if (!beginFormMap || !input) {
        trace("[FormDefParser]: (Begin): parse");
        return;
    }
    m_input = input;
    m_formDef = nullptr;
    m_maps.clear();
    m_currentSF = beginFormMap;
    try {
        parseFormMap();
    } catch (qelException* e) {
        makeEndOfDataError(e);
        m_currentMediumMap = nullptr;
        m_currentMmc = nullptr;
        m_input = nullptr;
        throw;
    } catch (...) {
        m_currentMediumMap = nullptr;
        m_currentMmc = nullptr;
        m_input = nullptr;
        throw;
    }
    m_maps.clear();
    m_input = nullptr;
}

// -------------------------------------------------------------------- loops

void qelFormDefParser::parseFormMap()
{
    trace("[FormDefParser]: (Begin): parse");
    m_pageOffsetX = 0;
    m_pageOffsetY = 0;
    m_defaultXUnitBase = 0xFF;
    m_defaultYUnitBase = 0xFF;
    m_defaultXUnitsPerBase = 0;
    m_defaultYUnitsPerBase = 0;
    m_defaultXExtent = 0;
    m_defaultYExtent = 0;
    m_defaultMediumFlags = 0;
    m_currentMmc = nullptr;
    m_currentMediumMap = nullptr;
    beginFormMap();
    bool first = true;
    bool ended = false;
    while (!ended) {
        qelSFIBlock* field = readNextSF(m_input);
        try {
            switch (field->getId()) {
            case SF_BDG:
                parseDocumentEnvironmentGroup();
                break;
            case SF_BMM: {
                qelMediumMap* map = parseMediumMap();
                if (first && map)
                    applyDefaultMediumMap(map);
                first = false;
                break;
            }
            case SF_EFM:
                ended = true;
                endFormMap();
                break;
            default:
                reportUnexpectedSF(field->getId());
                break;
            }
        } catch (qelException* e) {
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
    }
    trace("[FormDefParser]: (End): parse");
}

void qelFormDefParser::applyDefaultMediumMap(qelMediumMap* map)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    if (pool && pool->hasObject(QEL_POOL_MODCA_PARSER)) {
        qelModcaParser* document = pool->getModcaParser();
        document->setCurrentMediumMap(map);
        map->clearCurrentSubgroup();
        document->setMediumMapName(map->getName());
    }
    map->resolveMediumOverlays();
}

void qelFormDefParser::parseDocumentEnvironmentGroup()
{
    beginDocumentEnvironmentGroup();
    bool ended = false;
    while (!ended) {
        qelSFIBlock* field = readNextSF(m_input);
        try {
            switch (field->getId()) {
            case SF_MDD:
                mediumDescriptor();
                break;
            case SF_EDG:
                ended = true;
                endDocumentEnvironmentGroup();
                break;
            case SF_MSU:
                mapSuppression();
                break;
            case SF_PGP1:
                pagePosition();
                storeDefaultPagePosition();
                break;
            case SF_PGP2:
                pagePositionFormat2();
                storeDefaultPagePosition();
                break;
            case SF_MMO:
                mapMediumOverlay(true);
                break;
            default:
                reportUnexpectedSF(field->getId());
                break;
            }
        } catch (qelException* e) {
            if (e->getId() != qelMsg::I199)
                throw;
            delete e;
        }
    }
}

void qelFormDefParser::storeDefaultPagePosition()
{
    m_defaultPagePositionX = m_pageOffsetX;
    m_defaultPagePositionY = m_pageOffsetY;
}

qelMediumMap* qelFormDefParser::parseMediumMap()
{
    std::unique_ptr<qelMediumMap> map(new qelMediumMap(nullptr));
    m_currentMediumMap = map.get();
    m_currentMmc = nullptr;
    map->setOffset(m_pageOffsetX, m_pageOffsetY);
    map->setUnitBases(m_defaultXUnitBase, m_defaultYUnitBase);
    map->setUnits(static_cast<uint16_t>(m_defaultXUnitsPerBase), static_cast<uint16_t>(m_defaultYUnitsPerBase));
    map->setExtents(m_defaultXExtent, m_defaultYExtent);
    map->setDescriptorFlags(m_defaultMediumFlags);
    map->setFormDefinition(m_formDef);
    try {
        beginMediumMap();
        bool ended = false;
        while (!ended) {
            qelSFIBlock* field = readNextSF(m_input);
            try {
                switch (field->getId()) {
                case SF_MFC: mediumFinishingControl(); break;
                case SF_MCC: mediumCopyCount(); break;
                case SF_MDD: mediumDescriptor(); break;
                case SF_FGD: formEnvironmentGroupDescriptor(); break;
                case SF_MMC: mediumModificationControl(); break;
                case SF_PMC: pageModificationControl(); break;
                case SF_BFG: beginFormEnvironmentGroup(); break;
                case SF_EFG: endFormEnvironmentGroup(); break;
                case SF_EMM:
                    ended = true;
                    endMediumMap();
                    break;
                case SF_MMT: mapMediaType(); break;
                case SF_MPO: mapPageOverlay(); break;
                case SF_PGP1:
                    pagePosition();
                    map->setOffset(m_pageOffsetX, m_pageOffsetY);
                    break;
                case SF_PGP2:
                    pagePositionFormat2();
                    map->setOffset(m_pageOffsetX, m_pageOffsetY);
                    break;
                case SF_MMO: mapMediumOverlay(false); break;
                default: reportUnexpectedSF(field->getId()); break;
                }
            } catch (qelException* e) {
                if (e->getId() != qelMsg::I199)
                    throw;
                delete e;
            }
        }
    } catch (...) {
        m_currentMediumMap = nullptr;
        m_currentMmc = nullptr;
        throw;
    }
    qelIOStream* in = m_input ? m_input : qelIOStream::getCurrent();
    map->setFound(1);
    map->setInline(in && in->isSpoolInput() ? 1 : 0);
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelGlobalRes* resources = pool ? pool->getGlobalRes() : nullptr;
    qelList* list = resources ? resources->getList(map->getInline() ? qelGlobalRes::LEVEL_SPOOL
                                                                    : qelGlobalRes::LEVEL_PROCESS,
                                                   map->getName(), qelRes::TYPE_MEDIUM_MAP - 1)
                              : nullptr;
    if (!list) {
        m_currentMediumMap = nullptr;
        m_currentMmc = nullptr;
        return nullptr;
    }
    qelMediumMap* registered = map.release();
    list->append(registered);
    m_maps.push_back(registered);
    return registered;
}

// ------------------------------------------------------ begin and end fields

void qelFormDefParser::beginFormMap()
{
    const std::string name = readName();
    logField("BFM", "Begin Form Map", name.c_str());
    readTriplets(QEL_TRIPLET_CGCSGID | QEL_TRIPLET_TIME_STAMP | QEL_TRIPLET_COMMENT);
}

void qelFormDefParser::endFormMap()
{
    const std::string name = readName();
    logField("EFM", "End Form Map", name.c_str());
}

void qelFormDefParser::beginDocumentEnvironmentGroup()
{
    const std::string name = readName();
    logField("BDG", "Begin Document Environment Group", name.c_str());
    readTriplets(QEL_TRIPLET_CGCSGID | QEL_TRIPLET_COMMENT);
}

void qelFormDefParser::endDocumentEnvironmentGroup()
{
    const std::string name = readName();
    logField("EDG", "End Document Environment Group", name.c_str());
}

void qelFormDefParser::beginMediumMap()
{
    const std::string name = readName();
    logField("BMM", "Begin Medium Map", name.c_str());
    if (m_currentMediumMap) {
        if (!name.empty())
            m_currentMediumMap->setName(name.c_str());
        m_currentMediumMap->setFileName(m_fileName.c_str());
    }
    readTriplets(QEL_TRIPLET_CGCSGID | QEL_TRIPLET_COMMENT | QEL_TRIPLET_MEDIA_EJECT);
}

void qelFormDefParser::endMediumMap()
{
    const std::string name = readName();
    logField("EMM", "End Medium Map", name.c_str());
}

void qelFormDefParser::beginFormEnvironmentGroup()
{
    const std::string name = readName() + " (Obsolete Field)";
    logField("BFG", "Begin Form Environment Group", name.c_str());
}

void qelFormDefParser::endFormEnvironmentGroup()
{
    const std::string name = readName() + " (Obsolete Field)";
    logField("EFG", "End Form Environment Group", name.c_str());
}

void qelFormDefParser::formEnvironmentGroupDescriptor()
{
    logField("FGD", "Form Environment Group Descriptor", "(Obsolete Field)");
    qelLogStream* log = logWith(QEL_LOG_LEVEL2);
    if (!log || m_currentSF->getRemainingLength() <= 0)
        return;
    log->printLine("Constant Data: ");
    while (m_currentSF->getRemainingLength() > 0)
        log->print("0x%02X ", static_cast<unsigned int>(m_currentSF->readByte()));
}

void qelFormDefParser::mediumFinishingControl()
{
    logField("MFC", "Medium Finishing Control - not processed", "");
}

void qelFormDefParser::mapMediaType()
{
    logField("MMT", "Map Media Type - not processed", "");
}

// --------------------------------------------------------- medium descriptor

void qelFormDefParser::mediumDescriptor()
{
    logField("MDD", "Medium Descriptor", "");
    // Each field is read only when all its bytes are there.
    bool present = true;
    auto take = [this, &present](int size) -> int {
        if (!present || m_currentSF->getRemainingLength() < size) {
            present = false;
            return 0;
        }
        if (size == 1)
            return m_currentSF->readByte();
        if (size == 2)
            return static_cast<int>(m_currentSF->readUShort());
        m_currentSF->readByte();
        return static_cast<int>(m_currentSF->readUShort());
    };
    const uint8_t xBase = static_cast<uint8_t>(take(1));
    const uint8_t yBase = static_cast<uint8_t>(take(1));
    const uint16_t xUnits = static_cast<uint16_t>(take(2));
    const uint16_t yUnits = static_cast<uint16_t>(take(2));
    const uint16_t xExtent = static_cast<uint16_t>(take(3));
    const uint16_t yExtent = static_cast<uint16_t>(take(3));
    const uint8_t flags = static_cast<uint8_t>(take(1));

    if (qelLogStream* log = logWith(QEL_LOG_LEVEL2)) {
        log->printLine("Medium unit base for X axis: %s", xBase == 0 ? "Ten inches" : "Ten centimeters");
        log->printLine("Medium unit base for Y axis: %s", yBase == 0 ? "Ten inches" : "Ten centimeters");
        log->printLine("Medium Units per unit base for X axis: %d", static_cast<int>(static_cast<int16_t>(xUnits)));
        log->printLine("Medium Units per unit base for Y axis: %d", static_cast<int>(static_cast<int16_t>(yUnits)));
        const struct
        {
            char axis;
            int extent;
            int largest;
        } extents[] = {{'X', xExtent, static_cast<int>(static_cast<int16_t>(xUnits) / 10.0 * 22)},
                       {'Y', yExtent, static_cast<int>(static_cast<int16_t>(yUnits) / 10.0 * 22)}};
        for (const auto& e : extents) {
            if (e.extent == 0)
                log->printLine("Medium extent for %c axis: %d (%c-axis extent not specified)", e.axis, e.extent,
                               e.axis);
            else if (e.extent == 0xFFFF)
                log->printLine("Medium extent for %c axis: %d (Presentation process default)", e.axis, e.extent);
            else if (e.extent <= e.largest)
                log->printLine("Medium extent for %c axis: %d", e.axis, e.extent);
            else
                log->printLine("Medium extent for %c axis: %d (Invalid value, should be within 1 to %d)", e.axis,
                               e.extent, e.largest);
        }
    }
    if (m_currentMediumMap) {
        m_currentMediumMap->setUnitBases(xBase, yBase);
        m_currentMediumMap->setUnits(xUnits, yUnits);
        m_currentMediumMap->setExtents(xExtent, yExtent);
        m_currentMediumMap->setDescriptorFlags(flags);
    } else {
        m_defaultXUnitBase = xBase;
        m_defaultYUnitBase = yBase;
        m_defaultXUnitsPerBase = static_cast<int16_t>(xUnits);
        m_defaultYUnitsPerBase = static_cast<int16_t>(yUnits);
        m_defaultXExtent = xExtent;
        m_defaultYExtent = yExtent;
        m_defaultMediumFlags = flags;
    }
    if (present)
        readTriplets(QEL_TRIPLET_MEDIUM_ORIENTATION);
}

// --------------------------------------------------------- medium copy count

void qelFormDefParser::mediumCopyCount()
{
    logField("MCC", "Medium Copy Count", "");
    int first = 0;
    int last = 0;
    int id = 0;
    while (m_currentSF->getRemainingLength() > 0) {
        // A field cut short keeps the value of the group before.
        auto take = [this](int size, int& value) {
            const int left = m_currentSF->getRemainingLength();
            if (left <= 0)
                return;
            if (left < size) {
                m_currentSF->skip(left);
                return;
            }
            value = size == 2 ? static_cast<int>(m_currentSF->readUShort()) : m_currentSF->readByte();
        };
        take(2, first);
        take(2, last);
        int reserved = 0;
        take(1, reserved);
        take(1, id);
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
            log->printLine("Apply MMC ID: 0x%x to pages (0x%x to 0x%x )", static_cast<unsigned int>(id),
                           static_cast<unsigned int>(first), static_cast<unsigned int>(last));
        if (m_currentMediumMap)
            m_currentMediumMap->addCopySubgroup(first, last, id);
    }
}

// ----------------------------------------------- medium modification control

void qelFormDefParser::mediumModificationControl()
{
    logField("MMC", "Medium Modification Control", "");
    std::unique_ptr<qelMediumMap::MMC> mmc(new qelMediumMap::MMC());
    m_currentMmc = mmc.get();
    const int id = m_currentSF->getRemainingLength() > 0 ? m_currentSF->readByte() : 0;
    mmc->id = static_cast<uint8_t>(id);
    if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
        log->printLine("ID of this Medium Modification Control : 0x%x", static_cast<unsigned int>(id));
    const int reserved = m_currentSF->getRemainingLength() > 0 ? m_currentSF->readByte() : -1;
    if (reserved != 0xFF) {
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
            log->printLine("Warning! Reserved Byte should be 0xFF");
        if (!quiet())
            qelMessageOutput::write("Warning! Reserved Byte should be 0xFF\n");
    }
    while (m_currentSF->getRemainingLength() > 0)
        mmcKeyword(mmc.get(), m_currentSF->readByte());
    if (m_currentMediumMap) {
        m_currentMediumMap->addMMC(mmc.release());
    } else {
        m_currentMmc = nullptr;
    }
}

void qelFormDefParser::mmcKeyword(qelMediumMap::MMC* mmc, int keyword)
{
    // Keywords come in pairs: every keyword, also an unknown one, has its
    // parameter byte.
    const int value = m_currentSF->getRemainingLength() > 0 ? m_currentSF->readByte() : 0;
    const unsigned int v = static_cast<unsigned int>(value);
    qelLogStream* log = logWith(QEL_LOG_LEVEL3);
    const char* plain = nullptr;
    switch (keyword) {
    case 0x0E: plain = "Keyword:0x0E, Horizontal print Adjustment: 0x%x"; break;
    case 0x90: plain = "Keyword:0x90, Media Destination Selctor(High-Order): 0x%x"; break;
    case 0x91: plain = "Keyword:0x91, Media Destination Selctor(Low-Order): 0x%x"; break;
    case 0xA0: plain = "Keyword:0xA0, Fixed Medium Information: 0x%x"; break;
    case 0xA1: plain = "Keyword:0xA1, Fixed Perforation Cut: 0x%x"; break;
    case 0xA2: plain = "Keyword:0xA2, Fixed Separation Cut: 0x%x"; break;
    case 0xB4: plain = "Keyword:0xB4, Presentation Sub System setup ID(MSB): 0x%x"; break;
    case 0xB5:
        if (log)
            log->printLine("Keyword:0xB5, Presentation Sub System setup ID(LSB)");
        return;
    case 0xD1: plain = "Keyword:0xD1, Offset Edge Mark Change: 0x%x"; break;
    case 0xE0: plain = "Keyword:0xE0, Media Source Selection: 0x%x"; break;
    case 0xE1: plain = "Keyword:0xE1, Media Source Selector: 0x%x"; break;
    case 0xE8: plain = "Keyword:0xE8, Media Type Local Id(High-Order): 0x%x"; break;
    case 0xE9: plain = "Keyword:0xE9, Media Type Local Id(Low-Order): 0x%x"; break;
    case 0xF1: plain = "Keyword:0xF1, Forms Flash: 0x%x"; break;
    case 0xF8: plain = "Keyword:0xF8, Print Quality Control: 0x%x"; break;
    case 0xF2:
        if (log)
            log->printLine("Keyword:0xF2, Medium Overlay Local ID: 0x%x", v);
        if (mmc->overlayCount < 8) {
            mmc->overlayIds[mmc->overlayCount++] = static_cast<uint8_t>(value);
        } else {
            if (log)
                log->printLine("Medium Overlay exceeds the maximum limit ");
            if (!quiet())
                qelMessageOutput::write("Medium Overlay exceeds the maximum limit \n");
        }
        return;
    case 0xF3:
        if (log)
            log->printLine("Keyword:0xF3, Text Suppression Local ID: 0x%x", v);
        if (value >= 1 && value <= 127)
            mmc->addSuppressionId(static_cast<uint8_t>(value));
        else if (log)
            log->printLine("Warning! Invalid Range Text suppression local id: 0x%x", v);
        return;
    case 0xF4:
        if (log) {
            if (value == 1)
                log->printLine("Keyword:0xF4, Duplex Control ID: 0x%x  ( Simplex )", v);
            else if (value == 2)
                log->printLine("Keyword:0xF4, Duplex Control: 0x%x  ( Duplex )", v);
            else if (value == 3)
                log->printLine("Keyword:0xF4, Duplex Control: 0x%x  ( Tumble Duplex)", v);
            else
                log->printLine("Warning! Illegal duplex control value: 0x%x", v);
        }
        mmc->duplex = static_cast<uint8_t>(value);
        return;
    case 0xF9:
        if (log) {
            if (value == 0)
                log->printLine("Keyword:(0xF9, Constant Forms Control): 0x%x ( Present both Variable and Medium "
                               "Overlay data )",
                               v);
            else if (value == 1)
                log->printLine("Keyword:(0x0xF9, Constant Forms Control): 0x%x ( Present Only Medium Overlay data )",
                               v);
            else
                log->printLine("Warning! Unexpected Constant Forms Control: 0x%x", v);
        }
        mmc->constantForms = static_cast<uint8_t>(value);
        return;
    case 0xFC:
        if (log)
            log->printLine("Keyword:0xFC, N UP Format Control: 0x%x", v);
        mmc->nUp = static_cast<uint8_t>(value);
        return;
    default:
        if (log)
            log->printLine("Warning! Unexpected Keyword 0x%x ", static_cast<unsigned int>(keyword));
        if (!quiet())
            qelMessageOutput::printf("Warning! Unexpected Keyword 0x%x \n", static_cast<unsigned int>(keyword));
        return;
    }
    if (log)
        log->printLine(plain, v);
}

// ------------------------------------------------------------ page positions

void qelFormDefParser::pagePosition()
{
    logField("PGP", "Page Position", "");
    const int32_t x = signedLow16OrSigned24(qelThreeByteValue::read(m_currentSF));
    const int32_t y = signedLow16OrSigned24(qelThreeByteValue::read(m_currentSF));
    if (qelLogStream* log = logWith(QEL_LOG_LEVEL2)) {
        log->printLine("X offset of page presentation space origin: %d", x);
        log->printLine("Y offset of page presentation space origin: %d", y);
    }
    m_pageOffsetX = x;
    m_pageOffsetY = y;
    const int left = m_currentSF->getRemainingLength();
    if (left > 0) {
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
            log->printLine("Warning! Illegal reserved bytes: %d", left);
    }
}

void qelFormDefParser::pagePositionFormat2()
{
    logField("PGP", "Page Position Format 2", "");
    const int constant = m_currentSF->getRemainingLength() > 0 ? m_currentSF->readByte() : -1;
    if (constant != 1) {
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
            log->printAtOffset(static_cast<unsigned int>(inputOffset()), "Warning! Illegal reserved byte: 0x%02x",
                               static_cast<unsigned int>(constant < 0 ? 0 : constant));
    }
    qelLogStream* log = logWith(QEL_LOG_LEVEL3);
    while (m_currentSF->getRemainingLength() > 0) {
        const int length = m_currentSF->readByte();
        if (length < 10 || length > 12) {
            if (log)
                log->printLine("Warning! Invalid repeating group length page format 2 (RGLength): 0x%02x\n",
                               static_cast<unsigned int>(length));
            if (!quiet())
                qelMessageOutput::printf("Warning! Invalid repeating group length page format 2 (RGLength): 0x%02x\n",
                                         static_cast<unsigned int>(length));
            return;
        }
        if (log)
            log->printLine("Length of repeating group (RGLength): 0x%02x", static_cast<unsigned int>(length));
        qelMediumMap::PagePosition position;
        position.xOffset = signedLow16OrSigned24(qelThreeByteValue::read(m_currentSF));
        if (log)
            log->printLine("X[m] coordinate of page presentation space origin: 0x%x",
                           static_cast<unsigned int>(position.xOffset));
        position.yOffset = signedLow16OrSigned24(qelThreeByteValue::read(m_currentSF));
        if (log)
            log->printLine("Y[m] coordinate of page presentation space origin: 0x%x",
                           static_cast<unsigned int>(position.yOffset));
        m_pageOffsetX = position.xOffset;
        m_pageOffsetY = position.yOffset;
        const unsigned int orientation = m_currentSF->readUShort();
        const int degrees = rotationDegrees(orientation);
        position.orientation = degrees >= 0 ? degrees : 0;
        if (log && degrees >= 0)
            log->printLine("Page Orientation %d degrees", degrees);
        else if (log)
            log->printAtOffset(static_cast<unsigned int>(inputOffset()),
                               "Warning! Illegal Value for The page Orientation: 0x%x", orientation);
        position.sheetSide = static_cast<uint8_t>(m_currentSF->readByte());
        if (log)
            log->printLine("Sheet side and partition ID: 0x%x", static_cast<unsigned int>(position.sheetSide));
        if (length >= 11) {
            position.flags = static_cast<uint8_t>(m_currentSF->readByte());
            if (log)
                log->printLine("N up Partition Flags: 0x%x", static_cast<unsigned int>(position.flags));
        }
        if (length == 12) {
            position.pmcId = static_cast<uint8_t>(m_currentSF->readByte());
            if (log)
                log->printLine("Page Modification Control ID: 0x%x", static_cast<unsigned int>(position.pmcId));
        }
        if (m_currentMediumMap)
            m_currentMediumMap->addPagePosition(new qelMediumMap::PagePosition(position));
    }
}

// ------------------------------------------------------------------ overlays

void qelFormDefParser::mapMediumOverlay(bool inEnvironmentGroup)
{
    logField("MMO", "Map Medium Overlay", "");
    if (inEnvironmentGroup || !m_currentMediumMap) {
        // No medium map receives the entries.
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
            log->printLine("Warning! Map Medium Overlay outside a medium map ignored (at 0x%x )",
                           static_cast<unsigned int>(fieldOffset()));
        if (!quiet())
            qelMessageOutput::printf("Warning! Map Medium Overlay outside a medium map ignored (at 0x%lx )\n",
                                     fieldOffset());
        return;
    }
    const int first = m_currentSF->getRemainingLength() > 0 ? m_currentSF->readByte() : -1;
    if (first != 0x0C)
        warnAtOffset(QEL_LOG_LEVEL2, "Warning! Illegal reserved Bytes");
    for (int i = 0; i < 3 && m_currentSF->getRemainingLength() > 0; ++i) {
        if (m_currentSF->readByte() != 0)
            warnAtOffset(QEL_LOG_LEVEL2, "Warning! Illegal reserved Bytes");
    }
    while (m_currentSF->getRemainingLength() > 0) {
        const int id = m_currentSF->readByte();
        if (id < 1 || id > 127) {
            if (!quiet())
                qelMessageOutput::printf("Warning! Overlay local id is out of range (at 0x%lx )\n", fieldOffset());
            if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
                log->printLine("Warning! Overlay local id is out of range (at 0x%x )",
                               static_cast<unsigned int>(fieldOffset()));
        }
        m_currentSF->skip(1);
        if (m_currentSF->readUShort() != 0) {
            if (qelLogStream* log = logWith(QEL_LOG_LEVEL3))
                log->printLine("Warning! Illegal reserved Bytes");
        }
        const std::string name = readName();
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL3))
            log->printLine("Med Oly ID 0x%x mapped to external medium overlay %s", static_cast<unsigned int>(id),
                           name.c_str());
        m_currentMediumMap->addMappedOverlay(static_cast<uint8_t>(id), name.c_str());
    }
}

void qelFormDefParser::mapSuppression()
{
    logField("MSU", "Map Suppression", "");
    while (m_currentSF->getRemainingLength() > 0) {
        const std::string name = readName();
        const int reserved = m_currentSF->readByte();
        if (reserved != 0) {
            if (qelLogStream* log = logWith(QEL_LOG_LEVEL3))
                log->printLine("Warning! Illegal reserved Bytes");
        }
        const int id = m_currentSF->readByte();
        if (id < 1 || id > 127) {
            if (!quiet())
                qelMessageOutput::printf("Warning! Map Suppression local id out of range (at 0x%lx )\n",
                                         fieldOffset());
            if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
                log->printLine("Warning! Map Suppression local id out of range (at 0x%x )",
                               static_cast<unsigned int>(fieldOffset()));
        }
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL3))
            log->printLine("Suppression Name: %s mapped to ID: %4x", name.c_str(), static_cast<unsigned int>(id));
    }
}

void qelFormDefParser::pageModificationControl()
{
    qelTripletParser* triplets = getTripletParser();
    logField("PMC", "Page Modification Control", "");
    qelMediumMap::PMC* pmc = nullptr;
    if (m_currentSF->getRemainingLength() > 0) {
        const int id = m_currentSF->readByte();
        if (m_currentMediumMap) {
            pmc = new qelMediumMap::PMC();
            pmc->id = static_cast<uint8_t>(id);
            m_currentMediumMap->addPageModificationControl(pmc);
        }
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL1))
            log->printLine("Page Modification Control Id: 0x%02X", static_cast<unsigned int>(id));
        if (m_currentSF->getRemainingLength() > 0)
            m_currentSF->readByte();
    }
    if (!triplets || m_currentSF->getRemainingLength() <= 0)
        return;
    try {
        readTriplets(QEL_TRIPLET_MEASUREMENT_UNITS | QEL_TRIPLET_RESOURCE_OBJECT_INCLUDE);
    } catch (...) {
        delete triplets->detachResourceObjectIncludes();
        throw;
    }
    qelList* includes = triplets->detachResourceObjectIncludes();
    if (pmc) {
        delete pmc->includes;
        pmc->includes = includes;
    } else {
        delete includes;
    }
}

void qelFormDefParser::mapPageOverlay()
{
    qelTripletParser* triplets = getTripletParser();
    logField("MPO", "Map Page Overlay", "");
    if (!triplets)
        return;
    // The reader logs the groups' triplets with bit 0x4 while they are read.
    struct LogMask
    {
        qelTripletParser* reader;
        ~LogMask() { reader->setLogMask(QEL_LOG_LEVEL2); }
    } restore{triplets};
    triplets->setLogMask(QEL_LOG_LEVEL3);
    int length = 0;
    while (m_currentSF->getRemainingLength() > 0) {
        const int before = m_currentSF->getRemainingLength();
        if (before >= 2)
            length = static_cast<int>(m_currentSF->readUShort());
        try {
            triplets->repeatedTriplets(QEL_TRIPLET_FULLY_QUALIFIED_NAME | QEL_TRIPLET_RESOURCE_LOCAL_ID,
                                       QEL_TRIPLET_CGCSGID | QEL_TRIPLET_OVERLAY_CONDITION | QEL_TRIPLET_RESOURCE_USAGE,
                                       length - 2, m_currentSF);
        } catch (...) {
            dropNames();
            throw;
        }
        dropNames();
        triplets->setResourceLocalId(0);
        triplets->setResourceType(0);
        triplets->setResourceObjectReference(nullptr);
        // A group that takes no byte would never end the field.
        if (m_currentSF->getRemainingLength() >= before || length < 2) {
            m_currentSF->skip(m_currentSF->getRemainingLength());
            break;
        }
    }
}
