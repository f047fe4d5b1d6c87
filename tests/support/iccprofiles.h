#pragma once

#include <QByteArray>

// ICC profiles made with lcms2 for tests, so that the colours a tagged picture must show are
// known without trusting the code under test.

// An RGB matrix profile whose red, green and blue primaries are sRGB's green, blue and red,
// with sRGB's white and tone curve: a pixel (r, g, b) in it is (b, r, g) in sRGB. Padding
// adds a private tag of that many bytes (a large profile spans several JPEG segments).
QByteArray ChannelTurningProfile(int Padding = 0);

// A grey profile with a pure power tone curve of Gamma and a D65 white.
QByteArray GreyGammaProfile(double Gamma);
