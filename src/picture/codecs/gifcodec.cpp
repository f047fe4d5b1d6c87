#include "picture/codecs/gifcodec.h"
#include "picture/codecs/flatten.h"
#include "picture/codecs/rasterlimits.h"

#include <cstring>
#include <stdexcept>
#include <vector>

#include <gif_lib.h>

namespace {

[[noreturn]] void Fail(const char *Message) { throw std::runtime_error(Message); }

// The file in memory. Short records that a read came up short: giflib gives the same error
// code to a file that ends early and to some malformed fields, and this tells them apart.
struct TGifSource {
  const uchar *Data;
  qsizetype Size;
  qsizetype Pos;
  bool Short;
};

int ReadFromMemory(GifFileType *Gif, GifByteType *Out, int Length) {
  auto *Source = static_cast<TGifSource *>(Gif->UserData);
  const qsizetype Count = qMin<qsizetype>(qMax(Length, 0), Source->Size - Source->Pos);
  if (Count < Length)
    Source->Short = true;
  if (Count > 0)
    std::memcpy(Out, Source->Data + Source->Pos, size_t(Count));
  Source->Pos += Count;
  return int(Count);
}

// An open giflib reader, closed with its owner. giflib reports failures by return codes,
// never by a jump, so plain checks suffice.
class TGifReader {
public:
  explicit TGifReader(const QByteArray &Data)
      : Source{reinterpret_cast<const uchar *>(Data.constData()), Data.size(), 0, false} {
    int Error = 0;
    Gif = DGifOpen(&Source, ReadFromMemory, &Error);
    if (!Gif) {
      if (Error == D_GIF_ERR_NOT_GIF_FILE)
        Fail(GifMessage::InvalidSignature);
      if (Error == D_GIF_ERR_NOT_ENOUGH_MEM)
        Fail("Out of memory");
      Fail(Source.Short ? GifMessage::PrematureEnd : GifMessage::InvalidData);
    }
  }
  ~TGifReader() { DGifCloseFile(Gif, nullptr); }
  TGifReader(const TGifReader &) = delete;
  TGifReader &operator=(const TGifReader &) = delete;

  // A descriptor or extension could not be read.
  [[noreturn]] void FailRead() const {
    if (Gif->Error == D_GIF_ERR_NOT_ENOUGH_MEM)
      Fail("Out of memory");
    Fail(Source.Short ? GifMessage::PrematureEnd : GifMessage::InvalidData);
  }

  TGifSource Source;
  GifFileType *Gif = nullptr;
};

enum class TNext { Continue, Stop };

// Passes over an image's data sub-blocks unread. False when the file ends inside them.
bool SkipImageData(GifFileType *Gif) {
  int CodeSize = 0;
  GifByteType *Block = nullptr;
  if (DGifGetCode(Gif, &CodeSize, &Block) == GIF_ERROR)
    return false;
  while (Block)
    if (DGifGetCodeNext(Gif, &Block) == GIF_ERROR)
      return false;
  return true;
}

// Passes over the sub-blocks left after the end code, up to the zero-length block.
bool SkipRest(GifFileType *Gif) {
  GifByteType *Block = nullptr;
  do
    if (DGifGetCodeNext(Gif, &Block) == GIF_ERROR)
      return false;
  while (Block);
  return true;
}

// Where the sub-block chain starting at Pos ends: the offset of its zero-length block, or
// -1 when the file ends first.
qsizetype FindTerminator(const TGifSource &Source, qsizetype Pos) {
  while (Pos < Source.Size) {
    if (Source.Data[Pos] == 0)
      return Pos;
    Pos += 1 + Source.Data[Pos];
  }
  return -1;
}

// The order in which an interlaced frame's rows arrive: every 8th from 0, every 8th from
// 4, every 4th from 2, every 2nd from 1.
std::vector<int> RowOrder(int Height, bool Interlaced) {
  std::vector<int> Order;
  Order.reserve(size_t(Height));
  if (!Interlaced) {
    for (int Y = 0; Y < Height; ++Y)
      Order.push_back(Y);
    return Order;
  }
  static const int Start[4] = {0, 4, 2, 1}, Step[4] = {8, 8, 4, 2};
  for (int Pass = 0; Pass < 4; ++Pass)
    for (int Y = Start[Pass]; Y < Height; Y += Step[Pass])
      Order.push_back(Y);
  return Order;
}

// 256 colours: the table's, then black for every index beyond it.
std::vector<QRgb> MakePalette(const ColorMapObject *Map) {
  std::vector<QRgb> Palette(256, qRgb(0, 0, 0));
  const int Count = Map ? qBound(0, Map->ColorCount, 256) : 0;
  for (int I = 0; I < Count; ++I)
    Palette[I] = qRgb(Map->Colors[I].Red, Map->Colors[I].Green, Map->Colors[I].Blue);
  return Palette;
}

// The first frame's image data failed. Data that merely ended early is passed over; a
// broken code table ends the load.
TNext FrameDataFailed(TGifReader &Reader, qsizetype Terminator) {
  GifFileType *Gif = Reader.Gif;
  switch (Gif->Error) {
  case D_GIF_ERR_EOF_TOO_SOON:
    // The end code came before the last pixel: the rest of the sub-blocks are passed over.
    return SkipRest(Gif) ? TNext::Continue : TNext::Stop;
  case D_GIF_ERR_IMAGE_DEFECT:
    // giflib says "defect" both for a zero-length block met before the last pixel (the data
    // ended early; the terminator has just been read) and for a code whose table entry does
    // not exist or whose chain of prefixes never ends.
    if (Terminator >= 0 && Reader.Source.Pos == Terminator + 1)
      return TNext::Continue;
    Fail(GifMessage::CircularEntry);
  case D_GIF_ERR_READ_FAILED:
    return TNext::Stop; // the file ends inside the frame
  case D_GIF_ERR_NOT_ENOUGH_MEM:
    Fail("Out of memory");
  default:
    Fail(GifMessage::InvalidData);
  }
}

TNext ReadFirstFrame(TGifReader &Reader, TGifPicture &Picture, int Transparent) {
  GifFileType *Gif = Reader.Gif;
  const GifImageDesc &Desc = Gif->Image;
  const int ScreenWidth = Picture.Screen.width(), ScreenHeight = Picture.Screen.height();
  Picture.Frame = QRect(Desc.Left, Desc.Top, Desc.Width, Desc.Height);
  Picture.DeclaresTransparency = Transparent >= 0;
  Picture.TransparentIndex = Transparent;
  CheckRasterSize(Desc.Width, Desc.Height);
  const std::vector<QRgb> Palette = MakePalette(Desc.ColorMap ? Desc.ColorMap : Gif->SColorMap);

  QImage Image(Picture.Screen,
               Picture.DeclaresTransparency ? QImage::Format_RGB32 : QImage::Format_ARGB32);
  if (Image.isNull())
    Fail("Out of memory");
  Image.fill(Picture.DeclaresTransparency ? Picture.Background : 0u);
  if (Picture.DeclaresTransparency)
    Picture.TransparentPixels = QBitArray(qsizetype(ScreenWidth) * ScreenHeight);

  TNext Next = TNext::Continue;
  if (Desc.Width == 0 || Desc.Height == 0) {
    Next = SkipImageData(Gif) ? TNext::Continue : TNext::Stop;
  } else {
    const qsizetype Terminator = FindTerminator(Reader.Source, Reader.Source.Pos);
    const QRect Visible = Picture.Frame & QRect(QPoint(0, 0), Picture.Screen);
    const std::vector<int> Order = RowOrder(Desc.Height, Desc.Interlace);
    std::vector<GifPixelType> Line(size_t(Desc.Width));
    for (const int Y : Order) {
      if (DGifGetLine(Gif, Line.data(), Desc.Width) == GIF_ERROR) {
        Next = FrameDataFailed(Reader, Terminator);
        break;
      }
      ++Picture.RowsRead;
      const int ScreenY = Desc.Top + Y;
      if (Visible.isEmpty() || ScreenY >= ScreenHeight)
        continue;
      auto *Out = reinterpret_cast<QRgb *>(Image.scanLine(ScreenY));
      for (int X = Visible.left(); X <= Visible.right(); ++X) {
        const int Index = Line[size_t(X - Desc.Left)];
        Out[X] = Palette[size_t(Index)];
        if (Index == Transparent)
          Picture.TransparentPixels.setBit(qsizetype(ScreenY) * ScreenWidth + X);
      }
    }
    // A frame that covers the whole screen with every row leaves nothing undrawn.
    if (!Picture.DeclaresTransparency && Visible == QRect(QPoint(0, 0), Picture.Screen) &&
        Picture.RowsRead == Desc.Height)
      Image.reinterpretAsFormat(QImage::Format_RGB32);
  }
  Picture.Image = std::move(Image);
  return Next;
}

bool KnownExtension(int Code) {
  return Code == PLAINTEXT_EXT_FUNC_CODE || Code == GRAPHICS_EXT_FUNC_CODE ||
         Code == COMMENT_EXT_FUNC_CODE || Code == APPLICATION_EXT_FUNC_CODE;
}

// Reads one extension; a graphic control extension sets the transparent index for the
// next frame (-1: none).
void ReadExtension(TGifReader &Reader, int &Transparent) {
  int Code = 0;
  GifByteType *Block = nullptr;
  if (DGifGetExtension(Reader.Gif, &Code, &Block) == GIF_ERROR)
    Reader.FailRead();
  if (!KnownExtension(Code))
    Fail(GifMessage::InvalidExtension);
  // Block[0] is the block's length: packed fields, delay (2), transparent index.
  if (Code == GRAPHICS_EXT_FUNC_CODE)
    Transparent = Block && Block[0] >= 4 && (Block[1] & 1) ? Block[4] : -1;
  while (Block)
    if (DGifGetExtensionNext(Reader.Gif, &Block) == GIF_ERROR)
      Reader.FailRead();
}

} // namespace

TGifPicture DecodeGif(const QByteArray &Data) {
  if (!Data.startsWith("GIF"))
    Fail(GifMessage::InvalidSignature);
  TGifReader Reader(Data);
  GifFileType *Gif = Reader.Gif;

  TGifPicture Picture;
  Picture.Screen = QSize(Gif->SWidth, Gif->SHeight);
  if (Picture.Screen.isEmpty())
    Fail(GifMessage::InvalidData);
  CheckRasterSize(Gif->SWidth, Gif->SHeight);
  const ColorMapObject *Global = Gif->SColorMap;
  if (Global && Gif->SBackGroundColor >= 0 && Gif->SBackGroundColor < Global->ColorCount) {
    const GifColorType &C = Global->Colors[Gif->SBackGroundColor];
    Picture.Background = qRgb(C.Red, C.Green, C.Blue);
  }

  int Transparent = -1;
  bool OutOfData = false;
  for (bool Reading = true; Reading;) {
    GifRecordType Type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(Gif, &Type) == GIF_ERROR) {
      // No trailer, or an unknown block type: reading stops, what was read is kept.
      OutOfData = Reader.Source.Short;
      break;
    }
    switch (Type) {
    case EXTENSION_RECORD_TYPE:
      ReadExtension(Reader, Transparent);
      break;
    case IMAGE_DESC_RECORD_TYPE: {
      if (DGifGetImageDesc(Gif) == GIF_ERROR)
        Reader.FailRead();
      ++Picture.FrameCount;
      const TNext Next = Picture.FrameCount == 1
                             ? ReadFirstFrame(Reader, Picture, Transparent)
                             : (SkipImageData(Gif) ? TNext::Continue : TNext::Stop);
      Transparent = -1;
      Reading = Next == TNext::Continue;
      break;
    }
    default: // the trailer
      Reading = false;
      break;
    }
  }
  if (Picture.FrameCount == 0)
    Fail(OutOfData ? GifMessage::PrematureEnd : GifMessage::InvalidData);
  return Picture;
}

QImage GifBitmapImage(const QImage &Drawn, const TGifPicture &Info) {
  if (!Info.DeclaresTransparency || Drawn.isNull())
    return FlattenOverWhite(Drawn);
  QImage Bitmap = Drawn.convertToFormat(QImage::Format_RGB32);
  if (Bitmap.isNull())
    Fail("Out of memory");
  const QRect Visible = Info.Frame & Bitmap.rect();
  const int Width = Bitmap.width();
  for (int Y = Visible.top(); Y <= Visible.bottom(); ++Y) {
    auto *Row = reinterpret_cast<QRgb *>(Bitmap.scanLine(Y));
    for (int X = Visible.left(); X <= Visible.right(); ++X)
      if (Info.TransparentPixels.testBit(qsizetype(Y) * Width + X))
        Row[X] = Info.Background;
  }
  return Bitmap;
}
