#ifndef QEL_RESOURCE_ALIAS_NAME_H
#define QEL_RESOURCE_ALIAS_NAME_H

#include "qelRes.h"

class qelString;

// A second name of a resource: `name` is the name the print data uses,
// `hashId` the name under which the resource is loaded from a library.
// One subclass per resource kind; getType gives the resource type code.
class qelResourceAliasName
{
public:
    qelResourceAliasName() = default;
    qelResourceAliasName(const qelResourceAliasName&) = delete;
    qelResourceAliasName& operator=(const qelResourceAliasName&) = delete;

    virtual ~qelResourceAliasName();
    virtual int getType() const = 0;

    void setName(const char* text);
    void setHashId(const char* text);
    const char* getName() const;
    const char* getHashId() const;
    // 1 when the defining record used '=', 0 when it used '#'.
    int getSeparatorFlag() const { return m_separatorFlag; }
    void setSeparatorFlag(int flag) { m_separatorFlag = flag; }

private:
    int m_separatorFlag = 1;
    qelString* m_name = nullptr;
    qelString* m_hashId = nullptr;
};

class qelOverlayAliasName : public qelResourceAliasName
{
public:
    int getType() const override { return qelRes::TYPE_OVERLAY; }
};

class qelPageSegmentAliasName : public qelResourceAliasName
{
public:
    int getType() const override { return qelRes::TYPE_PAGE_SEGMENT; }
};

class qelCodedFontAliasName : public qelResourceAliasName
{
public:
    int getType() const override { return qelRes::TYPE_FONT; }
};

class qelCodePageAliasName : public qelResourceAliasName
{
public:
    int getType() const override { return qelRes::TYPE_CODE_PAGE; }
};

class qelFormDefAliasName : public qelResourceAliasName
{
public:
    int getType() const override { return qelRes::TYPE_FORM_MAP; }
};

class qelGOCAAliasName : public qelResourceAliasName
{
public:
    int getType() const override { return qelRes::TYPE_GOCA; }
};

class qelObjectAliasName : public qelResourceAliasName
{
public:
    int getType() const override { return qelRes::TYPE_OBJECT_CONTAINER; }
};

#endif
