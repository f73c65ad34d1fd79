#ifndef QEL_MEDIA_H
#define QEL_MEDIA_H

#include <cstdint>
#include <initializer_list>

class qelAFPFont;
class qelGraphicObject;
class qelList;
class qelMappedRes;
class qelRes;
class qelResourceReference;
class qelTextObject;
struct qelListNode;

// The presentation space of a page, overlay or graphics resource: the
// objects, the resource environment, the includes and the medium overlays.
// Bound once before it is written: fonts resolved, includes looked up and
// bound, texts tied to fonts and converted.
class qelMedia
{
public:
    // Bind state bits; each step runs at most once.
    enum {
        BOUND_FONTS = 0x01,
        BOUND_REFERENCES = 0x02,
        BOUND_MEDIUM_OVERLAYS = 0x04,
        BOUND_ADDED = 0x08,
        BOUND_PDF_CONTENT = 0x10,
        BOUND_TEXT = 0x20,
        BOUND_PDF_PAGE = 0x80
    };
    // Media kinds.
    enum { KIND_PLAIN = 0, KIND_LINE_DATA_PAGE = 2, KIND_TIFF_PAGE = 3, KIND_PDF_PAGE = 4, KIND_AFP_PAGE = 5,
           KIND_OVERLAY = 6, KIND_GOCA = 7, KIND_RASTER_PAGE = 8, KIND_MMD_PAGE = 9 };
    enum { MAX_MODIFICATION_IDS = 8 };

    explicit qelMedia(uint32_t width = 1975, uint32_t height = 2806);
    qelMedia(const qelMedia&) = delete;
    qelMedia& operator=(const qelMedia&) = delete;

    virtual ~qelMedia() = 0;
    virtual bool isBound() const;
    virtual void addParsedObject(qelGraphicObject* object);
    virtual void bindText();
    virtual void addObject(qelGraphicObject* object, bool below);
    virtual qelMappedRes* findFontMapping(qelRes* resource);
    virtual void bind();
    virtual void destroyBody();

    void selectFont(uint8_t localId);
    qelMappedRes* getCurrentFontMapping() const { return m_currentFontMapping; }
    void addMappedResource(qelMappedRes* mapped);
    qelList* getMappedResources() const { return m_mappedResources; }
    void addResourceReference(qelResourceReference* reference);
    // Adds the reference of an include together with an empty reference
    // list in the objects, which marks where the resource is drawn.
    void addIncludedResource(qelResourceReference* reference);
    qelList* getResourceReferences() const { return m_resourceReferences; }
    // Uses a medium modification record of type 0xDF (overlay): the type
    // byte, the 8-character name and x, y as signed 16-bit values.
    void addMediumOverlay(const unsigned char* record);
    // One overlay at (0, 0) per name of a list of C texts.
    void addMediumOverlays(const qelList* names);
    qelList* getMediumOverlays() const { return m_mediumOverlays; }
    void addIncludedObject(int type, const char* name, float x, float y, uint16_t resolution, int32_t width,
                           int32_t height, int rotation, bool below);
    qelList* getAddedIncludes() const { return m_addedIncludes; }
    void addParsedObjects(const qelList* list);
    // A link annotation of the arguments at the media's resolution, added
    // as a parsed object. colour: packed RGB, red in the low byte.
    void addAnnotation(float x, float y, uint16_t width, uint16_t height, const char* url, float borderWidth,
                       uint32_t color, int32_t flags);
    qelList* getObjectList() const { return m_objects; }
    qelList* getObjectsBelow() const { return m_objectsBelow; }
    qelList* getObjectsAbove() const { return m_objectsAbove; }

    bool isEmpty() const;
    bool isOverlayFound(const char* name) const;

    // Script iterations over the object list.
    qelTextObject* getFirstText();
    qelTextObject* getNextText();
    qelGraphicObject* getFirstLine();
    qelGraphicObject* getNextLine();
    qelGraphicObject* getFirstImage();
    qelGraphicObject* getNextImage();
    qelGraphicObject* getFirstVector();
    qelGraphicObject* getNextVector();
    // Over a reference list, for references whose resource has the type.
    qelRes* getFirstIncludedResource(int type, qelListNode** cursor, qelList* list);
    qelRes* getNextIncludedResource(int type, qelListNode** cursor, qelList* list);
    qelListNode** getMediumOverlayCursor() { return &m_mediumOverlayCursor; }
    qelListNode** getOverlayCursor() { return &m_overlayCursor; }
    qelListNode** getPageSegmentCursor() { return &m_pageSegmentCursor; }

    // Medium modification ids: 1 when stored, -1 when the overlay ids are full.
    int addOverlayId(int32_t id);
    void addSuppressionId(int32_t id);
    int getOverlayIdCount() const { return m_overlayIdCount; }
    const int32_t* getOverlayIds() const { return m_overlayIds; }
    int getSuppressionIdCount() const { return m_suppressionIdCount; }
    const int32_t* getSuppressionIds() const { return m_suppressionIds; }

    int32_t getMediaKind() const { return m_mediaKind; }
    void setMediaKind(int32_t kind) { m_mediaKind = kind; }
    uint32_t getWidth() const { return m_width; }
    uint32_t getHeight() const { return m_height; }
    void setSize(uint32_t width, uint32_t height)
    {
        m_width = width;
        m_height = height;
    }
    uint16_t getResolution() const { return m_resolution; }
    void setResolution(uint16_t r) { m_resolution = r; }
    uint32_t getUnitBase() const { return m_unitBase; }
    void setUnitBase(uint32_t u) { m_unitBase = u; }
    int32_t getSmallestCharWidth() const { return m_smallestCharWidth; }
    int32_t getSmallestCharHeight() const { return m_smallestCharHeight; }
    void setSmallestCharSize(int32_t w, int32_t h)
    {
        m_smallestCharWidth = w;
        m_smallestCharHeight = h;
    }
    int16_t getObjectCount(int kind) const { return kind >= 0 && kind < 16 ? m_objectCounters[kind] : 0; }
    uint32_t getPageOffsetX() const { return m_pageOffsetX; }
    uint32_t getPageOffsetY() const { return m_pageOffsetY; }
    void setPageOffset(uint32_t x, uint32_t y)
    {
        m_pageOffsetX = x;
        m_pageOffsetY = y;
    }
    uint8_t getSharedLists() const { return m_sharedLists; }
    void setSharedLists(uint8_t v) { m_sharedLists = v; }
    uint8_t getBindState() const { return m_bindState; }
    void setBindState(uint8_t bits) { m_bindState = bits; }
    int32_t getMaxBitsPerPixel() const { return m_maxBitsPerPixel; }
    void setMaxBitsPerPixel(int32_t v) { m_maxBitsPerPixel = v; }
    int32_t getFurthestInline() const { return m_furthestInline; }
    int32_t getFurthestBaseline() const { return m_furthestBaseline; }
    int32_t getMediumOverlayWidth() const { return m_mediumOverlayWidth; }
    int32_t getMediumOverlayHeight() const { return m_mediumOverlayHeight; }
    // True while this media is being bound (an include that comes back to
    // it is a cycle).
    bool isBinding() const { return m_binding; }

protected:
    // Runs the binding steps named by their state bits, in the given order,
    // each unless done; nothing while a binding of this media is under way.
    void bindSteps(std::initializer_list<uint8_t> steps);
    // The AFP order: fonts, texts, includes, medium overlays, added objects.
    void bindAFPSteps();
    void resolveFonts();
    void bindResourceReferences();
    void bindIncludedResources(qelList* list, bool added);
    void bindMediumOverlays();
    void bindAddedObjects();
    void bindAddedTexts(qelList* list);
    // The media text binding itself (bit 0x20).
    void bindMediaText();
    // The DEFAULT font, fetched once; throws the given text when missing.
    qelAFPFont* defaultFont(const char* failureText);
    // Binds the media of an overlay or graphics resource unless that would
    // close a cycle; false for a cycle.
    bool bindIncludedMedia(qelRes* resource);
    // Smallest character sizes for text output.
    void mergeCharSize(int32_t width, int32_t height);
    void mergeMediaCharSize(const qelMedia* other);

private:
    qelGraphicObject* firstOfKind(int kind, qelListNode*& cursor, bool restart);

    qelMappedRes* m_currentFontMapping = nullptr;
    qelList* m_mappedResources = nullptr;
    int32_t m_mediaKind = KIND_PLAIN;
    uint32_t m_width;
    uint32_t m_height;
    uint16_t m_resolution = 240;
    uint32_t m_unitBase = 1;
    int32_t m_smallestCharWidth = 9999;
    int32_t m_smallestCharHeight = 9999;
    int16_t m_objectCounters[16] = {};
    qelList* m_objects = nullptr;
    uint32_t m_pageOffsetX = 0x8000;
    uint32_t m_pageOffsetY = 0x8000;
    uint8_t m_sharedLists = 0;
    uint8_t m_bindState = 0;
    bool m_binding = false;
    qelListNode* m_textCursor = nullptr;
    qelListNode* m_lineCursor = nullptr;
    qelListNode* m_imageCursor = nullptr;
    qelListNode* m_vectorCursor = nullptr;
    qelList* m_objectsBelow = nullptr;
    qelList* m_objectsAbove = nullptr;
    qelList* m_addedIncludes = nullptr;
    qelListNode* m_mediumOverlayCursor = nullptr;
    qelListNode* m_overlayCursor = nullptr;
    qelListNode* m_pageSegmentCursor = nullptr;
    int32_t m_maxBitsPerPixel = 0;
    int32_t m_furthestInline = 0;
    int32_t m_furthestBaseline = 0;
    qelList* m_resourceReferences = nullptr;
    qelList* m_mediumOverlays = nullptr;
    int32_t m_mediumOverlayWidth = 0;
    int32_t m_mediumOverlayHeight = 0;
    qelAFPFont* m_defaultFont = nullptr;
    int32_t m_overlayIds[MAX_MODIFICATION_IDS] = {};
    int m_overlayIdCount = 0;
    int32_t m_suppressionIds[MAX_MODIFICATION_IDS] = {};
    int m_suppressionIdCount = 0;

protected:
    // For subclasses whose lists are dropped rather than freed.
    void dropResourceReferences() { m_resourceReferences = nullptr; }
    void dropObjectList() { m_objects = nullptr; }
    void clearCurrentFontMapping() { m_currentFontMapping = nullptr; }
    // Page copies: takes the object list, mapped resources and resource
    // references of another media themselves; the caller marks them shared.
    void shareListsOf(const qelMedia& other)
    {
        m_objects = other.m_objects;
        m_mappedResources = other.m_mappedResources;
        m_resourceReferences = other.m_resourceReferences;
    }
};

#endif
