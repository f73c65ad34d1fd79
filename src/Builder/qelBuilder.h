#ifndef QEL_BUILDER_H
#define QEL_BUILDER_H

class qelRepresentation;

// Builds one new representation from a source representation.
class qelBuilder
{
public:
    qelBuilder() = default;
    virtual ~qelBuilder() = default;
    qelBuilder(const qelBuilder&) = delete;
    qelBuilder& operator=(const qelBuilder&) = delete;

    // A new representation, owned by the caller, or null.
    virtual qelRepresentation* build(qelRepresentation* source) = 0;
};

#endif
