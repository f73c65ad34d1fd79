#include "qelScriptLibrary.h"

namespace {
int g_unit = qelScriptLibrary::UNIT_PIXEL;
}

void qelScriptLibrary::setUnit(int unit)
{
    g_unit = unit;
}

int qelScriptLibrary::getUnit()
{
    return g_unit;
}
