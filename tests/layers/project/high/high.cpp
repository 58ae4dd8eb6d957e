#include "high/high.h"
int High() {
    return 2;
}
