#include "qel/afp/AfpPageDescriptor.h"

#include "qel/afp/DataStream.h"
#include "qel/afp/Log.h"

namespace qel
{
namespace afp
{

PageDescriptor::~PageDescriptor() = default;

int PageDescriptor::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    logDebugText("qel::afp::PageDescriptor::write");
    if (!dataStream) {
        logDebugText("\tStream = (NULL)");
        return -1;
    }
    std::vector<unsigned char> bytes = {0x00, 0x17, 0xD3, 0xA6, 0xAF, 0x00, 0x00, 0x00};
    putMeasurements(bytes);
    bytes.insert(bytes.end(), 3, 0x00);
    write5A(dataStream, controlFlags);
    logInfoText("Page Descriptor");
    logUnitBase("Page unit base for X axis (XpgBase):", getXUnitBase());
    logUnitBase("Page unit base for Y axis (YpgBase):", getYUnitBase());
    logInfo("Page units per unit base for X axis (XpgUnits): %d ", getXUnitsPerUnitBase());
    logInfo("Page units per unit base for Y axis (YpgUnits): %d ", getYUnitsPerUnitBase());
    logInfo("Page extents for X axis (XpgSize): %d ", getXSize());
    logInfo("Page extents for Y axis (YpgSize): %d ", getYSize());
    return dataStream->write(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace afp
} // namespace qel
