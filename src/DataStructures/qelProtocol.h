#ifndef QEL_PROTOCOL_H
#define QEL_PROTOCOL_H

#include "qelProcessInfo.h"

enum qelProtocolResult
{
    QEL_PROTOCOL_OK = 1,
    QEL_PROTOCOL_ERROR = 2
};

// The run protocol: one line per converted document with its output name
// and result, under one spool header per input. One protocol serves the
// whole run: it is opened once, at the first input.
class qelProtocol : public qelProcessInfo
{
public:
    qelProtocol();
    ~qelProtocol() override;

    // Opens protocol_YYYYMMDD_HHMMSS.txt in OutputFilePath and writes the
    // run line. A protocol that is already open stays as it is; one that
    // cannot be opened writes nothing.
    void open();
    // Empty line, then the input file name.
    void writeSpoolHeader();
    // "[time] Processing Document Id : n", without line end.
    void writeDocumentLine();
    void setOutputName(const char* name);
    const char* getOutputName() const;
    // Output name, separator and result; ends the document line.
    void writeResult();
    // The end line; closes the file.
    void writeEnd();

    int getDocumentNumber() const { return m_documentNumber; }
    void setDocumentNumber(int number) { m_documentNumber = number; }
    void countDocument() { ++m_documentNumber; }
    int getResult() const { return m_result; }
    void setResult(int result) { m_result = result; }

private:
    int m_documentNumber = 0;
    int m_result = 0;
    qelString* m_outputName = nullptr;
};

#endif
