#ifndef QEL_AFP_CODE_PAGE_DESCRIPTOR_H
#define QEL_AFP_CODE_PAGE_DESCRIPTOR_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Code Page Descriptor (X'D3A687'): 50 bytes, 52 with a non-zero encoding
// scheme in data bytes 42-43.
class CodePageDescriptor : public StructuredField
{
public:
    CodePageDescriptor();
    CodePageDescriptor(const char* description, uint16_t gcsgid, uint16_t cpgid, uint32_t encodingScheme = 0);
    ~CodePageDescriptor() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // The first 32 characters; null leaves none (32 zero bytes).
    void setCodePageDescription(const char* text);
    const char* getCodePageDescription() const { return m_description; }
    void setCodedCharacterCount(uint32_t v) { m_count = v; }
    void setGCSGID(uint16_t v) { m_gcsgid = v; }
    void setCPGID(uint16_t v) { m_cpgid = v; }
    void setEncodingScheme(uint32_t v) { m_encodingScheme = v; }
    uint32_t getCodedCharacterCount() const { return m_count; }
    uint16_t getGCSGID() const { return m_gcsgid; }
    uint16_t getCPGID() const { return m_cpgid; }
    uint32_t getEncodingScheme() const { return m_encodingScheme; }

private:
    char* m_description = nullptr;
    uint32_t m_count = 0;
    uint16_t m_gcsgid = 0;
    uint16_t m_cpgid = 0;
    uint32_t m_encodingScheme = 0;
};

} // namespace afp
} // namespace qel

#endif
