#ifndef QEL_CHECKOUT_STREAM_H
#define QEL_CHECKOUT_STREAM_H

#include "qelStream.h"

class qelBufferStream;
class qelList;
struct qelSDKDocumentRecord;
struct qelSDKNameList;

// Reads the documents of a list of document ids back to back as one input.
// Each document is fetched through the document reader when the previous
// one is used up; the end of the last one raises I199. While a document is
// read, the attribute holder refers to a list of its index entries (items
// are the record's qelSDKNameValue nodes, not owned by the list).
class qelCheckoutStream : public qelStream
{
public:
    // The id list stays the caller's.
    explicit qelCheckoutStream(qelSDKNameList* firstId);
    ~qelCheckoutStream() override;

    // Moves to the next id that gives a document; without one the stream is
    // left at its end.
    void nextDocument();
    // When the current document is used up (or none is fetched yet), moves
    // on to the next one that has bytes, as the next getChar would; true
    // when it moved. Readers call it at a field boundary so that the X'5A'
    // flag is that of the document the next field comes from.
    bool moveToUnreadDocument();
    // When the rest of the current document is only bytes that may stand
    // around fields (blanks, CR, LF, X'1A'), moves to its end; the count of
    // bytes passed over.
    int skipTrailingPadding();
    // Bytes of the current document not read yet.
    int getDocumentBytesLeft() const;

    int getType() override { return QEL_STREAM_CHECKOUT; }
    int getChar() override;
    void seek(int position) override;
    const char* getName() override;
    void setName(const char* text) override;
    void checkBeginning() override;
    void open() override;
    int computeSize() override;
    void close() override {}
    void setMode(unsigned char flag) override;
    unsigned char getMode() override { return m_mode; }
    void write(const unsigned char*, int) override {}
    void flushData() override {}
    void readAll() override {}
    void reservedA() override {}
    void setData(const unsigned char*, int) override {}
    unsigned char* getData() override { return nullptr; }
    void setAttribute(int kind, const char* text) override;
    int reservedB() override { return 0; }
    int getAttribute(int, char*, int) override { return 0; }

    bool isQuietSwitch() const { return m_quiet != 0; }
    bool isLogSwitch() const { return m_log != 0; }

private:
    void releaseRecord();
    void setIndexAttributes();

    qelBufferStream* m_document = nullptr;
    qelSDKNameList* m_firstId = nullptr;
    qelSDKNameList* m_currentId = nullptr;
    bool m_started = false;
    qelSDKDocumentRecord* m_record = nullptr;
    unsigned char m_quiet = 0;
    unsigned char m_log = 0;
    // Index entries of the current record, handed out through the holder.
    qelList* m_indexEntries = nullptr;
};

#endif
