#include "qelMediumMap.h"

#include "qelFORMDEF.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMMDPage.h"
#include "qelMappedFontInfo.h"
#include "qelMappedRes.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelPtocaPage.h"
#include "qelResourceObjectInclude.h"
#include "qelString.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
using qelPoolAccess::quiet;

qelLogStream* logWith(unsigned int mask)
{
    if (!qelGlobalDSPool::exists())
        return nullptr;
    qelLogStream* log = qelGlobalDSPool::getInstance()->getLogStream();
    return log && log->anyOf(mask) ? log : nullptr;
}

qelMedia* mediaOf(qelPage* page)
{
    if (!page)
        return nullptr;
    if (page->kind() == qelPage::KIND_AFP)
        return static_cast<qelPtocaPage*>(page);
    if (page->kind() == qelPage::KIND_IPS)
        return static_cast<qelIPSPage*>(page);
    return nullptr;
}

const char* shortName(int32_t kind)
{
    static const char* const kNames[] = {"OLY", "PSEG", "CFNT", "CDP", "MMAP", "FDEF", "GOCA", "IOB"};
    return kind >= 1 && kind <= 8 ? kNames[kind - 1] : "None";
}

void deleteSubgroup(void* item) { delete static_cast<qelMediumMap::CopySubgroup*>(item); }
void deleteMMC(void* item) { delete static_cast<qelMediumMap::MMC*>(item); }
void deletePosition(void* item) { delete static_cast<qelMediumMap::PagePosition*>(item); }
void deletePMC(void* item) { delete static_cast<qelMediumMap::PMC*>(item); }

// The include as the 14-byte record the media reads: type, 8 name bytes,
// a spare byte, X and Y as 16-bit values.
void addPmcOverlays(qelMedia* media, const qelMediumMap::PMC* pmc)
{
    if (!media || !pmc || !pmc->includes)
        return;
    for (qelListNode* n = pmc->includes->getHead(); n; n = n->next) {
        auto* include = static_cast<const qelResourceObjectInclude*>(n->item);
        unsigned char record[14] = {};
        record[0] = include->objectType;
        std::memcpy(record + 1, include->name, 8);
        record[10] = static_cast<unsigned char>((include->xOffset >> 8) & 0xFF);
        record[11] = static_cast<unsigned char>(include->xOffset & 0xFF);
        record[12] = static_cast<unsigned char>((include->yOffset >> 8) & 0xFF);
        record[13] = static_cast<unsigned char>(include->yOffset & 0xFF);
        media->addMediumOverlay(record);
    }
}
} // namespace

qelMediumMap::MMC::~MMC()
{
    delete overlayNames;
}

void qelMediumMap::MMC::addSuppressionId(uint8_t value)
{
    if (suppressionCount >= 8 || suppressionCount < 0) {
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
            log->printLine("Warning! Text suppression id list exceeds Maximum Limit");
        return;
    }
    suppressionIds[suppressionCount++] = value;
}

qelMediumMap::PMC::~PMC()
{
    delete includes;
}

qelMediumMap::qelMediumMap(const char* name)
{
    setType(TYPE_MEDIUM_MAP);
    setName(name);
    m_copySubgroups = new qelList(&deleteSubgroup);
    m_mappedResources = new qelList(&qelList::deleteAs<qelMappedRes>);
    m_mmcs = new qelList(&deleteMMC);
}

qelMediumMap::~qelMediumMap()
{
    delete m_copySubgroups;
    delete m_mappedResources;
    delete m_mmcs;
    delete m_pagePositions;
    delete m_pmcs;
}

const char* qelMediumMap::getFormDefName() const
{
    return m_formDefinition ? m_formDefinition->getName() : nullptr;
}

void qelMediumMap::addCopySubgroup(int32_t startCopy, int32_t endCopy, int32_t mmcId)
{
    auto* group = new CopySubgroup();
    group->startCopy = startCopy;
    group->endCopy = endCopy;
    group->mmcId = mmcId;
    m_copySubgroups->append(group);
}

void qelMediumMap::addMMC(MMC* record)
{
    if (record)
        m_mmcs->append(record);
}

void qelMediumMap::addPagePosition(PagePosition* record)
{
    if (!record)
        return;
    if (!m_pagePositions) {
        m_pagePositions = new (std::nothrow) qelList(&deletePosition);
        if (!m_pagePositions)
            throw "Unable to allocate list of page position at qelMediumMap";
    }
    m_pagePositions->append(record);
}

void qelMediumMap::addPageModificationControl(PMC* record)
{
    if (!record)
        return;
    if (!m_pmcs) {
        m_pmcs = new (std::nothrow) qelList(&deletePMC);
        if (!m_pmcs)
            throw "Unable to allocate list of page modification control at qelMediumMap";
    }
    m_pmcs->append(record);
}

void qelMediumMap::addMappedOverlay(uint8_t localId, const char* name)
{
    m_mappedResources->append(new qelMappedRes(localId, 1, name));
}

const char* qelMediumMap::getMappedResourceName(uint8_t localId) const
{
    for (qelListNode* n = m_mappedResources->getHead(); n; n = n->next) {
        auto* mapped = static_cast<qelMappedRes*>(n->item);
        if (mapped->getLocalId() == localId)
            return mapped->getName();
    }
    return nullptr;
}

qelMediumMap::MMC* qelMediumMap::findMMC(int32_t id) const
{
    if (id < 0 || !m_mmcs)
        return nullptr;
    for (qelListNode* n = m_mmcs->getHead(); n; n = n->next) {
        auto* mmc = static_cast<MMC*>(n->item);
        if (mmc->id == id)
            return mmc;
    }
    return nullptr;
}

qelMediumMap::PMC* qelMediumMap::findPMC(int32_t id) const
{
    if (!m_pmcs)
        return nullptr;
    for (qelListNode* n = m_pmcs->getHead(); n; n = n->next) {
        auto* pmc = static_cast<PMC*>(n->item);
        if (pmc->id == id)
            return pmc;
    }
    return nullptr;
}

void qelMediumMap::resolveMmcOverlays(MMC* mmc)
{
    if (!mmc || mmc->overlayNames)
        return;
    const int count = mmc->overlayCount < 0 ? 0 : (mmc->overlayCount > 8 ? 8 : mmc->overlayCount);
    for (int i = 0; i < count; ++i) {
        const uint8_t id = mmc->overlayIds[i];
        const char* name = getMappedResourceName(id);
        if (name) {
            if (!mmc->overlayNames)
                mmc->overlayNames = new qelList();
            mmc->overlayNames->append(const_cast<char*>(name));
            continue;
        }
        if (qelLogStream* log = logWith(QEL_LOG_LEVEL2))
            log->printLine("Warning! Overlay name not found in medium map for id 0x%x", id);
        if (!quiet())
            qelMessageOutput::printf("Warning! Overlay name not found in medium map for id 0x%x\n", id);
    }
}

void qelMediumMap::resolveMediumOverlays()
{
    for (qelListNode* n = m_mmcs->getHead(); n; n = n->next)
        resolveMmcOverlays(static_cast<MMC*>(n->item));
}

void qelMediumMap::resetForInvocation()
{
    m_currentSubgroup = nullptr;
    m_pageCount = 0;
}

qelMediumMap::CopySubgroup* qelMediumMap::subgroupAfter(qelListNode* node, qelListNode** next) const
{
    qelListNode* n = node && node->next ? node->next : m_copySubgroups->getHead();
    if (next)
        *next = n;
    return n ? static_cast<CopySubgroup*>(n->item) : nullptr;
}

// An N-up or duplex value outside its range counts as 1, so that there is
// always at least one position per sheet.
int qelMediumMap::positionsPerSheet(const MMC* mmc)
{
    if (!mmc)
        return 1;
    const int nUp = mmc->nUp >= 1 && mmc->nUp <= 4 ? mmc->nUp : 1;
    int sides = 1;
    if (mmc->duplex == 2 || mmc->duplex == 3)
        sides = 2;
    return nUp * sides;
}

int32_t qelMediumMap::toPageUnits(int32_t value, int resolution) const
{
    // Ten centimetres: units per inch as the measurement units are read.
    double unitsPerInch = m_xUnitBase == 1 ? static_cast<double>(m_xUnits * 254 / 1000) : m_xUnits / 10.0;
    if (unitsPerInch <= 0.0)
        return value;
    // Offsets come from the input: held within 32 bits.
    const double units = value * (resolution / unitsPerInch);
    if (units >= 2147483647.0)
        return INT32_MAX;
    if (units <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(units);
}

void qelMediumMap::assignToPage(qelPage* page, qelList* generated)
{
    qelMedia* media = mediaOf(page);
    if (!media || m_copySubgroups->getCount() == 0)
        return;
    page->setMediumMapName(getName());
    if (page->kind() == qelPage::KIND_AFP)
        static_cast<qelPtocaPage*>(page)->setInvokedMediumMapName(getName());

    qelListNode* current = nullptr;
    CopySubgroup* group = subgroupAfter(m_currentSubgroup, &current);
    m_currentSubgroup = current;
    ++m_pageCount;

    MMC* mmc = findMMC(group->mmcId);
    const int pps = positionsPerSheet(mmc);

    MMC* backMmc = nullptr;
    if (mmc && (mmc->duplex == 2 || mmc->duplex == 3)) {
        qelListNode* following = nullptr;
        CopySubgroup* next = subgroupAfter(m_currentSubgroup, &following);
        MMC* candidate = next ? findMMC(next->mmcId) : nullptr;
        if (candidate && candidate->constantForms == 1) {
            m_currentSubgroup = following;
            backMmc = candidate;
        }
    }

    page->setAppliedMediumMap(this);
    page->setFormDefinition(mmc);
    const bool scaled = m_xUnits > 0;
    const int resolution = media->getResolution();
    if (scaled)
        media->setPageOffset(static_cast<uint32_t>(toPageUnits(m_xOffset, resolution)),
                             static_cast<uint32_t>(toPageUnits(m_yOffset, resolution)));
    if (mmc)
        media->addMediumOverlays(mmc->overlayNames);
    const uint32_t sideX = media->getPageOffsetX();
    const uint32_t sideY = media->getPageOffsetY();

    if (m_pagePositions && m_pagePositions->getCount() > 0) {
        int n = m_pageCount % pps;
        if (n == 0)
            n = pps;
        n -= 1;
        qelListNode* node = m_pagePositions->getHead();
        for (int i = 0; node && i < n; ++i)
            node = node->next;
        if (node) {
            auto* position = static_cast<PagePosition*>(node->item);
            if (scaled)
                media->setPageOffset(static_cast<uint32_t>(toPageUnits(position->xOffset, resolution)),
                                     static_cast<uint32_t>(toPageUnits(position->yOffset, resolution)));
            if (!(position->flags & 0x40)) {
                if (position->pmcId >= 0x80) {
                    if (m_pmcs)
                        for (qelListNode* p = m_pmcs->getHead(); p; p = p->next)
                            addPmcOverlays(media, static_cast<PMC*>(p->item));
                } else {
                    addPmcOverlays(media, findPMC(position->pmcId));
                }
            }
        }
    }

    if (!backMmc || !generated)
        return;
    qelPage* back = nullptr;
    qelMedia* backMedia = nullptr;
    if (page->kind() == qelPage::KIND_AFP) {
        auto* side = new qelPtocaPage(static_cast<qelPtocaPage*>(page));
        side->setInvokedMediumMapName(getName());
        back = side;
        backMedia = side;
    } else if (static_cast<qelIPSPage*>(page)->inputKind() == 12) {
        auto* side = new qelMMDPage(static_cast<qelMMDPage*>(page));
        back = side;
        backMedia = side;
    }
    if (!back)
        return;
    back->setMediumMapName(getName());
    back->setConstantBack();
    backMedia->setResolution(media->getResolution());
    backMedia->setPageOffset(sideX, sideY);
    backMedia->addMediumOverlays(backMmc->overlayNames);
    back->setAppliedMediumMap(this);
    back->setFormDefinition(backMmc);
    generated->append(back);
}

int qelMediumMap::getResolution() const
{
    if (m_xUnitBase == 0)
        return m_xUnits / 10;
    if (m_xUnitBase == 1)
        return static_cast<int>((m_xUnits / 10) * 2.54);
    return m_xUnits;
}

char* qelMediumMap::describe()
{
    char* start = listingLine(256);
    std::string text(start);
    delete[] start;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "PageOffset=(XOffset=%d YOffset=%d)\r\n", m_xOffset, m_yOffset);
    text += buffer;
    std::snprintf(buffer, sizeof buffer, "%28sMappedOverlays=%s", "",
                  m_mappedResources->getCount() == 0 ? "None" : "");
    text += buffer;
    for (qelListNode* n = m_mappedResources->getHead(); n; n = n->next) {
        auto* mapped = static_cast<qelMappedRes*>(n->item);
        const char* name = mapped->getName();
        text += "{Type=";
        text += shortName(mapped->getKind());
        text += " ";
        std::snprintf(buffer, sizeof buffer, "Id=%d ", mapped->getLocalId());
        text += buffer;
        if (mapped->getKind() == TYPE_FONT) {
            if (!name) {
                text += "Name=NULL";
            } else if (name[0] == 'x' || name[0] == 'X') {
                text += std::string("CDF=") + name + " ";
            } else {
                const char* codePage = mapped->getCodePageName();
                text += std::string("CHS=") + name + " ";
                text += std::string("CDP=") + (codePage ? codePage : "NULL") + " ";
            }
            if (qelMappedFontInfo* info = mapped->getFontInfo()) {
                if (info->getVerticalSize() > 0) {
                    std::snprintf(buffer, sizeof buffer, "FontHeight=%d ", info->getVerticalSize());
                    text += buffer;
                }
                if (info->getHorizontalSize() > 0) {
                    std::snprintf(buffer, sizeof buffer, "FontWidth=%d ", info->getHorizontalSize());
                    text += buffer;
                }
            }
        } else {
            text += std::string("Name=") + (name ? name : "NULL") + " ";
        }
        text += std::string("Bounded=") + (mapped->getResource() ? "Yes" : "No") + "} ";
    }
    text += "\r\n";
    char* result = new char[text.size() + 1];
    std::memcpy(result, text.c_str(), text.size() + 1);
    return result;
}
