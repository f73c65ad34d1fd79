#ifndef QEL_AFP_LINE_DESCRIPTOR_H
#define QEL_AFP_LINE_DESCRIPTOR_H

#include "qel/afp/AfpStructuredField.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// Line Descriptor (X'D3A6E7'): where and how one line of a line-data page
// is presented, and the links to the descriptors of the next line.
// Numbers of descriptors are 1-based within their data map; 0 is none.
class LineDescriptor : public StructuredField
{
public:
    enum : uint16_t {
        FLAG_SKIP = 0x8000,
        FLAG_SPACE = 0x4000,
        FLAG_FIXED_DATA = 0x0100,
        FLAG_COLOR = 0x0020,
        FLAG_CONDITIONAL = 0x0010,
        FLAG_INCLUDES = 0x0008
    };

    LineDescriptor();
    ~LineDescriptor() override;

    // Enters the triplet in the writable list (which holds it) and in the
    // triplet list (a second view, not owning).
    void addTriplet(Triplet* triplet) override;
    // The first triplet of the id; for X'4E', X'6C' and X'93' it also
    // becomes that id's cursor.
    Triplet* getFirstTriplet(int id);
    // The next triplet of the id after its cursor; null for other ids,
    // without a cursor and at the end (the cursor stays).
    Triplet* getNextTriplet(int id);
    // The colour of the first Color Specification triplet (its MO:DCA
    // space byte, 4 is CMYK), else space 5 and the text colour. Returns
    // the value.
    int getColor(int* colorSpace, int* value);
    // Name (the triplet's own text), offsets, orientation code and object
    // type of the first (next) Resource Object Include; a null name and
    // zeros when there is none.
    void getFirstResourceObjectInclude(char** name, short* x, short* y, short* orientation, char* objectType);
    void getNextResourceObjectInclude(char** name, short* x, short* y, short* orientation, char* objectType);

    bool isFlagSet(uint16_t mask) const { return (m_flags & mask) != 0; }
    void setFlag(uint16_t mask) { m_flags = static_cast<uint16_t>(m_flags | mask); }

    void setFlags(uint16_t flags) { m_flags = flags; }
    void setInlinePosition(uint16_t position) { m_inlinePosition = position; }
    void setBaselinePosition(uint16_t position) { m_baselinePosition = position; }
    void setTextOrientation(uint32_t orientation) { m_textOrientation = orientation; }
    void setFontLocalId(uint8_t id) { m_fontLocalId = id; }
    void setChannelCode(uint8_t channel) { m_channelCode = channel; }
    void setNextIfSkipping(uint16_t number) { m_nextIfSkipping = number; }
    // A copy of at most 8 characters; null leaves none.
    void setSuppressionTokenName(const char* name);
    void setNextIfSpacing(uint16_t number) { m_nextIfSpacing = number; }
    void setNextIfReuseData(uint16_t number) { m_nextIfReuseData = number; }
    void setShiftOutFontLocalId(uint8_t id) { m_shiftOutFontLocalId = id; }
    void setDataStart(uint32_t start) { m_dataStart = start; }
    void setDataLength(uint16_t length) { m_dataLength = length; }
    void setTextColor(uint16_t color) { m_textColor = color; }
    void setNextIfConditionalProcessing(uint16_t number) { m_nextIfConditional = number; }
    void setSubpageId(uint8_t id) { m_subpageId = id; }
    void setConditionalProcessingId(uint16_t id) { m_conditionalProcessingId = id; }
    void setIndex(uint16_t number) { m_index = number; }

    uint16_t getFlags() const { return m_flags; }
    uint16_t getInlinePosition() const { return m_inlinePosition; }
    uint16_t getBaselinePosition() const { return m_baselinePosition; }
    uint32_t getTextOrientation() const { return m_textOrientation; }
    uint8_t getFontLocalId() const { return m_fontLocalId; }
    uint8_t getChannelCode() const { return m_channelCode; }
    uint16_t getNextIfSkipping() const { return m_nextIfSkipping; }
    const char* getSuppressionTokenName() const { return m_tokenName[0] ? m_tokenName : nullptr; }
    uint16_t getNextIfSpacing() const { return m_nextIfSpacing; }
    uint16_t getNextIfReuseData() const { return m_nextIfReuseData; }
    uint8_t getShiftOutFontLocalId() const { return m_shiftOutFontLocalId; }
    uint32_t getDataStart() const { return m_dataStart; }
    uint16_t getDataLength() const { return m_dataLength; }
    uint16_t getTextColor() const { return m_textColor; }
    uint16_t getNextIfConditionalProcessing() const { return m_nextIfConditional; }
    uint8_t getSubpageId() const { return m_subpageId; }
    uint16_t getConditionalProcessingId() const { return m_conditionalProcessingId; }
    uint16_t getIndex() const { return m_index; }

    // The 48 bytes, then the triplets.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

private:
    DNode<Triplet>** cursor(int id);
    void includeAt(DNode<Triplet>* node, char** name, short* x, short* y, short* orientation, char* objectType);

    DNode<Triplet>* m_colorCursor = nullptr;
    DNode<Triplet>* m_x93Cursor = nullptr;
    DNode<Triplet>* m_includeCursor = nullptr;
    DLinkedList<Triplet>* m_tripletList = nullptr;
    uint16_t m_flags = 0;
    uint16_t m_inlinePosition = 0;
    uint16_t m_baselinePosition = 0;
    uint32_t m_textOrientation = 0;
    uint8_t m_fontLocalId = 0;
    uint8_t m_channelCode = 0;
    uint16_t m_nextIfSkipping = 0;
    char m_tokenName[9] = {};
    uint16_t m_nextIfSpacing = 0;
    uint16_t m_nextIfReuseData = 0;
    uint8_t m_shiftOutFontLocalId = 0;
    uint32_t m_dataStart = 0;
    uint16_t m_dataLength = 0;
    uint16_t m_textColor = 0;
    uint16_t m_nextIfConditional = 0;
    uint8_t m_subpageId = 0;
    uint16_t m_conditionalProcessingId = 0;
    uint16_t m_index = 0;
};

} // namespace afp
} // namespace qel

#endif
