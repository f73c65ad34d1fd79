#include "qelIPSFontHeader.h"

qelIPSFontHeader::~qelIPSFontHeader()
{
    deleteWidths();
}

void qelIPSFontHeader::deleteWidths()
{
    if (m_widths)
        for (int32_t i = 0; i < m_widthCount; ++i)
            delete m_widths[i];
    delete[] m_widths;
    m_widths = nullptr;
    m_widthCount = 0;
}

void qelIPSFontHeader::setWidths(qelWidthEntry** entries, int32_t count)
{
    if (entries && entries == m_widths) {
        m_widthCount = count;
        return;
    }
    deleteWidths();
    m_widths = entries;
    m_widthCount = entries && count > 0 ? count : 0;
}

double qelIPSFontHeader::getWidth(unsigned int code) const
{
    if (!m_widths || m_widthCount <= 0)
        return 0.0;
    if (m_fontKind == KIND_TYPE1 || m_fontKind == KIND_TRUETYPE) {
        if (code >= static_cast<unsigned int>(m_widthCount))
            return 0.0;
        return m_widths[code] ? m_widths[code]->width : -1.0;
    }
    if (m_fontKind != KIND_CID)
        return 0.0;
    if (!m_widths[0] || code < m_widths[0]->firstCode)
        return 0.0;
    int32_t low = 0;
    int32_t high = m_widthCount;
    while (high - low > 1) {
        const int32_t mid = (low + high) / 2;
        // An empty slot in the sorted ranges counts as lying above the code.
        if (!m_widths[mid] || code < m_widths[mid]->firstCode)
            high = mid;
        else
            low = mid;
    }
    const qelWidthEntry* e = m_widths[low];
    return e && code <= e->lastCode ? e->width : 0.0;
}
