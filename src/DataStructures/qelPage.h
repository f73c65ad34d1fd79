#ifndef QEL_PAGE_H
#define QEL_PAGE_H

#include <cstdint>

class qelIndex;
class qelIndexSet;
class qelList;
class qelLinkedList;
class qelNOP;
class qelString;
class qelVisitor;
struct qelListNode;
struct qelLinkedListNode;
namespace de { namespace orvo { namespace ips { namespace metainfo { class Comment; } } } }

// The page part of every page: identity, names, rotation, background and
// the page-level meta information. Page kinds add a media part.
class qelPage
{
public:
    qelPage();
    qelPage(const qelPage&) = delete;
    qelPage& operator=(const qelPage&) = delete;

    virtual ~qelPage();
    virtual void write(qelVisitor* visitor) = 0;
    // Page kinds: AFP pages, TIFF pages and the family of other input pages.
    enum { KIND_AFP = 1, KIND_TIFF = 3, KIND_IPS = 11 };
    virtual int kind() const = 0;
    // Frees the page-level lists and resets their cursors.
    virtual void destroyBody();

    void setConstantBack() { m_isConstantBack = 1; }
    bool isConstantBack() const { return m_isConstantBack != 0; }
    void* getAppliedMediumMap() const { return m_appliedMediumMap; }
    void setAppliedMediumMap(void* map) { m_appliedMediumMap = map; }
    void* getFormDefinition() const { return m_formDefinition; }
    void setFormDefinition(void* form) { m_formDefinition = form; }
    int32_t getParseId() const { return m_parseId; }
    void setParseId(int32_t id) { m_parseId = id; }
    int32_t getId() const { return m_id; }
    void setId(int32_t id) { m_id = id; }
    int32_t getScope() const { return m_scope; }
    // Marks the page as only referred to by its document.
    void setScope() { m_scope = 1; }
    int32_t getInputOffset() const { return m_inputOffset; }
    void setInputOffset(int32_t o) { m_inputOffset = o; }
    int32_t getPageGroupId() const { return m_pageGroupId; }
    void setPageGroupId(int32_t id) { m_pageGroupId = id; }
    unsigned char* getOutputBuffer() const { return m_outputBuffer; }
    void setOutputBuffer(unsigned char* buffer) { m_outputBuffer = buffer; }
    int32_t getOutputBufferLength() const { return m_outputBufferLength; }
    void setOutputBufferLength(int32_t n) { m_outputBufferLength = n; }
    int32_t getOutputSize() const { return m_outputSize; }
    void setOutputSize(int32_t n) { m_outputSize = n; }
    bool isWritten() const { return m_written != 0; }
    void setWritten(bool on) { m_written = on ? 1 : 0; }
    float getExtentWidth() const { return m_extentWidth; }
    void setExtentWidth(float w) { m_extentWidth = w; }
    float getExtentHeight() const { return m_extentHeight; }
    void setExtentHeight(float h) { m_extentHeight = h; }

    const char* getName() const;
    void setName(const char* name);
    const char* getPageGroupName() const;
    void setPageGroupName(const char* name);
    const char* getSimpleFilename() const;
    void setSimpleFilename(const char* name);
    const char* getOutputFilename() const;
    void setOutputFilename(const char* name);

    // Copies at most 8 characters; longer texts are cut.
    void setMediumMapName(const char* name);
    const char* getMediumMapName() const { return m_mediumMapName; }

    // 0 for colour space 1 or 2; -1 (nothing stored) otherwise.
    int setBackgroundColor(uint8_t colorSpace, int32_t value);
    void getBackgroundColor(uint8_t& colorSpace, int32_t& value) const
    {
        colorSpace = m_backgroundColorSpace;
        value = m_backgroundColor;
    }

    // 90, 180 and 270 are stored, anything else as 0.
    void setRotation(int32_t degrees);
    void setScriptRotation(int32_t degrees);
    int32_t getScriptRotation() const { return m_scriptRotation; }
    // The page's rotation, else the configured one, else 0.
    int32_t getRotation() const;

    int addNOP(qelNOP* nop);
    void removeNOP(qelListNode* previous, qelListNode* node);
    // Takes the list over (the records preceding the page).
    void setPrecedingNops(qelList* list);
    qelNOP* getFirstNOP();
    qelNOP* getNextNOP();

    int addComment(de::orvo::ips::metainfo::Comment* comment);
    void removeComment(qelLinkedListNode* node);
    de::orvo::ips::metainfo::Comment* getFirstComment();
    de::orvo::ips::metainfo::Comment* getNextComment();

    int addBookmark(const char* name, const char* value);
    qelList* getBookmarkTree() const { return m_bookmarkTree; }
    // Hands the bookmark list over (the caller owns it); null without one.
    qelList* takeBookmarkTree()
    {
        qelList* list = m_bookmarkTree;
        m_bookmarkTree = nullptr;
        return list;
    }

    void addIndex(qelIndexSet* set);
    int addIndexChecked(qelIndex* entry);
    qelIndex* getFirstIndex();
    qelIndex* getNextIndex();

    qelList* getPageNumberObjects() const { return m_pageNumberObjects; }
    void setPageNumberObjects(qelList* list);
    qelList* getOddEvenObjects() const { return m_oddEvenObjects; }
    void setOddEvenObjects(qelList* list) { m_oddEvenObjects = list; }

private:
    qelIndex* firstIndexFrom(qelListNode* setNode);

    qelList* m_bookmarkTree = nullptr;
    uint8_t m_isConstantBack = 0;
    void* m_appliedMediumMap = nullptr;
    void* m_formDefinition = nullptr;
    qelList* m_indexSets = nullptr;
    qelListNode* m_indexCursor = nullptr;
    qelList* m_pageNumberObjects = nullptr;
    qelList* m_oddEvenObjects = nullptr;
    uint8_t m_nopCursorInPreceding = 0;
    qelListNode* m_nopCursor = nullptr;
    qelList* m_nops = nullptr;
    qelList* m_precedingNops = nullptr;
    qelLinkedList* m_comments = nullptr;
    qelLinkedListNode* m_commentCursor = nullptr;
    int32_t m_rotation = -1;
    int32_t m_scriptRotation = -1;
    int32_t m_parseId = 0;
    int32_t m_id = 0;
    int32_t m_scope = 2;
    int32_t m_inputOffset = 0;
    int32_t m_pageGroupId = 0;
    uint8_t m_backgroundColorSpace = 0;
    int32_t m_backgroundColor = 0;
    qelString* m_name = nullptr;
    qelString* m_pageGroupName = nullptr;
    unsigned char* m_outputBuffer = nullptr;
    int32_t m_outputBufferLength = 0;
    qelString* m_simpleFilename = nullptr;
    qelString* m_outputFilename = nullptr;
    int32_t m_outputSize = 0;
    uint8_t m_written = 0;
    float m_extentWidth = 0.0f;
    float m_extentHeight = 0.0f;
    char m_mediumMapName[9] = {0};
};

#endif
