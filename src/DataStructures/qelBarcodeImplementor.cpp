#include "qelBarcodeImplementor.h"

#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"

#include <cstdarg>
#include <cstdio>

namespace {
void formatText(char* buffer, size_t size, const char* format, va_list args)
{
    std::vsnprintf(buffer, size, format, args);
}
}

void qelBarcodeImplementor::warn(qelLogStream* log, qelIni* ini, const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    formatText(text, sizeof text, format, args);
    va_end(args);
    if (log && log->anyOf(LOG_MESSAGE_BITS))
        log->printLine("%s", text);
    if (!ini || !ini->isQuietMode())
        qelMessageOutput::printf("%s\n", text);
}

void qelBarcodeImplementor::logOnly(qelLogStream* log, unsigned int bits, const char* format, ...)
{
    if (!log || log->noneOf(bits))
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    formatText(text, sizeof text, format, args);
    va_end(args);
    log->printLine("%s", text);
}
