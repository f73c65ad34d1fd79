#ifndef QEL_CONVERTER_H
#define QEL_CONVERTER_H

#include <cstdint>

class qelLogStream;
class qelRepresentation;

// Turns a representation of one form into another of a target type
// (qelFontRepresentation::Type codes).
class qelConverter
{
public:
    qelConverter() = default;
    virtual ~qelConverter() = default;
    qelConverter(const qelConverter&) = delete;
    qelConverter& operator=(const qelConverter&) = delete;

    // The new representation, owned by the caller, or null.
    virtual qelRepresentation* convert(qelRepresentation* source, int targetType) = 0;

    void setLogStream(qelLogStream* log) { m_log = log; }
    qelLogStream* getLogStream() const { return m_log; }
    // Set: builders write no warnings to the message output.
    void setQuietMode(int32_t quiet) { m_quiet = quiet; }
    int32_t getQuietMode() const { return m_quiet; }

private:
    qelLogStream* m_log = nullptr;
    int32_t m_quiet = 1;
};

#endif
