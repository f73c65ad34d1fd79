#ifndef QEL_OUTPUT_SCALE_H
#define QEL_OUTPUT_SCALE_H

// A scale condition: a target size (numbers or a paper size name), a
// comparison and tolerances that decide whether a page gets scaled.
class qelOutputScale
{
public:
    enum { COND_NONE = 0, COND_GT = 1, COND_LT = 2, COND_NE = 3 };
    enum { NAME_SIZE = 24 };

    float getWidth() const { return m_width; }
    float getHeight() const { return m_height; }
    void setWidth(float width) { m_width = width; }
    void setHeight(float height) { m_height = height; }

    const char* getSizeName() const { return m_sizeName; }
    // Copies at most NAME_SIZE - 1 characters; null empties the name.
    void setSizeName(const char* name);

    int getCondition() const { return m_condition; }
    void setCondition(int condition) { m_condition = condition; }
    // "lt" for COND_LT, "ne" for COND_NE, "gt" otherwise.
    const char* getConditionName() const;

    double getWidthTolerance() const { return m_widthTolerance; }
    double getHeightTolerance() const { return m_heightTolerance; }
    void setWidthTolerance(double value) { m_widthTolerance = value; }
    void setHeightTolerance(double value) { m_heightTolerance = value; }
    double getToleranceFraction() const { return m_toleranceFraction; }
    void setToleranceFraction(double value) { m_toleranceFraction = value; }

    bool isOn() const { return m_switch != 0; }
    int getSwitch() const { return m_switch; }
    void setSwitch(int value) { m_switch = value; }

    int getResolution() const { return m_resolution; }
    void setResolution(int resolution) { m_resolution = resolution; }

    // Whether a page of the given size, in units of the given resolution,
    // meets the condition; the size is first brought to the record's
    // resolution.
    bool appliesTo(float width, float height, int resolution) const;
    // The same test on a size already in the record's units.
    bool appliesToSize(float width, float height) const;

private:
    float m_width = 0.0f;
    float m_height = 0.0f;
    char m_sizeName[NAME_SIZE] = {0};
    int m_condition = COND_NONE;
    double m_widthTolerance = 0.0;
    double m_heightTolerance = 0.0;
    double m_toleranceFraction = 0.2;
    int m_switch = 1;
    int m_resolution = 240;
};

#endif
