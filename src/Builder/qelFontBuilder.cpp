#include "qelFontBuilder.h"

#include "qelAFPCharMetrics.h"
#include "qelException.h"
#include "qelFontMetrics.h"
#include "qelIPSFontRepresentation.h"
#include "qelLogStream.h"
#include "qelString.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <strings.h>

qelFontBuilder::~qelFontBuilder() { delete m_fontName; }

void qelFontBuilder::setFontName(const char* name)
{
    delete m_fontName;
    m_fontName = name ? new qelString(name) : nullptr;
}

const char* qelFontBuilder::getFontName() const { return m_fontName ? m_fontName->getBuffer() : nullptr; }

void qelFontBuilder::fail(const char* charSetName, const char* reason)
{
    throw new qelException(__FILE__, __LINE__, qelMsg::E114, 0, true, charSetName ? charSetName : "(null)",
                           reason ? reason : "");
}

void qelFontBuilder::failf(const char* charSetName, const char* format, ...)
{
    char reason[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    fail(charSetName, reason);
}

const char* qelFontBuilder::charSetNameOf(const qelFontRepresentation* source)
{
    const qelIPSFontRepresentation* ips = dynamic_cast<const qelIPSFontRepresentation*>(source);
    const char* name = ips ? ips->getCharacterSetName() : nullptr;
    return name ? name : "(null)";
}

namespace
{
std::string format(const char* fmt, const char* a, const char* b = nullptr)
{
    char text[512];
    std::snprintf(text, sizeof text, fmt, a ? a : "(null)", b ? b : "(null)");
    return text;
}
}

const qelAFPCharMetrics* qelFontBuilder::metricsWithFallback(const qelFontRepresentation* source,
                                                             const char* glyphName, const char* message) const
{
    const qelFontMetrics* metrics = source ? source->getMetrics() : nullptr;
    const char* cs = charSetNameOf(source);
    if (!metrics)
        fail(cs, "Font Metrics is NULL");
    if (const qelAFPCharMetrics* found = metrics->findCharMetrics(glyphName))
        return found;
    std::string text = format(message, cs, glyphName);
    const qelAFPCharMetrics* used = nullptr;
    const char* space = source->getSpaceCharName();
    if (space && (!glyphName || strcasecmp(space, glyphName) != 0)) {
        used = metrics->findCharMetrics(space);
        text += format(used ? "Using Char Metrics of Space Char GCCID %s."
                            : "Char Metrics for Space Char GCCID %s is also not found.",
                       space);
    }
    if (!used) {
        const char* def = source->getDefaultCharName();
        if (!def || (glyphName && strcasecmp(def, glyphName) == 0))
            fail(cs, text.c_str());
        used = metrics->findCharMetrics(def);
        if (!used) {
            text += format("Char Metrics for Default Char GCCID %s is also not found.", def);
            fail(cs, text.c_str());
        }
        text += format("Using Char Metrics of Default Char GCCID %s.", def);
    }
    if (m_log && m_log->anyOf(QEL_LOG_LEVEL2))
        m_log->print("\n%s", text.c_str());
    return used;
}
