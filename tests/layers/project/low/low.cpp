#ifdef INCLUDE_UP
#include "high/high.h"
#endif
int Low() {
    return 1;
}
