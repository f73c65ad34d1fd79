#ifndef QEL_IMG_UTILS_H
#define QEL_IMG_UTILS_H

#include <cstdint>
#include <cstdio>
#include <sys/stat.h>

class qelImgEncoder;
class qelImgIOStream;
class qelString;
struct qelImgDIBHeader;
struct qelImgInfo;
struct qelImgParamValue;

// Static helpers of the image library. New texts and buffers are new[]
// blocks the caller frees; name texts are constants.
class qelImgUtils
{
public:
    // Input type codes answered by getImageTypeFromBuffer.
    enum {
        TYPE_JPEG = 2, TYPE_TIFF = 3, TYPE_IOCA = 4, TYPE_DIB = 5, TYPE_BMP = 6, TYPE_PNG = 10,
        TYPE_PCX = 12, TYPE_GIF = 13, TYPE_UNKNOWN = 14
    };

    // Seconds and milliseconds of a time stamp.
    struct TimeStamp
    {
        long long seconds;
        int milliseconds;
    };

    // The image type from the signature of the first bytes; TYPE_UNKNOWN
    // when none matches.
    static int getImageTypeFromBuffer(const unsigned char* data, unsigned int length);
    // From the first 100 bytes of the file; OIL018 or OIL007 when it cannot
    // be opened or read.
    static int getImageTypeFromFile(const char* path);
    // Not implemented: OIL026.
    static int getImageType(int fileDescriptor);

    static const char* getImageTypeName(int type);
    // "Unhandled" for codes without a name.
    static const char* getEncodeTypeName(int type);
    static const char* getCompressionName(int compression);
    static const char* getPhotometricName(int photometric);
    static const char* getColorSpaceName(int colorSpace);
    static const char* getParameterName(int parameter);
    static const char* getResizeFilterKeyword(int filter);
    static const char* getResizeFilterName(int filter);
    static const char* getTransparencyKindName(int kind);
    // "LIBTIFF, Version x.y.z" of the linked TIFF library.
    static const char* getTIFFLibraryVersion();

    // The file and buffer encoder factory: a new encoder of the type over
    // the stream; OIL050 with the type's name for types without one.
    static qelImgEncoder* createEncoder(int type, qelImgIOStream* stream);

    // A new record; the caller deletes it.
    static qelImgInfo* createInfoFromDIBHeader(const qelImgDIBHeader* header);
    // The 36 defaults; the document texts of the library in slots 8-14.
    static void setDefaultParameters(qelImgParamValue* table);

    static char* getDefaultTempDirectory();
    static void toForwardSlashes(char* text);
    static char* getBaseName(const char* path, bool keepExtension);
    static char* stripEnclosing(const char* text, char c);
    static char* copyPath(char* old, const char* path, int extra);
    // The char form needs room for one more character.
    static void appendSlash(char* text);
    static void appendSlash(qelString* text);
    static mode_t getFileMode(const char* path);
    static bool isDirectory(const char* path);
    static bool isRegularFile(const char* path);
    static bool isWritable(const char* path);
    static long long getFileSize(const char* path);
    // 1, or -1 with nothing allocated.
    static int readFile(const char* path, unsigned char** data, unsigned int* length);
    // 1, or -1 when the file cannot be opened or not all bytes are written.
    static int writeFile(const char* path, const void* data, unsigned int length);
    // A fresh unique file in the temporary directory; the buffer needs 512 bytes.
    static void getTempFileName(char* buffer);

    static void trimLeft(char* text);
    static void trimRight(char* text);
    static void trim(char* text);
    static char* readLine(FILE* file, char* buffer, int size, bool skipComments);
    static bool equalsIgnoreCase(const char* a, const char* b);
    static char* substring(const char* text, int start, int end);
    static char* substringByPointers(const char* text, const char* from, const char* to);
    static bool isNumeric(const char* text);
    static int hexDigitValue(char c);
    static int hexToInt(const char* text);
    static bool findSection(const char* name, FILE* file);
    static char* getKey(char* line);
    static bool isKey(char* line, const char* name);
    static char* getValueField(const char* line, int n, char separator);
    // Not terminated; the length of the text.
    static unsigned char* toEBCDIC(const char* text);

    static char* getCurrentDate();
    static void getDateTime(char* buffer, int size);
    static bool isDateBeforeToday(const char* date);
    static long long diffMilliseconds(const TimeStamp& a, const TimeStamp& b);
    static int roundHalfUp(float x);
    static void invertBytes(unsigned char* data, unsigned int length);
    static unsigned char reverseBits(unsigned char b);
    static void cmykToRgb(int c, int m, int y, int k, int* r, int* g, int* b);
    static void rgbToGray(int r, int g, int b, int* gray);
    static void cmykToGray(int c, int m, int y, int k, int* gray);
    // C in bits 24-31 ... K in 0-7; answers 0x00BBGGRR.
    static unsigned int cmykToRgbColor(unsigned int cmyk);
    // 0x00BBGGRR in.
    static int rgbToGrayColor(unsigned int rgb);
};

#endif
