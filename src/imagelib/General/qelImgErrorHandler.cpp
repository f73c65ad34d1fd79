#include "qelImgErrorHandler.h"

#include "qelImgException.h"
#include "qelImgLogger.h"
#include "qelImgProcessor.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace
{
qelImgException* g_pending = nullptr;
TIFFErrorHandler g_savedError = nullptr;
TIFFErrorHandler g_savedWarning = nullptr;
TIFFErrorHandlerExt g_savedErrorExt = nullptr;
TIFFErrorHandlerExt g_savedWarningExt = nullptr;

const char* const kJPEGAddOns[] = {
    "E1001: Destination manager temporary buffer is NULL",
    "E1002: Memory allocation failed",
    "E1003: Input Jpeg file open failed",
    "E1004: Error occured while writing Jpeg data",
    "E1005: Unknown resolution unit specfied in Jpeg",
    "E1006: Error occured while reading jpeg input buffer",
    "E1007: Reading bytes beyond the bounds",
    "E1008: Output stream is null",
    nullptr,
};

// "\nFile Name: %s\nLibTiffMsg: %s" with the message and ".\n".
void tiffText(char* text, size_t size, const char* module, const char* format, va_list args)
{
    char message[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vsnprintf(message, sizeof message - 2, format ? format : "", args);
#pragma GCC diagnostic pop
    std::strcat(message, ".\n");
    std::snprintf(text, size, "\nFile Name: %s\nLibTiffMsg: %s", module ? module : "", message);
}

void recordTIFFError(const char* module, const char* format, va_list args)
{
    if (g_pending)
        return;
    char text[1024];
    tiffText(text, sizeof text, module, format, args);
    g_pending = new qelImgException(__FILE__, __LINE__, 20, 0, true, text);
}

void logTIFFWarning(const char* module, const char* format, va_list args)
{
    qelImgLogger* logger = qelImgProcessor::getLogger();
    if (!logger)
        return;
    char text[1024];
    tiffText(text, sizeof text, module, format, args);
    logger->warning("%s", text);
}

void recordJPEGMessage(j_common_ptr cinfo)
{
    if (g_pending)
        return;
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    g_pending = new qelImgException(__FILE__, __LINE__, 44, 0, true, text);
    reinterpret_cast<qelImgJPEGError*>(cinfo->err)->pendingCode = cinfo->err->msg_code;
}
}

void qelImgErrorHandler::reset()
{
    g_pending = nullptr;
    g_savedError = nullptr;
    g_savedWarning = nullptr;
    g_savedErrorExt = nullptr;
    g_savedWarningExt = nullptr;
}

qelImgException* qelImgErrorHandler::getPendingError() { return g_pending; }

void qelImgErrorHandler::setPendingError(qelImgException* e)
{
    delete g_pending;
    g_pending = e;
}

void qelImgErrorHandler::clearPendingError() { g_pending = nullptr; }

void qelImgErrorHandler::throwPendingError(const char* library, const char* className, const char* function, int rc)
{
    if (!g_pending)
        return;
    char note[513] = "";
    size_t n = 0;
    auto add = [&](const char* format, auto value) {
        if (n < 512)
            n += static_cast<size_t>(std::snprintf(note + n, sizeof note - n, format, value));
        if (n > 512)
            n = 512;
    };
    if (library)
        add("(Lib: %s", library);
    if (function)
        add(", Function: %s", function);
    if (className)
        add(", Class: %s", className);
    if (rc != 0)
        add(", rc=%d", rc);
    add("%s", ")");
    qelImgException* e = g_pending;
    g_pending = nullptr;
    e->appendMessage(note);
    throw e;
}

void qelImgErrorHandler::checkTIFFError(const char* className, const char* function, int rc)
{
    restoreTIFFHandlers();
    throwPendingError("LibTIFF", className, function, rc);
}

void qelImgErrorHandler::checkJPEGError(const char* className, const char* function, int rc)
{
    throwPendingError("LibJPEG", className, function, rc);
}

void qelImgErrorHandler::installTIFFHandlers()
{
    // A kind whose previous handler was null keeps a null slot.
    if (!g_savedError)
        g_savedError = TIFFSetErrorHandler(tiffErrorHandler);
    if (!g_savedWarning)
        g_savedWarning = TIFFSetWarningHandler(tiffWarningHandler);
    if (!g_savedErrorExt)
        g_savedErrorExt = TIFFSetErrorHandlerExt(tiffErrorHandlerExt);
    if (!g_savedWarningExt)
        g_savedWarningExt = TIFFSetWarningHandlerExt(tiffWarningHandlerExt);
}

void qelImgErrorHandler::restoreTIFFHandlers()
{
    if (g_savedError) {
        TIFFSetErrorHandler(g_savedError);
        g_savedError = nullptr;
    }
    if (g_savedWarning) {
        TIFFSetWarningHandler(g_savedWarning);
        g_savedWarning = nullptr;
    }
    if (g_savedErrorExt) {
        TIFFSetErrorHandlerExt(g_savedErrorExt);
        g_savedErrorExt = nullptr;
    }
    if (g_savedWarningExt) {
        TIFFSetWarningHandlerExt(g_savedWarningExt);
        g_savedWarningExt = nullptr;
    }
}

void qelImgErrorHandler::tiffErrorHandler(const char* module, const char* format, va_list args)
{
    recordTIFFError(module, format, args);
}

void qelImgErrorHandler::tiffErrorHandlerExt(thandle_t, const char* module, const char* format, va_list args)
{
    recordTIFFError(module, format, args);
}

void qelImgErrorHandler::tiffWarningHandler(const char* module, const char* format, va_list args)
{
    logTIFFWarning(module, format, args);
}

void qelImgErrorHandler::tiffWarningHandlerExt(thandle_t, const char* module, const char* format, va_list args)
{
    logTIFFWarning(module, format, args);
}

void qelImgErrorHandler::jpegErrorExit(j_common_ptr cinfo)
{
    recordJPEGMessage(cinfo);
    // Never return into the library: back to the call's jump target.
    auto* err = reinterpret_cast<qelImgJPEGError*>(cinfo->err);
    if (err->armed) {
        err->armed = 0;
        std::longjmp(err->jump, 1);
    }
}

jpeg_error_mgr* qelImgErrorHandler::qelImgJPEGErrorMgr(qelImgJPEGError* err)
{
    jpeg_std_error(&err->pub);
    err->pub.error_exit = jpegErrorExit;
    err->pub.emit_message = qelImg_emit_message;
    err->pub.addon_message_table = kJPEGAddOns;
    err->pub.first_addon_message = JPEG_FIRST_ADDON;
    err->pub.last_addon_message = JPEG_LAST_ADDON;
    err->pub.trace_level = 0;
    err->armed = 0;
    err->pendingCode = 0;
    return &err->pub;
}

void qelImgErrorHandler::qelImg_emit_message(j_common_ptr cinfo, int level)
{
    if (level < 0) {
        // A warning fails the call: the check after it throws.
        recordJPEGMessage(cinfo);
        return;
    }
    qelImgLogger* logger = qelImgProcessor::getLogger();
    if (!logger || cinfo->err->trace_level < level)
        return;
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    logger->trace("\t\t%s", text);
}
