#ifndef QEL_OVERLAY_PARSER_H
#define QEL_OVERLAY_PARSER_H

#include "qelAFPParser.h"
#include "qelResParser.h"

#include <cstdint>
#include <string>

class qelResOverlay;
class qelSFIBlock;
struct qelInitialTextConditions;

// Reads one overlay (Begin to End Overlay) from its own file, inline from
// the current input of a resource group, or from a Begin Overlay met in the
// document. The overlay is a media of its own, filled by the object parsers
// as a page is. One instance per process.
class qelOverlayParser : public qelAFPParser, public qelResParser
{
public:
    qelOverlayParser();
    ~qelOverlayParser() override;

    // The new overlay (the caller owns it), or null; errors are written and
    // dropped, allocation failures passed on.
    qelRes* parse(const char* name, int mode, const char* fileName) override;
    // The overlay begun by the given field, read from the current input.
    qelResOverlay* parse(qelSFIBlock* begin);
    bool isResourceBegin(int id) const override { return id == 0xA8DF; }

    int getLevel() override { return m_traceDepth; }
    void setLevel(int depth) { m_traceDepth = depth; }

    // 3-byte offset of an Include Page Segment in an overlay:
    // qelThreeByteValue::signed24. rawLow gets the low 16 bits.
    static int32_t segmentOffset(const unsigned char bytes[3], unsigned int* rawLow);

private:
    void prepareSearchPaths();
    // The overlay loop; the Begin Overlay is the current field.
    qelResOverlay* parseOverlay();
    void beginOverlay(qelResOverlay* overlay);
    void endOverlay();
    void parseEnvironmentGroup(qelResOverlay* overlay);
    void parsePresentationText(qelResOverlay* overlay);
    void parseGraphicsObject(qelResOverlay* overlay);
    // The image whose begin field is current goes to the overlay.
    void parseImImage(qelResOverlay* overlay);
    void parseIocaImage(qelResOverlay* overlay);
    void includePageSegment(qelResOverlay* overlay);
    void includeObject(qelResOverlay* overlay);
    void freeInitialTextConditions();
    void finish();

    qelInitialTextConditions* m_initialTextConditions = nullptr;
    int m_traceDepth = 0;
};

#endif
