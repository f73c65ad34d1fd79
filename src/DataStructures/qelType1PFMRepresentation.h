#ifndef QEL_TYPE1_PFM_REPRESENTATION_H
#define QEL_TYPE1_PFM_REPRESENTATION_H

#include "qelFontRepresentation.h"

#include <cstdint>

class qelString;

// The texts after the extended metrics of a PFM file. The two texts are
// new[] and owned by the record's holder.
struct qelType1PFMStrings
{
    char deviceName[16];
    char* faceName;
    char* postScriptName;
};

// Type 1 metrics in the Windows PFM layout: the header with its extension
// (147 bytes) and the extended text metrics (52 bytes) as stored in the
// file, the strings and, in the base, the width table. Owns all of them.
class qelType1PFMRepresentation : public qelFontRepresentation
{
public:
    static const int HEADER_SIZE = 147;
    static const int EXT_METRICS_SIZE = 52;

    qelType1PFMRepresentation() = default;
    ~qelType1PFMRepresentation() override;

    int getType() const override { return TYPE_PFM; }
    // Header, extended metrics, the three texts and the widths of
    // first..last. -1 when something is missing or the path is null (the
    // file is not touched then), 0 when written; throws E098 or E075.
    int writeFile(const char* path) override;

    void setFontName(const char* name);
    const char* getFontName() const;
    void setFontFileName(const char* name);
    const char* getFontFileName() const;
    void setStemWidth(int32_t width) { m_stemWidth = width; }
    int32_t getStemWidth() const { return m_stemWidth; }
    // The setters free the previous buffer or record and keep a non-null
    // new one (new[] buffers of HEADER_SIZE and EXT_METRICS_SIZE bytes).
    void setHeader(uint8_t* header);
    uint8_t* getHeader() const { return m_header; }
    void setExtTextMetrics(uint8_t* metrics);
    uint8_t* getExtTextMetrics() const { return m_extMetrics; }
    void setStrings(qelType1PFMStrings* strings);
    qelType1PFMStrings* getStrings() const { return m_strings; }

    static void freeStrings(qelType1PFMStrings* strings);

private:
    qelString* m_fontName = nullptr;
    qelString* m_fontFileName = nullptr;
    int32_t m_stemWidth = 80;
    uint8_t* m_header = nullptr;
    uint8_t* m_extMetrics = nullptr;
    qelType1PFMStrings* m_strings = nullptr;
};

#endif
