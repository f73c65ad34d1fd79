#ifndef QEL_COLOR_ENTRY_H
#define QEL_COLOR_ENTRY_H

// One named colour of the AFP colour table. The value holds four bytes:
// RGB entries use 0, R, G, B; CMYK entries C, M, Y, K. Minimum and maximum
// are the value less and plus the tolerance, kept within 0..255.
class qelColorEntry
{
public:
    enum { TYPE_RGB = 1, TYPE_CMYK = 2 };
    enum { DEFAULT_GRAY_LOWER = 20, DEFAULT_GRAY_UPPER = 235 };

    qelColorEntry();
    ~qelColorEntry();
    qelColorEntry(const qelColorEntry&) = delete;
    qelColorEntry& operator=(const qelColorEntry&) = delete;

    const char* getName() const { return m_name; }
    void setName(const char* name);

    int getType() const { return m_type; }
    void setType(int type) { m_type = type; }
    void setTypeRGB() { m_type = TYPE_RGB; }

    // The four value bytes packed big-endian (first byte highest).
    unsigned int getValue() const;
    void setValue(unsigned int value);
    const unsigned char* getValueBytes() const { return m_value; }
    const unsigned char* getMinimum() const { return m_minimum; }
    const unsigned char* getMaximum() const { return m_maximum; }
    void setRGB(unsigned char r, unsigned char g, unsigned char b);
    unsigned char getRed() const { return m_value[1]; }
    unsigned char getGreen() const { return m_value[2]; }
    unsigned char getBlue() const { return m_value[3]; }

    unsigned int getTolerance() const { return m_tolerance; }
    // Stores the tolerance and derives the minimum and maximum bytes.
    void setTolerance(unsigned int tolerance);

    int getGrayUpper() const { return m_grayUpper; }
    void setGrayUpper(int value) { m_grayUpper = value; }
    int getGrayLower() const { return m_grayLower; }
    void setGrayLower(int value) { m_grayLower = value; }

    // Frees the name and zeroes everything else.
    void clear();

    // OCA colour number of the entry's name, 0 for none.
    int getOCAColor() const;

    // Match tests of one entry: equal values, or within the ranges.
    bool matchesRGB(unsigned char r, unsigned char g, unsigned char b, bool withTolerance) const;
    bool matchesCMYK(unsigned char c, unsigned char m, unsigned char y, unsigned char k,
                     bool withTolerance) const;

private:
    char* m_name = nullptr;
    int m_type = 0;
    unsigned char m_value[4] = {0, 0, 0, 0};
    unsigned char m_maximum[4] = {0, 0, 0, 0};
    unsigned char m_minimum[4] = {0, 0, 0, 0};
    int m_grayUpper = 0;
    int m_grayLower = 0;
    unsigned int m_tolerance = 0;
};

#endif
