#ifndef QEL_METRICS_H
#define QEL_METRICS_H

// Root of the metrics classes.
class qelMetrics
{
public:
    virtual ~qelMetrics() = default;
};

#endif
