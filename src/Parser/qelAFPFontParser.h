#ifndef QEL_AFP_FONT_PARSER_H
#define QEL_AFP_FONT_PARSER_H

#include "qelAFPParser.h"
#include "qelFontParser.h"
#include "qelTripletParser.h"

#include <cstdint>
#include <string>
#include <vector>

class qelAFPFontMetrics;
class qelAFPFontRepresentation;
class qelIOStream;
class qelSFIBlock;

// Reads one AFP font character set, Begin Font to End Font, from an input
// into a new qelAFPFontRepresentation: names and design attributes, font
// control, per-rotation metrics, character metrics, font-specific names and
// either the raster glyphs cut from the Font Patterns fields or the outline
// font program they carry. Every field read is copied to the input's linked
// stream. The parser has a triplet reader of its own.
class qelAFPFontParser : public qelFontParser, public qelAFPParser
{
public:
    qelAFPFontParser();
    ~qelAFPFontParser() override;

    int loadResourceFile() override { return 0; }
    int getParserType() override { return 37; }
    int getLevel() override { return 1; }
    // Not supported: character sets are read from an input.
    qelFontRepresentation* parse(const char*) override { return nullptr; }
    // The character set at the input's read position; null when the input
    // does not start with Begin Font (or without input). Errors of the
    // fields are thrown; an input that ends before End Font throws its end
    // of data as an error.
    qelFontRepresentation* parseStream(qelIOStream* stream) override;
    void processNOP(qelNOPRecord** out) override;

    uint8_t getFNMGroupLength() const { return m_fnmGroupLength; }
    void setFNMGroupLength(uint8_t v) { m_fnmGroupLength = v; }
    uint8_t getFNNGroupLength() const { return m_fnnGroupLength; }
    void setFNNGroupLength(uint8_t v) { m_fnnGroupLength = v; }
    uint8_t getFNIGroupLength() const { return m_fniGroupLength; }
    void setFNIGroupLength(uint8_t v) { m_fniGroupLength = v; }
    uint16_t getFNNNameCount() const { return m_fnnNameCount; }
    void setFNNNameCount(uint16_t v) { m_fnnNameCount = v; }

    // Path the last Type 1 program dump went to ("" when none).
    const std::string& getDumpFile() const { return m_dumpFile; }

protected:
    void parseCharacterSet(qelIOStream* input);
    void parseBeginFont();
    void parseFontDescriptor();
    void parseFontControl();
    void parseFontPatternsMap();
    void parseFontOrientation();
    void parseFontPosition();
    void parseFontIndex(int ordinal);
    void parseFontNameMapHeader();
    void parseFontNameMap();
    void parseEndFont();
    void parseFontPatterns(int ordinal);
    void extractRasterPatterns();
    void parseOutlineObject(int ordinal);
    void logBitmap(const char* gcgid, int width, int height, const uint8_t* data, int length);
    void dumpType1Program();
    void reset();
    void clear();

private:
    bool logOn() const { return m_logFlag && m_log; }
    void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A warning for the message output (unless quiet) and, with the log
    // flag, the log.
    void consoleWarning(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void fieldLine(const char* abbreviation, const char* title, const char* text = "");
    void logByteRows(const uint8_t* bytes, int n);
    // Moves the field's read position to offset (for the triplets after the
    // fixed part); false when the field holds nothing from there.
    bool seekData(int offset);
    void readTriplets(uint32_t optional);
    const char* resourceName() const;
    const char* gcgidOfPattern(int32_t index) const;
    int64_t patternLength(int32_t index) const;
    [[noreturn]] void insufficientPattern(int32_t index, int64_t available, int64_t required);

    qelAFPFontRepresentation* m_representation = nullptr;
    qelAFPFontMetrics* m_metrics = nullptr;
    qelTripletParser m_triplets;
    std::vector<int64_t> m_patternOffsets;
    int32_t m_rasterDataCount = 0;
    int64_t m_bytesConsumed = 0;
    int32_t m_alignment = -1;
    bool m_logFlag = false;
    uint8_t m_fnmGroupLength = 0;
    uint8_t m_fnnGroupLength = 0;
    uint8_t m_fniGroupLength = 0;
    uint16_t m_fnnNameCount = 0;
    int32_t m_orientationCount = 0;
    int32_t m_orientations[4] = {4, 4, 4, 4};
    int32_t m_nextPattern = 0;
    // Slots of the glyph array handed to the metrics.
    int64_t m_glyphCapacity = 0;
    std::vector<uint8_t> m_carried;
    std::vector<uint8_t> m_nameMap;
    bool m_nameMapTooLarge = false;
    std::string m_dumpFile;
};

#endif
