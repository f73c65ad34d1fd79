#ifndef QEL_CELL_H
#define QEL_CELL_H

#include "qelGraphicObject.h"

#include <cstdint>

class qelImageHandle;
class qelString;
struct qelImgInfo;

// One image cell of an IM image: its offset (the base position), cell and
// fill sizes and its bits. Raw bits are one unpadded bit string, rows of
// cellWidth bits; tiled bits have rows padded to whole bytes.
class qelCell : public qelGraphicObject
{
public:
    // Largest tiled cell, in bytes; a larger fill rectangle stays untiled.
    static constexpr int64_t MAX_TILED_BYTES = 16 * 1024 * 1024;

    qelCell();
    // Copy of a cell record; the raster image starts empty.
    explicit qelCell(const qelCell& source);
    qelCell& operator=(const qelCell&) = delete;
    ~qelCell() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override { setPositionFixed(); }
    void computeBoundingBox() override {}
    int kind() const override { return KIND_CELL; }

    void reset();
    bool needsTiling() const;
    // Re-lays the bit string into rows of whole bytes.
    void packRows();
    // Repeats the cell over its fill rectangle (or packs its rows).
    void tile();
    void tileCell(const char* imageName);
    // The cell as a bilevel CCITT G4 (or Flate) image in rasterData.
    void toRasterImage();
    // Rows the raw bits hold for the cell width; 0 for a width of 0 or
    // fewer bits than one row.
    int64_t rawRowCount() const;
    // Writes count bits of a bit string, from bit first on, at the start of
    // out (most significant bit first); bits at or past bitLength read 0.
    // Returns the number of bits that lay inside the string.
    static int64_t extractBits(const unsigned char* bits, int64_t bitLength, int64_t first, int64_t count,
                               unsigned char* out);

    float getSpareX() const { return m_spareX; }
    float getSpareY() const { return m_spareY; }
    void setSparePosition(float x, float y)
    {
        m_spareX = x;
        m_spareY = y;
    }
    uint8_t getTiled() const { return m_tiled; }
    void setTiled(uint8_t v) { m_tiled = v; }
    int32_t getCellWidth() const { return m_cellWidth; }
    int32_t getCellHeight() const { return m_cellHeight; }
    void setCellSize(int32_t width, int32_t height)
    {
        m_cellWidth = width;
        m_cellHeight = height;
    }
    int32_t getFillWidth() const { return m_fillWidth; }
    int32_t getFillHeight() const { return m_fillHeight; }
    void setFillSize(int32_t width, int32_t height)
    {
        m_fillWidth = width;
        m_fillHeight = height;
    }
    int32_t getSpareWidth() const { return m_spareWidth; }
    int32_t getSpareHeight() const { return m_spareHeight; }
    void setSpareSize(int32_t width, int32_t height)
    {
        m_spareWidth = width;
        m_spareHeight = height;
    }
    const unsigned char* getRawBits() const { return m_rawBits; }
    int32_t getRawLength() const { return m_rawLength; }
    const unsigned char* getTiledBits() const { return m_tiledBits; }
    int32_t getTiledLength() const { return m_tiledLength; }
    // Copies (null or length 0 clears).
    void setRawBits(const unsigned char* bits, int32_t length);
    void setTiledBits(const unsigned char* bits, int32_t length);
    // Takes a new[] buffer.
    void takeRawBits(unsigned char* bits, int32_t length);
    void takeTiledBits(unsigned char* bits, int32_t length);
    int32_t getSpareValue() const { return m_spareValue; }
    void setSpareValue(int32_t v) { m_spareValue = v; }
    uint16_t getRowCount() const { return m_rowCount; }
    void setRowCount(uint16_t v) { m_rowCount = v; }
    uint16_t getRowBytes() const { return m_rowBytes; }
    void setRowBytes(uint16_t v) { m_rowBytes = v; }
    uint16_t getPelScale() const { return m_pelScale; }
    void setPelScale(uint16_t v) { m_pelScale = v; }
    qelImageHandle* getImageHandle() const { return m_imageHandle; }
    void setImageHandle(qelImageHandle* handle);
    const char* getName() const;
    void setName(const char* text);
    qelImgInfo* getRasterInfo() const { return m_rasterInfo; }
    void setRasterInfo(const qelImgInfo* info);
    const unsigned char* getRasterData() const { return m_rasterData; }
    int32_t getRasterLength() const { return m_rasterLength; }
    void setRasterData(const unsigned char* bytes, int32_t length);

private:
    float m_spareX = 0.0f;
    float m_spareY = 0.0f;
    uint8_t m_tiled = 0;
    int32_t m_cellWidth = 0;
    int32_t m_cellHeight = 0;
    int32_t m_fillWidth = 0;
    int32_t m_fillHeight = 0;
    int32_t m_spareWidth = 0;
    int32_t m_spareHeight = 0;
    unsigned char* m_rawBits = nullptr;
    unsigned char* m_tiledBits = nullptr;
    unsigned char* m_spareBuffer = nullptr;
    int32_t m_rawLength = 0;
    int32_t m_tiledLength = 0;
    int32_t m_spareValue = 0;
    uint16_t m_rowCount = 0;
    uint16_t m_rowBytes = 0;
    uint16_t m_pelScale = 1;
    qelImageHandle* m_imageHandle = nullptr;
    qelString* m_name = nullptr;
    qelImgInfo* m_rasterInfo = nullptr;
    unsigned char* m_rasterData = nullptr;
    int32_t m_rasterLength = 0;
};

#endif
