#ifndef QEL_MODCA_PARSER_H
#define QEL_MODCA_PARSER_H

#include "qelAFPParser.h"
#include "qelDocumentParser.h"

#include <cstdint>
#include <string>

class qelDocument;
class qelException;
class qelIndexSet;
class qelList;
class qelMediumMap;
class qelPage;
class qelPageParser;
class qelSFIBlock;
class qelString;

// The document parser of AFP input: each parseFirst / parseNext call reads
// the input forward and returns one document, as the file creation mode
// cuts it (a whole document, one page, one top-level page group, page or
// overlay), and leaves the parse state.
class qelModcaParser : public qelAFPParser, public qelDocumentParser
{
public:
    // containerState flags.
    enum {
        DOCUMENT_BEGUN = 0x01, DOCUMENT_ENDED = 0x02, GROUP_BEGUN = 0x04, GROUP_ENDED = 0x08,
        PAGE_BEGUN = 0x10, PAGE_ENDED = 0x20, OVERLAY_BEGUN = 0x40, OVERLAY_ENDED = 0x80
    };

    qelModcaParser();
    ~qelModcaParser() override;

    int getParserType() override { return 25; }
    int loadResourceFile() override { return 0; }
    int getLevel() override { return m_level; }
    void processNOP(qelNOPRecord** out) override;

    qelDocument* parseFirst(void* callerData) override;
    qelDocument* parseNext(void* callerData) override;

    // Medium maps: the name last asked for and the map pages go under.
    void setMediumMapName(const char* name);
    const char* getMediumMapName() const;
    qelMediumMap* selectMediumMap(const char* name);
    qelMediumMap* getCurrentMediumMap() const { return m_currentMediumMap; }
    void setCurrentMediumMap(qelMediumMap* map) { m_currentMediumMap = map; }
    // The map every input starts under: the default map of a form
    // definition the kernel read before the input (external files); none
    // by default. Not owned.
    void setStartMediumMap(qelMediumMap* map) { m_startMediumMap = map; }

    uint8_t getContainerState() const { return m_containerState; }
    void setContainerFlags(uint8_t set, uint8_t clear)
    {
        m_containerState = static_cast<uint8_t>((m_containerState & ~clear) | set);
    }
    // Message id of the innermost container left open, or 0; 10 when none
    // has begun.
    int getOpenContainerError() const;
    int32_t getDocumentOffset() const { return m_documentOffset; }
    int32_t getPageGroupId() const { return m_pageGroupId; }
    const char* getPageGroupName() const;
    bool isDocIndexPresent() const { return m_docIndexPresent != 0; }
    void setDocIndexPresent(bool on) { m_docIndexPresent = on ? 1 : 0; }
    int getDocumentCount() const { return m_documentCount; }

    // Handlers of the current field.
    void beginDocument();
    void endDocument();
    void beginPageGroup();
    void endPageGroup();
    void invokeMediumMap();
    void processTLE();
    qelList* pageParser();
    qelList* overlayParser();
    bool selectPageGroupIndex();
    qelList* setupPageMedia(qelPage* page);
    void addPages(qelList* pages);
    void addIndexedPages(qelList* pages);
    int addScriptedPages(qelList* pages);
    bool attachPageIndex(qelPage* page);

private:
    qelDocument* parse();
    qelSFIBlock* parseTillBDT();
    void parseOneDoc(qelSFIBlock* pending);
    void parsePageGroup();
    void parseSFDocument(qelSFIBlock* pending);
    void parseIndexedDocument(qelSFIBlock* pending);
    void readWholeGroup();
    void skipPart(qelSFIBlock* pending);
    void setUpInput();
    void readDocumentIndex();
    void readResourceGroup();
    qelList* readDocumentOverlay();
    void skipTo(int endId);
    qelSFIBlock* next(qelSFIBlock*& pending);
    void handleEnd(qelException* e);
    bool pageWise() const;
    void trace(const char* text) const;
    void unexpectedTLE();
    void freeList(qelList* pages, bool owning);

    uint8_t m_moreDocuments = 0;
    uint8_t m_insidePageGroup = 0;
    uint8_t m_edtInPageGroup = 0;
    uint16_t m_documentGCSGID = 0;
    uint16_t m_documentCPGID = 0;
    uint16_t m_documentCCSID = 0;
    uint8_t m_docIndexPresent = 0;
    uint8_t m_containerState = 0;
    int32_t m_currentSFId = 0;
    int32_t m_documentCount = 0;
    int32_t m_pageGroupDepth = 0;
    int32_t m_pageGroupLevel = 0;
    int32_t m_documentOffset = 0;
    int32_t m_pageGroupId = 0;
    qelDocument* m_document = nullptr;
    qelPageParser* m_pageParser = nullptr;
    qelString* m_mediumMapName = nullptr;
    qelMediumMap* m_currentMediumMap = nullptr;
    qelMediumMap* m_startMediumMap = nullptr;
    qelString* m_pageGroupName = nullptr;
    qelList* m_pendingPages = nullptr;
    qelIndexSet* m_pageGroupIndex = nullptr;
    uint8_t m_fromDocumentList = 0;
};

#endif
