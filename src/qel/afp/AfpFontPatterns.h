#ifndef QEL_AFP_FONT_PATTERNS_H
#define QEL_AFP_FONT_PATTERNS_H

#include "qel/afp/AfpStructuredField.h"

namespace qel
{
namespace afp
{

// Font Patterns (X'D3EE89'): raster pattern bytes of successive
// characters, without fill between them.
class FontPatterns : public StructuredField
{
public:
    FontPatterns();
    ~FontPatterns() override;

    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void appendData(const unsigned char* bytes, uint32_t count);
    uint32_t getDataLength() const { return static_cast<uint32_t>(m_bytes.size()); }
    const unsigned char* getPatternData() const { return m_bytes.data(); }

private:
    std::vector<unsigned char> m_bytes;
};

} // namespace afp
} // namespace qel

#endif
