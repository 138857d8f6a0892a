#pragma once

#include "imagecommands.h"

// What the plan checker finds in an image body (or a whole image, as snapshots and the
// controller keep it) or in a scenario file (".scn"), as JSON. *errors tells whether any finding is
// an error; a file that holds no whole plan fails like any damaged input.
InspectOutput checkPlanFile(const QString &path, bool *errors);
