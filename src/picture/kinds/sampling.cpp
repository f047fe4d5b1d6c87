#include "picture/kinds/sampling.h"

#include <cstring>
#include <vector>

QImage SampleNearest(const QImage &Source, QSize DestSize, QRect Part) {
  Part &= QRect(QPoint(0, 0), DestSize);
  if (Source.isNull() || Part.isEmpty())
    return QImage();
  const int Bytes = Source.depth() / 8;
  // Unscaled: a plain copy of the part; the whole picture is shared, not copied.
  if (DestSize == Source.size())
    return Part == Source.rect() ? Source : Source.copy(Part);

  QImage Result(Part.size(), Source.format());
  if (Result.isNull())
    return Result; // out of memory: nothing is drawn
  if (Source.format() == QImage::Format_Indexed8)
    Result.setColorTable(Source.colorTable());

  std::vector<int> Columns(Part.width());
  for (int X = 0; X < Part.width(); ++X)
    Columns[X] = NearestSourceIndex(Part.left() + X, DestSize.width(), Source.width()) * Bytes;

  int LastRow = -1;
  for (int Y = 0; Y < Part.height(); ++Y) {
    const int Row = NearestSourceIndex(Part.top() + Y, DestSize.height(), Source.height());
    uchar *Out = Result.scanLine(Y);
    if (Row == LastRow) {
      // Enlarged pictures repeat rows; copying the row just built is cheaper.
      std::memcpy(Out, Result.constScanLine(Y - 1), size_t(Part.width()) * Bytes);
      continue;
    }
    LastRow = Row;
    const uchar *In = Source.constScanLine(Row);
    switch (Bytes) {
    case 4:
      for (int X = 0; X < Part.width(); ++X)
        std::memcpy(Out + 4 * X, In + Columns[X], 4);
      break;
    case 1:
      for (int X = 0; X < Part.width(); ++X)
        Out[X] = In[Columns[X]];
      break;
    default:
      for (int X = 0; X < Part.width(); ++X)
        std::memcpy(Out + Bytes * X, In + Columns[X], Bytes);
      break;
    }
  }
  return Result;
}
