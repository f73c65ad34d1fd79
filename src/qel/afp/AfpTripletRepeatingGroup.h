#ifndef QEL_AFP_TRIPLET_REPEATING_GROUP_H
#define QEL_AFP_TRIPLET_REPEATING_GROUP_H

#include "qel/afp/AfpRepeatingGroup.h"

namespace qel
{
namespace afp
{

class Triplet;

// A repeating group of triplets.
class TripletRepeatingGroup : public RepeatingGroup
{
public:
    TripletRepeatingGroup() = default;
    ~TripletRepeatingGroup() override;

    // Adds the triplet's evaluated length and one reference.
    void addTriplet(Triplet* triplet);
    // The group length, then the triplets; -1 without stream or triplets.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* lastWritten) override;
};

} // namespace afp
} // namespace qel

#endif
