#ifndef QEL_TTF_REPRESENTATION_H
#define QEL_TTF_REPRESENTATION_H

#include "qelFontRepresentation.h"

#include <cstdint>

class qelString;

// Font tables of a TrueType or OpenType file as read, field by field.
struct qelTTFOS2Table
{
    uint16_t version;
    int16_t xAvgCharWidth;
    uint16_t usWeightClass;
    uint16_t usWidthClass;
    int16_t fsType;
    int16_t ySubscriptXSize;
    int16_t ySubscriptYSize;
    int16_t ySubscriptXOffset;
    int16_t ySubscriptYOffset;
    int16_t ySuperscriptXSize;
    int16_t ySuperscriptYSize;
    int16_t ySuperscriptXOffset;
    int16_t ySuperscriptYOffset;
    int16_t yStrikeoutSize;
    int16_t yStrikeoutPosition;
    int16_t sFamilyClass;
    uint8_t panose[10];
    uint32_t ulUnicodeRange1;
    uint32_t ulUnicodeRange2;
    uint32_t ulUnicodeRange3;
    uint32_t ulUnicodeRange4;
    uint8_t achVendID[4];
    uint16_t fsSelection;
    uint16_t usFirstCharIndex;
    uint16_t usLastCharIndex;
    int16_t sTypoAscender;
    int16_t sTypoDescender;
    int16_t sTypoLineGap;
    uint16_t usWinAscent;
    uint16_t usWinDescent;
    uint32_t ulCodePageRange1;
    uint32_t ulCodePageRange2;
    int16_t sxHeight;
    int16_t sCapHeight;
    uint16_t usDefaultChar;
    uint16_t usBreakChar;
    uint16_t usMaxContext;
};

struct qelTTFHeadTable
{
    uint32_t version;
    uint32_t fontRevision;
    uint32_t checkSumAdjustment;
    uint32_t magicNumber;
    uint16_t flags;
    uint16_t unitsPerEm;
    uint8_t created[8];
    uint8_t modified[8];
    int16_t xMin;
    int16_t yMin;
    int16_t xMax;
    int16_t yMax;
    int16_t macStyle;
    int16_t lowestRecPPEM;
    int16_t fontDirectionHint;
    int16_t indexToLocFormat;
    int16_t glyphDataFormat;
};

struct qelTTFMaxpTable
{
    uint32_t version;
    uint16_t numGlyphs;
    uint16_t maxPoints;
    uint16_t maxContours;
    uint16_t maxCompositePoints;
    uint16_t maxCompositeContours;
    uint16_t maxZones;
    uint16_t maxTwilightPoints;
    uint16_t maxStorage;
    uint16_t maxFunctionDefs;
    uint16_t maxInstructionDefs;
    uint16_t maxStackElements;
    uint16_t maxSizeOfInstructions;
    uint16_t maxComponentElements;
    uint16_t maxComponentDepth;
};

struct qelTTFHheaTable
{
    uint32_t version;
    int16_t ascender;
    int16_t descender;
    int16_t lineGap;
    uint16_t advanceWidthMax;
    int16_t minLeftSideBearing;
    int16_t minRightSideBearing;
    int16_t xMaxExtent;
    int16_t caretSlopeRise;
    int16_t caretSlopeRun;
    int16_t caretOffset;
    int16_t reserved[4];
    int16_t metricDataFormat;
    uint16_t numberOfHMetrics;
};

struct qelTTFVheaTable
{
    uint32_t version;
    int16_t vertTypoAscender;
    int16_t vertTypoDescender;
    int16_t vertTypoLineGap;
    int16_t advanceHeightMax;
    int16_t minTopSideBearing;
    int16_t minBottomSideBearing;
    int16_t yMaxExtent;
    int16_t caretSlopeRise;
    int16_t caretSlopeRun;
    int16_t caretOffset;
    int16_t reserved[4];
    int16_t metricDataFormat;
    uint16_t numOfLongVerMetrics;
};

struct qelTTFPostTable
{
    uint32_t version;
    // Degrees, truncated toward zero.
    int32_t italicAngle;
    int16_t underlinePosition;
    int16_t underlineThickness;
    uint32_t isFixedPitch;
    uint32_t minMemType42;
    uint32_t maxMemType42;
    uint32_t minMemType1;
    uint32_t maxMemType1;
};

// A TrueType or OpenType font file: its PostScript and family names and
// the tables read from it. Owns the names and every table record.
class qelTTFRepresentation : public qelFontRepresentation
{
public:
    qelTTFRepresentation() = default;
    ~qelTTFRepresentation() override;

    int getType() const override { return TYPE_TRUETYPE; }

    void setFontName(const char* name);
    const char* getFontName() const;
    void setWindowsFontName(const char* name);
    const char* getWindowsFontName() const;

    // Each setter frees the previous record and keeps the new one.
    void setHeadTable(qelTTFHeadTable* table);
    void setHorizontalHeaderTable(qelTTFHheaTable* table);
    void setMaxProfileTable(qelTTFMaxpTable* table);
    void setVerticalMetricsTable(qelTTFVheaTable* table);
    void setOS2Record(qelTTFOS2Table* table);
    void setPostTable(qelTTFPostTable* table);
    qelTTFHeadTable* getHeadTable() const { return m_head; }
    qelTTFHheaTable* getHorizontalHeaderTable() const { return m_hhea; }
    qelTTFMaxpTable* getMaxProfileTable() const { return m_maxp; }
    qelTTFVheaTable* getVerticalMetricsTable() const { return m_vhea; }
    qelTTFOS2Table* getOS2Table() const { return m_os2; }
    qelTTFPostTable* getPostTable() const { return m_post; }

private:
    qelString* m_fontName = nullptr;
    qelString* m_windowsFontName = nullptr;
    qelTTFHeadTable* m_head = nullptr;
    qelTTFHheaTable* m_hhea = nullptr;
    qelTTFMaxpTable* m_maxp = nullptr;
    qelTTFVheaTable* m_vhea = nullptr;
    qelTTFOS2Table* m_os2 = nullptr;
    qelTTFPostTable* m_post = nullptr;
};

#endif
