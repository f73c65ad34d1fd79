#ifndef QEL_AFP_OBJECT_H
#define QEL_AFP_OBJECT_H

#include "qelGraphicObject.h"

#include <cstdint>

class qelList;

// An object of the input page kept as raw structured fields (each a byte
// buffer: two-byte length, identifier, flags, sequence number, extension,
// data) so that AFP output can copy it unchanged.
class qelAFPObject : public qelGraphicObject
{
public:
    // Deleter for the byte buffers of a structured-field list.
    static void deleteBuffer(void* buffer);

    // Takes the list over (may be null).
    qelAFPObject(qelList* structuredFields, int32_t totalLength);
    ~qelAFPObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override {}
    void computeBoundingBox() override {}
    int kind() const override { return KIND_AFP; }

    qelList* getStructuredFields() const { return m_structuredFields; }
    // Frees the current list and takes the given one over when one is given.
    void setStructuredFields(qelList* list);
    int32_t getTotalLength() const { return m_totalLength; }
    void setTotalLength(int32_t length) { m_totalLength = length; }

private:
    qelList* m_structuredFields = nullptr;
    int32_t m_totalLength = 0;
};

#endif
