// Saving found files into the ILDA directory or into directories the user picks.

#include "app/tconvert.h"

void TConvert::RzBitBtn2Click() {}

void TConvert::SaveToIldaDirectory() {}

void TConvert::SaveToChosenDirectories() {}
