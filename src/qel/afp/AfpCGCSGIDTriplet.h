#ifndef QEL_AFP_CGCSGID_TRIPLET_H
#define QEL_AFP_CGCSGID_TRIPLET_H

#include "qel/afp/AfpTriplet.h"

namespace qel
{
namespace afp
{

// Coded Graphic Character Set Global Identifier (X'01'): GCSGID and CPGID
// when GCSGID is set; else X'0000' and the CCSID when that is set; else
// X'FFFF' and the CPGID (and the GCSGID becomes X'FFFF').
class CGCSGIDTriplet : public Triplet
{
public:
    CGCSGIDTriplet(uint16_t gcsgid = 0, uint16_t cpgid = 0, uint16_t ccsid = 0);
    ~CGCSGIDTriplet() override;

    uint8_t evaluateLength() override;
    uint8_t getId() override { return 0x01; }
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setGCSGID(uint16_t value) { m_gcsgid = value; }
    void setCPGID(uint16_t value) { m_cpgid = value; }
    void setCCSID(uint16_t value) { m_ccsid = value; }
    uint16_t getGCSGID() const { return m_gcsgid; }
    uint16_t getCPGID() const { return m_cpgid; }
    uint16_t getCCSID() const { return m_ccsid; }

private:
    uint16_t m_gcsgid;
    uint16_t m_cpgid;
    uint16_t m_ccsid;
};

} // namespace afp
} // namespace qel

#endif
