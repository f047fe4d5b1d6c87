#pragma once

#include <QByteArray>

// The PNG decoder's messages, one per fault it reports.
namespace PngMessage {
inline constexpr const char *InvalidHeader =
    "The file being readed is not a valid \"Portable Network Graphics\" image because it "
    "contains an invalid header. This file may be corruped, try obtaining it again.";
inline constexpr const char *IhdrNotFirst =
    "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
    "(IHDR chunk is not the first)";
inline constexpr const char *UnexpectedEnd =
    "This \"Portable Network Graphics\" image is invalid because the decoder found an "
    "unexpected end of the file.";
inline constexpr const char *UnknownCritical =
    "This \"Portable Network Graphics\" image contains an unknown critical part which could "
    "not be decoded.";
inline constexpr const char *NoImageData =
    "This \"Portable Network Graphics\" image contains no data.";
inline constexpr const char *CrcError =
    "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces "
    "of data (crc error)";
inline constexpr const char *IhdrCorrupted =
    "The \"Portable Network Graphics\" image could not be loaded because one of its main "
    "piece of data (ihdr) might be corrupted";
inline constexpr const char *SizeExceeded =
    "This \"Portable Network Graphics\" image is not supported because either it's width or "
    "height exceeds the maximum size, which is 65535 pixels length.";
inline constexpr const char *UnknownCompression =
    "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme "
    "which could not be decoded.";
inline constexpr const char *UnknownInterlace =
    "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not "
    "be decoded.";
inline constexpr const char *MissingParts =
    "This \"Portable Network Graphics\" image is invalid because it has missing image parts.";
// Followed by the decompressor's own message.
inline constexpr const char *InvalidCompressedData =
    "Could not decompress the image because it contains invalid compressed data.\r\n"
    " Description: ";
inline constexpr const char *InvalidPalette =
    "The \"Portable Network Graphics\" image contains an invalid palette.";
} // namespace PngMessage

// The IHDR fields.
struct TPngHeader {
  quint32 Width = 0;
  quint32 Height = 0;
  int BitDepth = 0;
  int ColorType = 0;
  int Interlace = 0;
};

// Walks a PNG file's chunks from the signature to IEND before any decoding, so that each
// structural fault gets its own message instead of whatever libpng happens to trip over:
//
//   signature | IHDR (13 bytes) | ... PLTE ... | IDAT ... IDAT | ... | IEND
//
// Checks the signature, that IHDR comes first and is whole and valid, every chunk's CRC,
// that no unknown critical chunk appears, that a palette picture has a sound PLTE before
// its image data, that there is image data, and that the file reaches IEND. Bytes after
// IEND are ignored. Throws the matching PngMessage; returns the header.
TPngHeader CheckPngChunks(const QByteArray &Data);
