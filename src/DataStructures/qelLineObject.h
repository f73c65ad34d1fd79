#ifndef QEL_LINE_OBJECT_H
#define QEL_LINE_OBJECT_H

#include "qelGraphicObject.h"

#include <cstdint>

// A rule (width, length, direction from the position) or a GOCA line (from
// the position to endPoint); also the base of boxes, fillets and arcs.
class qelLineObject : public qelGraphicObject
{
public:
    // Line type of rules.
    static const int32_t RULE_LINE_TYPE = 153;
    // Above this many dash elements a line is counted as solid.
    static const int32_t MAX_DASH_ELEMENTS = 100000;

    // A rule with everything zero.
    qelLineObject();
    // The GOCA base of boxes, fillets and arcs.
    qelLineObject(int32_t lineType, float lineWidth, uint32_t colorValue, int32_t mix, int32_t backgroundMix);
    // A GOCA or PDF line from start (the position) to end.
    qelLineObject(qelPoint start, qelPoint end, int32_t lineType, float lineWidth, uint32_t colorValue, int32_t mix,
                  int32_t backgroundMix);
    // A horizontal rule of PDF input.
    qelLineObject(qelPoint position, float width, float length);
    ~qelLineObject() override;

    void write(qelVisitor* visitor) override;
    void fixAbsPosition() override;
    void computeBoundingBox() override;
    int kind() const override { return KIND_LINE; }

    // The standard pattern of line type patternIndex + 1 (indexes 0 to 5)
    // into pattern (room for 6 values); the number of values, 0 for other
    // indexes.
    static int getDashPattern(int patternIndex, float* pattern);

    // Estimates the GOCA orders and bytes of the line, stores them and
    // returns them through the arguments (either may be null).
    void countGOCAOrders(int32_t* orders, int32_t* bytes);

    // Replaces the dash array with a copy of count values; null clears.
    void setDashArray(const double* values, int32_t count);
    const float* getDashArray() const { return m_dashArray; }
    int32_t getDashCount() const { return m_dashCount; }
    int32_t getDashPhase() const { return m_dashPhase; }
    void setDashPhase(int32_t v) { m_dashPhase = v; }

    int32_t getLineType() const { return m_lineType; }
    void setLineType(int32_t v) { m_lineType = v; }
    float getLineWidth() const { return m_lineWidth; }
    void setLineWidth(float v) { m_lineWidth = v; }
    qelPoint getEndPoint() const { return m_endPoint; }
    void setEndPoint(qelPoint p) { m_endPoint = p; }
    void setEndPoint(float x, float y) { m_endPoint = qelPoint{x, y}; }
    uint8_t getContinued() const { return m_continued; }
    void setContinued(uint8_t v) { m_continued = v; }
    float getWidth() const { return m_width; }
    void setWidth(float v) { m_width = v; }
    float getLength() const { return m_length; }
    void setLength(float v) { m_length = v; }
    uint8_t getHorizontal() const { return m_horizontal; }
    void setHorizontal(uint8_t v) { m_horizontal = v; }
    // Stores horizontal = !flag and returns the flag.
    bool setVertical(bool flag)
    {
        m_horizontal = flag ? 0 : 1;
        return flag;
    }
    bool isVertical() const { return m_horizontal == 0; }
    uint8_t getNegative() const { return m_negative; }
    void setNegative(uint8_t v) { m_negative = v; }
    uint8_t getKeepPosition() const { return m_keepPosition; }
    void setKeepPosition(uint8_t v) { m_keepPosition = v; }
    int32_t getOrderCount() const { return m_orderCount; }
    int32_t getByteCount() const { return m_byteCount; }

protected:
    void writeTraced(qelVisitor* visitor);

private:
    // Number of dash elements laid along the line; -1 when the pattern
    // cannot be laid (then the line counts as solid).
    int64_t countDashElements() const;

    int32_t m_lineType = RULE_LINE_TYPE;
    float m_lineWidth = 0.0f;
    qelPoint m_endPoint;
    uint8_t m_continued = 0;
    float* m_dashArray = nullptr;
    int32_t m_dashCount = 0;
    int32_t m_dashPhase = 0;
    float m_width = 0.0f;
    float m_length = 0.0f;
    uint8_t m_horizontal = 0;
    uint8_t m_negative = 0;
    uint8_t m_keepPosition = 0;
    int32_t m_orderCount = 0;
    int32_t m_byteCount = 0;
};

#endif
