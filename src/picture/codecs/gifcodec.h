#pragma once

#include <QBitArray>
#include <QByteArray>
#include <QImage>
#include <QRect>

// The GIF decoder's messages for the faults that end a load.
namespace GifMessage {
inline constexpr const char *InvalidSignature = "Invalid GIF signature";
inline constexpr const char *PrematureEnd = "Premature end of data";
inline constexpr const char *InvalidData = "Invalid GIF data";
inline constexpr const char *InvalidExtension = "Invalid extension introducer";
inline constexpr const char *CircularEntry = "Circular decoder table entry";
} // namespace GifMessage

// A GIF file's first frame on its logical screen, and what is known about it.
//
// Image is the logical screen as it is drawn:
//   - the first frame declares a transparent colour (a graphic control extension before it):
//     the whole screen holds the background colour, the frame lies over it at its place, its
//     transparent index shown in its palette colour; opaque, Format_RGB32;
//   - it declares none: only the frame's own area is drawn; Format_ARGB32 with alpha 0
//     around it (Format_RGB32 when the frame covers the whole screen).
//
//   +-------------- logical screen ------------+
//   |  background (or undrawn)                 |
//   |        +--- frame (clipped) ---+         |
//   |        | palette colours       |         |
//   |        +-----------------------+         |
//   +------------------------------------------+
struct TGifPicture {
  QImage Image;
  QSize Screen;
  // The first frame as declared, in screen coordinates; it may reach beyond the screen.
  QRect Frame;
  bool DeclaresTransparency = false;
  int TransparentIndex = -1;
  // The global colour table's entry at the background index; white (the window colour)
  // without a global table or when the index lies beyond it.
  QRgb Background = 0xFFFFFFFF;
  // Image descriptors parsed, the first included.
  int FrameCount = 0;
  // Rows of the first frame decoded; fewer than its height when its data ended early.
  int RowsRead = 0;
  // Over the screen, row by row: the pixels that hold the transparent index. Empty unless
  // the frame declares a transparent colour.
  QBitArray TransparentPixels;
};

// giflib (5.x), read record by record from memory. Only the first frame's pixels are kept;
// every later record is parsed and its image data skipped unread.
//
// Rules beyond the file format's own:
//   - a pixel index beyond its colour table (or any index when the file has no colour table
//     at all) shows black; a transparent index beyond it still counts as declared;
//   - a frame reaching beyond the logical screen is clipped to it;
//   - a logical screen with a side of 0, or a file without any frame, is "Invalid GIF data";
//   - an extension whose label is none of plain text, graphic control, comment or
//     application is "Invalid extension introducer";
//   - the file ending inside a header, descriptor or extension is "Premature end of data";
//   - a broken LZW code table in the first frame is "Circular decoder table entry";
//   - passed over, keeping what was read: image data ending early (the rows decoded are
//     kept, the others stay background or undrawn), an unknown block type or a missing or
//     damaged trailer (reading stops there);
//   - a first frame of more than 1 GiB of pixels is refused as "Picture too large", as is a
//     logical screen of that size.
TGifPicture DecodeGif(const QByteArray &Data);

// The working bitmap for turns and mirrors: the logical screen with the first frame at its
// place. Pixels of the frame's transparent colour, and when the frame declares one the
// screen around it, take the background colour; a frame that declares none and does not
// cover the screen leaves the rest white. Opaque, Format_RGB32.
QImage GifBitmapImage(const QImage &Drawn, const TGifPicture &Info);
