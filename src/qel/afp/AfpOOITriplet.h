#ifndef QEL_AFP_OOI_TRIPLET_H
#define QEL_AFP_OOI_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Object Origin Identifier (X'64', 61 bytes): system id, then three texts
// of 8, 6 and 44 bytes; a text present is translated over its whole
// zero-filled width, an absent one leaves zeros.
class OOITriplet : public Triplet
{
public:
    OOITriplet(const char* host = nullptr, const char* media = nullptr, const char* dataSet = nullptr,
               uint8_t systemId = 1);
    ~OOITriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x96; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setHostIdentifier(const char* text);
    void setMediaIdentifier(const char* text);
    void setDataSetIdentifier(const char* text);
    void setSystemId(uint8_t v) { m_systemId = v; }
    const char* getHostIdentifier() const { return m_host; }
    const char* getMediaIdentifier() const { return m_media; }
    const char* getDataSetIdentifier() const { return m_dataSet; }
    uint8_t getSystemId() const { return m_systemId; }

private:
    char* m_host = nullptr;
    char* m_media = nullptr;
    char* m_dataSet = nullptr;
    uint8_t m_systemId;
};

} // namespace afp
} // namespace qel

#endif
