#ifndef QEL_AFP_BEGIN_DOCUMENT_H
#define QEL_AFP_BEGIN_DOCUMENT_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Document (X'D3A8A8'). Its write adds a CGCSGID triplet, an
// Interchange Set triplet at IS/2 and, for a name longer than eight
// characters, a Fully Qualified Name of type X'01': write it once.
class BeginDocument : public StructuredField
{
public:
    BeginDocument();
    explicit BeginDocument(const char* name);
    ~BeginDocument() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setGCSGID(uint16_t value) { m_gcsgid = value; }
    void setCPGID(uint16_t value) { m_cpgid = value; }
    void setCCSID(uint16_t value) { m_ccsid = value; }
    uint16_t getGCSGID() const { return m_gcsgid; }
    uint16_t getCPGID() const { return m_cpgid; }
    uint16_t getCCSID() const { return m_ccsid; }

private:
    uint16_t m_gcsgid = 0;
    uint16_t m_cpgid = 0;
    uint16_t m_ccsid = 0;
};

} // namespace afp
} // namespace qel

#endif
