#pragma once

#include <QByteArray>

// An ICC profile (built with lcms2) for RGB colours described by the code points of ITU-T
// H.273, as HEIF and AVIF files give them in an nclx colour box, so that ConvertToSRGB can
// take them to sRGB.
//
// Primaries: BT.709 / sRGB (1), BT.2020 (9), DCI-P3 (11, with its own white point) and
// Display P3 (12). Transfer: sRGB (13), BT.709 and its 10- and 12-bit forms (1, 6, 14, 15,
// taken as sRGB's curve, as viewers show such pictures), gamma 2.2 (4), gamma 2.8 (5) and
// linear (8); "unspecified" (2) counts as sRGB for both.
//
// Empty when the colours are sRGB already (nothing to convert), and when they cannot be
// described this way: other primaries, and the transfers of HDR pictures (PQ, HLG), which
// need tone mapping, not a profile. Such pictures are shown as decoded.
QByteArray IccProfileForCicp(int Primaries, int Transfer);
