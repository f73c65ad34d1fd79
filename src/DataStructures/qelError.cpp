#include "qelError.h"

#include "qelString.h"

qelError::qelError()
{
    m_kind = QEL_REPORT_ERROR;
}

qelError::~qelError()
{
    delete m_message;
    delete m_errorPath;
}

void qelError::setMessage(const char* text)
{
    delete m_message;
    m_message = text ? new qelString(text) : nullptr;
}

void qelError::setErrorPath(const char* directory)
{
    delete m_errorPath;
    m_errorPath = directory ? new qelString(directory) : nullptr;
}

const char* qelError::getMessage() const
{
    return m_message ? m_message->getBuffer() : nullptr;
}

const char* qelError::getErrorPath() const
{
    return m_errorPath ? m_errorPath->getBuffer() : nullptr;
}

void qelError::writeReport()
{
    openReportFile("error", getErrorPath());
    if (!m_file)
        return;
    writeHeader();
    const char* input = getInputFile();
    writeFormatted("Input File:                  %s\r\n\r\n", input ? input : "no input filename available!");
    // The message may hold '%': written as it stands.
    const char* message = getMessage();
    writeText(message ? message : "no error message available!");
    closeReportFile();
}
