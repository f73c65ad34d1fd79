#include "qelColorTable.h"

#include "qelColorEntry.h"
#include "qelIni.h"
#include "qelUtils.h"

#include <cmath>
#include <strings.h>

namespace
{
const char* const kSlotNames[qelColorTable::SLOT_COUNT] = {
    "Default", "Blue",   "Red",    "Magenta",   "Green",    "Cyan",    "Yellow", "White", "Black",
    "DarkBlue", "Orange", "Purple", "DarkGreen", "DarkCyan", "Mustard", "Gray",   "Brown", "Medium",
};

bool inRange(int v, int low, int high)
{
    return v >= low && v <= high;
}
}

int qelColorTable::slotOf(const char* name)
{
    if (!name)
        return -1;
    for (int i = 0; i < SLOT_COUNT; ++i) {
        if (strcasecmp(kSlotNames[i], name) == 0)
            return i;
    }
    return -1;
}

void qelColorTable::place(qelColorEntry* entry)
{
    if (!entry)
        return;
    int slot = slotOf(entry->getName());
    if (slot >= 0)
        m_slots[slot] = entry;
}

qelColorTable* qelColorTable::create(const qelIni& ini)
{
    int count = ini.getColorTableEntryCount();
    if (count < SLOT_COUNT)
        return nullptr;
    qelColorTable* table = new qelColorTable;
    for (int i = 0; i < count; ++i)
        table->place(ini.getColorTableEntry(i));
    return table;
}

qelColorEntry* qelColorTable::getSlot(int slot) const
{
    return (slot >= 0 && slot < SLOT_COUNT) ? m_slots[slot] : nullptr;
}

qelColorEntry* qelColorTable::findRGB(unsigned char r, unsigned char g, unsigned char b, bool withTolerance) const
{
    for (qelColorEntry* entry : m_slots) {
        if (entry && entry->matchesRGB(r, g, b, withTolerance))
            return entry;
    }
    return nullptr;
}

qelColorEntry* qelColorTable::findCMYK(unsigned char c, unsigned char m, unsigned char y, unsigned char k,
                                       bool withTolerance) const
{
    for (qelColorEntry* entry : m_slots) {
        if (entry && entry->matchesCMYK(c, m, y, k, withTolerance))
            return entry;
    }
    return nullptr;
}

qelColorEntry* qelColorTable::findNearestColor(unsigned char r, unsigned char g, unsigned char b,
                                               double* distance) const
{
    if (qelColorEntry* gray = m_slots[SLOT_GRAY]) {
        // Near-neutral colours inside the grey bounds count as grey. The
        // band around R is kept within 0..255 rather than wrapping.
        int t = static_cast<int>(gray->getTolerance() > 255 ? 255 : gray->getTolerance());
        if (inRange(r, gray->getGrayLower(), gray->getGrayUpper())
            && ((r == g && g == b) || (inRange(g, r - t, r + t) && inRange(b, r - t, r + t))))
            return gray;
    }
    qelColorEntry* best = nullptr;
    double bestDistance = 1.7e308;
    for (qelColorEntry* entry : m_slots) {
        if (!entry)
            continue;
        double dr = static_cast<double>(r) - entry->getRed();
        double dg = static_cast<double>(g) - entry->getGreen();
        double db = static_cast<double>(b) - entry->getBlue();
        double d = std::sqrt(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = entry;
        }
    }
    if (best && distance)
        *distance = bestDistance;
    return best;
}

qelColorEntry* qelColorTable::findNearestCMYK(unsigned char c, unsigned char m, unsigned char y, unsigned char k,
                                              double* distance) const
{
    unsigned char r, g, b;
    qelUtils::cmykToRGB(c, m, y, k, &r, &g, &b);
    return findNearestColor(r, g, b, distance);
}
