#ifndef QEL_IO_STREAM_H
#define QEL_IO_STREAM_H

#include <cstddef>
#include <cstdint>

class qelList;
class qelLogicalLocation;
class qelSFIBlock;
class qelStream;

// Reader of structured fields over one owned byte stream. The process has
// one current input reader (getCurrent); loaders that point it at their own
// reader restore the old one afterwards.
class qelIOStream
{
public:
    qelIOStream();
    // Over a buffer stream holding a copy of the bytes.
    qelIOStream(const unsigned char* bytes, int count);
    // Over a file stream reading the path.
    explicit qelIOStream(const char* path);
    ~qelIOStream();
    qelIOStream(const qelIOStream&) = delete;
    qelIOStream& operator=(const qelIOStream&) = delete;

    static qelIOStream* getCurrent();
    static void setCurrent(qelIOStream* reader);

    void openFile(const char* path, bool forWriting);
    void attachStream(qelStream* stream);
    void attachBuffer(const unsigned char* bytes, int count);
    // Sets the reader up over a logical location: for an FTP location a
    // connected FTP stream in the start directory after the initial
    // commands, named after the location. Nothing for other kinds.
    void openLocation(qelLogicalLocation* location);
    void reopen();
    void reset();
    void rewind();
    void closeStream();
    void close();

    // The next structured field; the end of the input is raised by the
    // stream (I001 or I199).
    qelSFIBlock* readSFI();
    int readIdentifier();
    int readByte();
    unsigned int readUInt16();
    int readShort();
    uint32_t readUInt32();
    void getChars(unsigned char* buffer, int n);
    unsigned char* readBytes(int n);
    void skip(int n);
    int getASCIIChars(char* buffer, int n);
    int getASCIICharsUptoCR(char* buffer, int n);
    int getASCIICharsUptoLF(char* buffer, int n);
    int getASCIICharsUptoCRLF(char* buffer, int n);
    void write(const unsigned char* bytes, int count);

    void seek(int position);
    int getPosition();
    int getBytesLeft();
    bool isOpen() const;
    const char* getName();
    void setName(const char* name);
    void setRemoteFileName(const char* name);
    qelList** getDocumentAttributes();

    // A text naming the input, at most size bytes with the terminator.
    char* describe(char* buffer, size_t size);
    // Offset of the current field for messages.
    int getSFIOffset();

    void applyExtensionMode();

    bool hasCarriageControl() const { return m_carriageControl != 0; }
    void setCarriageControl(bool on) { m_carriageControl = on ? 1 : 0; }
    int getOffset() const { return m_offset; }
    void setOffset(int offset) { m_offset = offset; }
    qelIOStream* getLinkedStream() const { return m_linked; }
    void setLinkedStream(qelIOStream* linked) { m_linked = linked; }
    qelStream* getStream() const { return m_stream; }
    qelSFIBlock* getSFIBlock() const { return m_record; }
    bool isResourceFile() const { return m_resourceFile != 0; }
    void setSpoolInput(bool on) { m_spoolInput = on ? 1 : 0; }
    bool isSpoolInput() const { return m_spoolInput != 0; }
    bool isPushback() const { return m_pushback != 0; }
    void setPushback(bool on) { m_pushback = on ? 1 : 0; }

private:
    qelStream* needStream();
    qelSFIBlock* record();
    void replaceStream(qelStream* stream);
    void skipLeadingBytes();
    void readInto(int which, int count);
    void addToOffset(int64_t count);

    unsigned char m_carriageControl = 0;
    int m_offset = 0;
    unsigned char m_warningGiven = 0;
    unsigned char m_spoolInput = 0;
    qelSFIBlock* m_record = nullptr;
    qelStream* m_stream = nullptr;
    unsigned char m_resourceFile = 0;
    qelIOStream* m_linked = nullptr;
    unsigned char m_pushback = 0;
    // Reused area for the bytes of one field.
    unsigned char* m_scratch = nullptr;
};

#endif
