#include "qelFontResParser.h"

#include "qelIOStream.h"
#include "qelLogStream.h"
#include "qelPoolAccess.h"

void qelFontResParser::prepareFontSearch(int kind)
{
    prepareSearch(kind, m_mode);
    qelLogStream* log = qelPoolAccess::logStream();
    m_log = log && log->anyOf(QEL_LOG_LEVEL5);
}

void qelFontResParser::endRead(bool opened)
{
    if (!opened)
        return;
    closeResourceFile();
    qelIOStream* in = qelIOStream::getCurrent();
    m_currentSF = in ? in->getSFIBlock() : nullptr;
}
