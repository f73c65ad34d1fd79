#ifndef QEL_AFP_STRUCTURED_FIELD_H
#define QEL_AFP_STRUCTURED_FIELD_H

#include "qel/afp/DLinkedList.h"
#include "qel/afp/Writable.h"
#include "qel/afp/WritableContext.h"

#include <cstdint>
#include <vector>

namespace qel
{
namespace afp
{

class Triplet;

// A MO:DCA structured field. Used directly it writes its data bytes whole
// (a field given as bytes); field classes start from their template.
class StructuredField : public Writable
{
public:
    StructuredField() = default;
    ~StructuredField() override;

    // X'5A' for control flag bit 0, then the data bytes; -1 for a null
    // stream or no data.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setName(const char* name);
    void setNameForward(const char* name) { setName(name); }
    const char* getName() const { return m_name; }
    // Null bytes or a length of 0 keep the held data.
    void setData(const unsigned char* bytes, int length);
    void setDataBytes(const unsigned char* bytes, uint16_t length) { setData(bytes, length); }
    const unsigned char* getData() const { return m_data.empty() ? nullptr : m_data.data(); }
    int getDataLength() const { return static_cast<int>(m_data.size()); }
    uint16_t getLength() const { return m_fieldLength; }
    void setLength(uint16_t length) { m_fieldLength = length; }

    // Adds the triplet's evaluated length to the field length and enters
    // the triplet with one reference.
    virtual void addTriplet(Triplet* triplet);
    DLinkedList<WritableContext>* getTriplets() const { return m_triplets; }

    // The eight name bytes of a field: the first eight characters, blank
    // filled, in EBCDIC through the pool's translation table.
    static void putName(unsigned char* at, const char* name);

protected:
    // A copy of the identifier's template; failText is thrown when it
    // cannot be allocated.
    static std::vector<unsigned char> header(uint32_t id, const char* failText);
    static void putLength(std::vector<unsigned char>& bytes, uint16_t length);
    // X'5A' when control flag bit 0 is set.
    static void write5A(DataStream* dataStream, uint16_t controlFlags);
    // Writes every triplet that is present and not suppressed; returns the
    // last result, or rc when none was written.
    int writeTriplets(DataStream* dataStream, uint16_t controlFlags, int rc);
    // The steps of a writer whose field is its template with the name and
    // its triplets: entry line, X'5A', INFO line (infoFormat may take the
    // name through one "%s"), name, field length, bytes, triplets.
    int writeTemplateField(DataStream* dataStream, uint16_t controlFlags, uint32_t id, const char* entry,
                           const char* failText, const char* infoFormat);

private:
    char* m_name = nullptr;
    std::vector<unsigned char> m_data;
    uint16_t m_fieldLength = 0;
    DLinkedList<WritableContext>* m_triplets = nullptr;
};

} // namespace afp
} // namespace qel

#endif
