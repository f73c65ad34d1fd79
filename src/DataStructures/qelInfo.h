#ifndef QEL_INFO_H
#define QEL_INFO_H

// Base of information records.
class qelInfo
{
public:
    virtual ~qelInfo() = default;
};

#endif
