// The gd module: glyph strips and the gd version line.
#include "qelGDImplementor.h"
#include "qelLorbane.h"
#include "qelModuleLoader.h"

#include <gd.h>

extern "C" void qelRegisterModule()
{
    qelLorbane::registerImageHandleFactory(&qelGDImplementor::createImageHandle);
    qelLorbane::registerComponentVersion("GD Library", &gdVersionString);
}
