#ifndef QEL_TYPE3_CHAR_METRICS_H
#define QEL_TYPE3_CHAR_METRICS_H

#include "qelCharMetrics.h"

// Metrics of one glyph procedure of a Type 3 font, with the operands of
// its d1 operator (wx, wy, llx, lly, urx, ury).
class qelType3CharMetrics : public qelCharMetrics
{
public:
    float getCharIncrement() const { return m_charIncrement; }
    void setCharIncrement(float v) { m_charIncrement = v; }
    float getAscenderHeight() const { return m_ascenderHeight; }
    void setAscenderHeight(float v) { m_ascenderHeight = v; }
    float getDescenderDepth() const { return m_descenderDepth; }
    void setDescenderDepth(float v) { m_descenderDepth = v; }
    float getASpace() const { return m_aSpace; }
    void setASpace(float v) { m_aSpace = v; }
    float getBSpace() const { return m_bSpace; }
    void setBSpace(float v) { m_bSpace = v; }
    float getCSpace() const { return m_cSpace; }
    void setCSpace(float v) { m_cSpace = v; }
    float getBaselineOffset() const { return m_baselineOffset; }
    void setBaselineOffset(float v) { m_baselineOffset = v; }
    float getMatrixA() const { return m_matrixA; }
    void setMatrixA(float v) { m_matrixA = v; }
    float getMatrixD() const { return m_matrixD; }
    void setMatrixD(float v) { m_matrixD = v; }

    // Copies six values; null changes nothing.
    void setBoundingBox(const double* box)
    {
        if (!box)
            return;
        for (int i = 0; i < 6; ++i)
            m_box[i] = box[i];
    }
    const double* getBoundingBox() const { return m_box; }

private:
    float m_charIncrement = 0.0f;
    float m_ascenderHeight = 0.0f;
    float m_descenderDepth = 0.0f;
    float m_aSpace = 0.0f;
    float m_bSpace = 0.0f;
    float m_cSpace = 0.0f;
    float m_baselineOffset = 0.0f;
    float m_matrixA = 0.0f;
    float m_matrixD = 0.0f;
    double m_box[6] = {0, 0, 0, 0, 0, 0};
};

#endif
