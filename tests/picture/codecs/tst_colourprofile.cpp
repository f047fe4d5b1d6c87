// Converting tagged pixels to sRGB. The expected colours come from what each profile means,
// not from lcms2: the channel-turning profile moves each channel to another, and a grey
// profile of gamma 1 holds linear light, which sRGB's own formula encodes.
#include "picture/codecs/colourprofile.h"
#include "support/iccprofiles.h"

#include <QTest>

#include <cmath>
#include <functional>

#include <lcms2.h>

namespace {

using TExpectation = std::function<QRgb(QRgb)>;

QRgb Turned(QRgb P) { return qRgba(qBlue(P), qRed(P), qGreen(P), qAlpha(P)); }

int SRGBEncode(double Linear) {
  const double V = Linear <= 0.0031308 ? 12.92 * Linear : 1.055 * std::pow(Linear, 1 / 2.4) - 0.055;
  return int(std::lround(255 * V));
}

QRgb LinearGrey(QRgb P) {
  const int V = SRGBEncode(qRed(P) / 255.0);
  return qRgba(V, V, V, qAlpha(P));
}

QRgb Same(QRgb P) { return P; }

// Every pixel differs from its neighbours, alpha included for ARGB32; grey ones are grey.
QImage Pattern(QSize Size, QImage::Format Format, bool Grey) {
  QImage Image(Size, Format);
  for (int Y = 0; Y < Size.height(); ++Y)
    for (int X = 0; X < Size.width(); ++X) {
      const int R = (X * 37 + Y * 11) % 256, G = (X * 5 + Y * 71) % 256, B = (X * 13 + Y * 3) % 256;
      const int A = Format == QImage::Format_ARGB32 ? (X + 7 * Y) % 256 : 255;
      Image.setPixel(X, Y, Grey ? qRgba(R, R, R, A) : qRgba(R, G, B, A));
    }
  return Image;
}

QByteArray LabProfile() {
  cmsHPROFILE Lab = cmsCreateLab4Profile(nullptr);
  cmsUInt32Number Size = 0;
  cmsSaveProfileToMem(Lab, nullptr, &Size);
  QByteArray Bytes(Size, '\0');
  cmsSaveProfileToMem(Lab, Bytes.data(), &Size);
  cmsCloseProfile(Lab);
  return Bytes;
}

} // namespace

Q_DECLARE_METATYPE(TExpectation)

class TColourProfileTest : public QObject {
  Q_OBJECT
private slots:
  void ConvertToSRGB_data();
  void ConvertToSRGB();
};

void TColourProfileTest::ConvertToSRGB_data() {
  QTest::addColumn<QByteArray>("Profile");
  QTest::addColumn<QImage>("Image");
  QTest::addColumn<TExpectation>("Expected");
  const QByteArray Turning = ChannelTurningProfile();
  const QSize Small(61, 17);
  QTest::addRow("rgb-profile") << Turning << Pattern(Small, QImage::Format_RGB32, false)
                               << TExpectation(Turned);
  QTest::addRow("rgb-profile-alpha-kept")
      << Turning << Pattern(Small, QImage::Format_ARGB32, false) << TExpectation(Turned);
  // Over a million pixels: converted in bands on several threads, every band converted.
  QTest::addRow("rgb-profile-large") << Turning << Pattern(QSize(1201, 1001), QImage::Format_RGB32, false)
                                     << TExpectation(Turned);
  QImage Indexed = Pattern(Small, QImage::Format_RGB32, false).convertToFormat(QImage::Format_Indexed8);
  QTest::addRow("rgb-profile-colour-table") << Turning << Indexed << TExpectation(Turned);
  QTest::addRow("grey-profile") << GreyGammaProfile(1.0)
                                << Pattern(Small, QImage::Format_RGB32, true)
                                << TExpectation(LinearGrey);
  // Left as they are, as viewers show them.
  QTest::addRow("no-profile") << QByteArray() << Pattern(Small, QImage::Format_RGB32, false)
                              << TExpectation(Same);
  QTest::addRow("damaged-profile") << Turning.left(Turning.size() / 2)
                                   << Pattern(Small, QImage::Format_RGB32, false)
                                   << TExpectation(Same);
  QTest::addRow("not-a-profile") << QByteArray(500, 'x') << Pattern(Small, QImage::Format_RGB32, false)
                                 << TExpectation(Same);
  QTest::addRow("profile-of-other-space") << LabProfile()
                                          << Pattern(Small, QImage::Format_RGB32, false)
                                          << TExpectation(Same);
}

void TColourProfileTest::ConvertToSRGB() {
  QFETCH(QByteArray, Profile);
  QFETCH(QImage, Image);
  QFETCH(TExpectation, Expected);
  QImage Converted = Image.copy();
  ::ConvertToSRGB(Converted, Profile);
  QCOMPARE(Converted.format(), Image.format());
  QCOMPARE(Converted.size(), Image.size());
  // lcms2's 8-bit transforms round once more than the formula: one level either way. A
  // picture left as it is stays exact.
  const int Tolerance = Expected.target<QRgb (*)(QRgb)>() && *Expected.target<QRgb (*)(QRgb)>() == &Same ? 0 : 1;
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X) {
      const QRgb Want = Expected(Image.pixel(X, Y)), Got = Converted.pixel(X, Y);
      const bool Close = qAbs(qRed(Got) - qRed(Want)) <= Tolerance &&
                         qAbs(qGreen(Got) - qGreen(Want)) <= Tolerance &&
                         qAbs(qBlue(Got) - qBlue(Want)) <= Tolerance && qAlpha(Got) == qAlpha(Want);
      if (!Close)
        QFAIL(qPrintable(QString("pixel %1,%2: got #%3, expected #%4")
                             .arg(X)
                             .arg(Y)
                             .arg(Got, 8, 16, QChar('0'))
                             .arg(Want, 8, 16, QChar('0'))));
    }
}

QTEST_GUILESS_MAIN(TColourProfileTest)
#include "tst_colourprofile.moc"
