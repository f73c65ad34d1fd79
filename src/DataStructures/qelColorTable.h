#ifndef QEL_COLOR_TABLE_H
#define QEL_COLOR_TABLE_H

class qelColorEntry;
class qelIni;

// The 18 named slots of the AFP colour table. Each slot points at an entry
// of the options object's colour list (not owned) or is empty.
class qelColorTable
{
public:
    enum {
        SLOT_DEFAULT = 0, SLOT_BLUE, SLOT_RED, SLOT_MAGENTA, SLOT_GREEN, SLOT_CYAN, SLOT_YELLOW,
        SLOT_WHITE, SLOT_BLACK, SLOT_DARK_BLUE, SLOT_ORANGE, SLOT_PURPLE, SLOT_DARK_GREEN,
        SLOT_DARK_CYAN, SLOT_MUSTARD, SLOT_GRAY, SLOT_BROWN, SLOT_MEDIUM, SLOT_COUNT
    };

    qelColorTable() = default;

    // Slot of a colour name (ignoring case), -1 for other names.
    static int slotOf(const char* name);
    // Places the entry in the slot of its name; other names are ignored.
    void place(qelColorEntry* entry);
    // A table over the options object's list; null when the list holds
    // fewer than SLOT_COUNT entries. The caller owns the table.
    static qelColorTable* create(const qelIni& ini);

    qelColorEntry* getSlot(int slot) const;

    // First entry (lowest slot) matching the colour, or null.
    qelColorEntry* findRGB(unsigned char r, unsigned char g, unsigned char b, bool withTolerance) const;
    qelColorEntry* findCMYK(unsigned char c, unsigned char m, unsigned char y, unsigned char k,
                            bool withTolerance) const;
    // The Gray entry for a grey colour (distance not set), else the nearest
    // entry by RGB distance (first of equals), its distance stored.
    qelColorEntry* findNearestColor(unsigned char r, unsigned char g, unsigned char b, double* distance) const;
    qelColorEntry* findNearestCMYK(unsigned char c, unsigned char m, unsigned char y, unsigned char k,
                                   double* distance) const;

private:
    qelColorEntry* m_slots[SLOT_COUNT] = {};
};

#endif
