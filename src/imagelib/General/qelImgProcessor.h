#ifndef QEL_IMG_PROCESSOR_H
#define QEL_IMG_PROCESSOR_H

#include "qelImgParamValue.h"
#include "qelImgTypes.h"

class qelImgDIB;
class qelImgDecoder;
class qelImgEncoder;
class qelImgIOStream;
class qelImgLogger;
struct qelImageStrips;
struct qelImgInfo;

// Entry point of the image library for the rest of the engine. A processor
// wraps one source through one decoder (or one output stream through one
// encoder). The static part is library-wide: start and end, trace sink,
// temporary directory, the document texts written into image files and the
// switches of the run.
class qelImgProcessor
{
public:
    qelImgProcessor();
    // OIL008 for a null or empty name; the type is sniffed and recorded.
    explicit qelImgProcessor(const char* file);
    qelImgProcessor(int type, const char* file);
    // OIL012 for null data or length 0; the block must outlive the processor.
    qelImgProcessor(unsigned char* data, unsigned int length);
    qelImgProcessor(int type, unsigned char* data, unsigned int length);
    // The stream is borrowed and never closed or deleted.
    qelImgProcessor(qelImgIOStream* stream, QELIMG_ENCODETYPE type);
    // Raw pixel data described by info (OIL005 when null); the palette holds
    // info's colour count of 4-byte entries and may be null.
    qelImgProcessor(qelImgInfo* info, unsigned char* data, int length, unsigned char* palette);
    // Not implemented: OIL026.
    explicit qelImgProcessor(int fileDescriptor);
    explicit qelImgProcessor(qelImgProcessor* other);
    ~qelImgProcessor();
    qelImgProcessor(const qelImgProcessor&) = delete;
    qelImgProcessor& operator=(const qelImgProcessor&) = delete;

    // Pages.
    void setPageNumber(int page);
    int getPageNumber() const { return m_pageNumber; }
    int getPageCount();
    // 0, or -1 when no page is left; both share one count of pages left.
    int readFirst();
    int readNext();
    bool doesPageExist();
    int skipPages(int count);
    qelImgInfo* getInfo();
    qelImgInfo* getPageInfo(int page);
    qelImgInfo* getCurrentPageInfo();
    int getImageType() const { return m_imageType; }
    qelImgDecoder* getDecoder() { return m_decoder; }
    int getImageContentCount();
    bool hasNextImageContent();
    void nextImageContent();

    // Data; bitmaps belong to the decoder, data blocks to the caller.
    void decode();
    qelImgDIB* getDIBData();
    long getDIBDataLength();
    int readNextLine(unsigned char* row);
    void getEncodedData(unsigned char** data, unsigned int* length);
    void getEncodedBandData(qelImageStrips* bands);
    void getEncodedTileData(unsigned char** data, unsigned int* length, int tile);
    int decodeTileImage(int tile);
    qelImgDIB* getDIBDataForTileImage(int tile);
    void getColorTable(unsigned char** palette, int* count);
    bool hasMask();
    qelImgInfo* getMaskInfo();
    void getEncodedMaskData(unsigned char** data, unsigned int* length);
    qelImgDIB* getMaskDIBData();
    int getWidthFromData();
    int getNextEncodedData(unsigned char** data, unsigned int* length);
    int getNextEncodedBandData(qelImageStrips** bands);
    int getNextDIBData(qelImgDIB** dib);
    int getEncodedTileDataOfPage(unsigned char** data, unsigned int* length, int tile, int page);
    int getDIBDataForTileImageOfPage(qelImgDIB** dib, int tile, int page);

    // Parameters 0-35; other numbers throw OIL013 as a warning.
    void setParameter(int n, const char* text);
    void setParameter(int n, unsigned char value);
    void setParameter(int n, int value);
    void setParameter(int n, float value);
    void setParameter(int n, long value);
    unsigned char getParameterByte(int n);
    int getParameterInt(int n);
    const char* getParameterText(int n);
    long getParameterLong(int n);
    float getParameterFloat(int n);
    qelImgParamValue* getParameters() { return m_params; }

    // Distinct pixel values of the current page up to limit (-1: 0xFFFFFF);
    // -3 bad limit, -4 no decoder, -5 no information, -6 unsupported depth.
    int getUniqueColorsCount(int limit);

    // Transforms: new bitmaps the caller frees, or null; the library's
    // exceptions and plain texts are passed on.
    qelImgDIB* rotateDIB(qelImgDIB* dib, int angle, int interpolation);
    qelImgDIB* rotate(int angle, int interpolation);
    // In place by the FlipImage parameter; -1 null, -2 bad mode.
    int flip(qelImgDIB* dib);
    static qelImgDIB* crop(qelImgDIB* dib, int x, int y, int width, int height);
    static qelImgDIB* resize(const char* name, qelImgDIB* dib, int width, int height, int filter);
    // The current page by the Resize Filter parameter.
    qelImgDIB* resize(const char* name, int width, int height);
    static qelImgDIB* threshold(qelImgDIB* dib, unsigned char level);
    static qelImgDIB* adaptiveThreshold(qelImgDIB* dib);
    // colour 0xBBGGRR painted where the overlay's pixel is 0.
    static void transparentMix(qelImgDIB* dib, qelImgDIB* overlay, int colour);
    qelImgDIB* convertToGrayscale();
    qelImgDIB* convertDIBToGrayscale(qelImgDIB* dib);
    // The current page to 1 bit (dithered) or from 48 to 24 bits; null for
    // other combinations.
    qelImgDIB* bitDemote(int bitsPerPixel, int ditherMethod);

    // Encoding. The stream processor's encoder: each does nothing without
    // one.
    void initializeEncoder(qelImgInfo* info);
    void setEncoderParameters(qelImgInfo* info);
    void notifyEncoder();
    void finalizeEncoder();
    void encode(qelImgDecoder* decoder);
    void encode(qelImgDIB* dib);
    // A bitmap information header, its colour table and its pixels.
    void encode(unsigned char* dibData);
    // The current page: OIL024 without decoder, OIL008 for an empty name.
    // Buffers are new[] blocks the caller frees, with the information.
    void encode(const char* file, QELIMG_ENCODETYPE type);
    void encode(unsigned char** data, unsigned int* length, QELIMG_ENCODETYPE type);
    void encode(unsigned char** data, unsigned int* length, qelImgInfo** info, QELIMG_ENCODETYPE type);
    // A given bitmap, without pass-through.
    void encode(const char* file, qelImgDIB* dib, QELIMG_ENCODETYPE type);
    void encode(unsigned char** data, unsigned int* length, qelImgDIB* dib, QELIMG_ENCODETYPE type);
    // The smallest of the listed encodings of the current page; repeated
    // entries of types are overwritten with 32. The factor is not used.
    void encode(unsigned char** data, unsigned int* length, QELIMG_ENCODETYPE types[], int count,
                QELIMG_ENCODETYPE* chosen, QELIMG_BEST_COMP_ALG_FACTOR factor, qelImgInfo** info);
    // A new bitmap to encode instead of dib (flipped in place first), or
    // null to encode dib itself.
    qelImgDIB* doPreprocess(qelImgDIB* dib, int type);
    void applyEncodeTypeParameters(int type);
    static bool isEncodingCompatible(int type, int bitsPerPixel);
    // The compression an encode type produces; 37 for none.
    static int getEncodeCompression(int type);

    static void initializeLibrary();
    static void finalizeLibrary();
    static bool isInitialized();
    // Per-input release of the TIFF contexts, handlers and pending error.
    static void releaseLibraryResources();

    // Not owned.
    static void setLogger(qelImgLogger* logger);
    static qelImgLogger* getLogger();

    // A null text changes nothing; a setter keeps a copy. An unset or empty
    // text answers the built-in default.
    static const char* getSoftwareName();
    static void setSoftwareName(const char* text);
    static const char* getCopyright();
    static void setCopyright(const char* text);
    static const char* getArtist();
    static void setArtist(const char* text);
    static const char* getTitle();
    static void setTitle(const char* text);
    static const char* getSubject();
    static void setSubject(const char* text);
    static const char* getKeywords();
    static void setKeywords(const char* text);
    static const char* getAuthor();
    static void setAuthor(const char* text);

    static float getDefaultResolution();
    static void setDefaultResolution(float dpi);
    static bool isWidthFromData();
    static void setWidthFromData(bool on);
    // With a trailing '/'; null when none.
    static const char* getTempDirectory();
    // An existing writable directory, else the default one.
    static void setTempDirectory(const char* path);
    static int getTempFileMode();
    static void setTempFileMode(int mode);
    static int getMessageMode();
    static void setMessageMode(int mode);

    static const char* getVersion();
    static const char* getLibraryBanner();
    // Four lines of linked library versions; a new[] text the caller frees.
    static char* getLibraryVersions();
    static const char* getCompressionName(int compression);
    static const char* getImageTypeName(int type);

private:
    void start();
    void createDecoderForFile(int type, const char* file);
    void createDecoderForBuffer(int type, unsigned char* data, unsigned int length);
    void createDecoderForRawData(qelImgInfo* info, unsigned char* data, int length, unsigned char* palette);
    void createStreamEncoder(int type, qelImgIOStream* stream);
    // The encode steps behind the pass-through checks; the stream is the
    // caller's.
    void encodeInto(qelImgIOStream* stream, qelImgDIB* dib, int type, qelImgInfo** info);
    void chkAndProcessAFPOly(int type, const char* file);
    int chkAndProcessPassThrough(int type, qelImgIOStream* stream);
    int chkAndProcessCMYKIOCA(int type, qelImgIOStream* stream);
    int chkAndProcessRGBIOCA(int type, qelImgIOStream* stream);
    int chkAndProcessCCITTIOCA(int type, qelImgIOStream* stream);
    void encodePage(qelImgIOStream* stream, int type, qelImgInfo** info, bool* passedThrough);
    // Replaces and deletes the decoder.
    void setDecoder(qelImgDecoder* decoder);
    // Pages left and the resolution parameters from the new decoder.
    void takeSource();
    qelImgDecoder* decoder();
    qelImgParamValue& slot(int n);

    int m_pagesLeft = -1;
    int m_sequentialPage = 0;
    qelImgParamValue m_params[QELIMG_PARAM_COUNT];
    qelImgDecoder* m_decoder = nullptr;
    qelImgEncoder* m_encoder = nullptr;
    qelImgIOStream* m_stream = nullptr;
    int m_imageType = QELIMG_IMAGETYPE_UNKNOWN;
    int m_pageNumber = -1;
};

#endif
