// Open Image through the window: the box, the natural size and the open folder after a load;
// what the frame shows; the dialog's filter and starting folder; cancelling; and that a file
// which cannot be loaded leaves the box, its picture and the fields exactly as they were.
#include "app/application.h"
#include "formtesting.h"
#include "picture/image.h"
#include "picture/kinds/formats.h"
#include "picture/kinds/picture.h"
#include "app/picturefolder.h"
#include "support/pixeldifference.h"

#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace {

const QString PngInvalidHeader = QStringLiteral(
    "The file being readed is not a valid \"Portable Network Graphics\" image because it "
    "contains an invalid header. This file may be corruped, try obtaining it again.");
const QString PngCrcError =
    QStringLiteral("This \"Portable Network Graphics\" image is not valid because it contains "
                   "invalid pieces of data (crc error)");
const QString PngNoData =
    QStringLiteral("This \"Portable Network Graphics\" image contains no data.");

// Every pixel tells where it is: red runs with x, green with y, so a picture drawn shifted or
// scaled shows other colours at the same place.
QImage Gradient(int Width, int Height) {
  QImage Image(Width, Height, QImage::Format_RGB32);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X)
      Image.setPixel(X, Y, qRgb(X * 255 / (Width - 1), Y * 255 / (Height - 1), 96));
  return Image;
}

bool WriteImage(const QImage &Image, const QString &FileName, const char *Format,
                int Quality = -1) {
  QImageWriter Writer(FileName, Format);
  Writer.setQuality(Quality);
  return Writer.write(Image);
}

// What Open Image may change, taken before and compared after.
struct TOpenState {
  QRect Bounds;
  const TPicture *Picture = nullptr;
  bool AutoSize = false;
  bool Stretch = false;
  int PictureWidth = 0;
  int PictureHeight = 0;
  QString OpenPath;

  static TOpenState Of(const TZelvaneForm &Form) {
    return TOpenState{Form.Image->BoundsRect(), Form.Image->Picture(), Form.Image->AutoSize(),
                      Form.Image->Stretch(),    Form.FPictureWidth,    Form.FPictureHeight,
                      Form.FOpenPath};
  }
  bool operator==(const TOpenState &) const = default;
};

char *toString(const TOpenState &S) {
  return qstrdup(QStringLiteral("box %1,%2 %3x%4 picture %5 auto-size %6 stretch %7 natural "
                                "%8x%9 folder \"%10\"")
                     .arg(S.Bounds.x())
                     .arg(S.Bounds.y())
                     .arg(S.Bounds.width())
                     .arg(S.Bounds.height())
                     .arg(quintptr(S.Picture), 0, 16)
                     .arg(S.AutoSize)
                     .arg(S.Stretch)
                     .arg(S.PictureWidth)
                     .arg(S.PictureHeight)
                     .arg(S.OpenPath)
                     .toUtf8()
                     .constData());
}

} // namespace

class TOpenImageTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void cleanup();
  void OpensAtOwnSizeAtCorner_data();
  void OpensAtOwnSizeAtCorner();
  void LargePictureShowsTopLeftUnscaled();
  void CancelChangesNothing();
  void DialogFilterAndStartingFolder();
  void FailureLeavesEverything_data();
  void FailureLeavesEverything();
  void FailureAtStartKeepsStartState();
  void FailedFileProposedInFull();
  void OpenLeavesNodesShown();
  void OpenKeepsZoomSliderAndItsTag();
  void ExtensionMatchedWithoutCase_data();
  void ExtensionMatchedWithoutCase();

private:
  // Opens FileName through the button; true when no error was reported.
  bool Open(const QString &FileName);
  // Gives the box a place and size of its own: dragged to (40, 30) and zoomed to half.
  void MoveAndZoomBox();
};

void TOpenImageTest::initTestCase() {
  QVERIFY(InstallSeams());
}

void TOpenImageTest::init() {
  ResetSeams();
  QVERIFY(ShowAnsweredForm());
}

void TOpenImageTest::cleanup() {
  FForm.reset();
}

bool TOpenImageTest::Open(const QString &FileName) {
  const qsizetype Reported = FMessages.Shown.size();
  FOpen->Answer = FileName;
  QTest::mouseClick(FForm->OpenSpeedButton, Qt::LeftButton);
  return FMessages.Shown.size() == Reported;
}

void TOpenImageTest::MoveAndZoomBox() {
  TFormMouse Mouse(*FForm, FCursor);
  const QRect Before = FForm->Image->BoundsRect();
  Mouse.Drag(FForm->Panel, Before.topLeft() + QPoint(3, 3), QPoint(43, 33));
  QCOMPARE(FForm->Image->BoundsRect().topLeft(), QPoint(40, 30));
  FForm->ZoomTrackBar->SetPosition(5);
  QCOMPARE(FForm->Image->Width(), qRound(Before.width() / 2.0));
}

void TOpenImageTest::OpensAtOwnSizeAtCorner_data() {
  QTest::addColumn<QString>("File");
  QTest::addColumn<QString>("Kind");
  QTest::addRow("png") << TestData("pngsuite/basn2c08.png") << "TPngImage";
  QTest::addRow("gif") << TestData("gif/giflib/porsche.gif") << "TGIFImage";
  QTest::addRow("bmp") << TestData("bmpsuite/g/rgb24.bmp") << "TBitmap";
  QTest::addRow("ico") << TestData("ico/pillow/hopper.ico") << "TIcon";
  QTest::addRow("jpeg") << TestData("jpeg/pillow/flower.jpg") << "TJPEGImage";
}

void TOpenImageTest::OpensAtOwnSizeAtCorner() {
  QFETCH(QString, File);
  QFETCH(QString, Kind);
  // The picture's own size, as another decoder reads it.
  const QSize Own = QImageReader(File).size();
  QVERIFY(Own.isValid());
  MoveAndZoomBox();

  QVERIFY2(Open(File), qPrintable(FMessages.Shown.join('\n')));
  QCOMPARE(QString(FForm->Image->Picture()->ClassName()), Kind);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(QPoint(0, 0), Own));
  QVERIFY(FForm->Image->Stretch());
  QVERIFY(!FForm->Image->AutoSize());
  QCOMPARE(QSize(FForm->FPictureWidth, FForm->FPictureHeight), Own);
  QCOMPARE(FForm->FOpenPath, QFileInfo(File).absolutePath() + u'/');
}

void TOpenImageTest::LargePictureShowsTopLeftUnscaled() {
  const QString File = FDir.filePath("large.jpg");
  QVERIFY(WriteImage(Gradient(1024, 768), File, "jpg", 95));
  const QImage Decoded = QImageReader(File).read().convertToFormat(QImage::Format_RGB32);
  QCOMPARE(Decoded.size(), QSize(1024, 768));

  QVERIFY(Open(File));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 1024, 768));
  QCOMPARE(FForm->FPictureWidth, 1024);
  QCOMPARE(FForm->FPictureHeight, 768);

  const QImage Shown = RenderFrame(*FForm->Panel);
  int Worst = 0;
  for (int Y = 0; Y < 272; ++Y)
    for (int X = 0; X < 480; ++X)
      Worst = std::max(Worst, MaxChannelDifference(Shown.pixel(X, Y), Decoded.pixel(X, Y)));
  // Two decodes of one file by the same library; a shifted or scaled picture is off by far
  // more (red alone changes by 1 every 4 columns).
  QVERIFY2(Worst <= 2, qPrintable(QString::number(Worst)));
}

void TOpenImageTest::CancelChangesNothing() {
  QVERIFY(Open(TestData("pngsuite/basn2c08.png")));
  MoveAndZoomBox();
  const TOpenState Before = TOpenState::Of(*FForm);
  const QImage ShownBefore = RenderFrame(*FForm->Panel);

  QVERIFY(Open(QString()));
  QCOMPARE(FOpen->Runs.size(), 2);
  QCOMPARE(TOpenState::Of(*FForm), Before);
  QCOMPARE(RenderFrame(*FForm->Panel), ShownBefore);
}

void TOpenImageTest::DialogFilterAndStartingFolder() {
  QVERIFY(Open(QString()));
  QCOMPARE(FOpen->Runs.size(), 1);
  // The registry's own filter, whose text tst_formats pins down.
  QCOMPARE(FOpen->Runs[0].Filter,
           TFileFormatsList::Instance().MakeFilterText(PictureBaseKind()));
  QCOMPARE(FOpen->Runs[0].FilterIndex, 1);
  QCOMPARE(FOpen->Runs[0].InitialDir, DefaultPictureFolder());

  const QString Folder = FDir.filePath("pictures");
  QVERIFY(QDir().mkpath(Folder));
  QVERIFY(QFile::copy(TestData("pngsuite/basn2c08.png"), Folder + "/small.png"));
  QVERIFY(Open(Folder + "/small.png"));
  QCOMPARE(FForm->FOpenPath, Folder + u'/');

  // The next run starts in that folder, and it is the working folder meanwhile.
  QVERIFY(Open(QString()));
  QCOMPARE(FOpen->Runs.size(), 3);
  QCOMPARE(FOpen->Runs[2].InitialDir, Folder + u'/');
  QCOMPARE(QDir(FOpen->Runs[2].CurrentDir).canonicalPath(), QDir(Folder).canonicalPath());
  QCOMPARE(FForm->FOpenPath, Folder + u'/');

  // A folder that no longer exists does not stop the dialog.
  FForm->FOpenPath = FDir.filePath("gone") + u'/';
  QVERIFY(Open(Folder + "/small.png"));
  QCOMPARE(FOpen->Runs[3].InitialDir, FDir.filePath("gone") + u'/');
  QCOMPARE(FForm->FOpenPath, Folder + u'/');
}

void TOpenImageTest::FailureLeavesEverything_data() {
  QTest::addColumn<QString>("Name");
  // Written as the file unless Source names a test picture to copy; no file when Bytes is null.
  QTest::addColumn<QByteArray>("Bytes");
  QTest::addColumn<QString>("Source");
  // As the report shows it; %DIR% stands for the folder the file is in.
  QTest::addColumn<QString>("Message");
  const QByteArray Some("II*\0 some bytes", 15);
  QTest::addRow("unknown extension") << "scan.tif" << Some << ""
                                     << "Unknown picture file extension (.tif)";
  QTest::addRow("no extension") << "README" << Some << ""
                                << "Unknown picture file extension (.)";
  QTest::addRow("dot only in the folder") << "my.pictures/photo" << Some << ""
                                          << "Unknown picture file extension (.)";
  QTest::addRow("missing file")
      << "absent.png" << QByteArray() << ""
      << "Cannot open file \"%DIR%/absent.png\". No such file or directory.";
  QTest::addRow("png signature") << "signature.png" << QByteArray()
                                 << TestData("pngsuite/xs1n0g01.png") << PngInvalidHeader;
  QTest::addRow("png crc") << "crc.png" << QByteArray() << TestData("pngsuite/xcsn0g01.png")
                           << PngCrcError;
  QTest::addRow("png without data") << "nodata.png" << QByteArray()
                                    << TestData("pngsuite/xdtn0g01.png") << PngNoData;
  QTest::addRow("gif signature") << "signature.gif" << QByteArray("NOT A GIF AT ALL") << ""
                                 << "Invalid GIF signature.";
  QTest::addRow("gif cut short") << "short.gif" << QByteArray("GIF89a") << ""
                                 << "Premature end of data.";
  QTest::addRow("bmp header") << "header.bmp" << QByteArray("BM\0\0\0\0", 6) << ""
                              << "Bitmap image is not valid.";
  // An icon header announcing one image, its directory entry cut off after 4 of 16 bytes.
  QTest::addRow("ico directory cut")
      << "directory.ico" << QByteArray("\0\0\1\0\1\0\x20\x20\0\0", 10) << ""
      << "Icon image is not valid.";
  QTest::addRow("jpeg not a jpeg") << "notjpeg.jpg" << QByteArray("GIF89a not a jpeg at all")
                                   << "" << QStringLiteral("JPEG error #%1.").arg(JERR_NO_SOI);
  QTest::addRow("jpeg empty") << "empty.jpeg" << QByteArray("") << ""
                              << QStringLiteral("JPEG error #%1.").arg(JERR_INPUT_EMPTY);
  QTest::addRow("wmf") << "garbage.wmf" << QByteArray("garbage, not a metafile") << ""
                       << "Metafile is not valid.";
  QTest::addRow("emf") << "garbage.emf" << QByteArray("garbage, not a metafile") << ""
                       << "Metafile is not valid.";
}

void TOpenImageTest::FailureLeavesEverything() {
  QFETCH(QString, Name);
  QFETCH(QByteArray, Bytes);
  QFETCH(QString, Source);
  QFETCH(QString, Message);
  const QString Folder = FDir.filePath("failures");
  const QString File = Folder + u'/' + Name;
  QVERIFY(QDir().mkpath(QFileInfo(File).absolutePath()));
  QFile::remove(File);
  if (!Source.isEmpty())
    QVERIFY(QFile::copy(Source, File));
  else if (!Bytes.isNull())
    QVERIFY(WriteBytes(File, Bytes));
  QCOMPARE(QFileInfo::exists(File), !Source.isEmpty() || !Bytes.isNull());

  QVERIFY(Open(TestData("pngsuite/basn2c08.png")));
  MoveAndZoomBox();
  const TOpenState Before = TOpenState::Of(*FForm);
  QCOMPARE(Before.Bounds, QRect(40, 30, 16, 16));

  QVERIFY(!Open(File));
  const QString Shown = QString(Message).replace("%DIR%", QFileInfo(File).absolutePath());
  QCOMPARE(FMessages.Shown, QStringList{Shown});
  QCOMPARE(TOpenState::Of(*FForm), Before);
  // The zoom slider still works on the box: it was not left stuck at its picture's size.
  FForm->ZoomTrackBar->SetPosition(10);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(40, 30, 32, 32));
}

void TOpenImageTest::FailureAtStartKeepsStartState() {
  const TOpenState Before = TOpenState::Of(*FForm);
  QCOMPARE(Before.Bounds, QRect(0, 0, 480, 272));
  QVERIFY(!Before.Stretch);
  const QImage ShownBefore = RenderFrame(*FForm->Panel);
  QVERIFY(!Open(FDir.filePath("nothing-here.gif")));
  QCOMPARE(FMessages.Shown.size(), 1);
  QCOMPARE(TOpenState::Of(*FForm), Before);
  QVERIFY(FForm->FOpenPath.isEmpty());
  QCOMPARE(RenderFrame(*FForm->Panel), ShownBefore);
}

void TOpenImageTest::FailedFileProposedInFull() {
  const QString Good = FDir.filePath("proposal/good"), Other = FDir.filePath("proposal/other");
  QVERIFY(QDir().mkpath(Good));
  QVERIFY(QDir().mkpath(Other));
  QVERIFY(QFile::copy(TestData("pngsuite/basn2c08.png"), Good + "/small.png"));
  QVERIFY(WriteBytes(Other + "/damaged.bmp", QByteArray("BM\0\0\0\0", 6)));
  QVERIFY(Open(Good + "/small.png"));
  QVERIFY(!Open(Other + "/damaged.bmp"));

  // The dialog starts in the folder of the last good picture; its proposal, confirmed as it
  // stands in Qt's dialog, is the damaged file again, not a file of that name in this folder.
  FOpen->Typing = true;
  QVERIFY(!Open(QString()));
  QCOMPARE(FOpen->Runs.last().InitialDir, Good + u'/');
  QCOMPARE(FMessages.Shown, QStringList(2, QStringLiteral("Bitmap image is not valid.")));
}

void TOpenImageTest::OpenLeavesNodesShown() {
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Click(FForm->Panel, QPoint(100, 100));
  QVERIFY(NodesAround(*FForm, QRect(0, 0, 480, 272)));
  QVERIFY(Open(TestData("gif/giflib/porsche.gif")));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 320, 200));
  // Still shown, and where they were: the mover does not follow the box.
  QVERIFY(NodesAround(*FForm, QRect(0, 0, 480, 272)));
}

void TOpenImageTest::OpenKeepsZoomSliderAndItsTag() {
  const QString File = FDir.filePath("small.png");
  QVERIFY(WriteImage(Gradient(100, 60), File, "png"));
  FForm->ZoomTrackBar->SetPosition(5);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 240, 136));

  QVERIFY(Open(File));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 100, 60));
  QCOMPARE(FForm->ZoomTrackBar->Position(), 5);
  QCOMPARE(FForm->ZoomTrackBar->Tag, 5);

  FForm->ZoomTrackBar->setFocus();
  QTest::keyClick(FForm->ZoomTrackBar, Qt::Key_End);
  QCOMPARE(FForm->ZoomTrackBar->Position(), 10);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 200, 120));
  QCOMPARE(FForm->FPictureWidth, 100);
  QCOMPARE(FForm->FPictureHeight, 60);
}

void TOpenImageTest::ExtensionMatchedWithoutCase_data() {
  QTest::addColumn<QString>("Name");
  QTest::addRow("upper") << "HOLIDAY.JPG";
  QTest::addRow("mixed") << "holiday.Jpeg";
}

void TOpenImageTest::ExtensionMatchedWithoutCase() {
  QFETCH(QString, Name);
  const QString File = FDir.filePath(Name);
  QFile::remove(File);
  QVERIFY(QFile::copy(TestData("jpeg/libjpeg-turbo/testorig.jpg"), File));
  QVERIFY2(Open(File), qPrintable(FMessages.Shown.join('\n')));
  QCOMPARE(QString(FForm->Image->Picture()->ClassName()), QStringLiteral("TJPEGImage"));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 227, 149));
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TOpenImageTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_openimage.moc"
