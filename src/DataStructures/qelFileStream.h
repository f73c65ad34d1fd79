#ifndef QEL_FILE_STREAM_H
#define QEL_FILE_STREAM_H

#include "qelStream.h"

#include <cstdio>

class qelBufferStream;

// Byte stream over a local file, standard input ("stdin") or standard
// output ("stdout"). Reading goes through a 4096-byte window.
class qelFileStream : public qelStream
{
public:
    enum { ACCESS_READ = 1, ACCESS_WRITE = 2, WINDOW_SIZE = 4096 };

    // For reading the file at path.
    explicit qelFileStream(const char* path);
    // For writing; named later with setName.
    qelFileStream();
    ~qelFileStream() override;

    void setDirectory(const char* text);
    void setExtension(const char* text);
    void setSubDirectory(const char* text);
    const char* getDirectory() const { return m_directory; }
    const char* getExtension() const { return m_extension; }
    const char* getSubDirectory() const { return m_subDirectory; }
    unsigned char getAccess() const { return m_access; }

    int getType() override { return QEL_STREAM_FILE; }
    int getChar() override;
    unsigned char* getData() override { return m_data; }
    void setData(const unsigned char* bytes, int count) override;
    void seek(int position) override;
    const char* getName() override { return m_name; }
    void setName(const char* text) override;
    void checkBeginning() override;
    void open() override;
    int computeSize() override;
    void close() override;
    void setMode(unsigned char flag) override { m_mode = flag; }
    unsigned char getMode() override { return m_mode; }
    void write(const unsigned char* bytes, int count) override;
    void flushData() override;
    void readAll() override;
    void reservedA() override {}
    void setAttribute(int kind, const char* text) override;
    int reservedB() override { return 0; }
    int getAttribute(int, char*, int) override { return 0; }

    void openForRead();
    void openForWrite();
    void fillBuffer();
    int createOutputDirectories();

protected:
    int copyAvailable(unsigned char* dst, int n) override;

private:
    static void replaceText(char*& field, const char* text);
    void composePath();
    const char* nameOr(const char* fallback) const { return m_name ? m_name : fallback; }
    // Reads the next window; returns the byte count (0 at the end of file).
    int readWindow();
    void advancePosition(int count);
    bool holdsStandardFile() const { return m_file && (m_file == stdin || m_file == stdout); }

    unsigned char m_access = 0;
    FILE* m_file = nullptr;
    qelBufferStream* m_readBuffer = nullptr;
    unsigned char* m_data = nullptr;
    char* m_directory = nullptr;
    char* m_extension = nullptr;
    char* m_subDirectory = nullptr;
    // Standard input is read without seeking: its first byte is kept here
    // when the first window is read (-1 before that).
    int m_firstByte = -1;
    // The directory attributes have been joined into the name.
    bool m_composed = false;
};

#endif
