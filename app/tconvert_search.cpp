// The ILDA file search workflow: starting and stopping a search, its notifications, the Web
// prompt and the way back to convert mode.

#include "app/tconvert.h"

#include "app/search/tlmdspfilerecord.h"

void TConvert::RzBitBtn1Click() {}

void TConvert::RzBitBtn3Click() {}

void TConvert::RzBitBtn4Click() {}

void TConvert::RzBitBtn15Click() {}

void TConvert::lfDirChange(QObject*, const QString&) {}

void TConvert::lfFileChange(QObject*, const QString&) {}

void TConvert::lfFound(QObject*, const TLMDSPFileRecord&) {}

void TConvert::lfFinished(QObject*) {}

void TConvert::lfCancel1(QObject*) {}
