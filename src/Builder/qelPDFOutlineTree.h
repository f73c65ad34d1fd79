#ifndef QEL_PDF_OUTLINE_TREE_H
#define QEL_PDF_OUTLINE_TREE_H

#include "opdf.h"

#include <string>

class qelBookmarkNode;
class qelIndex;
class qelIndexSet;
class qelList;
class qelPage;

// The bookmarks of one output PDF: document and page bookmark lists and,
// with PDFBookMark, the index values of page groups and pages, merged by
// top-level name and written as the PDF outline when the PDF is finished.
class qelPDFOutlineTree
{
public:
    explicit qelPDFOutlineTree(PDFDocContext* context);
    ~qelPDFOutlineTree();
    qelPDFOutlineTree(const qelPDFOutlineTree&) = delete;
    qelPDFOutlineTree& operator=(const qelPDFOutlineTree&) = delete;

    // The root node of that name (exact comparison), or null.
    qelBookmarkNode* findEntry(const char* name) const;
    // Takes a bookmark list over; its nodes point to page (0 and below: 1).
    void merge(qelList* list, int page);
    void addEntry(const qelIndex* value, int page);
    void addIndexBookmarks(qelIndexSet* entry, int page);
    // The index values of a page starting; bookmarkPage is where they point.
    void addPageBookmarks(qelPage* page, int bookmarkPage, int fileCreationMode);
    // Writes a node list below parent (null: top level). Pages above
    // lastPage point to lastPage; without pages nothing is written.
    void writeOutlines(qelList* list, PDFOutlineEntry* parent, int lastPage);

    qelList* getRoot() const { return m_root; }
    void setContext(PDFDocContext* context) { m_context = context; }

private:
    PDFDocContext* m_context = nullptr;
    qelList* m_root = nullptr;
    std::string m_groupName;
    bool m_hasGroup = false;
};

#endif
