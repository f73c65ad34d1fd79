#include "qelProcessInfo.h"

#include "qelException.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelString.h"
#include "qelUtils.h"

#include <cstdarg>
#include <iomanip>
#include <locale>
#include <sstream>
#include <string>

namespace {
const char* const NOTICE_LABEL = "Copyright:";
const char* const NOTICE_SUPPORT = "For support, contact the supplier of your Lorbane kit.";

void replace(qelString*& field, const char* text)
{
    delete field;
    field = text ? new qelString(text) : nullptr;
}

const char* textOf(const qelString* field)
{
    return field ? field->getBuffer() : nullptr;
}
}

qelProcessInfo::qelProcessInfo() = default;

qelProcessInfo::~qelProcessInfo()
{
    closeReportFile();
    delete m_version;
    delete m_parameters;
    delete m_inputFile;
    delete m_notice;
    delete m_support;
    delete m_fullPath;
}

void qelProcessInfo::setTimes(int64_t start, int64_t end)
{
    m_startTime = start;
    m_endTime = end;
    m_elapsedTime = difference(end, start);
}

void qelProcessInfo::setVersion(const char* text) { replace(m_version, text); }
void qelProcessInfo::setParameters(const char* text) { replace(m_parameters, text); }
void qelProcessInfo::setInputFile(const char* name) { replace(m_inputFile, name); }
void qelProcessInfo::setNotice(const char* text) { replace(m_notice, text); }
void qelProcessInfo::setSupportLine() { replace(m_support, NOTICE_SUPPORT); }

const char* qelProcessInfo::getVersion() const { return textOf(m_version); }
const char* qelProcessInfo::getParameters() const { return textOf(m_parameters); }
const char* qelProcessInfo::getInputFile() const { return textOf(m_inputFile); }
const char* qelProcessInfo::getNotice() const { return textOf(m_notice); }
const char* qelProcessInfo::getSupportLine() const { return textOf(m_support); }
const char* qelProcessInfo::getFullPath() const { return textOf(m_fullPath); }

struct tm qelProcessInfo::toLocalTime(int64_t time)
{
    time_t t = static_cast<time_t>(time);
    struct tm result = {};
    localtime_r(&t, &result);
    return result;
}

struct tm qelProcessInfo::toUTCTime(int64_t time)
{
    time_t t = static_cast<time_t>(time);
    struct tm result = {};
    gmtime_r(&t, &result);
    return result;
}

std::string qelProcessInfo::formatTime(const struct tm& time, const char* format)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&time, format);
    return out.str();
}

void qelProcessInfo::writeText(const char* text)
{
    if (m_file && text)
        std::fputs(text, m_file);
}

void qelProcessInfo::writeFormatted(const char* format, ...)
{
    if (!m_file)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(m_file, format, args);
    va_end(args);
}

void qelProcessInfo::closeReportFile()
{
    if (!m_file)
        return;
    qelUtils::closeFile(m_file);
    m_file = nullptr;
}

void qelProcessInfo::openReportFile(const char* name, const char* directory)
{
    if (!name || !directory)
        return;
    closeReportFile();
    struct tm start = toLocalTime(m_startTime);
    std::string fileName = std::string(name) + "_" + formatTime(start, "%Y%m%d") + "_" +
                           formatTime(start, "%H%M%S") + ".txt";
    std::string path = directory;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += fileName;
    replace(m_fullPath, path.c_str());
    m_file = qelUtils::openFile(path.c_str(), 'w');
    if (m_file)
        return;

    if (m_kind == QEL_REPORT_STATISTIC)
        throw new qelException(__FILE__, __LINE__, qelMsg::E102, 0, true, path.c_str());
    if (m_kind == QEL_REPORT_ERROR)
        openFallback(directory, fileName.c_str());
}

// The error report goes to the current directory when its own directory
// cannot take it.
bool qelProcessInfo::openFallback(const char* directory, const char* fileName)
{
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    qelIni* ini = pool ? pool->getIni() : nullptr;
    qelLogStream* log = pool ? pool->getLogStream() : nullptr;
    bool quiet = ini && ini->isQuietMode();
    bool logged = log && log->anyOf(QEL_LOG_LEVEL2);

    if (logged)
        log->print("Warning! Unable to open the ERROR File in Path %s\n", directory);
    if (!quiet)
        qelMessageOutput::printf("Warning! Unable to open the ERROR File in Path %s\n", directory);
    replace(m_fullPath, fileName);
    if (logged)
        log->print("Writing the error file (%s) in the current directory\n", fileName);
    if (!quiet)
        qelMessageOutput::printf("Writing the error file (%s) in the current directory\n", fileName);
    m_file = qelUtils::openFile(fileName, 'w');
    return m_file != nullptr;
}

void qelProcessInfo::writeHeader()
{
    if (!m_file || (m_kind != QEL_REPORT_STATISTIC && m_kind != QEL_REPORT_ERROR))
        return;
    if (m_version)
        writeFormatted("Version:                     %s\r\n\r\n", m_version->getBuffer());
    if (m_notice)
        writeFormatted("%-29s%s\r\n", NOTICE_LABEL, m_notice->getBuffer());
    if (m_support)
        writeFormatted("                             %s\r\n", m_support->getBuffer());
    const char* stamp = "%d.%m.%Y %H:%M:%S";
    writeFormatted("Started at:                  %s\r\n\r\n", formatTime(toLocalTime(m_startTime), stamp).c_str());
    writeFormatted("Ended at:                    %s\r\n\r\n", formatTime(toLocalTime(m_endTime), stamp).c_str());
    writeFormatted("Elapsed time:                %s\r\n\r\n",
                   formatTime(toUTCTime(m_elapsedTime), "%H:%M:%S").c_str());
    writeFormatted("List of Parameters:          %s\r\n\r\n", m_parameters ? m_parameters->getBuffer() : "");
}
