#include "qelHTMLVisitor.h"

#include "qelPageCoordinateTransformer.h"

qelHTMLVisitor::qelHTMLVisitor()
{
    setOutputType("html");
}

qelPageCoordinateTransformer* qelHTMLVisitor::getPresentationOrigin()
{
    qelPageCoordinateTransformer* transformer = getTransformer();
    if (transformer)
        transformer->setAxisMode(2);
    return transformer;
}
