#ifndef QEL_AFP_AEG_PARSER_H
#define QEL_AFP_AEG_PARSER_H

#include "qelAFPParser.h"

#include <cstdint>

class qelAFPTripletParser;

namespace qel
{
namespace afp
{
class ActiveEnvironmentGroup;
class StructuredField;
} // namespace afp
} // namespace qel

// Reads the active environment group of a page definition's data map
// (Begin to End Active Environment Group) into an environment group of the
// AFP object library.
class qelAFPAEGParser : public qelAFPParser
{
public:
    qelAFPAEGParser();
    ~qelAFPAEGParser() override;

    // first must be the Begin Active Environment Group; the following
    // fields come from the current input. A new group (the caller owns it)
    // after the End field; null when an argument is missing.
    qel::afp::ActiveEnvironmentGroup* parse(qelSFIBlock* first, qelAFPTripletParser* triplets);

    void beginActiveEnvironmentGroup();
    void presentationTextDescriptor1();
    void pageDescriptor();
    void composedTextControl();
    void mapCodedFont1();
    void mapPageOverlay();
    void endActiveEnvironmentGroup();
    // Reads the current field's triplets into the field until one is not
    // built.
    void addTriplets(qel::afp::StructuredField* field);
    // The triplets of one Map Page Overlay group of `length` bytes; they
    // are dropped.
    void readRepeatingGroupTriplets(int length);

private:
    int remaining() const;
    // A byte, or missing when the field has none left.
    int byteOr(int missing);
    // Two bytes, or 0 when fewer are left (the byte left is passed over).
    unsigned int shortOrZero();
    void skipUpTo(int n);
    void values(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    qelAFPTripletParser* m_triplets = nullptr;
    qel::afp::ActiveEnvironmentGroup* m_group = nullptr;
};

#endif
