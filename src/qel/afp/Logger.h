#ifndef QEL_LIB_LOGGER_H
#define QEL_LIB_LOGGER_H

#include "qel/afp/Object.h"

#include <cstdint>

namespace qel
{

// A log output with a level mask. Each level writes its prefix, the text
// and CR LF when the mask has the level's bit.
class Logger : public Object
{
public:
    enum Level : uint16_t { INFO = 0x01, WARNING = 0x02, ERROR = 0x04, FATAL = 0x08, DEBUG = 0x10 };
    enum Kind { KIND_CONSOLE = 1, KIND_FILE = 2 };

    Logger() = default;
    ~Logger() override;

    // Writes the text as it is; negative on failure.
    virtual int print(const char* text) = 0;
    virtual int getKind() = 0;

    int fatal(const char* text);
    int error(const char* text);
    int warning(const char* text);
    int info(const char* text);
    int debug(const char* text);

    void setLevel(uint16_t mask) { m_level = mask; }
    uint16_t getLevel() const { return m_level; }
    // True when none of the bits is in the mask.
    bool isDisabled(uint16_t bits) const { return (m_level & bits) == 0; }

private:
    int line(uint16_t bit, const char* prefix, const char* text);

    uint16_t m_level = 0;
};

} // namespace qel

#endif
