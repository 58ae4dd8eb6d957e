// The preview: loading the selected found file, stepping and playing its frames, the palette
// choice and leaving for search mode.

#include "app/tconvert.h"

void TConvert::Preview() {}

void TConvert::PreviewClose() {}

void TConvert::PaintBoxPaint() {}

void TConvert::FileNext() {}

void TConvert::RxBitBtn8Click() {}

void TConvert::RzBitBtn7Click() {}

void TConvert::RzBitBtn9Click() {}

void TConvert::RzBitBtn8Click() {}

void TConvert::TimerTick() {}

void TConvert::TrackBarChange() {}

void TConvert::CCP() {}

void TConvert::LoadPreviewFile() {}

void TConvert::DrawCurrentFrame() {}

void TConvert::ShowPreviewCaption() {}
