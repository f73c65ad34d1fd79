#ifndef QEL_IMAGE_LIBRARY_ERRORS_H
#define QEL_IMAGE_LIBRARY_ERRORS_H

#include "qelException.h"
#include "qelImgException.h"
#include "qelMessageIds.h"

#include <string>

// Errors of the image library raised as E013 with the library's text, for
// the model objects that call it.
namespace qelImageLibraryErrors
{

[[noreturn]] inline void rethrow(qelImgException* e)
{
    const std::string text = e && e->getMessageText() ? e->getMessageText() : "";
    delete e;
    throw new qelException(__FILE__, __LINE__, qelMsg::E013, 0, 1, text.c_str());
}

// Runs f; a library error leaves it as E013.
template <typename F>
auto guarded(F f) -> decltype(f())
{
    try {
        return f();
    } catch (qelImgException* e) {
        rethrow(e);
    }
}

} // namespace qelImageLibraryErrors

#endif
