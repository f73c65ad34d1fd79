#include "qelProtocol.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelString.h"

qelProtocol::qelProtocol()
{
    m_kind = QEL_REPORT_PROTOCOL;
}

qelProtocol::~qelProtocol()
{
    delete m_outputName;
}

void qelProtocol::open()
{
    if (m_file)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    openReportFile("protocol", ini ? ini->getOutputFilePath() : nullptr);
    if (!m_file)
        return;
    const char* version = getVersion();
    const char* parameters = getParameters();
    writeFormatted("Running %s at %s using : %s\r\n", version ? version : "",
                   formatTime(toLocalTime(m_startTime), "%H:%M:%S on %d %B %Y").c_str(),
                   parameters ? parameters : "");
}

void qelProtocol::writeSpoolHeader()
{
    const char* input = getInputFile();
    writeText("\r\n");
    writeFormatted("Processing Spool File: %s\r\n", input ? input : "");
}

void qelProtocol::writeDocumentLine()
{
    writeFormatted("[%s] Processing Document Id : %d", formatTime(toLocalTime(m_endTime), "%H:%M:%S").c_str(),
                   m_documentNumber);
}

void qelProtocol::setOutputName(const char* name)
{
    delete m_outputName;
    m_outputName = name ? new qelString(name) : nullptr;
}

const char* qelProtocol::getOutputName() const
{
    return m_outputName ? m_outputName->getBuffer() : nullptr;
}

void qelProtocol::writeResult()
{
    if (!m_file)
        return;
    if (const char* name = getOutputName())
        writeFormatted(", %s", name);
    writeText(" : ");
    if (m_result == QEL_PROTOCOL_OK)
        writeText("Ok");
    else if (m_result == QEL_PROTOCOL_ERROR)
        writeText("Error");
    writeText("\r\n");
}

void qelProtocol::writeEnd()
{
    if (!m_file)
        return;
    const char* version = getVersion();
    writeFormatted("\r\n%s ended at %s, Elapsed Time %s\r\n", version ? version : "",
                   formatTime(toLocalTime(m_endTime), "%H:%M:%S on %d %B %Y").c_str(),
                   formatTime(toUTCTime(m_elapsedTime), "%H:%M:%S").c_str());
    closeReportFile();
}
