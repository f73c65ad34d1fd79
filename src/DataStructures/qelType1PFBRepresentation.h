#ifndef QEL_TYPE1_PFB_REPRESENTATION_H
#define QEL_TYPE1_PFB_REPRESENTATION_H

#include "qelFontRepresentation.h"

#include <cstdint>

// A Type 1 font program in the three segments of a PFB file: the clear
// text, the encrypted binary part and the trailer text. Owns the segments.
class qelType1PFBRepresentation : public qelFontRepresentation
{
public:
    qelType1PFBRepresentation() = default;
    ~qelType1PFBRepresentation() override;

    int getType() const override { return TYPE_PFB; }
    // Text, binary, text and the end marker. -1 for a null path or a missing
    // segment (the file is not touched then), 0 when written; throws E098 or
    // E075.
    int writeFile(const char* path) override;

    // Each setter frees the old segment and keeps a copy of a non-null
    // source; a null source leaves the segment empty (length 0).
    void setClearTextSegment(const uint8_t* bytes, uint32_t length) { set(m_clearText, m_clearTextLength, bytes, length); }
    void setBinarySegment(const uint8_t* bytes, uint32_t length) { set(m_binary, m_binaryLength, bytes, length); }
    void setTrailerSegment(const uint8_t* bytes, uint32_t length) { set(m_trailer, m_trailerLength, bytes, length); }
    const uint8_t* getClearTextSegment() const { return m_clearText; }
    const uint8_t* getBinarySegment() const { return m_binary; }
    const uint8_t* getTrailerSegment() const { return m_trailer; }
    uint32_t getClearTextLength() const { return m_clearTextLength; }
    uint32_t getBinaryLength() const { return m_binaryLength; }
    uint32_t getTrailerLength() const { return m_trailerLength; }

private:
    static void set(uint8_t*& segment, uint32_t& length, const uint8_t* bytes, uint32_t count);

    uint8_t* m_clearText = nullptr;
    uint32_t m_clearTextLength = 0;
    uint8_t* m_binary = nullptr;
    uint32_t m_binaryLength = 0;
    uint8_t* m_trailer = nullptr;
    uint32_t m_trailerLength = 0;
};

#endif
