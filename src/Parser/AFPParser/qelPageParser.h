#ifndef QEL_PAGE_PARSER_H
#define QEL_PAGE_PARSER_H

#include "qelAFPParser.h"

#include <cstdint>
#include <string>

class qelList;
class qelMedia;
class qelModcaParser;
class qelPage;
class qelPtocaPage;
class qelSFIBlock;
class qelSFMethodsFactory;

// Reads one page, Begin Page to End Page, into an AFP page of the model:
// its name and medium map, index entries, includes, No Operation records,
// and the objects, each handed to the parser of its kind.
class qelPageParser : public qelAFPParser
{
public:
    qelPageParser();
    ~qelPageParser() override;

    int getParserType() override { return 13; }
    int getLevel() override { return m_level; }
    void processNOP(qelNOPRecord** out) override;

    // The page begun by the given Begin Page field; the caller owns it.
    qelPtocaPage* readPage(qelSFIBlock* beginPage);

    // The document parser whose offsets, names and medium map the pages
    // take; not owned.
    void setDocumentParser(qelModcaParser* parser) { m_documentParser = parser; }
    qelModcaParser* getDocumentParser() const { return m_documentParser; }
    void setScriptExecutor(qelSFMethodsFactory* executor) { m_scriptExecutor = executor; }
    int getPageCount() const { return m_pageCount; }
    void resetPageCount() { m_pageCount = 0; }
    int getState() const { return m_state; }

    // Raw keeping of whole objects for AFP output: the object begun by the
    // field, its fields byte for byte, as one object of the page.
    int collectObjectContainer(qelPage* page, qelSFIBlock* begin);
    int collectGraphicsObject(qelPage* page, qelSFIBlock* begin);
    int collectBarcodeObject(qelPage* page, qelSFIBlock* begin);
    // Appends the field's raw form (without its introducer) to the list;
    // returns its length.
    int appendRawSF(qelList* list, qelSFIBlock* field);

protected:
    void beginPage();
    void tagLogicalElement();
    void includeObject();
    void includePageSegment();
    void includePageOverlay();
    void endPage();

    // Object kinds whose parsers join later: each reads its object to its
    // End field.
    void parseEnvironmentGroup(qelSFIBlock* begin);
    void parsePresentationText(qelSFIBlock* begin);
    void parseGraphicsObject(qelSFIBlock* begin);
    void parseBarcodeObject(qelSFIBlock* begin);
    void parseImObject(qelSFIBlock* begin);
    void parseIocaObject(qelSFIBlock* begin);
    void parseObjectContainer(qelSFIBlock* begin);

    // Warns about an object no parser reads, counts it and skips it.
    void skipUnsupported(int beginId);
    void addObjectReference(const char* name, int type, int objectType, float x, float y, uint16_t xRotation,
                            uint16_t yRotation, uint16_t xContent, uint16_t yContent, uint8_t coordinateSystem);

private:
    int collect(qelPage* page, qelSFIBlock* begin, const int* kept, int endId);
    void moveNOPs();
    void runPageScript();

    int m_state = 0;
    int m_pageCount = 0;
    qelPtocaPage* m_page = nullptr;
    qelSFMethodsFactory* m_scriptExecutor = nullptr;
    qelModcaParser* m_documentParser = nullptr;
    bool m_afpOutput = false;
};

#endif
