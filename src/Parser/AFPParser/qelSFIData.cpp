#include "qelSFIData.h"

#include "qelException.h"
#include "qelSFIBlock.h"
#include "qelTriplet.h"

int qelSFIData::checkData(qelSFIBlock* field)
{
    if (!field)
        throw new qelException(__FILE__, __LINE__, qelMsg::E063, 0, true);
    field->getRemainingLength();
    return 0;
}

uint32_t qelSFIData::readUInt32(qelSFIBlock* field)
{
    checkData(field);
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<uint32_t>(field->readByte());
    return value;
}

int qelSFIData::getFileOffset(qelSFIBlock* field)
{
    checkData(field);
    return field->getOffset() + 8 + field->getPosition();
}

qelTriplet* qelSFIData::readTriplet(qelSFIBlock* field, qelTriplet* into)
{
    checkData(field);
    if (!into)
        return nullptr;
    int size = field->getDataSize();
    if (size <= 0 || field->getPosition() >= size)
        return nullptr;
    if (field->getRemainingLength() <= 1)
        return nullptr;
    into->clear();
    int length = field->readByte();
    if (length == 0)
        return nullptr;
    int id = field->readByte();
    if (length <= 2 || field->getRemainingLength() < length - 2)
        return nullptr;
    const unsigned char* data = field->getData() + field->getPosition();
    field->skip(length - 2);
    into->set(length, id, data, length - 2);
    return into;
}
