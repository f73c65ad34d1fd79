#ifndef QEL_IMG_PARAM_VALUE_H
#define QEL_IMG_PARAM_VALUE_H

#include <cstdint>
#include <cstring>

// One processor parameter slot of 1024 bytes, read as a byte, an int, a
// float or a text of at most 1023 characters.
struct qelImgParamValue
{
    enum { SIZE = 1024 };

    unsigned char bytes[SIZE];

    unsigned char getByte() const { return bytes[0]; }
    int32_t getInt() const
    {
        int32_t v;
        std::memcpy(&v, bytes, sizeof v);
        return v;
    }
    float getFloat() const
    {
        float v;
        std::memcpy(&v, bytes, sizeof v);
        return v;
    }
    const char* getText() const { return reinterpret_cast<const char*>(bytes); }

    void setByte(unsigned char v)
    {
        std::memset(bytes, 0, SIZE);
        bytes[0] = v;
    }
    void setInt(int32_t v)
    {
        std::memset(bytes, 0, SIZE);
        std::memcpy(bytes, &v, sizeof v);
    }
    void setFloat(float v)
    {
        std::memset(bytes, 0, SIZE);
        std::memcpy(bytes, &v, sizeof v);
    }
    // Cut to 1023 characters; null stores an empty text.
    void setText(const char* text)
    {
        std::memset(bytes, 0, SIZE);
        if (text)
            std::strncpy(reinterpret_cast<char*>(bytes), text, SIZE - 1);
    }
};

#endif
