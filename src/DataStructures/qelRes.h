#ifndef QEL_RES_H
#define QEL_RES_H

#include <cstdint>

class qelMedia;
class qelString;
class qelVisitor;

// Base of every named resource (overlays, page segments, fonts, code pages,
// medium maps, form maps, graphics objects, object containers, page
// definitions). Owns its four name texts.
class qelRes
{
public:
    enum Type {
        TYPE_NONE = 0,
        TYPE_OVERLAY = 1,
        TYPE_PAGE_SEGMENT = 2,
        TYPE_FONT = 3,
        TYPE_CODE_PAGE = 4,
        TYPE_MEDIUM_MAP = 5,
        TYPE_FORM_MAP = 6,
        TYPE_GOCA = 7,
        TYPE_OBJECT_CONTAINER = 8
    };

    qelRes();
    qelRes(const qelRes&) = delete;
    qelRes& operator=(const qelRes&) = delete;

    virtual ~qelRes();
    // New text about the resource (new[]); the caller frees it.
    virtual char* describe();
    virtual int display(qelVisitor* visitor, float x, float y) = 0;
    virtual int fixAbsPosition() = 0;
    virtual int writeObjectReference(qelVisitor* visitor) = 0;

    // Short form of a type for the listings; the name matters for fonts only.
    static const char* getTypeShortName(uint32_t type, const char* name);

    void setName(const char* text);
    void setAliasName(const char* text);
    void setFileName(const char* text);
    void setLibraryName(const char* text);
    const char* getName() const;
    const char* getAliasName() const;
    const char* getFileName() const;
    const char* getLibraryName() const;

    uint32_t getType() const { return m_type; }
    void setType(uint32_t type) { m_type = type; }
    uint8_t getPositionsFixed() const { return m_positionsFixed; }
    void setPositionsFixed() { m_positionsFixed = 1; }
    qelMedia* getIncludingMedia() const { return m_includingMedia; }
    void setIncludingMedia(qelMedia* media) { m_includingMedia = media; }
    float getIncludeX() const { return m_includePosition[0]; }
    float getIncludeY() const { return m_includePosition[1]; }
    void setIncludePosition(float x, float y)
    {
        m_includePosition[0] = x;
        m_includePosition[1] = y;
    }
    uint16_t getIncludeRotation() const { return m_includeRotation; }
    void setIncludeRotation(uint16_t r) { m_includeRotation = r; }
    int32_t getUseCount() const { return m_useCount; }
    int32_t incrementUseCount() { return ++m_useCount; }
    int32_t decrementUseCount() { return --m_useCount; }
    uint8_t getScriptCreated() const { return m_scriptCreated; }
    void setScriptCreated() { m_scriptCreated = 1; }
    int32_t getLocalId() const { return m_localId; }
    void setLocalId(int32_t id) { m_localId = id; }
    uint8_t getInline() const { return m_inline; }
    void setInline(uint8_t v) { m_inline = v; }
    uint8_t getFound() const { return m_found; }
    void setFound(uint8_t v) { m_found = v; }

protected:
    // The common start of a listing line: "\r\n%-7s%-13s%-8s" with an empty
    // first column, the name ("(*)" behind it when not found) and the inline
    // column. A new zero-filled text of at least `size` bytes, larger when
    // the name needs it.
    char* listingLine(int size) const;

private:
    uint32_t m_type = 0;
    uint8_t m_positionsFixed = 0;
    qelMedia* m_includingMedia = nullptr;
    float m_includePosition[2] = {0.0f, 0.0f};
    uint16_t m_includeRotation = 0;
    int32_t m_useCount = 0;
    uint8_t m_scriptCreated = 0;
    int32_t m_localId = 0;
    uint8_t m_inline = 0;
    qelString* m_name = nullptr;
    qelString* m_aliasName = nullptr;
    qelString* m_fileName = nullptr;
    uint8_t m_found = 0;
    qelString* m_libraryName = nullptr;
};

#endif
