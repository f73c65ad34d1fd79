#ifndef QEL_USER_DATA_H
#define QEL_USER_DATA_H

#include "qelInfo.h"

#include <cstdint>

class qelString;

// A user data record: an id and a block of bytes handed to the caller with
// the converted document.
class qelUserData : public qelInfo
{
public:
    qelUserData() = default;
    ~qelUserData() override;
    qelUserData(const qelUserData&) = delete;
    qelUserData& operator=(const qelUserData&) = delete;

    void setId(const char* id);
    const char* getId() const;
    // Stores a copy of length bytes; no data or length 0 clears.
    void setData(const unsigned char* data, int32_t length);
    const unsigned char* getData() const { return m_data; }
    int32_t getLength() const { return m_length; }

private:
    qelString* m_id = nullptr;
    unsigned char* m_data = nullptr;
    int32_t m_length = 0;
};

#endif
