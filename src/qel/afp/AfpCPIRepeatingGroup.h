#ifndef QEL_AFP_CPI_REPEATING_GROUP_H
#define QEL_AFP_CPI_REPEATING_GROUP_H

#include "qel/afp/AfpRepeatingGroup.h"

#include <string>

namespace qel
{
namespace afp
{

// One Code Page Index entry (10 bytes): graphic character id, use flags,
// code point.
class CPIRepeatingGroup : public RepeatingGroup
{
public:
    CPIRepeatingGroup();
    CPIRepeatingGroup(const char* name, uint8_t flags, uint8_t codePoint);
    ~CPIRepeatingGroup() override;

    uint16_t evaluateLength() override;
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    // Keeps the graphic character id of the name; an empty or null name
    // gives eight '0'.
    void setGraphCharID(const char* name);
    const char* getGraphCharID() const { return m_gcgid.c_str(); }
    void setFlags(uint8_t v) { m_flags = v; }
    void setCodePoint(uint8_t v) { m_codePoint = v; }
    uint8_t getFlags() const { return m_flags; }
    uint8_t getCodePoint() const { return m_codePoint; }

private:
    std::string m_gcgid = "00000000";
    uint8_t m_flags = 0;
    uint8_t m_codePoint = 0;
};

} // namespace afp
} // namespace qel

#endif
