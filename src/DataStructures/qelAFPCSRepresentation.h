#ifndef QEL_AFPCS_REPRESENTATION_H
#define QEL_AFPCS_REPRESENTATION_H

#include "qelFontRepresentation.h"

namespace qel
{
namespace afp
{
class ResCharacterSet;
}
} // namespace qel

// A font character set resource built for AFP output. Owns the resource
// until it is detached.
class qelAFPCSRepresentation : public qelFontRepresentation
{
public:
    qelAFPCSRepresentation() = default;
    ~qelAFPCSRepresentation() override;

    int getType() const override { return TYPE_AFP_CHARSET; }

    // Destroys the resource held before and keeps the new one.
    void setResource(qel::afp::ResCharacterSet* resource);
    qel::afp::ResCharacterSet* getResource() const { return m_resource; }
    // Forgets the resource without destroying it.
    void detachResource() { m_resource = nullptr; }

private:
    qel::afp::ResCharacterSet* m_resource = nullptr;
};

#endif
