#ifndef QEL_IPS_PAGE_H
#define QEL_IPS_PAGE_H

#include "qelMedia.h"
#include "qelPage.h"

#include <cstdint>

// Base of the pages built from line data, mixed mode data, raster images
// and PDF input; their objects carry absolute positions.
class qelIPSPage : public qelPage, public qelMedia
{
public:
    qelIPSPage();
    ~qelIPSPage() override;

    void write(qelVisitor* visitor) override;
    int kind() const override { return KIND_IPS; }
    void destroyBody() override;
    virtual int inputKind() const = 0;
    // Makes the positions of the includes and objects absolute.
    virtual void includeResources();

    // Bound only when the PDF content, references and medium overlays are.
    bool isBound() const override;
    void bind() override;
    void bindText() override;

protected:
    // Media lists shared with a template page are dropped, never freed.
    void dropSharedLists();
    // The IPS text binding (numbering, glyph building, code points).
    void bindIPSText();
};

#endif
