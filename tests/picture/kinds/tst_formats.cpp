// The format registry and the loading of a picture file by its extension: the entries and
// the open dialog's filter, look-up, and the messages of a failed load.
#include "picture/kinds/bitmap.h"
#include "../codecs/dibfixture.h"
#include "picture/kinds/formats.h"
#include "picture/image.h"
#include "support/whiteframe.h"
#include "support/testdata.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString LoadError(const QString &FileName) {
  try {
    LoadPictureFromFile(FileName);
  } catch (const std::exception &Error) {
    return QString::fromUtf8(Error.what());
  }
  return {};
}

// The system's text for an error as messages give it: without trailing full stops,
// spaces and control characters.
QString Reason(int ErrorCode) {
  QString Text = QString::fromLocal8Bit(std::strerror(ErrorCode));
  while (!Text.isEmpty() && (Text.back() == u'.' || Text.back().unicode() <= 32))
    Text.chop(1);
  return Text;
}

QString CannotOpen(const QString &FullPath, int ErrorCode) {
  return QStringLiteral("Cannot open file \"%1\". %2").arg(FullPath, Reason(ErrorCode));
}

// A kind of the given class name that descends from Base (empty for the picture base).
TPictureKind Kind(const QString &Name, const QString &Base = QStringLiteral("TGraphic")) {
  return TPictureKind{Name, Base, [] { return std::make_unique<TBitmap>(); }};
}

} // namespace

class TestFormats : public QObject {
  Q_OBJECT
private slots:
  void registry_data();
  void registry();
  void filterText();
  void filterTextOfSomeKinds_data();
  void filterTextOfSomeKinds();
  void lookup_data();
  void lookup();
  void unknownExtension_data();
  void unknownExtension();
  void loadsByExtension_data();
  void loadsByExtension();
  void cannotOpen_data();
  void cannotOpen();
  void damagedContent_data();
  void damagedContent();
  void iconInBoxShowsFrameThroughMask();
};

void TestFormats::registry_data() {
  QTest::addColumn<int>("Index");
  QTest::addColumn<QString>("Extension");
  QTest::addColumn<QString>("Description");
  QTest::addColumn<QString>("ClassName");
  // The newer formats and other names of JPEG files come first, so that the dialog, which
  // lists from the last entry, shows them after the eight.
  QTest::addRow("jxl") << 0 << "jxl" << "JPEG XL Image" << "TJPEGXLImage";
  QTest::addRow("avif") << 1 << "avif" << "AVIF Image" << "TAvifImage";
  QTest::addRow("heif") << 2 << "heif" << "HEIF Image" << "THeifImage";
  QTest::addRow("heic") << 3 << "heic" << "HEIC Image" << "THeifImage";
  QTest::addRow("webp") << 4 << "webp" << "WebP Image" << "TWebPImage";
  QTest::addRow("jpe") << 5 << "jpe" << "JPEG Image File" << "TJPEGImage";
  QTest::addRow("jfif") << 6 << "jfif" << "JPEG Image File" << "TJPEGImage";
  QTest::addRow("1") << 7 << "wmf" << "Metafiles" << "TMetafile";
  QTest::addRow("2") << 8 << "emf" << "Enhanced Metafiles" << "TMetafile";
  QTest::addRow("3") << 9 << "ico" << "Icons" << "TIcon";
  QTest::addRow("4") << 10 << "bmp" << "Bitmaps" << "TBitmap";
  QTest::addRow("5") << 11 << "jpeg" << "JPEG Image File" << "TJPEGImage";
  QTest::addRow("6") << 12 << "jpg" << "JPEG Image File" << "TJPEGImage";
  QTest::addRow("7") << 13 << "png" << "Portable Network Graphics" << "TPngImage";
  QTest::addRow("8") << 14 << "gif" << "GIF Image" << "TGIFImage";
}

// The entries in registration order, the eight described ones last and in their order,
// each making pictures of its kind.
void TestFormats::registry() {
  QFETCH(int, Index);
  QFETCH(QString, Extension);
  QFETCH(QString, Description);
  QFETCH(QString, ClassName);
  const QList<TFileFormat> &Formats = TFileFormatsList::Instance().Formats();
  QCOMPARE(Formats.size(), 15);
  const TFileFormat &Format = Formats[Index];
  QCOMPARE(Format.Extension, Extension);
  QCOMPARE(Format.Description, Description);
  QCOMPARE(Format.Kind.ClassName, ClassName);
  QCOMPARE(QString::fromLatin1(Format.Kind.Create()->ClassName()), ClassName);
}

// The eight described lines first, in their order; the newer ones after them.
void TestFormats::filterText() {
  QCOMPARE(TFileFormatsList::Instance().MakeFilterText(PictureBaseKind()),
           QStringLiteral("All (*.gif;*.png;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.jfif;*.jpe;"
                          "*.webp;*.heic;*.heif;*.avif;*.jxl)|"
                          "*.gif;*.png;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.jfif;*.jpe;"
                          "*.webp;*.heic;*.heif;*.avif;*.jxl|"
                          "GIF Image (*.gif)|*.gif|"
                          "Portable Network Graphics (*.png)|*.png|"
                          "JPEG Image File (*.jpg)|*.jpg|"
                          "JPEG Image File (*.jpeg)|*.jpeg|"
                          "Bitmaps (*.bmp)|*.bmp|"
                          "Icons (*.ico)|*.ico|"
                          "Enhanced Metafiles (*.emf)|*.emf|"
                          "Metafiles (*.wmf)|*.wmf|"
                          "JPEG Image File (*.jfif)|*.jfif|"
                          "JPEG Image File (*.jpe)|*.jpe|"
                          "WebP Image (*.webp)|*.webp|"
                          "HEIC Image (*.heic)|*.heic|"
                          "HEIF Image (*.heif)|*.heif|"
                          "AVIF Image (*.avif)|*.avif|"
                          "JPEG XL Image (*.jxl)|*.jxl"));
}

void TestFormats::filterTextOfSomeKinds_data() {
  QTest::addColumn<QString>("Base");
  QTest::addColumn<QString>("Filter");
  QTest::addRow("every kind") << "TGraphic"
                              << "All (*.ccc;*.bbb;*.aaa)|*.ccc;*.bbb;*.aaa|"
                                 "Cee (*.ccc)|*.ccc|Bee (*.bbb)|*.bbb|Ay (*.aaa)|*.aaa";
  QTest::addRow("a kind and its descendants") << "TA"
                                              << "All (*.ccc;*.aaa)|*.ccc;*.aaa|"
                                                 "Cee (*.ccc)|*.ccc|Ay (*.aaa)|*.aaa";
  QTest::addRow("one entry: no All line") << "TB"
                                          << "Bee (*.bbb)|*.bbb";
  QTest::addRow("no entry") << "TNone"
                            << "";
}

// On a list of its own: entries of other kinds and entries without extension are left out.
void TestFormats::filterTextOfSomeKinds() {
  QFETCH(QString, Base);
  QFETCH(QString, Filter);
  TFileFormatsList List;
  List.RegisterPictureFormat("AAA", "Ay", Kind("TA"));
  List.RegisterPictureFormat("", "Nothing", Kind("TA"));
  List.RegisterPictureFormat("bbb", "Bee", Kind("TB"));
  List.RegisterPictureFormat("ccc", "Cee", Kind("TC", "TA"));
  const TPictureKind BaseKind =
      Base == "TGraphic" ? PictureBaseKind() : Kind(Base, QStringLiteral("TGraphic"));
  QCOMPARE(List.MakeFilterText(BaseKind), Filter);
}

void TestFormats::lookup_data() {
  QTest::addColumn<QString>("Extension");
  QTest::addColumn<QString>("ClassName"); // empty: no entry
  QTest::addRow("lower case") << "abc"
                              << "TLater";
  QTest::addRow("upper case") << "ABC"
                              << "TLater";
  QTest::addRow("mixed case") << "aBc"
                              << "TLater";
  QTest::addRow("registered in upper case") << "xyz"
                                            << "TOther";
  QTest::addRow("not registered") << "tif"
                                  << "";
  QTest::addRow("empty") << ""
                         << "";
  QTest::addRow("longer") << "abcd"
                          << "";
}

// Case-insensitive, from the last entry: a later registration hides an earlier one.
void TestFormats::lookup() {
  QFETCH(QString, Extension);
  QFETCH(QString, ClassName);
  TFileFormatsList List;
  List.RegisterPictureFormat("abc", "Earlier", Kind("TEarlier"));
  List.RegisterPictureFormat("XYZ", "Other", Kind("TOther"));
  List.RegisterPictureFormat("ABC", "Later", Kind("TLater"));
  QCOMPARE(List.Formats()[1].Extension, QStringLiteral("xyz"));
  const TPictureKind *Found = List.LookupFormat(Extension);
  QCOMPARE(Found ? Found->ClassName : QString(), ClassName);
}

void TestFormats::unknownExtension_data() {
  QTest::addColumn<QString>("FileName");
  QTest::addColumn<QString>("Message");
  QTest::addRow("scan.tif") << "scan.tif"
                            << "Unknown picture file extension (.tif)";
  QTest::addRow("as written") << "SCAN.Tif"
                              << "Unknown picture file extension (.Tif)";
  QTest::addRow("README") << "README"
                          << "Unknown picture file extension (.)";
  QTest::addRow("folder with a dot") << "my.pictures/photo"
                                     << "Unknown picture file extension (.)";
  QTest::addRow("ending in a dot") << "photo."
                                   << "Unknown picture file extension (.)";
}

// Refused by the extension alone: the file need not exist.
void TestFormats::unknownExtension() {
  QFETCH(QString, FileName);
  QFETCH(QString, Message);
  QCOMPARE(LoadError(FileName), Message);
}

void TestFormats::loadsByExtension_data() {
  QTest::addColumn<QString>("Source");
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QString>("ClassName");
  QTest::addColumn<QSize>("Size");
  const QString Jpeg = QStringLiteral("jpeg/libjpeg-turbo/testorig.jpg");
  QTest::addRow("HOLIDAY.JPG") << Jpeg << "HOLIDAY.JPG"
                               << "TJPEGImage" << QSize(227, 149);
  QTest::addRow("holiday.Jpeg") << Jpeg << "holiday.Jpeg"
                                << "TJPEGImage" << QSize(227, 149);
  QTest::addRow("bitmap") << "bmpsuite/g/pal8.bmp"
                          << "p.BMP"
                          << "TBitmap" << QSize(127, 64);
  QTest::addRow("icon") << "ico/image-rs/good/smile.ico"
                        << "s.Ico"
                        << "TIcon" << QSize(32, 32);
  QTest::addRow("PNG") << "pngsuite/basn2c08.png"
                       << "b.png"
                       << "TPngImage" << QSize(32, 32);
  QTest::addRow("GIF") << "gif/giflib/treescap.gif"
                       << "t.GIF"
                       << "TGIFImage" << QSize(40, 40);
  QTest::addRow("metafile") << "metafile/pillow/drawing.wmf"
                            << "d.wmf"
                            << "TMetafile" << QSize();
  QTest::addRow("enhanced metafile") << "metafile/pillow/drawing.emf"
                                     << "d.EMF"
                                     << "TMetafile" << QSize();
  // The extension decides, not the content.
  QTest::addRow("a bitmap named .ico") << "bmpsuite/g/pal8.bmp"
                                       << "p.ico"
                                       << "" << QSize();
}

void TestFormats::loadsByExtension() {
  QFETCH(QString, Source);
  QFETCH(QString, Name);
  QFETCH(QString, ClassName);
  QFETCH(QSize, Size);
  QTemporaryDir Dir;
  const QString File = Dir.filePath(Name);
  QVERIFY(QFile::copy(TestData(Source), File));
  if (ClassName.isEmpty()) {
    QCOMPARE(LoadError(File), QStringLiteral("Icon image is not valid"));
    return;
  }
  const std::unique_ptr<TPicture> Picture = LoadPictureFromFile(File);
  QCOMPARE(QString::fromLatin1(Picture->ClassName()), ClassName);
  if (Size.isValid())
    QCOMPARE(QSize(Picture->Width(), Picture->Height()), Size);
}

void TestFormats::cannotOpen_data() {
  QTest::addColumn<QString>("Name"); // within a fresh folder
  QTest::addColumn<bool>("Relative");
  QTest::addColumn<int>("ErrorCode");
  QTest::addRow("missing") << "missing.bmp" << false << ENOENT;
  QTest::addRow("missing, relative name") << "missing.png" << true << ENOENT;
  QTest::addRow("missing folder") << "nowhere/missing.gif" << false << ENOENT;
  QTest::addRow("a directory") << "folder.jpg" << false << EISDIR;
  QTest::addRow("a directory, relative name") << "folder.jpg" << true << EISDIR;
  if (geteuid() != 0) // the superuser may read anything
    QTest::addRow("no access") << "locked.bmp" << false << EACCES;
}

// The message names the file by its full path and gives the system's reason.
void TestFormats::cannotOpen() {
  QFETCH(QString, Name);
  QFETCH(bool, Relative);
  QFETCH(int, ErrorCode);
  QTemporaryDir Dir;
  QVERIFY(QDir(Dir.path()).mkdir("folder.jpg"));
  QFile Locked(Dir.filePath("locked.bmp"));
  QVERIFY(Locked.open(QIODevice::WriteOnly) && Locked.write("BM") == 2);
  Locked.close();
  QVERIFY(::chmod(QFile::encodeName(Locked.fileName()).constData(), 0) == 0);
  const QString Previous = QDir::currentPath();
  QVERIFY(QDir::setCurrent(Dir.path()));
  const QString Message = LoadError(Relative ? Name : Dir.filePath(Name));
  QDir::setCurrent(Previous);
  QCOMPARE(Message, CannotOpen(QDir(Dir.path()).absoluteFilePath(Name), ErrorCode));
}

void TestFormats::damagedContent_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QByteArray>("Content");
  QTest::addColumn<QString>("Message");
  QTest::addRow("bitmap") << "x.bmp" << QByteArray("BM not really") << "Bitmap image is not valid";
  QTest::addRow("empty bitmap") << "x.bmp" << QByteArray() << "Bitmap image is not valid";
  QTest::addRow("icon") << "x.ico" << QByteArray("\0\0\1\0", 4) << "Icon image is not valid";
  QTest::addRow("bitmap too large")
      << "x.bmp"
      << DibFixture::BmpFile(DibFixture::InfoHeader({100000, 1, 1, 24, 0, 0, 0, 40, {}}),
                             QByteArray(16, '\0'))
      << "Picture too large (100000 x 1 pixels)";
}

// A file that opens but does not decode gives its kind's message, not the open message.
void TestFormats::damagedContent() {
  QFETCH(QString, Name);
  QFETCH(QByteArray, Content);
  QFETCH(QString, Message);
  QTemporaryDir Dir;
  QFile File(Dir.filePath(Name));
  QVERIFY(File.open(QIODevice::WriteOnly));
  File.write(Content);
  File.close();
  QCOMPARE(LoadError(File.fileName()), Message);
}

// An icon opened into the box in the white frame: its transparent parts show the frame.
void TestFormats::iconInBoxShowsFrameThroughMask() {
  using namespace DibFixture;
  // A 2 x 1 icon, 24 bits: red under mask 0, black under mask 1.
  TInfoHeader H;
  H.Width = 2, H.Height = 2;
  const QByteArray Entry = InfoHeader(H) + Rows({{0xFF0000, 0}}, 24) + Rows({{0, 1}}, 1);
  QByteArray Icon = QByteArray::fromHex("000001000100"
                                        "0201000001001800");
  Put32(Icon, quint32(Entry.size()));
  Put32(Icon, 22);
  Icon += Entry;
  QTemporaryDir Dir;
  QFile File(Dir.filePath("two.ico"));
  QVERIFY(File.open(QIODevice::WriteOnly) && File.write(Icon) == Icon.size());
  File.close();

  QWidget Frame;
  Frame.resize(480, 272);
  TImage Image(&Frame);
  Image.SetBounds(10, 20, 4, 2);
  Image.SetStretch(true);
  Image.SetPicture(LoadPictureFromFile(File.fileName()));
  const QImage Shot = RenderFrame(Frame, QWidget::DrawChildren);
  for (int Y = 20; Y < 22; ++Y) {
    for (int X = 10; X < 12; ++X)
      QCOMPARE(Shot.pixel(X, Y), qRgb(255, 0, 0));
    for (int X = 12; X < 14; ++X)
      QCOMPARE(Shot.pixel(X, Y), qRgb(255, 255, 255));
  }
  QCOMPARE(Shot.pixel(14, 20), qRgb(255, 255, 255));
}

QTEST_MAIN(TestFormats)
#include "tst_formats.moc"
