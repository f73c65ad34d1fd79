#ifndef QEL_DOCUMENT_PARSER_H
#define QEL_DOCUMENT_PARSER_H

#include "qelParser.h"

class qelDocument;
class qelSFMethodsFactory;
class qelStream;
class qelString;

// Why the last parseFirst / parseNext returned.
enum qelParseStatus
{
    QEL_PARSE_NONE = 0,
    QEL_PARSE_PARSING = 1,
    QEL_PARSE_PAGE = 2,
    QEL_PARSE_INDEX_DOCUMENT_END = 4,
    QEL_PARSE_END_DOCUMENT = 8,
    QEL_PARSE_PAGE_LIMIT = 16,
    QEL_PARSE_END_OF_INPUT = 32,
    QEL_PARSE_ERROR = 64,
    QEL_PARSE_DOCUMENT_LIMIT = 128
};

// Where a document parser reads from.
enum qelInputKind
{
    QEL_INPUT_NONE = 0,
    QEL_INPUT_MEMORY = 1,
    QEL_INPUT_FILE = 2,
    QEL_INPUT_STREAM = 6,
    QEL_INPUT_DOCUMENT_LIST = 7
};

// Base of the parsers that hand whole documents to the kernel: each call of
// parseFirst / parseNext returns one document, owned by the caller, and
// leaves a parse state.
class qelDocumentParser : public virtual qelParser
{
public:
    // Installs a new process-wide current input.
    qelDocumentParser();
    // Closes and deletes the process-wide current input.
    ~qelDocumentParser() override;

    virtual qelDocument* parseFirst(void* callerData);
    virtual qelDocument* parseNext(void* callerData);

    void setParameterList(const char* text);
    const char* getParameterList() const;
    void setInputFileName(const char* name);
    const char* getInputFileName() const;
    void writeLogHeader();
    // Raises I022 once the page counter passes PageParse or EndingPage.
    void checkPageLimit();
    void closeIndexEntry(qelDocument* document);

    int getParseState() const { return m_parseState; }
    void setParseState(int state) { m_parseState = state; }
    int getInputKind() const { return m_inputKind; }
    void setInputKind(int kind) { m_inputKind = kind; }
    void* getInputBuffer() const { return m_inputBuffer; }
    int getInputLength() const { return m_inputLength; }
    // A null buffer clears the length too.
    void setInputBuffer(void* buffer, int length);
    qelStream* getInputStream() const { return m_inputStream; }
    // A null stream is ignored.
    void setInputStream(qelStream* stream);
    qelSFMethodsFactory* getScriptExecutor() const { return m_scriptExecutor; }
    void setScriptExecutor(qelSFMethodsFactory* executor) { m_scriptExecutor = executor; }
    int getErrorFlag() const { return m_errorFlag; }
    void setErrorFlag() { m_errorFlag = 1; }
    int getPageCount() const { return m_pageCount; }
    void setPageCount(int count) { m_pageCount = count; }
    void* getCallerData() const { return m_callerData; }

    // Unsupported objects dropped from the current input (fields of an
    // unknown type among them); non-zero makes the conversion end with I002.
    // One count for the process: a conversion reads one input at a time.
    int getIgnoredObjectCount() const;
    static void countIgnoredObject();
    static void resetIgnoredObjectCount();

protected:
    int m_pageCount = 0;
    qelString* m_parameterList = nullptr;
    qelSFMethodsFactory* m_scriptExecutor = nullptr;
    void* m_callerData = nullptr;
    qelString* m_inputFileName = nullptr;
    int m_parseState = 0;
    void* m_inputBuffer = nullptr;
    int m_inputLength = 0;
    qelStream* m_inputStream = nullptr;
    int m_inputKind = 0;
    int m_errorFlag = 0;
};

#endif
