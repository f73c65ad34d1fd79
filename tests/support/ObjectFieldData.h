#ifndef OBJECT_FIELD_DATA_H
#define OBJECT_FIELD_DATA_H

#include "ScratchTest.h"
#include "qelException.h"
#include "qelIOStream.h"
#include "qelSFIBlock.h"

#include <string>

namespace lrbtest {

// Structured-field ids of one object kind: its begin, data and end fields.
struct ObjectFieldIds
{
    int begin;
    int data;
    int end;
};

// The data fields of the n-th object (from 1) of an AFP file, joined.
inline Bytes objectFieldData(const std::string& path, ObjectFieldIds ids, int n)
{
    qelIOStream reader;
    Bytes data;
    int seen = 0;
    try {
        reader.openFile(path.c_str(), false);
        for (;;) {
            qelSFIBlock* field = reader.readSFI();
            if (field->getId() == ids.begin)
                ++seen;
            else if (field->getId() == ids.data && seen == n)
                data.insert(data.end(), field->getData(), field->getData() + field->getDataSize());
            else if (field->getId() == ids.end && seen == n)
                break;
        }
    } catch (qelException* e) {
        // The end of the file.
        delete e;
    }
    return data;
}

} // namespace lrbtest

#endif
