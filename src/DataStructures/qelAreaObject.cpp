#include "qelAreaObject.h"

#include "qelBeginControlObject.h"
#include "qelCurveObject.h"
#include "qelEndControlObject.h"
#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLineObject.h"
#include "qelList.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPoolAccess.h"
#include "qelString.h"
#include "qelVisitor.h"

#include <unordered_set>

namespace
{
using qelPoolAccess::options;
using qelPoolAccess::logStream;

const int32_t kBlockSize = 8192;
}

qelAreaObject::qelAreaObject()
{
    setColorValue(8);
}

qelAreaObject::qelAreaObject(uint8_t drawBoundary, int32_t lineType, float lineWidth, uint8_t patternSet,
                             uint32_t colorValue, int32_t patternSymbol, int32_t areaMix, int32_t areaBackgroundMix)
    : m_drawBoundary(drawBoundary),
      m_patternSet(patternSet),
      m_patternSymbol(patternSymbol),
      m_areaMix(areaMix),
      m_areaBackgroundMix(areaBackgroundMix),
      m_lineWidth(lineWidth),
      m_lineType(lineType)
{
    setColorValue(colorValue);
}

qelAreaObject::~qelAreaObject()
{
    qelList::destroy(m_children);
}

void qelAreaObject::addChild(qelGraphicObject* object)
{
    if (!m_children)
        m_children = new qelList(&qelList::deleteAs<qelGraphicObject>);
    m_children->append(object);
}

void qelAreaObject::write(qelVisitor* visitor)
{
    if (getSuppressed()) {
        qelLogStream* log = logStream();
        if (log && log->isExactly(QEL_LOG_ALL))
            log->print("\n @(%.2f,%.2f) Area Object is Skipped!", static_cast<double>(getX()),
                       static_cast<double>(getY()));
        return;
    }
    if (!m_children || !m_children->getHead() || !visitor)
        return;
    qelIni* ini = options();
    const bool trace = ini && ini->isDevTestLevel(0x1);
    if (trace)
        qelMessageOutput::write("[AreaObject]: (Begin): write\n");
    visitor->writeBeginAreaObject(this);
    for (qelListNode* n = m_children->getHead(); n; n = n->next) {
        auto* child = static_cast<qelGraphicObject*>(n->item);
        if (!child) {
            if (!(ini && ini->isQuietMode()))
                qelMessageOutput::write("Warning! Cannot display null goca object.\n");
            qelLogStream* log = logStream();
            if (log && log->anyOf(QEL_LOG_LEVEL2))
                log->printLine("Warning! Cannot display null goca object.");
            continue;
        }
        child->setAreaOrigin(getAreaOrigin());
        child->setIncludeOffset(getIncludeOffset());
        child->write(visitor);
    }
    visitor->writeEndAreaObject(this);
    if (trace)
        qelMessageOutput::write("[AreaObject]: (End): write\n");
}

void qelAreaObject::fixAbsPosition()
{
    for (qelListNode* n = m_children ? m_children->getHead() : nullptr; n; n = n->next) {
        auto* child = static_cast<qelGraphicObject*>(n->item);
        if (!child)
            continue;
        child->setPlacement(4);
        child->fixAbsPosition();
    }
}

int32_t qelAreaObject::countGOCAOrders()
{
    if (m_orderCount >= 0)
        return m_orderCount;
    if (!m_children || !m_children->getHead()) {
        m_orderCount = 0;
        return 0;
    }
    int32_t orders = 0;
    int32_t bytes = 0;
    qelIni* ini = options();
    const int32_t samplingFactor = ini ? ini->getCurveSamplingFactor() : 64;
    for (qelListNode* n = m_children->getHead(); n; n = n->next) {
        auto* child = static_cast<qelGraphicObject*>(n->item);
        if (!child)
            continue;
        switch (child->kind()) {
        case KIND_LINE: {
            int32_t o = 0;
            int32_t b = 0;
            static_cast<qelLineObject*>(child)->countGOCAOrders(&o, &b);
            orders += o;
            bytes += b;
            break;
        }
        case KIND_BEGIN_CONTROL:
            if ((static_cast<qelBeginControlObject*>(child)->getFlags() & qelBeginControlObject::FIRST_SUBPATH) &&
                m_paintType != PAINT_STROKE) {
                orders += 1;
                bytes += 2;
            }
            break;
        case KIND_END_CONTROL:
            if ((static_cast<qelEndControlObject*>(child)->getFlags() & qelEndControlObject::LAST_SUBPATH) &&
                m_paintType != PAINT_STROKE) {
                orders += 1;
                bytes += 2;
            }
            break;
        case KIND_CURVE:
            static_cast<qelCurveObject*>(child)->countGOCAOrders(samplingFactor, &orders, &bytes);
            break;
        default:
            break;
        }
    }
    int32_t colorBytes = 0;
    int32_t widthBytes = 4;
    if (ini && qelString::compare(ini->getAFPComplianceLevel(), "modcais2", true, 0)) {
        colorBytes = 4;
        widthBytes = 2;
    } else {
        switch (getColorSpace()) {
        case COLOR_RGB: colorBytes = 15; break;
        case COLOR_CMYK:
        case COLOR_HIGHLIGHT:
        case COLOR_CIELAB: colorBytes = 16; break;
        default: colorBytes = 0; break;
        }
    }
    if (m_lineWidth == 0.0f) {
        orders += 3;
        bytes += colorBytes + 4;
    } else {
        orders += 4;
        bytes += widthBytes + colorBytes + 4;
    }
    m_orderCount = orders + 2 * ((bytes + 16 + kBlockSize - 1) / kBlockSize);
    return m_orderCount;
}

bool qelAreaObject::hasToBeRasterized(int32_t ordersBefore)
{
    qelIni* ini = options();
    const int32_t limit = ini ? ini->getMaxVectorObjects() : -1;
    if (limit == 0)
        return true;
    if (limit != -1)
        return static_cast<int64_t>(countGOCAOrders()) + ordersBefore > limit;
    const int count = m_children ? m_children->getCount() : 0;
    if (count == 0)
        return true;
    if (m_subpathCount == 1 && !m_allRectangles && count <= 3)
        return !m_allHorizontal && !m_allVertical;
    if (m_subpathCount == 1 && m_allRectangles)
        return false;
    return !m_allThinRectangles && m_paintType == PAINT_NON_ZERO && !m_allRectangles;
}

int32_t qelAreaObject::getUniqueColorsCount(int32_t limit)
{
    if (limit == 0)
        return 0;
    if (limit == -1)
        limit = 0xFFFFFF;
    else if (limit < 0)
        return -1;
    std::unordered_set<uint32_t> colors;
    colors.insert(getColor());
    for (qelListNode* n = m_children ? m_children->getHead() : nullptr; n; n = n->next) {
        if (static_cast<int32_t>(colors.size()) >= limit)
            break;
        auto* child = static_cast<qelGraphicObject*>(n->item);
        if (!child || child->kind() == KIND_BEGIN_CONTROL || child->kind() == KIND_END_CONTROL)
            continue;
        colors.insert(child->getColor());
    }
    return static_cast<int32_t>(colors.size());
}
