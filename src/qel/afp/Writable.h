#ifndef QEL_LIB_WRITABLE_H
#define QEL_LIB_WRITABLE_H

#include "qel/afp/Object.h"

#include <cstdint>

namespace qel
{

class DataStream;
class WritableContext;
template <class T> class DNode;

// Bit 0 of the control flags: every structured field is preceded by X'5A'.
constexpr uint16_t kControlFlag5A = 0x0001;

// Base of everything that writes itself into a data stream. The six
// leading virtual operations keep their order in every subclass.
class Writable : public virtual Object
{
public:
    Writable() = default;
    ~Writable() override;

    virtual int reservedHook0() { return 0; }
    virtual int reservedHook1() { return 0; }
    // Writes the object; a container starts at lastWritten (the head when
    // null). Returns 0 or the result of the last data-stream write.
    virtual int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten);
    virtual int reservedHook3() { return 0; }
    // 0: nothing of the object remains to be written.
    virtual int flush(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>** last);
    virtual uint64_t* getReservedWord() { return &m_reserved; }

private:
    uint64_t m_reserved = 0;
};

} // namespace qel

#endif
