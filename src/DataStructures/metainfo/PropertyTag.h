#ifndef DE_ORVO_IPS_METAINFO_PROPERTY_TAG_H
#define DE_ORVO_IPS_METAINFO_PROPERTY_TAG_H

#include "Tag.h"

namespace de { namespace orvo { namespace ips { namespace metainfo {

// A document property: a name and a value.
class PropertyTag : public Tag
{
public:
    PropertyTag() = default;
    ~PropertyTag() override;
    int32_t getType() const override { return TYPE_PROPERTY; }
    char* toString() const override { return nullptr; }

    void setName(const char* name);
    const char* getName() const;
    void setValue(const char* value);
    const char* getValue() const;

private:
    qelString* m_propertyName = nullptr;
    qelString* m_value = nullptr;
};

}}}}

#endif
