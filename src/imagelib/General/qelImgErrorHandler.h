#ifndef QEL_IMG_ERROR_HANDLER_H
#define QEL_IMG_ERROR_HANDLER_H

#include "qelImgJPEGShim.h"

#include <cstdarg>

#include <tiffio.h>

class qelImgException;

// Turns TIFF and JPEG library reports into one pending qelImgException
// (the first error of a call wins), thrown by the check after the call.
class qelImgErrorHandler
{
public:
    enum { JPEG_FIRST_ADDON = 1001, JPEG_LAST_ADDON = 1008 };

    static void reset();
    static qelImgException* getPendingError();
    // Deletes the pending one first.
    static void setPendingError(qelImgException* e);
    // Forgets the pending one without deleting it.
    static void clearPendingError();
    // Appends "(Lib: .., Function: .., Class: .., rc=..)" and throws; nothing
    // without a pending error.
    static void throwPendingError(const char* library, const char* className, const char* function, int rc);
    static void checkTIFFError(const char* className, const char* function, int rc);
    static void checkJPEGError(const char* className, const char* function, int rc);

    static void installTIFFHandlers();
    static void restoreTIFFHandlers();
    static void tiffErrorHandler(const char* module, const char* format, va_list args);
    static void tiffErrorHandlerExt(thandle_t clientData, const char* module, const char* format, va_list args);
    static void tiffWarningHandler(const char* module, const char* format, va_list args);
    static void tiffWarningHandlerExt(thandle_t clientData, const char* module, const char* format, va_list args);

    static void jpegErrorExit(j_common_ptr cinfo);
    static jpeg_error_mgr* qelImgJPEGErrorMgr(qelImgJPEGError* err);
    static void qelImg_emit_message(j_common_ptr cinfo, int level);
};

#endif
