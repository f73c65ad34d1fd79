#include "qel/afp/AfpPresentationTextDescriptor.h"

#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

PresentationTextDescriptor::~PresentationTextDescriptor() = default;

int PresentationTextDescriptor::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::PresentationTextDescriptor::write");
    if (!dataStream) {
        logDebugText("\tStream = (NULL)");
        return -1;
    }
    std::vector<unsigned char> bytes = {0x00, 0x16, 0xD3, 0xB1, 0x9B, 0x00, 0x00, 0x00};
    putMeasurements(bytes);
    bytes.insert(bytes.end(), 2, 0x00);
    write5A(dataStream, controlFlags);
    logInfoText("Presentation Text Descriptor");
    logUnitBase("Unit base for X axis (XpBase) :", getXUnitBase());
    logUnitBase("Unit base for Y axis (YpBase) :", getYUnitBase());
    logInfo("Units per unit base for X axis (Xpunits) : %d ", getXUnitsPerUnitBase());
    logInfo("Units per unit base for Y axis (Ypunits) : %d ", getYUnitsPerUnitBase());
    logInfo("Page extents for X axis (Xpextent) : %d ", getXSize());
    logInfo("Page extents for Y axis (Ypextent) : %d ", getYSize());
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
