#ifndef QEL_PTOCA_PAGE_H
#define QEL_PTOCA_PAGE_H

#include "qelPage.h"
#include "qelPtocaMedia.h"

#include <cstdint>

// A MO:DCA page: the page part joined with an AFP media.
class qelPtocaPage : public qelPage, public qelPtocaMedia
{
public:
    qelPtocaPage();
    // A copy of a template page that shares the template's object list,
    // mapped resources and resource references (marked shared, so that the
    // copy never frees them).
    explicit qelPtocaPage(qelPtocaPage* templatePage);
    ~qelPtocaPage() override;

    void write(qelVisitor* visitor) override;
    int kind() const override { return KIND_AFP; }
    void destroyBody() override;
    const char* getName() const override { return qelPage::getName(); }

    uint8_t getFirstIndexFlag() const { return m_firstIndexFlag; }
    void setFirstIndexFlag(uint8_t v) { m_firstIndexFlag = v; }
    uint32_t getIndexCount() const { return m_indexCount; }
    void setIndexCount(uint32_t v) { m_indexCount = v; }
    const char* getInvokedMediumMapName() const { return m_invokedMediumMapName; }
    // Keeps at most 8 characters; null gives the empty name.
    void setInvokedMediumMapName(const char* name);

private:
    uint8_t m_firstIndexFlag = 0;
    uint32_t m_indexCount = 0;
    char m_invokedMediumMapName[9] = {0};
};

#endif
