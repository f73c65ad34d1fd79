#ifndef QEL_AFP_PARSER_H
#define QEL_AFP_PARSER_H

#include "qelParser.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class qelIndex;
class qelIOStream;
class qelLogStream;
class qelMedia;
class qelResourceReference;
class qelSFIBlock;
class qelTripletParser;
struct qelNOPRecord;

// Base of every parser of structured fields: the read loop that hides No
// Operation fields, copies every field to the raw copy stream and recovers
// from damaged introducers, the No Operation handling, the report of
// unexpected fields and the name table of fields, GOCA orders and PTOCA
// control sequences.
class qelAFPParser : public virtual qelParser
{
public:
    // With the pool's triplet reader.
    qelAFPParser();
    // Without a triplet reader when withTriplets is false.
    explicit qelAFPParser(bool withTriplets);
    ~qelAFPParser() override;

    int loadResourceFile() override { return 0; }
    int getParserType() override { return 5; }

    // Nesting depth that indents the dump lines.
    virtual int getLevel() { return 0; }
    // Handles the current No Operation field; the record goes to *out when
    // out is given (the caller owns it), else it is freed.
    virtual void processNOP(qelNOPRecord** out);

    // The next field that is not a No Operation field, from the given input
    // or the process-wide current one; also kept as the current field.
    qelSFIBlock* readNextSF(qelIOStream* input = nullptr);
    qelSFIBlock* getCurrentSF() const { return m_currentSF; }

    // Writes one field with its introducer: 0, -1 without stream or field,
    // -2 when the stream is not open, -3 when the write failed.
    static int writeRawSF(qelIOStream* output, qelSFIBlock* field);
    // Bytes of a field after its X'5A': introducer, extension and data.
    static int rawSFSize(qelSFIBlock* field);
    // Puts those rawSFSize bytes at out, with length in the length bytes.
    static void encodeRawSF(qelSFIBlock* field, int length, unsigned char* out);
    // Turns a QEL,M text into an alias record (QELNOP on) or keeps the
    // record as a pending No Operation record; frees what the record holds.
    static void defineAliasName(qelNOPRecord* record);
    // Warns about the current field and consumes its data.
    void reportUnexpectedSF(int id);
    void logSkippedSF(int id);
    // Name of a field id, GOCA order or PTOCA control sequence; "" if unknown.
    static const char* getSFTypeName(int id);
    // Degrees of a rotation word (0, 90, 180, 270); -1 for an illegal one.
    static int rotationDegrees(unsigned int word);

    // Reads a colour specification of a control sequence from the current
    // field into the current colour, never more than *remaining bytes; what
    // it takes is subtracted from *remaining.
    void readColorSpecification(uint8_t* remaining);
    // Decodes colour specification bytes (at most length). Space is set for
    // a known space byte; value (and kind when given) only when all colour
    // bytes are present, except that with shortReadsZero a header cut short
    // reads its missing bytes as 0. Logs with log given.
    static void decodeColorSpecification(const uint8_t* data, int length, bool shortReadsZero, qelLogStream* log,
                                         int32_t& value, int32_t& space, uint32_t* kind);
    // Names an image colour in the log (mask 0x02).
    void logImageColor(int value);
    int32_t getColorValue() const { return m_colorValue; }
    int32_t getColorSpace() const { return m_colorSpace; }
    uint32_t getColorValueKind() const { return m_colorValueKind; }

    // The pool's triplet reader, fetched at each use (the kernel replaces it
    // for every input); null for a parser made without one.
    qelTripletParser* getTripletParser() const;
    uint32_t getResourceKind() const { return m_resourceKind; }
    void setResourceKind(uint32_t kind) { m_resourceKind = kind; }

    // Process-wide values of the structured-field parsers, reset per input.
    static int getLastResourceKind();
    static void setLastResourceKind(int kind);
    static int getOverlayCounter();
    static int nextOverlayNumber();
    static void resetInputValues();

protected:
    void logBytes(const unsigned char* bytes, int n);
    // The 8-byte name at the read position of the current field, in ASCII
    // and trimmed; "" (nothing read) when fewer than 8 bytes are left.
    std::string readName();
    // The dump line of the current field (log bit 0x01).
    void logField(const char* abbreviation, const char* title, const char* text);
    // A begin or end field: its dump line and, when the field goes on, its
    // triplets under the optional mask (*withTriplets tells whether they were
    // read); returns its name. The triplet reader frees the names nobody
    // takes at its next read.
    std::string readBeginEnd(const char* abbreviation, const char* title, uint32_t optional,
                             bool* withTriplets = nullptr);
    // A Tag Logical Element: its dump line and its triplets read into a new
    // index entry; null when the field holds none.
    std::unique_ptr<qelIndex> readTagLogicalElement();
    // The fixed part of an Include Object field; the name is the one a
    // fully qualified name triplet gives, when there is one.
    struct IncludedObject
    {
        std::string name;
        int type = 0;
        int32_t x = 0;
        int32_t y = 0;
        // Degrees; -1 for an illegal rotation.
        int xRotation = 0;
        int yRotation = 0;
        uint16_t xContent = 0;
        uint16_t yContent = 0;
        uint8_t coordinateSystem = 0;
    };
    // Reads the current Include Object field with its triplets, logs it and
    // takes over the colour the triplets give.
    IncludedObject readIncludeObject(qelLogStream* log);
    // Resolution, object type, area and units of an object container from
    // the triplets just read.
    void setContainerValues(qelResourceReference* reference) const;
    // Writes a trace text to the message output with developer test bit 0x1.
    void trace(const char* text) const;
    // Runs read with the file at path as current input, through a reader of
    // its own; the input that was current is made current again, unmoved.
    void readWithOwnReader(const char* path, const std::function<void()>& read);
    // Reads fields up to the end of the object begun by beginId (the id plus
    // X'0100'), nested objects of the same kind included.
    void skipToEnd(int beginId);
    // Warns that an object is skipped as unsupported (log bit 0x02 and,
    // unless quiet, the message output) and counts it.
    static void warnUnsupported(qelLogStream* log, const char* abbreviation, unsigned int offset);
    // Warns about and skips the image or object container begun by the
    // current field.
    void skipUnsupportedObject(int beginId);
    // Reads the object container begun by the field into the media (a page
    // or overlay named mediaName): registered as a resource named after the
    // container and the media, and included where it was met.
    void parseObjectContainer(qelMedia* media, const char* mediaName, qelSFIBlock* begin);

    qelSFIBlock* m_currentSF = nullptr;
    int m_level = 0;
    bool m_withTriplets = true;
    int32_t m_colorValue = 0;
    int32_t m_colorSpace = 5;
    uint32_t m_colorValueKind = 5;
    uint32_t m_resourceKind = 0;

private:
    void resynchronise(qelIOStream* input);
};

#endif
