#ifndef QEL_STREAM_H
#define QEL_STREAM_H

#include <cstdint>

class qelList;

// Stream kinds returned by getType.
enum qelStreamType
{
    QEL_STREAM_BUFFER = 1,
    QEL_STREAM_FILE = 2,
    QEL_STREAM_FTP = 4,
    QEL_STREAM_CHECKOUT = 7
};

// Attribute kinds of setAttribute / getAttribute; each stream honours its own.
enum qelStreamAttribute
{
    QEL_ATTR_DIRECTORY = 12,
    QEL_ATTR_REMOTE_FILE_NAME = 13,
    QEL_ATTR_EXTENSION = 14,
    QEL_ATTR_SUB_DIRECTORY = 15,
    QEL_ATTR_COMMAND = 16,
    QEL_ATTR_HOST_NAME = 17,
    QEL_ATTR_QUIET = 18,
    QEL_ATTR_LOG = 19
};

// Abstract forward byte stream. The end of the data is raised by getChar as
// information I001 (files, remote files) or I199 (memory, check-out).
class qelStream
{
public:
    qelStream();
    virtual ~qelStream();
    qelStream(const qelStream&) = delete;
    qelStream& operator=(const qelStream&) = delete;

    virtual int getType() = 0;
    virtual int getChar() = 0;
    virtual unsigned char* getData();
    virtual void setData(const unsigned char* bytes, int count);
    virtual void seek(int position);
    virtual int getSize();
    virtual const char* getName() = 0;
    virtual void setName(const char* text) = 0;
    virtual void checkBeginning() = 0;
    virtual void open() = 0;
    virtual int computeSize() = 0;
    virtual void close() = 0;
    virtual void setMode(unsigned char flag) = 0;
    virtual unsigned char getMode() = 0;
    virtual void write(const unsigned char* bytes, int count) = 0;
    virtual void flushData() = 0;
    virtual void readAll() = 0;
    virtual void reservedA() = 0;
    virtual void setAttribute(int kind, const char* text) = 0;
    virtual int reservedB() = 0;
    // Writes at most size bytes (terminator included) into text.
    virtual int getAttribute(int kind, char* text, int size) = 0;

    int getPosition() const { return m_position; }
    void setPosition(int position) { m_position = position < 0 ? 0 : position; }
    bool hasCarriageControl() const { return m_carriageControl != 0; }
    void clearCarriageControl() { m_carriageControl = 0; }
    bool isOpen() const { return m_open != 0; }
    bool isAtEnd();
    void setAtEnd(bool atEnd) { m_atEnd = atEnd ? 1 : 0; }
    int getBytesLeft() const;

    void getChars(unsigned char* buffer, int n);
    unsigned char* readBytes(int n);
    void skip(int n);
    unsigned int readUInt16();
    uint32_t readUInt32();

    // Slot for the attribute list of the document being read; null until a
    // stream fills it. The list itself is never owned.
    qelList** getAttributes() { return m_attributes; }
    void setAttributeList(qelList* list);

    int getASCIIChars(char* buffer, int n);
    int getASCIICharsUptoCR(char* buffer, int n);
    int getASCIICharsUptoLF(char* buffer, int n);
    int getASCIICharsUptoCRLF(char* buffer, int n);

protected:
    // Copies up to n bytes that are available without refilling, advances
    // the position and returns the count (0: let getChar refill or raise).
    // A class whose getChar works on other data must override it.
    virtual int copyAvailable(unsigned char* dst, int n);

    static bool isQuiet();

    int m_position = 0;
    int m_length = 0;
    char* m_name = nullptr;
    unsigned char m_carriageControl = 0;
    unsigned char m_mode = 0;
    unsigned char m_open = 0;
    qelList** m_attributes = nullptr;
    unsigned char m_atEnd = 0;
};

#endif
