#ifndef QEL_REPRESENTATION_H
#define QEL_REPRESENTATION_H

// Root of every font and code page representation.
class qelRepresentation
{
public:
    virtual ~qelRepresentation() = default;
    // Representation type code (qelFontRepresentation::Type).
    virtual int getType() const = 0;
};

#endif
