#ifndef QEL_AFP_FIELD_TEMPLATE_H
#define QEL_AFP_FIELD_TEMPLATE_H

#include <cstdint>
#include <vector>

namespace qel
{
namespace afp
{

// The constant start of every structured field the library knows: the
// introducer (length, identifier, zero flags and reserved bytes) and the
// default data. Writers work on copies; the table itself never changes.
class FieldTemplate
{
public:
    struct Run
    {
        uint8_t count;
        uint8_t byte;
    };
    struct Row
    {
        uint32_t id;      // X'D3' and the type and category codes
        uint16_t length;  // the template's length bytes
        const Run* data;  // default data after the introducer
        uint8_t runs;
        const char* writer; // the class that writes it; null when none does
    };

    // The row of the identifier; null when there is none.
    static const Row* find(uint32_t id);
    static const Row* rows(int* count);
    // A copy: introducer and default data. The length bytes are the
    // row's; the copy holds the introducer and the data runs.
    static std::vector<unsigned char> copy(uint32_t id);
    static std::vector<unsigned char> copy(const Row& row);
};

} // namespace afp
} // namespace qel

#endif
