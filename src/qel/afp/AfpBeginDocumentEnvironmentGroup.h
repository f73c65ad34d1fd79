#ifndef QEL_AFP_BEGIN_DOCUMENT_ENVIRONMENT_GROUP_H
#define QEL_AFP_BEGIN_DOCUMENT_ENVIRONMENT_GROUP_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Begin Document Environment Group (X'D3A8C4'); its write adds a CGCSGID
// triplet when a character set value is set. -2 when it has no triplets
// to write after its own bytes.
class BeginDocumentEnvironmentGroup : public StructuredField
{
public:
    BeginDocumentEnvironmentGroup();
    explicit BeginDocumentEnvironmentGroup(const char* name);
    ~BeginDocumentEnvironmentGroup() override;

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
