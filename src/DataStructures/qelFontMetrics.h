#ifndef QEL_FONT_METRICS_H
#define QEL_FONT_METRICS_H

class qelAFPCharMetrics;

// Metrics of one font. Minimal form: the metrics model fills in the rest.
class qelFontMetrics
{
public:
    virtual ~qelFontMetrics() = default;
    // Character metrics of a GCGID or character name, or null.
    virtual qelAFPCharMetrics* findCharMetrics(const char* glyphName) = 0;
};

#endif
