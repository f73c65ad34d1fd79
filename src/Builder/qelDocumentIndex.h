#ifndef QEL_DOCUMENT_INDEX_H
#define QEL_DOCUMENT_INDEX_H

// The index of one output document as an index writer hands it out.
class qelDocumentIndex
{
public:
    qelDocumentIndex() = default;
    virtual ~qelDocumentIndex() = default;
    qelDocumentIndex(const qelDocumentIndex&) = delete;
    qelDocumentIndex& operator=(const qelDocumentIndex&) = delete;

    virtual int kind() const = 0;
};

#endif
