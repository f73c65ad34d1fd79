#ifndef QEL_LORBANE_H
#define QEL_LORBANE_H

#include "qelSDKOutputRecord.h"

#include <cstdint>
#include <string>

class qelDocument;
class qelDocumentParser;
class qelFtpClient;
class qelImageHandle;
class qelIndexImplementor;
class qelPage;
class qelProtocol;
class qelStream;
class qelString;
class qelVisitor;

// What the kernel tells the document writer about a finished output.
struct qelOutputDescription
{
    const char* name = nullptr;
    int32_t id = 0;
    const char* format = nullptr;
    int32_t size = 0;
    int32_t pageCount = 0;
};

// The kernel of one conversion: the current input with its parser, the
// composite output visitor, the index writer, the run protocol, the output
// buffer handed back to the caller, the run times, the exit status and the
// last error. At most one exists (getInstance).
//
// Parsers, output engines, raster engines, readers of external resource
// files, FTP clients and glyph strip images are chosen through registered
// factories; a format without one ends the input with E012. FTP clients,
// glyph strips and the gd version come from modules (qelModuleLoader),
// loaded on first need and registering their factories here.
class qelImgLogStream;

class qelLorbane
{
public:
    // ---- choice points
    // A parser for an input format; null when the format has none (for
    // line data: the spool file type's record convention has none).
    typedef qelDocumentParser* (*ParserFactory)(int inputFormat);
    // Gives a parser back; null means delete.
    typedef void (*ParserRelease)(qelDocumentParser* parser);
    typedef qelVisitor* (*OutputEngineFactory)(int outputFormat, bool useGd, bool nonCoded);
    enum RasterKind { RASTER_SPLASH = 1, RASTER_GD = 2 };
    typedef qelVisitor* (*RasterEngineFactory)();
    // Reads an external resource file of kind 0 (resource group), 1
    // (document index), 2 (form definition) or 3 (page definition): 0 on
    // success.
    typedef int (*ExternalReader)(qelLorbane* kernel, int kind, const char* path, qelDocumentParser* parser);
    typedef qelFtpClient* (*FtpClientFactory)();
    // Glyph strip image from 1-bit pel rows, as qelGDImplementor::createImageHandle.
    typedef qelImageHandle* (*ImageHandleFactory)(int width, int height, int bitsPerPel, int colors,
                                                  const uint8_t* palette, const uint8_t* rows, long size,
                                                  int transparentIndex, bool trueColor);
    typedef const char* (*VersionQuery)();

    static void registerParser(int inputFormat, ParserFactory create, ParserRelease release);
    static void registerOutputEngine(int outputFormat, OutputEngineFactory create);
    static void registerRasterEngine(int kind, RasterEngineFactory create);
    static void registerExternalReader(int kind, ExternalReader read);
    static void registerFtpClient(FtpClientFactory create);
    static void registerImageHandleFactory(ImageHandleFactory create);
    // The version line of a component (e.g. "GD Library") that a module brings.
    static void registerComponentVersion(const char* component, VersionQuery query);
    static void clearChoices();

    // A new client of the FTP module; null with the reason when the module
    // cannot be loaded or the client cannot be made.
    static qelFtpClient* createFtpClient(std::string& reason);
    // A glyph strip image of the gd module; E012 naming the module when it
    // cannot be loaded.
    static qelImageHandle* createGlyphStrip(int width, int height, int bitsPerPel, int colors,
                                            const uint8_t* palette, const uint8_t* rows, long size,
                                            int transparentIndex, bool trueColor);
    // The version of a component from its module; empty when the module
    // cannot be loaded.
    static std::string getComponentVersion(const char* module, const char* component);
    // The writer that receives finished documents in writer mode.
    static void setDocumentWriter(qelSDKDocumentWriter writer);

    qelLorbane();
    ~qelLorbane();
    qelLorbane(const qelLorbane&) = delete;
    qelLorbane& operator=(const qelLorbane&) = delete;

    // The kernel of the running conversion, or null.
    static qelLorbane* getInstance();
    static void setInstance(qelLorbane* kernel);

    // ---- input start-up: 0 once the input is open
    int openFileInput(const char* name);
    int openStdinInput();
    // -1 for a null buffer or a length of 0 or less.
    int openBufferInput(const unsigned char* buffer, int length, const char* name);
    // -1 for a null list.
    int openCheckoutInput(qelSDKNameList* documentIds);

    // ---- document loop and output
    int processDocuments();
    int writeDocument(qelDocument* document, int status);
    int writePage(qelDocument* document, qelPage* page);
    void checkAndCreateVisitor();
    qelVisitor* createVisitor(int outputFormat, bool useGd, bool nonCoded);
    void doDocStartup(qelDocument* document);
    void endDocument(qelDocument* document);
    qelIndexImplementor* createIndexImplementor();
    // Chain of Name, ID, Format, Size and PageCount nodes (C heap), each only
    // when set; null when nothing is set or an allocation fails.
    static qelSDKNameValue* buildDocumentAttributes(const qelOutputDescription& description);
    static void freeAttributes(qelSDKNameValue* list);
    // The name of the document whose output started last in writer mode.
    static const char* getCurrentDocumentName();

    // ---- input and run bracket
    void closeInput();
    void finalizeAFPSpool();
    int createSFExecutor();
    int createVisitorExecutor();

    // ---- services
    void setInputName(const char* text);
    void setIndexFileName(const char* text);
    void setResourceFileName(const char* text);
    void setParameterList(const char* text);
    void setOutputBasePath(const char* text);
    const char* getInputName() const;
    const char* getIndexFileName() const;
    const char* getResourceFileName() const;
    const char* getParameterList() const;
    const char* getOutputBasePath() const;
    // Frees the current buffer (C heap) and keeps the new one.
    void setOutputBuffer(void* block);
    void setOutputLength(uint32_t length) { m_outputLength = length; }
    void* getOutputBuffer() const { return m_outputBuffer; }
    uint32_t getOutputLength() const { return m_outputLength; }
    void detachOutputBuffer();
    void setLastError(const char* text);
    const char* getLastError() const;
    void setExitStatus(int value) { m_exitStatus = value; }
    int getExitStatus() const { return m_exitStatus; }
    void setErrorState() { m_errorState = 1; }
    bool getErrorState() const { return m_errorState != 0; }
    qelDocumentParser* getParser() const { return m_parser; }
    qelVisitor* getVisitor() const { return m_visitor; }
    qelProtocol* getProtocol() const { return m_protocol; }
    qelIndexImplementor* getIndexImplementor() const { return m_indexImplementor; }
    bool isActive() const { return m_active != 0; }
    bool isInputOpen() const { return m_inputOpen != 0; }
    bool isDocumentIndexLoaded() const { return m_documentIndexLoaded != 0; }
    int getFileCreationMode() const { return m_fileCreationMode; }
    int getInputFormat() const { return m_inputFormat; }
    int getDocumentsStarted() const { return m_documentsStarted; }
    int getSubDirectoryNumber() const { return m_subDirectory; }
    uint32_t getFirstPageNumber() const { return m_firstPageNumber; }
    uint32_t getLastPageNumber() const { return m_lastPageNumber; }
    uint32_t getPageCount() const { return m_pageCount; }

private:
    friend int startRun();
    friend int endRun();
    friend int endInput(qelLorbane* kernel);

    enum InputVariant { INPUT_FILE, INPUT_BUFFER, INPUT_CHECKOUT };
    int openInput(InputVariant variant, const unsigned char* buffer, int length);
    void setUpParser(InputVariant variant, int format, const unsigned char* buffer, int length);
    void openExternalResources(int kind);
    void loadMappingDefinition();
    void releaseParser();
    void handOver(const char* name, qelSDKNameValue* indexList, qelSDKUserData* userDataList,
                  const qelOutputDescription& description);
    // The one output document of an input (ALL) or of the run (DOC_MERGE).
    void endCollectedOutput(bool handOverAlways);

    uint8_t m_active = 0;
    uint8_t m_inputOpen = 0;
    uint8_t m_runTimeTaken = 0;
    uint8_t m_errorState = 0;
    uint8_t m_documentIndexLoaded = 0;
    int32_t m_fileCreationMode = 0;
    int64_t m_runStartTime = 0;
    int64_t m_inputTime = 0;
    void* m_outputBuffer = nullptr;
    uint32_t m_outputLength = 0;
    int32_t m_subDirectory = -1;
    uint32_t m_firstPageNumber = 0;
    uint32_t m_lastPageNumber = 0;
    uint32_t m_pageCount = 0;
    int32_t m_documentsStarted = 0;
    int32_t m_inputFormat = 0;
    qelString* m_inputName = nullptr;
    // The image library's sink into the program log, installed per run.
    qelImgLogStream* m_imgLogStream = nullptr;
    qelString* m_indexFileName = nullptr;
    qelString* m_resourceFileName = nullptr;
    qelString* m_parameterList = nullptr;
    qelString* m_outputBasePath = nullptr;
    qelProtocol* m_protocol = nullptr;
    qelIndexImplementor* m_indexImplementor = nullptr;
    qelDocumentParser* m_parser = nullptr;
    // How the parser goes back when the input ends.
    ParserRelease m_parserRelease = nullptr;
    qelVisitor* m_visitor = nullptr;
    // The check-out stream of a check-out input, owned.
    qelStream* m_checkoutStream = nullptr;
    int32_t m_exitStatus = 0;
    qelString* m_lastError = nullptr;
};

// ---- kernel creation and the run bracket
// Throws E108 when there is no input to convert; keeps an existing kernel.
void startKernel();
// Deletes the kernel and resets the font mapping definition.
void stopKernel();
int startRun();
int endRun();
int endInput(qelLorbane* kernel);
int endInput();
void listGlobalResources(int selection, const char* spoolName);

// ---- input formats
// qelInputFormat bit of at most the first 80 bytes; 0 when not recognised.
int detectBufferFormat(const unsigned char* buffer, int length);
int detectStreamFormat(qelStream* stream);
// The format to use for a detected one; throws E046 or E047.
int checkInputFormat(int detected, const char* sourceName);
int getConfiguredInputFormat();
// Starts the per-input state of the process again.
void resetInputCounters();
// Number of the current input of the process (1 for the first).
int getInputNumber();
// The next running image number of the current input (1 for the first).
int nextImageNumber();

#endif
