#ifndef DE_ORVO_IPS_METAINFO_COMMENT_H
#define DE_ORVO_IPS_METAINFO_COMMENT_H

#include <cstdint>

struct qelLinkedListNode;
class qelDocument;
class qelPage;

namespace de { namespace orvo { namespace ips { namespace metainfo {

// A comment of a document or page, kept as ASCII text and as EBCDIC bytes.
class Comment
{
public:
    enum { OWNER_NONE = 0, OWNER_DOCUMENT = 1, OWNER_PAGE = 2 };

    Comment() = default;
    // Stores the text and its length only.
    explicit Comment(const char* text);
    // Stores the bytes and the length only.
    Comment(const unsigned char* bytes, int32_t length);
    virtual ~Comment();
    Comment(const Comment&) = delete;
    Comment& operator=(const Comment&) = delete;

    void setValue(const char* text);
    void setEBCDICValue(const unsigned char* bytes, int32_t length);
    const char* getValue() const { return m_text; }
    const unsigned char* getEBCDICValue() const { return m_ebcdic; }
    int32_t getLength() const { return m_length; }

    void setOwner(int32_t kind, void* owner, qelLinkedListNode* node)
    {
        m_ownerKind = kind;
        m_owner = owner;
        m_node = node;
    }
    int32_t getOwnerKind() const { return m_ownerKind; }
    qelLinkedListNode* getListNode() const { return m_node; }
    qelDocument* getDocument() const
    {
        return m_ownerKind == OWNER_DOCUMENT ? static_cast<qelDocument*>(m_owner) : nullptr;
    }
    qelPage* getPage() const { return m_ownerKind == OWNER_PAGE ? static_cast<qelPage*>(m_owner) : nullptr; }

private:
    char* m_text = nullptr;
    unsigned char* m_ebcdic = nullptr;
    int32_t m_length = 0;
    int32_t m_ownerKind = OWNER_NONE;
    void* m_owner = nullptr;
    qelLinkedListNode* m_node = nullptr;
};

}}}}

#endif
