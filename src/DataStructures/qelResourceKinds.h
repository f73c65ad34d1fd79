#ifndef QEL_RESOURCE_KINDS_H
#define QEL_RESOURCE_KINDS_H

// The resource classes the global resource list creates placeholders of.
#include "qelFORMDEF.h"
#include "qelMediumMap.h"
#include "qelResGOCA.h"
#include "qelResObjectContainer.h"
#include "qelResOverlay.h"
#include "qelResPSEG.h"

#endif
