#ifndef QEL_AFP_FQN_TRIPLET_H
#define QEL_AFP_FQN_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Fully Qualified Name (X'02'): type, character-string format and at most
// 250 name bytes, in EBCDIC unless translation is switched off.
class FQNTriplet : public Triplet
{
public:
    enum { MAX_NAME = 250 };

    FQNTriplet(uint8_t type, const char* name);
    ~FQNTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x02; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setName(const char* name);
    void setTranslateToEBCDIC(int on) { m_translate = on ? 1 : 0; }
    const char* getName() const { return m_name; }
    uint8_t getType() const { return m_type; }

private:
    uint8_t m_type;
    char* m_name = nullptr;
    uint8_t m_translate = 1;
};

} // namespace afp
} // namespace qel

#endif
