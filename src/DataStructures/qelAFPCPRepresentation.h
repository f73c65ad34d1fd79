#ifndef QEL_AFPCP_REPRESENTATION_H
#define QEL_AFPCP_REPRESENTATION_H

#include "qelCodePageRepresentation.h"
#include "qelFontRepresentation.h"

namespace qel
{
namespace afp
{
class ResCodePage;
}
} // namespace qel

// A code page resource built for AFP output. Owns the resource until it is
// detached.
class qelAFPCPRepresentation : public qelCodePageRepresentation
{
public:
    qelAFPCPRepresentation() = default;
    ~qelAFPCPRepresentation() override;

    int getType() const override { return qelFontRepresentation::TYPE_AFP_CODEPAGE; }

    // Destroys the resource held before and keeps the new one.
    void setResource(qel::afp::ResCodePage* resource);
    qel::afp::ResCodePage* getResource() const { return m_resource; }
    // Forgets the resource without destroying it.
    void detachResource() { m_resource = nullptr; }

private:
    qel::afp::ResCodePage* m_resource = nullptr;
};

#endif
