#include "qel/afp/AfpCGCSGIDTriplet.h"

#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

CGCSGIDTriplet::CGCSGIDTriplet(uint16_t gcsgid, uint16_t cpgid, uint16_t ccsid)
    : m_gcsgid(gcsgid), m_cpgid(cpgid), m_ccsid(ccsid)
{
    setLength(6);
}

CGCSGIDTriplet::~CGCSGIDTriplet() = default;

uint8_t CGCSGIDTriplet::evaluateLength()
{
    setLength(6);
    return 6;
}

int CGCSGIDTriplet::write(DataStream* dataStream, uint16_t, DNode<WritableContext>*)
{
    logDebugText("qel::afp::CGCSGIDTriplet::write");
    if (!dataStream)
        return -1;
    std::vector<unsigned char> bytes = start();
    if (m_gcsgid == 0 && m_ccsid != 0) {
        put16(bytes, 0);
        put16(bytes, m_ccsid);
        logInfo("CCSGID Form\n\t\t   CCSGID Value : %d", m_ccsid);
    } else {
        if (m_gcsgid == 0)
            m_gcsgid = 0xFFFF;
        put16(bytes, m_gcsgid);
        put16(bytes, m_cpgid);
        logInfo("GCSGID/CPGID Form\n\t\t   GCSGID Value : %d\n\t\t   CPGID Value  : %d", m_gcsgid, m_cpgid);
    }
    return writeBytes(dataStream, bytes, "");
}

} // namespace afp
} // namespace qel
