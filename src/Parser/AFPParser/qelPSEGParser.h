#ifndef QEL_PSEG_PARSER_H
#define QEL_PSEG_PARSER_H

#include "qelAFPParser.h"
#include "qelResParser.h"

#include <string>

class qelResPSEG;

// Reads one page segment (Begin to End Page Segment) from its own file or,
// inline, from the current input. One instance per process.
class qelPSEGParser : public qelAFPParser, public qelResParser
{
public:
    qelPSEGParser();

    // The new segment (the caller owns it), or null; errors are written and
    // dropped, allocation failures passed on.
    qelRes* parse(const char* name, int mode, const char* fileName) override;
    bool isResourceBegin(int id) const override { return id == 0xA85F; }
    int getLevel() override { return 0; }

private:
    qelResPSEG* parsePageSegment();
    void beginPageSegment(qelResPSEG* segment);
    void endPageSegment();
    // Reads the graphics object whose Begin Graphics is current; its
    // objects become the segment's.
    void parseGraphics(qelResPSEG* segment);
    // The image whose begin field is current goes to the segment.
    void parseImImage(qelResPSEG* segment);
    void parseIocaImage(qelResPSEG* segment);
    void finish();
};

#endif
