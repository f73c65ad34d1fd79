#include "qelTTFUtils.h"

#include "qelException.h"
#include "qelIOStream.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

int qelTTFUtils::findTableIndex(const qelTTFTableDirectory* directory, const char* tag)
{
    if (!directory || !tag || !directory->entries)
        return -1;
    for (int i = 0; i < directory->numTables; ++i)
        if (std::memcmp(directory->entries[i].tag, tag, 4) == 0)
            return i;
    return -1;
}

int64_t qelTTFUtils::getTableOffset(const qelTTFTableDirectory* directory, const char* tag)
{
    if (!tag)
        return -1;
    const int i = findTableIndex(directory, tag);
    return i < 0 ? 0 : directory->entries[i].offset;
}

int64_t qelTTFUtils::getTableLength(const qelTTFTableDirectory* directory, const char* tag)
{
    if (!tag)
        return -1;
    const int i = findTableIndex(directory, tag);
    return i < 0 ? 0 : directory->entries[i].length;
}

int64_t qelTTFUtils::inputSize(qelIOStream* stream)
{
    if (!stream)
        return 0;
    return static_cast<int64_t>(stream->getPosition()) + stream->getBytesLeft();
}

int64_t qelTTFUtils::seekTable(qelIOStream* stream, const qelTTFTableDirectory* directory, const char* tag)
{
    const int i = findTableIndex(directory, tag);
    const char* shown = tag ? tag : "(null)";
    if (i < 0 || directory->entries[i].offset == 0)
        fail("Table %s not found", shown);
    const int64_t offset = directory->entries[i].offset;
    if (!stream || offset >= inputSize(stream))
        fail("Table %s not found", shown);
    stream->seek(static_cast<int>(offset));
    return offset;
}

void qelTTFUtils::fail(const char* format, ...)
{
    char reason[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    qelIOStream* current = qelIOStream::getCurrent();
    const char* name = current ? current->getName() : nullptr;
    throw new qelException(__FILE__, __LINE__, qelMsg::E120, 0, true, name ? name : "NULL", reason);
}
