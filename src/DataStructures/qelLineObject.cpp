#include "qelLineObject.h"

#include "qelGlobalDSPool.h"
#include "qelIni.h"
#include "qelLogStream.h"
#include "qelMessageOutput.h"
#include "qelPageCoordinateTransformer.h"
#include "qelPoolAccess.h"
#include "qelVisitor.h"

#include <algorithm>
#include <cmath>

namespace
{
using qelPoolAccess::options;
using qelPoolAccess::logStream;

const char* yesNo(bool on)
{
    return on ? "Y" : "N";
}

double d(float v)
{
    return static_cast<double>(v);
}
}

qelLineObject::qelLineObject()
{
    setColorValue(0);
}

qelLineObject::qelLineObject(int32_t lineType, float lineWidth, uint32_t colorValue, int32_t mix,
                             int32_t backgroundMix)
    : m_lineType(lineType), m_lineWidth(lineWidth), m_width(lineWidth)
{
    setColorValue(colorValue);
    setForegroundMix(mix);
    setBackgroundMix(backgroundMix);
}

qelLineObject::qelLineObject(qelPoint start, qelPoint end, int32_t lineType, float lineWidth, uint32_t colorValue,
                             int32_t mix, int32_t backgroundMix)
    : qelLineObject(lineType, lineWidth, colorValue, mix, backgroundMix)
{
    setPosition(start);
    m_endPoint = end;
}

qelLineObject::qelLineObject(qelPoint position, float width, float length)
    : m_width(width), m_length(length), m_horizontal(1)
{
    setColorValue(0);
    setPosition(position);
}

qelLineObject::~qelLineObject()
{
    delete[] m_dashArray;
}

void qelLineObject::writeTraced(qelVisitor* visitor)
{
    qelIni* ini = options();
    const bool trace = ini && ini->isDevTestLevel(0x1);
    if (trace)
        qelMessageOutput::write("[LineObject]: (Begin): write\n");
    if (visitor)
        visitor->writeLineObject(this);
    if (trace)
        qelMessageOutput::write("[LineObject]: (End): write\n");
}

void qelLineObject::write(qelVisitor* visitor)
{
    writeTraced(visitor);
}

void qelLineObject::fixAbsPosition()
{
    if (m_keepPosition)
        return;
    qelGlobalDSPool* pool = qelGlobalDSPool::getInstance();
    transformToPage(pool ? pool->getPageCoordinateTransformer() : nullptr);
}

void qelLineObject::computeBoundingBox()
{
    if (hasBoundingBox())
        return;
    const float x = getX();
    const float y = getY();
    const float x2 = m_horizontal ? x + m_length : x + m_width;
    const float y2 = m_horizontal ? y + m_width : y + m_length;
    const qelPoint topLeft{std::min(x, x2), std::min(y, y2)};
    const qelPoint bottomRight{std::max(x, x2), std::max(y, y2)};
    setBoundingBox(topLeft, bottomRight);
    qelLogStream* log = logStream();
    if (log && log->isExactly(QEL_LOG_ALL))
        log->print("\n\t@(%.2f,%.2f)>%sLine< Width=%.2f, Length=%.2f, TL=(%.2f,%.2f), BR=(%.2f,%.2f), RF=%s", d(x),
                   d(y), m_horizontal ? "H" : "V", d(m_width), d(m_length), d(topLeft.x), d(topLeft.y),
                   d(bottomRight.x), d(bottomRight.y), yesNo(getRasterize()));
}

int qelLineObject::getDashPattern(int patternIndex, float* pattern)
{
    static const struct {
        int count;
        float values[6];
    } kPatterns[] = {
        {2, {0, 2}}, {2, {3, 3}}, {4, {6, 4, 0, 4}}, {4, {0, 3, 0, 7}}, {2, {8, 3}}, {6, {6, 3, 0, 3, 0, 3}},
    };
    if (patternIndex < 0 || patternIndex > 5 || !pattern)
        return 0;
    const auto& p = kPatterns[patternIndex];
    std::copy(p.values, p.values + p.count, pattern);
    return p.count;
}

void qelLineObject::setDashArray(const double* values, int32_t count)
{
    delete[] m_dashArray;
    m_dashArray = nullptr;
    m_dashCount = 0;
    if (!values || count <= 0)
        return;
    m_dashArray = new float[static_cast<size_t>(count)];
    for (int32_t i = 0; i < count; ++i)
        m_dashArray[i] = static_cast<float>(values[i]);
    m_dashCount = count;
}

int64_t qelLineObject::countDashElements() const
{
    // A pattern with a negative or non-finite value, or without any length,
    // would never reach the end of the line.
    double sum = 0.0;
    for (int32_t i = 0; i < m_dashCount; ++i) {
        const double v = m_dashArray[i];
        if (!std::isfinite(v) || v < 0.0)
            return -1;
        sum += v;
    }
    if (!(sum > 0.0))
        return -1;

    const qelPoint start = getPosition();
    const float dx = m_endPoint.x - start.x;
    const float dy = m_endPoint.y - start.y;
    double length;
    if (dy == 0.0f)
        length = std::fabs(dx);
    else if (dx == 0.0f)
        length = std::fabs(dy);
    else
        length = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
    if (length / sum * m_dashCount > MAX_DASH_ELEMENTS)
        return -1;

    // First element: the rest of the value in which the phase ends. Whole
    // pattern cycles of the phase change nothing.
    const double phase = m_dashPhase > 0 ? std::fmod(static_cast<double>(m_dashPhase), sum) : 0.0;
    double running = 0.0;
    int32_t index = 0;
    while (running + m_dashArray[index] <= phase) {
        running += m_dashArray[index];
        index = (index + 1) % m_dashCount;
    }
    double laid = running + m_dashArray[index] - phase;
    int64_t elements = 1;
    qelIni* ini = options();
    qelLogStream* log = ini && ini->isDevTest() ? logStream() : nullptr;
    while (laid < length) {
        index = (index + 1) % m_dashCount;
        laid += m_dashArray[index];
        if (++elements > MAX_DASH_ELEMENTS)
            return -1;
        if (log)
            log->print("\n\t\tDashArrayIndex=%d, DashLen=%0.2f, LastPoint=%s", index, d(m_dashArray[index]),
                       laid >= length ? "Y" : "N");
    }
    return elements;
}

void qelLineObject::countGOCAOrders(int32_t* orders, int32_t* bytes)
{
    const int64_t elements = m_dashArray && m_dashCount > 0 ? countDashElements() : -1;
    if (elements < 0) {
        m_orderCount = 1;
        m_byteCount = m_continued ? 6 : 10;
    } else {
        m_orderCount = static_cast<int32_t>(elements * 2);
        m_byteCount = m_continued ? 0 : 12;
    }
    qelIni* ini = options();
    qelLogStream* log = ini && ini->isDevTest() ? logStream() : nullptr;
    if (log) {
        const qelPoint s = getPosition();
        const bool hline = s.y == m_endPoint.y;
        const bool vline = !hline && s.x == m_endPoint.x;
        log->print("\n\t@(%.2f,%.2f)> Hline=%s, Vline=%s, GOCA Order Count:%d  StartPos=(%.2f,%.2f), "
                   "EndPos=(%.2f,%.2f), RF=%s",
                   d(s.x), d(s.y), yesNo(hline), yesNo(vline), m_orderCount, d(s.x), d(s.y), d(m_endPoint.x),
                   d(m_endPoint.y), yesNo(getRasterize()));
    }
    if (orders)
        *orders = m_orderCount;
    if (bytes)
        *bytes = m_byteCount;
}
