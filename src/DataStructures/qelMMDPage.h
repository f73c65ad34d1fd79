#ifndef QEL_MMD_PAGE_H
#define QEL_MMD_PAGE_H

#include "qelIPSPage.h"

// A page of mixed mode data: line data with embedded structured fields,
// medium overlays and a page offset.
class qelMMDPage : public qelIPSPage
{
public:
    qelMMDPage() { setMediaKind(KIND_MMD_PAGE); }
    // A copy of a template page that shares the template's object list,
    // mapped resources and resource references (marked shared).
    explicit qelMMDPage(qelMMDPage* templatePage);

    void write(qelVisitor* visitor) override;
    int inputKind() const override { return 12; }
    void includeResources() override;
    // The AFP binding order: fonts, texts, includes, medium overlays.
    void bind() override;
    bool isBound() const override;
};

#endif
