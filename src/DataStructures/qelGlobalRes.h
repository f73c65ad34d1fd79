#ifndef QEL_GLOBAL_RES_H
#define QEL_GLOBAL_RES_H

class qelAFPFont;
class qelCodePage;
class qelLinkedList;
class qelList;
class qelPage;
class qelRes;
class qelResParser;

// A font together with its code page, as a character set map entry needs it.
struct qelFontWithCodePage
{
    qelAFPFont* font = nullptr;
    qelCodePage* codePage = nullptr;
};

// The registry of resources for the conversion. Resources read from the
// print file itself are kept at the spool level (0), all others at the
// process level (1); each level has one owning list per type, fonts split
// into coded fonts and character sets. Also keeps the fonts and code pages
// of user scripts, the code pages made for encodings, the script pages, the
// current page definition and the bookmark list being built.
class qelGlobalRes
{
public:
    enum { LEVEL_SPOOL = 0, LEVEL_PROCESS = 1 };

    qelGlobalRes() = default;
    ~qelGlobalRes();
    qelGlobalRes(const qelGlobalRes&) = delete;
    qelGlobalRes& operator=(const qelGlobalRes&) = delete;

    // The lookup of the whole system: filed resources, then defaults, the
    // other-second-character retry for fonts, the loaders and placeholders.
    // The name is not changed.
    qelRes* getResource(const char* name, int type);
    // Spool level, then process level.
    qelRes* findResource(const char* name, int type);
    // Exact name; for fonts else the last match of the first 8 characters
    // with any second character, for other kinds else the first resource
    // whose alias is the name.
    qelRes* findInList(const char* name, int type, qelList* list) const;
    // The list of a level and type (typeIndex = type - 1), created on first
    // use; null for a font name of no known form.
    qelList* getList(int level, const char* name, int typeIndex);
    void addResource(qelRes* resource);
    qelRes* createResource(const char* name, int type, const char* fileName, bool registerIt);
    qelRes* createDefaultResource(int type);
    qelResParser* getResourceLoader(int type, const char* name);
    void applyFontMapping(qelAFPFont* font, int target);
    void loadFontWithCodePage(const char* characterSetName, const char* codePageName, qelFontWithCodePage* result);

    // Resources of user scripts.
    void addScriptFont(qelRes* resource);
    void addProcessScriptFont(qelRes* resource);
    qelRes* findScriptFont(const char* name, int type) const;
    qelRes* findProcessScriptFont(const char* name, int type) const;
    qelAFPFont* createScriptFont(const char* name, qelFontWithCodePage* result, bool initializePhase);
    void createScriptFontWithCodePage(const char* characterSetName, const char* codePageName,
                                      qelFontWithCodePage* result, bool initializePhase);
    qelRes* loadCodePage(const char* name, int type, bool registerIt);
    void releaseUnusedScriptFonts();
    void mapProcessScriptFonts();
    void addMMDPage(qelPage* page);
    qelList* getScriptPages() const { return m_scriptPages; }

    // Other shared objects.
    qelCodePage* findCodePageByEncoding(const char* encodingName);
    qelAFPFont* getFontFromFile(const char* name, const char* typefaceName, const char* fontName, bool bold,
                                bool italic, float size);
    // The bookmark list of the document being built; its document owns it.
    void setBookmarks(qelLinkedList* list);
    qelLinkedList* getBookmarks() const { return m_bookmarks; }
    // Forgets the list when it is the one held (its owner deletes it or
    // hands it on).
    void forgetBookmarks(const qelLinkedList* list);
    // Takes the page definition resource over; the one held before is deleted.
    void setCurrentPageDef(qelRes* pageDef);
    qelRes* getCurrentPageDef() const { return m_pageDef; }

    // Listings in the log.
    void listResources(int level);
    void listResourcesOfType(int type, int level, const char* name);
    void listShortForms();

    // Counts the resources filed at the process level and keeps the count.
    int countProcessResources();
    int getProcessResourceCount() const { return m_processResourceCount; }

    // End of an input: the type lists and the initialize-phase script
    // resources go, the bookmark list is forgotten.
    void clearAll();
    // Everything goes.
    void clear();

private:
    enum { LIST_OVERLAYS, LIST_PAGE_SEGMENTS, LIST_CODED_FONTS, LIST_CHARACTER_SETS, LIST_CODE_PAGES,
           LIST_MEDIUM_MAPS, LIST_FORM_MAPS, LIST_GOCA, LIST_OBJECT_CONTAINERS, LIST_COUNT };
    static int listIndex(const char* name, int typeIndex);
    qelList* existingList(int level, const char* name, int typeIndex) const;
    static qelRes* findFont(const char* name, const qelList* list);
    qelList*& scriptList(bool initializePhase) { return initializePhase ? m_processScriptRes : m_scriptRes; }

    qelList* m_lists[2][LIST_COUNT] = {};
    qelList* m_encodingCodePages = nullptr;
    bool m_legendPrinted = false;
    qelList* m_processScriptRes = nullptr;
    qelList* m_scriptPages = nullptr;
    qelList* m_scriptRes = nullptr;
    qelRes* m_pageDef = nullptr;
    // Not owned.
    qelLinkedList* m_bookmarks = nullptr;
    int m_processResourceCount = 0;
};

#endif
