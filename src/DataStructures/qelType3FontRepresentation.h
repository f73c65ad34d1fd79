#ifndef QEL_TYPE3_FONT_REPRESENTATION_H
#define QEL_TYPE3_FONT_REPRESENTATION_H

#include "qelFontRepresentation.h"

#include <cstdint>

class qelString;

// One glyph procedure of a Type 3 font: its glyph name and content stream.
// Both buffers are new[] and owned by the representation holding the record.
struct qelType3CharProc
{
    char* name = nullptr;
    uint8_t* content = nullptr;
    int32_t length = 0;
};

// A PDF Type 3 font: the Differences text (pairs of " %d" code and " /%s"
// glyph name), the glyph procedures and, in the base, the widths. Owns all
// of them.
class qelType3FontRepresentation : public qelFontRepresentation
{
public:
    qelType3FontRepresentation() = default;
    ~qelType3FontRepresentation() override;

    int getType() const override { return TYPE_TYPE3; }

    // Takes ownership; the previous text is deleted.
    void setDifferences(qelString* text);
    qelString* getDifferences() const { return m_differences; }
    // Takes ownership of a new[] array of `size` entries, each null or a new
    // record; the previous array goes with its records.
    void setCharProcs(qelType3CharProc** procs, int32_t size);
    qelType3CharProc** getCharProcs() const { return m_procs; }
    // Entries of the procedure array (null entries included).
    int32_t getCharProcArraySize() const { return m_procArraySize; }
    void setCharProcCount(int32_t n) { m_procCount = n; }
    int32_t getCharProcCount() const { return m_procCount; }
    void setComplete(bool on) { m_complete = on; }
    bool isComplete() const { return m_complete; }
    // Takes ownership of a new[] array of four values.
    void setFontBBox(double* box);
    const double* getFontBBox() const { return m_fontBBox; }

    static void freeCharProc(qelType3CharProc* proc);

private:
    void freeCharProcs();

    qelString* m_differences = nullptr;
    qelType3CharProc** m_procs = nullptr;
    int32_t m_procArraySize = 0;
    int32_t m_procCount = 0;
    bool m_complete = false;
    double* m_fontBBox = nullptr;
};

#endif
