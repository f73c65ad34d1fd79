#include "qelPhysicalFont.h"

#include "qelFontText.h"

void qelPhysicalFont::setText(char*& field, const char* text)
{
    char* fresh = text && *text ? qelFontText::copy(text) : nullptr;
    delete[] field;
    field = fresh;
}

void qelPhysicalFont::clearTexts()
{
    char** fields[] = {&codedFontName, &characterSetName, &codePageName, &fourthName, &nameA, &nameB};
    for (char** f : fields) {
        delete[] *f;
        *f = nullptr;
    }
}
