#ifndef QEL_IMG_AFP_FIELDS_H
#define QEL_IMG_AFP_FIELDS_H

class qelImgIOStream;

// Structured fields and IOCA self-defining fields written from fixed byte
// patterns. Every writer takes the stream and the introducer flag (1
// writes X'5A' before a structured field; the IOCA pieces never do) and
// answers 1 when the stream took all bytes, -1 otherwise. Values that do
// not fit their 2-byte field answer -1 before any byte is written.
class qelImgAFPFields
{
public:
    enum { INTRODUCER = 0x5A };

    static int writeBeginOverlay(qelImgIOStream* s, int flag, const unsigned char* name, int length);
    static int writeEndOverlay(qelImgIOStream* s, int flag);
    static int writeNoOperation(qelImgIOStream* s, int flag, const unsigned char* text, int length);
    static int writeBeginActiveEnvironmentGroup(qelImgIOStream* s, int flag);
    static int writePageDescriptor(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits);
    static int writeEndActiveEnvironmentGroup(qelImgIOStream* s, int flag);
    static int writeBeginImageObject(qelImgIOStream* s, int flag);
    static int writeBeginObjectEnvironmentGroup(qelImgIOStream* s, int flag);
    static int writeObjectAreaDescriptor(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits);
    static int writeObjectAreaPosition(qelImgIOStream* s, int flag);
    static int writeImageDataDescriptor(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits,
                                        int functionSet);
    static int writeEndObjectEnvironmentGroup(qelImgIOStream* s, int flag);
    static int writeEndImageObject(qelImgIOStream* s, int flag);
    // The introducer of an Image Picture Data field of the given length;
    // the IOCA data follow as separate writes.
    static int writeImagePictureData(qelImgIOStream* s, int flag, int length);
    static int writeOverlayEnvironment(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits);
    static int writeImageObjectHeader(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits,
                                      int functionSet);

    // Document and page framing.
    static int writeBeginDocument(qelImgIOStream* s, int flag);
    static int writeEndDocument(qelImgIOStream* s, int flag);
    static int writePageHeader(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits,
                               int functionSet);
    // The page header without Begin Page.
    static int writeImageHeader(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits,
                                int functionSet);
    static int writeEndImageAndPage(qelImgIOStream* s, int flag);

    // IOCA pieces (no introducer).
    static int writeBeginSegment(qelImgIOStream* s, int flag, int width, int height, int xUnits, int yUnits,
                                 int compression, int recording, int bitOrder, int ideSize);
    static int writeIDEStructure(qelImgIOStream* s, int flag, int flags, int colorModel, int ideSize);
    static int writeImageData(qelImgIOStream* s, int flag, const unsigned char* data, int length);
    static int writeEndSegment(qelImgIOStream* s, int flag);
    static int writeBandImageData(qelImgIOStream* s, int flag, int band, const unsigned char* data, int length);
    // Segment start of a tiled CMYK JPEG image of one tile (60 bytes).
    static int writeTiledCMYKJPEGStart(qelImgIOStream* s, int flag, int width, int height);
    static int writeEndTile(qelImgIOStream* s, int flag);

    // Bits of the byte in reverse order.
    static unsigned char reverseBitOrder(unsigned char byte);

    // Length of the IDE Structure parameter writeIDEStructure writes.
    static int ideStructureLength(int colorModel) { return colorModel == 2 ? 11 : 10; }
};

#endif
