#include "qel/afp/AfpResCodePage.h"

#include "qel/afp/AfpBeginCodePage.h"
#include "qel/afp/AfpCodePageControl.h"
#include "qel/afp/AfpCodePageDescriptor.h"
#include "qel/afp/AfpCodePageIndex.h"
#include "qel/afp/AfpEndCodePage.h"
#include "qel/afp/AfpFRMTTriplet.h"
#include "qel/afp/AfpLDTSTriplet.h"
#include "qel/afp/AfpOOITriplet.h"
#include "qel/afp/AfpRMTTriplet.h"
#include "qel/afp/Log.h"

#include <new>

namespace qel
{
namespace afp
{

namespace
{

template <class T> void keep(T*& slot, T* field)
{
    if (field)
        field->addReference(1);
    if (slot && slot->release(1) < 1)
        delete slot;
    slot = field;
}

} // namespace

ResCodePage::ResCodePage() = default;

ResCodePage::ResCodePage(const char* name)
{
    setName(name);
}

ResCodePage::~ResCodePage()
{
    keep<BeginCodePage>(m_beginCodePage, nullptr);
    keep<CodePageDescriptor>(m_descriptor, nullptr);
    keep<CodePageControl>(m_control, nullptr);
    keep<CodePageIndex>(m_index, nullptr);
}

int ResCodePage::initialize()
{
    logDebugText("qel::afp::ResCodePage::initialize");
    setInitialized(true);
    if (!m_list) {
        m_list = new (std::nothrow) DLinkedList<WritableContext>(true);
        if (!m_list)
            throw "Memory allocation for qel::afp::ResCodePage::initialize::pLstWritableContext failed";
    }
    addBeginCodePage();
    return 0;
}

BeginCodePage* ResCodePage::addBeginCodePage()
{
    logDebugText("qel::afp::ResCodePage::addBeginCodePage");
    keep(m_beginCodePage, new BeginCodePage(getName()));
    return m_beginCodePage;
}

void ResCodePage::setResourceManagementInfo(uint32_t classFlags)
{
    logDebugText("qel::afp::ResCodePage::setResourceManagementInfo");
    if (m_beginCodePage)
        m_beginCodePage->addTriplet(new RMTTriplet(classFlags));
}

void ResCodePage::setFontResourceManagementInfo(uint32_t value, uint8_t century, uint16_t year, uint32_t day,
                                                uint16_t hour, uint16_t minute, uint16_t second, uint16_t hundredths)
{
    logDebugText("qel::afp::ResCodePage::setFontResourceManagementInfo");
    if (m_beginCodePage)
        m_beginCodePage->addTriplet(new FRMTTriplet(value, century, year, day, hour, minute, second, hundredths));
}

void ResCodePage::setOriginIdentifier(const char* hostId, const char* mediaId, const char* dataSetId,
                                      uint8_t systemId)
{
    logDebugText("qel::afp::ResCodePage::setOriginIdentifier");
    if (m_beginCodePage)
        m_beginCodePage->addTriplet(new OOITriplet(hostId, mediaId, dataSetId, systemId));
}

void ResCodePage::setLocalDateTimeStamp(time_t timeValue)
{
    if (m_beginCodePage)
        m_beginCodePage->addTriplet(new LDTSTriplet(timeValue));
}

void ResCodePage::setDescriptorDetails(const char* description, uint16_t gcsgid, uint16_t cpgid,
                                       uint32_t encodingScheme)
{
    logDebugText("qel::afp::ResCodePage::setDescriptorDetails");
    keep(m_descriptor, new CodePageDescriptor(description, gcsgid, cpgid, encodingScheme));
}

void ResCodePage::setControlDetails(const char* defaultCharacter, uint8_t defaultFlags, uint8_t spaceSection,
                                    uint8_t spaceCodePoint, uint8_t useFlags, uint32_t groupLength)
{
    logDebugText("qel::afp::ResCodePage::setControlDetails");
    keep(m_control,
         new CodePageControl(defaultCharacter, defaultFlags, spaceSection, spaceCodePoint, useFlags, groupLength));
}

int ResCodePage::addCodePageIndexEntry(const char* name, uint8_t flags, uint8_t codePoint)
{
    if (!m_index)
        keep(m_index, new CodePageIndex());
    if (m_index->addEntry(name, flags, codePoint) < 0)
        return -1;
    ++m_entryCount;
    return 0;
}

int ResCodePage::finalize()
{
    logDebugText("qel::afp::ResCodePage::finalize");
    if (!isInitialized())
        initialize();
    addStructuredField(m_beginCodePage, ADD_AT_HEAD);
    if (m_descriptor) {
        m_descriptor->setCodedCharacterCount(m_entryCount);
        addStructuredField(m_descriptor, ADD_AT_TAIL);
    }
    addStructuredField(m_control, ADD_AT_TAIL);
    addStructuredField(m_index, ADD_AT_TAIL);
    addStructuredField(new EndCodePage(getName()), ADD_AT_TAIL);
    setInitialized(false);
    return 0;
}

} // namespace afp
} // namespace qel
