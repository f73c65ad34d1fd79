#ifndef QEL_IOCA_PARSER_H
#define QEL_IOCA_PARSER_H

#include "qelAFPParser.h"
#include "qelObjectDataCollector.h"

#include <cstdint>
#include <string>

class qelImageObject;

// Reads one IOCA image object, Begin Image to End Image, into a new image
// object: the environment group into its placement, size and colour, the
// picture data collected unchanged as its raw data. One instance per
// process lives in the pool.
class qelIocaParser : public qelAFPParser
{
public:
    qelIocaParser();
    ~qelIocaParser() override;

    int getParserType() override { return 12; }

    // Reads the object begun by begin (the current Begin Image) from the
    // current input; the caller owns the image (never null).
    qelImageObject* parse(qelSFIBlock* begin);

    // The colour the caller hands in; the object area's colour replaces it.
    void setColor(int32_t value, uint32_t kind)
    {
        m_colorValue = value;
        m_colorValueKind = kind;
    }

    // Bits per pixel of an image; 1 for image data the library cannot read,
    // whose E013 is logged, not raised: the image is kept all the same.
    static int bitsPerPixel(qelImageObject* image);

    void beginImageObject();
    void endImageObject();
    void objectEnvironmentGroup();
    void beginObjectEnvironmentGroup();
    void endObjectEnvironmentGroup();
    void objectAreaDescriptor();
    void objectAreaPosition();
    void mapImageObject();
    void imageDataDescriptor();
    void imagePictureData();

private:
    bool logs(unsigned int bits) const;
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // To the log (mask 0x02) and, unless quiet, to the message output.
    void warnOut(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Hands the collected picture data to the image.
    void handOverData();
    void reset();

    qelImageObject* m_image = nullptr;
    std::string m_beginName;
    qelObjectDataCollector m_data;
};

#endif
