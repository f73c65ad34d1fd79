#ifndef QEL_RES_PAGE_DEF_H
#define QEL_RES_PAGE_DEF_H

#include "qelRes.h"

namespace qel
{
namespace afp
{
class ConditionalProcessingControl;
class DataMap;
class ResPageDefinition;
} // namespace afp
} // namespace qel

// Page definition resource. Keeps type 0; it has no listing line and is
// never drawn or positioned. It owns the page definition in memory and
// answers its data map and control queries (null without one).
class qelResPageDef : public qelRes
{
public:
    qelResPageDef() = default;
    explicit qelResPageDef(const char* name) { setName(name); }
    ~qelResPageDef() override;
    qelResPageDef(const qelResPageDef&) = delete;
    qelResPageDef& operator=(const qelResPageDef&) = delete;

    char* describe() override { return nullptr; }
    int display(qelVisitor*, float, float) override { return 0; }
    int fixAbsPosition() override { return 0; }
    int writeObjectReference(qelVisitor*) override { return 0; }

    // Takes the definition; the one held before is deleted.
    void setPageDefinition(qel::afp::ResPageDefinition* definition);
    qel::afp::ResPageDefinition* getPageDefinition() const { return m_definition; }

    qel::afp::DataMap* findDataMap(const char* name) const;
    qel::afp::DataMap* getFirstDataMap();
    qel::afp::DataMap* getNextDataMap();
    qel::afp::ConditionalProcessingControl* findConditionalProcessingControl(int id) const;
    void resetConditionalProcessing();

private:
    qel::afp::ResPageDefinition* m_definition = nullptr;
};

#endif
