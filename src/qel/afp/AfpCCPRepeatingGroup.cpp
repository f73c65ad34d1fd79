#include "qel/afp/AfpCCPRepeatingGroup.h"

#include "qel/afp/DataPool.h"
#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"
#include "qel/afp/TranslationTable.h"
#include "qel/afp/Utils.h"

#include "qelLogStream.h"
#include "qelPoolAccess.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace qel
{
namespace afp
{

namespace
{

// At most n bytes of text, ended early by a zero byte.
std::string bounded(const char* text, int n)
{
    if (!text || n <= 0)
        return std::string();
    const size_t length = strnlen(text, static_cast<size_t>(n));
    return std::string(text, length);
}

// Comparison as strings of unsigned bytes: negative when a sorts before b.
int compareUnsigned(const std::string& a, const std::string& b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

void trace(const char* format, const char* comparison)
{
    qelLogStream* log = qelPoolAccess::logStream();
    if (!log || log->noneOf(0x10F))
        return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    log->print(format, comparison ? comparison : "(null)");
#pragma GCC diagnostic pop
}

// Eight name bytes: EBCDIC, blank padded; eight X'00' without a name.
void putGroupName(unsigned char* at, const char* name)
{
    std::memset(at, 0x00, 8);
    if (!name)
        return;
    std::memset(at, ' ', 8);
    std::memcpy(at, name, strnlen(name, 8));
    DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(at, 8);
}

} // namespace

CCPRepeatingGroup::CCPRepeatingGroup() = default;

CCPRepeatingGroup::CCPRepeatingGroup(uint16_t comparisonLength, const char* mediumMapName, const char* dataMapName,
                                     const char* comparisonString, const char* originalBytes, int timingOfAction,
                                     int mediumMapAction, int dataMapAction, int comparison)
{
    setOriginalComparisonString(originalBytes, comparisonLength);
    m_comparisonLength = comparisonLength;
    m_timing = timingOfAction;
    m_mediumMapAction = mediumMapAction;
    m_dataMapAction = dataMapAction;
    m_comparison = comparison;
    setMediumMapName(mediumMapName);
    setDataMapName(dataMapName);
    setComparisonString(comparisonString);
}

CCPRepeatingGroup::~CCPRepeatingGroup()
{
    std::free(m_mediumMapName);
    std::free(m_dataMapName);
    std::free(m_comparisonString);
    delete[] m_original;
}

void CCPRepeatingGroup::setMediumMapName(const char* name)
{
    m_mediumMapName = Utils::setMutator(m_mediumMapName, name, 0);
}

void CCPRepeatingGroup::setDataMapName(const char* name)
{
    m_dataMapName = Utils::setMutator(m_dataMapName, name, 0);
}

void CCPRepeatingGroup::setComparisonString(const char* text)
{
    m_comparisonString = Utils::setMutator(m_comparisonString, text, 0);
}

void CCPRepeatingGroup::setOriginalComparisonString(const char* bytes, unsigned int length)
{
    delete[] m_original;
    m_original = nullptr;
    if (!bytes || length == 0)
        return;
    if (length > 0xFFFF)
        length = 0xFFFF;
    m_original = new (std::nothrow) char[length + 1];
    if (!m_original)
        throw "Unable to allocate original comparison string";
    std::memcpy(m_original, bytes, length);
    m_original[length] = 0;
    m_comparisonLength = static_cast<uint16_t>(length);
}

uint16_t CCPRepeatingGroup::getLength()
{
    m_length = static_cast<uint16_t>(20 + m_comparisonLength);
    return m_length;
}

bool CCPRepeatingGroup::matches(const char* data, int length, const char* previous, int previousLength) const
{
    if (!data || length <= 0)
        return false;
    const char* const s = m_comparisonString;
    switch (m_comparison) {
    case ANY_CHANGE:
        trace("\n\tCCT=>Any change<", nullptr);
        return previous && previousLength > 0 && bounded(data, length) != bounded(previous, previousLength);
    case EQUAL: trace("\n\tCCPT=>%s< CCT=>Equal To<", s); break;
    case LESS: trace("\n\tCCPT=>%s< CCT=>Less Than<", s); break;
    case LESS_OR_EQUAL: trace("\n\tCCPT=>%s< CCT=>Equal To or Less Than<", s); break;
    case GREATER: trace("\n\tCCPT=>%s< CCT=>Greater Than<", s); break;
    case GREATER_OR_EQUAL: trace("\n\tCCPT=>%s< CCT=>Equal To or Greater Than<", s); break;
    case NOT_EQUAL: trace("\n\tCCPT=>%s< CCT=>Not Equal<", s); break;
    case NO_COMPARISON:
        trace("\n\tCCPT=>%s< CCT=>Take Action without comparison<", s);
        return true;
    default:
        return false;
    }
    if (!s || m_comparisonLength == 0 || length > m_comparisonLength)
        return false;
    // The field: the first L bytes, those beyond length counting as zero.
    const std::string field = bounded(data, length < m_comparisonLength ? length : m_comparisonLength);
    const int r = compareUnsigned(s, field);
    switch (m_comparison) {
    case EQUAL: return r == 0;
    case LESS: return r < 0;
    case LESS_OR_EQUAL: return r <= 0;
    case GREATER: return r > 0;
    case GREATER_OR_EQUAL: return r >= 0;
    default: return r != 0;
    }
}

int CCPRepeatingGroup::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::CCPRepeatingGroup::write");
    if (!dataStream) {
        logDebugText("Stream is (null)");
        return -1;
    }
    unsigned char fixed[20];
    fixed[0] = static_cast<unsigned char>(m_timing);
    fixed[1] = static_cast<unsigned char>(m_mediumMapAction);
    putGroupName(fixed + 2, m_mediumMapName);
    fixed[10] = static_cast<unsigned char>(m_dataMapAction);
    putGroupName(fixed + 11, m_dataMapName);
    fixed[19] = static_cast<unsigned char>(m_comparison);
    const int rc = dataStream->write(fixed, 20);
    if (rc < 0)
        return rc;
    if (m_comparisonLength == 0)
        return rc;
    std::vector<unsigned char> comparison;
    try {
        comparison.assign(m_comparisonLength, 0x00);
    } catch (const std::bad_alloc&) {
        return -2;
    }
    if (m_comparisonString) {
        const size_t n = strnlen(m_comparisonString, m_comparisonLength);
        std::memcpy(comparison.data(), m_comparisonString, n);
        if (n)
            DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(comparison.data(), static_cast<int>(n));
    }
    return dataStream->write(comparison.data(), static_cast<int>(comparison.size()));
}

} // namespace afp
} // namespace qel
