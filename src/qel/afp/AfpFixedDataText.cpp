#include "qel/afp/AfpFixedDataText.h"

#include "qel/afp/AfpPageDefinitionWrite.h"
#include "qel/afp/DataPool.h"
#include "qel/afp/TranslationTable.h"

namespace qel
{
namespace afp
{

FixedDataText::~FixedDataText() = default;

int FixedDataText::write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>*)
{
    if (pagedef::streamMissing(dataStream, "qel::afp::FixedDataText::write"))
        return -1;
    const int length = getDataLength();
    if (!getData() || length <= 0) {
        logDebugText("Fixed Data Text: (null)");
        return -2;
    }
    int rc = 0;
    if (!pagedef::lead(dataStream, controlFlags, &rc))
        return rc;
    if (length > MAX_TEXT)
        logDebug("Fixed Data Text: Text is too long (%ld)", static_cast<long>(length));
    else
        logDebugText("Fixed Data Text");
    std::vector<unsigned char> text(getData(), getData() + length);
    DataPool::getInstance()->getTranslationTable()->asciiToEBCDIC(text.data(), length);
    setData(text.data(), length);
    std::vector<unsigned char> bytes = header(0xD3EEEC, "Memory allocation for qel::afp::FixedDataText::write failed");
    bytes.resize(8);
    pagedef::setLength(bytes, static_cast<unsigned int>(8 + length));
    rc = dataStream->write(bytes.data(), 8);
    if (rc < 0)
        return rc;
    return dataStream->write(text.data(), length);
}

} // namespace afp
} // namespace qel
