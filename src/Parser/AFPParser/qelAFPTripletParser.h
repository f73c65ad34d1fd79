#ifndef QEL_AFP_TRIPLET_PARSER_H
#define QEL_AFP_TRIPLET_PARSER_H

#include "qelAFPParser.h"

#include <cstdint>
#include <string>

namespace qel
{
namespace afp
{
class Triplet;
}
} // namespace qel

// Reads the triplets of a page definition's fields, one at a time, into
// triplet objects of the AFP object library. Each triplet is read from its
// own bytes only: whatever a reader leaves of a longer triplet is passed
// over, and nothing beyond the triplet is read.
class qelAFPTripletParser : public qelAFPParser
{
public:
    qelAFPTripletParser();
    ~qelAFPTripletParser() override;

    // The next triplet of the field's remaining data as a new object (the
    // caller owns it); null without field or data, for a length byte of 1,
    // for a triplet no object is built for and for one too short for its
    // object.
    qel::afp::Triplet* nextTriplet(qelSFIBlock* field);

    // The readers, each over the n data bytes of one triplet.
    qel::afp::Triplet* fullyQualifiedName(const unsigned char* data, int n);
    qel::afp::Triplet* extendedResourceLocalId(const unsigned char* data, int n);
    qel::afp::Triplet* resourceLocalId(const unsigned char* data, int n);
    qel::afp::Triplet* pageOverlayConditionalProcessing(const unsigned char* data, int n);
    qel::afp::Triplet* resourceUsageAttribute(const unsigned char* data, int n);
    qel::afp::Triplet* colorSpecification(const unsigned char* data, int n);
    qel::afp::Triplet* resourceObjectInclude(const unsigned char* data, int n);
    qel::afp::Triplet* pageCountControl(const unsigned char* data, int n);
    qel::afp::Triplet* marginDefinition(const unsigned char* data, int n);

    // An EBCDIC text in ASCII, trimmed at both ends.
    static std::string textOf(const unsigned char* data, int n);

private:
    bool logging() const;
    void line(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    // Log line and, unless quiet, the message output; both only while
    // logging.
    void warn(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    // A three-byte offset in the 16 bits of the include's member.
    int16_t offset16(const unsigned char* bytes, const char* axis) const;
};

#endif
