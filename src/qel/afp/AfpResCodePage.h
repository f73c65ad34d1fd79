#ifndef QEL_AFP_RES_CODE_PAGE_H
#define QEL_AFP_RES_CODE_PAGE_H

#include "qel/afp/AfpResource.h"

#include <ctime>

namespace qel
{
namespace afp
{

class BeginCodePage;
class CodePageControl;
class CodePageDescriptor;
class CodePageIndex;

// A code page: Begin Code Page, Code Page Descriptor, Code Page Control,
// Code Page Index and End Code Page. finalize enters the fields each time
// it runs: write the resource once.
class ResCodePage : public Resource
{
public:
    ResCodePage();
    explicit ResCodePage(const char* name);
    ~ResCodePage() override;

    int initialize() override;
    int finalize() override;

    BeginCodePage* addBeginCodePage();
    void setResourceManagementInfo(uint32_t classFlags);
    void setFontResourceManagementInfo(uint32_t value, uint8_t century, uint16_t year, uint32_t day, uint16_t hour,
                                       uint16_t minute, uint16_t second, uint16_t hundredths);
    void setOriginIdentifier(const char* hostId, const char* mediaId, const char* dataSetId, uint8_t systemId);
    void setLocalDateTimeStamp(time_t timeValue);

    void setDescriptorDetails(const char* description, uint16_t gcsgid, uint16_t cpgid, uint32_t encodingScheme);
    void setControlDetails(const char* defaultCharacter, uint8_t defaultFlags, uint8_t spaceSection,
                           uint8_t spaceCodePoint, uint8_t useFlags, uint32_t groupLength);
    // -1 (an ERROR line) when the index is full.
    int addCodePageIndexEntry(const char* name, uint8_t flags, uint8_t codePoint);

    CodePageDescriptor* getDescriptor() const { return m_descriptor; }
    CodePageControl* getControl() const { return m_control; }
    CodePageIndex* getIndex() const { return m_index; }
    uint32_t getEntryCount() const { return m_entryCount; }

private:
    BeginCodePage* m_beginCodePage = nullptr;
    CodePageDescriptor* m_descriptor = nullptr;
    CodePageControl* m_control = nullptr;
    CodePageIndex* m_index = nullptr;
    uint32_t m_entryCount = 0;
};

} // namespace afp
} // namespace qel

#endif
