#ifndef QEL_SFI_BLOCK_H
#define QEL_SFI_BLOCK_H

class qelBufferStream;

// One structured field as read: introducer values, extension and data.
// The record is reused from field to field; its streams are kept.
class qelSFIBlock
{
    friend class qelIOStream;

public:
    qelSFIBlock();
    ~qelSFIBlock();
    qelSFIBlock(const qelSFIBlock&) = delete;
    qelSFIBlock& operator=(const qelSFIBlock&) = delete;

    int getLength() const { return m_length; }
    int getId() const { return m_id; }
    int getFlags() const { return m_flags; }
    unsigned short getReserved() const { return m_reserved; }
    int getOffset() const { return m_fileOffset; }
    bool hasCarriageControl() const { return m_carriageControl != 0; }

    unsigned char* getData();
    int getDataSize();
    unsigned char* getExtension();
    unsigned char getExtensionSize();

    // Copy the bytes (the count taken as 16 and 8 bits) and release the
    // given buffer, which must come from new[].
    void setData(unsigned char* bytes, int count);
    void setExtension(unsigned char* bytes, int count);

    // Introducer values to 0; the streams stay.
    void reset();
    // Releases the extension, the data and the triplet stream.
    void clear();

    static bool isValidId(int id);

    // Data bytes not yet read by the data readers (0 when negative); E063
    // without data.
    int getRemainingLength();
    int readByte();
    int readShort();
    unsigned int readUShort();
    void readBytes(unsigned char* buffer, int n);
    unsigned char* readNewBytes(int n);
    void skip(int n);
    int getPosition();

    // Stream over the current triplet, owned by the record; the triplet
    // readers create and fill it.
    qelBufferStream* getTripletStream() const { return m_triplet; }
    void setTripletStream(qelBufferStream* stream);

private:
    qelBufferStream* dataStream();
    // Replaces the data or extension content by count bytes.
    static void fill(qelBufferStream*& stream, const unsigned char* bytes, int count);

    int m_length = 0;
    int m_id = 0;
    unsigned char m_flags = 0;
    unsigned short m_reserved = 0;
    qelBufferStream* m_extension = nullptr;
    qelBufferStream* m_data = nullptr;
    int m_fileOffset = 0;
    qelBufferStream* m_triplet = nullptr;
    unsigned char m_carriageControl = 0;
};

#endif
