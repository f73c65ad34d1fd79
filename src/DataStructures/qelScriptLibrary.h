#ifndef QEL_SCRIPT_LIBRARY_H
#define QEL_SCRIPT_LIBRARY_H

// Process-wide settings of the script packages.
class qelScriptLibrary
{
public:
    enum { UNIT_PIXEL = 1, UNIT_MM = 2, UNIT_INCH = 3 };

    // Unit of positions exchanged with scripts.
    static void setUnit(int unit);
    static int getUnit();
};

#endif
