#include "picture/fitzoom.h"

QSize FitBoxSize(TFitMode Mode, QSize Natural, QSize Frame) {
  switch (Mode) {
  case TFitMode::None:
    return QSize(SaturatedLength(Natural.width()), SaturatedLength(Natural.height()));
  case TFitMode::Stretch:
    break;
  case TFitMode::MaxWidth:
    return QSize(SaturatedLength(Frame.width()),
                 FitAcrossLength(Frame.width(), Natural.width(), Natural.height(), Frame.height()));
  case TFitMode::MaxHeight:
    return QSize(FitAcrossLength(Frame.height(), Natural.height(), Natural.width(), Frame.width()),
                 SaturatedLength(Frame.height()));
  }
  return QSize(SaturatedLength(Frame.width()), SaturatedLength(Frame.height()));
}
