#ifndef QEL_AFP_LINE_H
#define QEL_AFP_LINE_H

#include "qel/afp/Line.h"

#include <cstdint>

namespace qel
{
namespace afp
{

// A PTOCA rule with the text orientation it is drawn in. It writes nothing
// itself.
class Line : public qel::Line
{
public:
    // direction: 1 along the I axis (DIR), 2 along the B axis (DBR).
    Line(uint16_t width, uint16_t length, int16_t x, int16_t y, bool xAbsolute, bool yAbsolute, bool xRelative,
         bool yRelative, int16_t iDegrees, int16_t bDegrees, int direction);
    ~Line() override;

    // Writes nothing and returns 0.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;

    void setIOrientationDegrees(int16_t degrees);
    void setIOrientationMinutes(uint8_t minutes);
    void setBOrientationDegrees(int16_t degrees);
    void setBOrientationMinutes(uint8_t minutes);
    int16_t getIOrientationDegrees() const { return m_iDegrees; }
    uint8_t getIOrientationMinutes() const { return m_iMinutes; }
    int16_t getBOrientationDegrees() const { return m_bDegrees; }
    uint8_t getBOrientationMinutes() const { return m_bMinutes; }

private:
    int16_t m_iDegrees = 0;
    uint8_t m_iMinutes = 0;
    int16_t m_bDegrees = 0;
    uint8_t m_bMinutes = 0;
};

} // namespace afp
} // namespace qel

#endif
