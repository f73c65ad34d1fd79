#ifndef QEL_MEDIUM_MAP_H
#define QEL_MEDIUM_MAP_H

#include "qelRes.h"

#include <cstdint>

class qelFORMDEF;
class qelList;
class qelPage;
struct qelListNode;

// Medium map resource (type 5): how the pages printed under it are placed
// on the sheets (page offset, medium descriptor, copy subgroups with their
// medium modification controls, page positions, page modification
// controls) and the medium overlays it maps by local identifier.
class qelMediumMap : public qelRes
{
public:
    // One repeating group of a Medium Copy Count.
    struct CopySubgroup
    {
        int32_t startCopy = 0;
        int32_t endCopy = 0;
        int32_t mmcId = 0;
    };

    // One medium modification control.
    struct MMC
    {
        MMC() = default;
        ~MMC();
        MMC(const MMC&) = delete;
        MMC& operator=(const MMC&) = delete;

        // Keeps at most 8 ids; warns when the list is full.
        void addSuppressionId(uint8_t id);

        uint8_t id = 0;
        // 1 simplex, 2 duplex, 3 tumble duplex.
        uint8_t duplex = 1;
        // 1: medium overlays only.
        uint8_t constantForms = 0;
        uint8_t nUp = 1;
        int32_t overlayCount = 0;
        uint8_t overlayIds[8] = {};
        int32_t suppressionCount = 0;
        uint8_t suppressionIds[8] = {};
        // Overlay names resolved for overlayIds; the names belong to the
        // mapped resources. Null until resolved.
        qelList* overlayNames = nullptr;
    };

    // One page position (format 2).
    struct PagePosition
    {
        int32_t xOffset = 0;
        int32_t yOffset = 0;
        int32_t orientation = 0;
        uint8_t sheetSide = 0;
        uint8_t flags = 0;
        uint8_t pmcId = 0xFF;
    };

    // One page modification control with its Resource Object Include
    // entries (owning list of qelResourceObjectInclude, or null).
    struct PMC
    {
        PMC() = default;
        ~PMC();
        PMC(const PMC&) = delete;
        PMC& operator=(const PMC&) = delete;

        uint8_t id = 0;
        qelList* includes = nullptr;
    };

    explicit qelMediumMap(const char* name);
    ~qelMediumMap() override;

    char* describe() override;
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }

    int32_t getXOffset() const { return m_xOffset; }
    int32_t getYOffset() const { return m_yOffset; }
    void setOffset(int32_t x, int32_t y)
    {
        m_xOffset = x;
        m_yOffset = y;
    }
    uint8_t getXUnitBase() const { return m_xUnitBase; }
    uint8_t getYUnitBase() const { return m_yUnitBase; }
    void setUnitBases(uint8_t x, uint8_t y)
    {
        m_xUnitBase = x;
        m_yUnitBase = y;
    }
    uint16_t getXUnits() const { return m_xUnits; }
    uint16_t getYUnits() const { return m_yUnits; }
    void setUnits(uint16_t x, uint16_t y)
    {
        m_xUnits = x;
        m_yUnits = y;
    }
    uint16_t getXExtent() const { return m_xExtent; }
    uint16_t getYExtent() const { return m_yExtent; }
    void setExtents(uint16_t x, uint16_t y)
    {
        m_xExtent = x;
        m_yExtent = y;
    }
    uint8_t getDescriptorFlags() const { return m_descriptorFlags; }
    void setDescriptorFlags(uint8_t flags) { m_descriptorFlags = flags; }
    qelFORMDEF* getFormDefinition() const { return m_formDefinition; }
    void setFormDefinition(qelFORMDEF* form) { m_formDefinition = form; }
    // The owning form definition's name, or null.
    const char* getFormDefName() const;
    int32_t getPageCount() const { return m_pageCount; }

    void addCopySubgroup(int32_t startCopy, int32_t endCopy, int32_t mmcId);
    // The map takes the records over; null is ignored.
    void addMMC(MMC* record);
    void addPagePosition(PagePosition* record);
    void addPageModificationControl(PMC* record);
    void addMappedOverlay(uint8_t localId, const char* name);

    qelList* getCopySubgroups() const { return m_copySubgroups; }
    qelList* getMMCs() const { return m_mmcs; }
    qelList* getPagePositions() const { return m_pagePositions; }
    qelList* getPMCs() const { return m_pmcs; }
    qelList* getMappedResources() const { return m_mappedResources; }

    const char* getMappedResourceName(uint8_t localId) const;
    MMC* findMMC(int32_t id) const;
    PMC* findPMC(int32_t id) const;
    void resolveMmcOverlays(MMC* mmc);
    void resolveMediumOverlays();
    void resetForInvocation();
    // Forgets the copy subgroup of the last assigned page; the page count
    // stays.
    void clearCurrentSubgroup() { m_currentSubgroup = nullptr; }
    // Stores the map on the page, sets its offset and medium overlays; a
    // constant-forms back side is appended to generated as a new page.
    void assignToPage(qelPage* page, qelList* generated);
    // Units per inch of the medium descriptor.
    int getResolution() const;
    // Medium units of the map in page units of that resolution, truncated.
    int32_t toPageUnits(int32_t value, int resolution) const;

private:
    CopySubgroup* subgroupAfter(qelListNode* node, qelListNode** next) const;
    static int positionsPerSheet(const MMC* mmc);

    int32_t m_xOffset = 0;
    int32_t m_yOffset = 0;
    qelList* m_copySubgroups = nullptr;
    qelList* m_mappedResources = nullptr;
    qelList* m_mmcs = nullptr;
    qelListNode* m_currentSubgroup = nullptr;
    qelList* m_pagePositions = nullptr;
    qelList* m_pmcs = nullptr;
    int32_t m_pageCount = 0;
    uint8_t m_xUnitBase = 0xFF;
    uint8_t m_yUnitBase = 0xFF;
    uint16_t m_xUnits = 0;
    uint16_t m_yUnits = 0;
    uint16_t m_xExtent = 0;
    uint16_t m_yExtent = 0;
    uint8_t m_descriptorFlags = 0;
    qelFORMDEF* m_formDefinition = nullptr;
};

#endif
