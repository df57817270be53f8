// Global control constants: records, name tables, accessors, count check and
// character defaults.
#include "modeldata/control_constants.h"

GlorRecord GLOR;
GloiRecord GLOI;
GlocRecord GLOC;
