// Batch conversion: the conversion row's Start and Stop.

#include "app/tconvert.h"

void TConvert::BitBtn1Click() {}

void TConvert::BitBtn3Click() {}
