#ifndef DE_ORVO_IPS_METAINFO_TAG_H
#define DE_ORVO_IPS_METAINFO_TAG_H

#include <cstdint>

class qelDocument;
class qelPage;
class qelString;
class qelLinkedList;
struct qelLinkedListNode;

namespace de { namespace orvo { namespace ips { namespace metainfo {

// Base of bookmarks and document properties: a named node of a tree.
class Tag
{
public:
    enum Type { TYPE_CONTENT = 0, TYPE_DOCUMENT = 1, TYPE_PROPERTY = 2, TYPE_NONE = 3 };
    enum ParentKind { PARENT_DOCUMENT = 0, PARENT_PAGE = 1, PARENT_TAG = 2, PARENT_NONE = 3 };

    Tag() = default;
    Tag(const Tag&) = delete;
    Tag& operator=(const Tag&) = delete;

    virtual ~Tag();
    virtual int32_t getType() const = 0;
    // A new text describing the tag; the caller frees it.
    virtual char* toString() const;

    void setType(int32_t type) { m_type = type; }
    int32_t getTagType() const { return m_type; }
    void setParentKind(int32_t kind) { m_parentKind = kind; }
    int32_t getParentKind() const { return m_parentKind; }
    void setParentDocument(qelDocument* d) { m_parentDocument = d; m_parentKind = PARENT_DOCUMENT; }
    void setParentPage(qelPage* p) { m_parentPage = p; m_parentKind = PARENT_PAGE; }
    void setParentTag(Tag* t) { m_parentTag = t; m_parentKind = PARENT_TAG; }
    qelDocument* getParentDocument() const { return m_parentDocument; }
    qelPage* getParentPage() const { return m_parentPage; }
    Tag* getParentTag() const { return m_parentTag; }

    const char* getName() const;
    void setName(const char* name);
    int32_t getLevelNumber() const { return m_levelNumber; }
    void setLevelNumber(int32_t level) { m_levelNumber = level; }
    Tag* getRoot() const { return m_root; }
    void setRoot(Tag* root) { m_root = root; }
    int getChildCount() const;

    // In a root (level 0) only: the comma list of every target name.
    const char* getAllTargets() const;
    void setAllTargets(const char* targets);

protected:
    qelString* m_name = nullptr;
    int32_t m_type = TYPE_NONE;
    int32_t m_parentKind = PARENT_NONE;
    qelDocument* m_parentDocument = nullptr;
    qelPage* m_parentPage = nullptr;
    Tag* m_parentTag = nullptr;
    int32_t m_levelNumber = 0;
    qelLinkedList* m_children = nullptr;
    qelLinkedListNode* m_childCursor = nullptr;
    Tag* m_root = nullptr;
    qelString* m_allTargets = nullptr;
};

}}}}

#endif
