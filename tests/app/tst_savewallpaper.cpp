// Save Wallpaper through the window: the file holds what the frame shows (picture, white
// background, watermark; never the resize nodes) at the slider's quality; the dialog's
// starting folder and proposed name; cancelling; files that cannot be written; a picture that
// cannot be drawn.
#include "app/application.h"
#include "export/capture.h"
#include "formtesting.h"
#include "support/jpegfacts.h"
#include "picture/image.h"
#include "app/picturefolder.h"
#include "watermark/watermarklabel.h"

#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {

struct TDecodeErrors {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
};

[[noreturn]] void DecodeErrorExit(j_common_ptr Info) {
  std::longjmp(reinterpret_cast<TDecodeErrors *>(Info->err)->Jump, 1);
}

// Decodes to Y, Cb, Cr, three bytes a pixel, chroma repeated over the pixels it was sampled
// from (no interpolation). A malloc'ed buffer, or null on a library error. Holds only C
// objects between setjmp and longjmp.
unsigned char *DecodePlanes(const unsigned char *Data, unsigned long Size, int *Width,
                            int *Height) {
  jpeg_decompress_struct Info{};
  TDecodeErrors Errors{};
  unsigned char *volatile Pixels = nullptr;
  Info.err = jpeg_std_error(&Errors.Pub);
  Errors.Pub.error_exit = DecodeErrorExit;
  if (setjmp(Errors.Jump)) {
    jpeg_destroy_decompress(&Info);
    std::free(Pixels);
    return nullptr;
  }
  jpeg_create_decompress(&Info);
  jpeg_mem_src(&Info, Data, Size);
  jpeg_read_header(&Info, TRUE);
  Info.out_color_space = JCS_YCbCr;
  Info.do_fancy_upsampling = FALSE;
  jpeg_start_decompress(&Info);
  *Width = static_cast<int>(Info.output_width);
  *Height = static_cast<int>(Info.output_height);
  Pixels = static_cast<unsigned char *>(std::malloc(size_t(*Width) * size_t(*Height) * 3));
  while (Info.output_scanline < Info.output_height) {
    JSAMPROW Row = Pixels + size_t(Info.output_scanline) * size_t(*Width) * 3;
    jpeg_read_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_decompress(&Info);
  jpeg_destroy_decompress(&Info);
  return Pixels;
}

// One decoded wallpaper: Y at every pixel, Cb and Cr per 2 x 2 block.
struct TPlanes {
  int Width = 0;
  int Height = 0;
  QByteArray Bytes;
  int Y(int X, int Row) const { return uchar(Bytes[(qsizetype(Row) * Width + X) * 3]); }
  int Cb(int X, int Row) const { return uchar(Bytes[(qsizetype(Row) * Width + X) * 3 + 1]); }
  int Cr(int X, int Row) const { return uchar(Bytes[(qsizetype(Row) * Width + X) * 3 + 2]); }
};

TPlanes DecodeFile(const QString &FileName) {
  const QByteArray File = ReadBytes(FileName);
  TPlanes Planes;
  unsigned char *Pixels =
      DecodePlanes(reinterpret_cast<const unsigned char *>(File.constData()),
                   static_cast<unsigned long>(File.size()), &Planes.Width, &Planes.Height);
  if (!Pixels)
    return TPlanes();
  Planes.Bytes = QByteArray(reinterpret_cast<const char *>(Pixels),
                            qsizetype(Planes.Width) * Planes.Height * 3);
  std::free(Pixels);
  return Planes;
}

// The JFIF colour conversion, unrounded.
double LumaOf(QRgb P) { return 0.299 * qRed(P) + 0.587 * qGreen(P) + 0.114 * qBlue(P); }
double CbOf(QRgb P) {
  return -0.168735892 * qRed(P) - 0.331264108 * qGreen(P) + 0.5 * qBlue(P) + 128;
}
double CrOf(QRgb P) {
  return 0.5 * qRed(P) - 0.418687589 * qGreen(P) - 0.081312411 * qBlue(P) + 128;
}

// How far the file lies from an image of what should be in it, inside Area (frame
// coordinates): the worst luminance difference over its pixels, and the worst difference of
// a chroma sample from the mean of the 2 x 2 pixels it stands for, over the blocks wholly
// inside Area.
struct TDistance {
  double Luma = 0;
  double Chroma = 0;
};

TDistance DistanceOf(const TPlanes &File, const QImage &Expected, const QRegion &Area) {
  TDistance D;
  for (int Y = 0; Y < Expected.height(); ++Y)
    for (int X = 0; X < Expected.width(); ++X)
      if (Area.contains(QPoint(X, Y)))
        D.Luma = std::max(D.Luma, std::abs(File.Y(X, Y) - LumaOf(Expected.pixel(X, Y))));
  for (int Y = 0; Y + 1 < Expected.height(); Y += 2)
    for (int X = 0; X + 1 < Expected.width(); X += 2) {
      if (!Area.contains(QRect(X, Y, 2, 2)))
        continue;
      double Cb = 0, Cr = 0;
      for (const QPoint &P :
           {QPoint(X, Y), QPoint(X + 1, Y), QPoint(X, Y + 1), QPoint(X + 1, Y + 1)}) {
        Cb += CbOf(Expected.pixel(P)) / 4;
        Cr += CrOf(Expected.pixel(P)) / 4;
      }
      D.Chroma = std::max({D.Chroma, std::abs(File.Cb(X, Y) - Cb), std::abs(File.Cr(X, Y) - Cr)});
    }
  return D;
}

// At quality 100 every quantisation step is 1: what is left is rounding.
constexpr double Tolerance = 3.0;

// No white and no pure blue anywhere, and every pixel tells where it is.
QImage Gradient(int Width, int Height) {
  QImage Image(Width, Height, QImage::Format_RGB32);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X)
      Image.setPixel(X, Y, qRgb(40 + X * 150 / Width, 60 + Y * 150 / Height, 90));
  return Image;
}

} // namespace

class TSaveWallpaperTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void cleanup();
  void SaveDialogSettings();
  void FileIsTheFrameAsShown();
  void QualityFromSlider_data();
  void QualityFromSlider();
  void CancelWritesNothing();
  void FolderAndProposedNameCarryOver();
  void UnwritableTarget_data();
  void UnwritableTarget();
  void FailedNameProposedInFull();
  void ExistingFileReplacedWhenConfirmed_data();
  void ExistingFileReplacedWhenConfirmed();
  void UndrawablePictureReportedNotSaved();

private:
  bool Save(const QString &FileName);
  bool Open(const QString &FileName);
};

void TSaveWallpaperTest::initTestCase() {
  QVERIFY(InstallSeams());
}

void TSaveWallpaperTest::init() {
  ResetSeams();
  QVERIFY(ShowAnsweredForm());
}

void TSaveWallpaperTest::cleanup() {
  FForm.reset();
}

bool TSaveWallpaperTest::Save(const QString &FileName) {
  const qsizetype Reported = FMessages.Shown.size();
  FSave->Answer = FileName;
  QTest::mouseClick(FForm->SaveSpeedButton, Qt::LeftButton);
  return FMessages.Shown.size() == Reported;
}

bool TSaveWallpaperTest::Open(const QString &FileName) {
  const qsizetype Reported = FMessages.Shown.size();
  FOpen->Answer = FileName;
  QTest::mouseClick(FForm->OpenSpeedButton, Qt::LeftButton);
  return FMessages.Shown.size() == Reported;
}

void TSaveWallpaperTest::SaveDialogSettings() {
  TZelvaneForm Form;
  QCOMPARE(Form.SavePictureDialog->Kind(), TFileDialog::TKind::Save);
  QCOMPARE(Form.SavePictureDialog->Filter, QStringLiteral("JPEG Image File (*.jpg)|*.jpg"));
  QCOMPARE(Form.SavePictureDialog->DefaultExt, QStringLiteral("jpg"));
  QCOMPARE(Form.SavePictureDialog->FilterIndex, 1);
  QVERIFY(Form.SavePictureDialog->FileName.isEmpty());
}

void TSaveWallpaperTest::FileIsTheFrameAsShown() {
  const QImage Picture = Gradient(400, 300);
  const QString PictureFile = FDir.filePath("gradient.png");
  QVERIFY(QImageWriter(PictureFile, "png").write(Picture));
  QVERIFY(Open(PictureFile));

  // Dragged partly out of the frame: white shows left of and above it.
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Drag(FForm->Panel, QPoint(10, 10), QPoint(210, 110));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(200, 100, 400, 300));

  // A blue watermark over the picture's lower right part.
  QTest::keyClicks(FForm->WatermarkEdit, QStringLiteral("Zelvane"));
  FColors->Choice = 0xFF0000;
  QTest::mouseClick(FForm->ColorSpeedButton, Qt::LeftButton);
  QVERIFY(FForm->WatermarkLabel->Visible());
  const QRect Label = FForm->WatermarkLabel->BoundsRect();
  QVERIFY(QRect(200, 100, 280, 172).contains(Label));

  // The nodes show around the picture box when the button is pressed.
  Mouse.Click(FForm->Panel, QPoint(300, 150));
  QVERIFY(NodesAround(*FForm, QRect(200, 100, 400, 300)));

  const QString File = FDir.filePath("wall.jpg");
  QVERIFY2(Save(File), qPrintable(FMessages.Shown.join('\n')));
  QVERIFY(NodesShown(*FForm, false));

  const TPlanes Saved = DecodeFile(File);
  QCOMPARE(QSize(Saved.Width, Saved.Height), QSize(480, 272));

  // What the frame shows, nodes hidden.
  const QImage Shown = CaptureFrame(*FForm->Panel);
  const TDistance FromShown = DistanceOf(Saved, Shown, QRegion(0, 0, 480, 272));
  QVERIFY2(FromShown.Luma <= Tolerance && FromShown.Chroma <= Tolerance,
           qPrintable(QString("%1 %2").arg(FromShown.Luma).arg(FromShown.Chroma)));

  // Built here: white, the picture unscaled at (200, 100). Away from the watermark the file
  // must be exactly this; a node left in the file (black, at the box's corners) is not.
  QImage Expected(480, 272, QImage::Format_RGB32);
  Expected.fill(Qt::white);
  for (int Y = 100; Y < 272; ++Y)
    for (int X = 200; X < 480; ++X)
      Expected.setPixel(X, Y, Picture.pixel(X - 200, Y - 100));
  const QRegion AwayFromLabel = QRegion(0, 0, 480, 272) - QRegion(Label.adjusted(-1, -1, 1, 1));
  const TDistance FromExpected = DistanceOf(Saved, Expected, AwayFromLabel);
  QVERIFY2(FromExpected.Luma <= Tolerance && FromExpected.Chroma <= Tolerance,
           qPrintable(QString("%1 %2").arg(FromExpected.Luma).arg(FromExpected.Chroma)));

  // The watermark's letters are in the file at the label's place: dark blue pixels where the
  // picture alone has none.
  int Letters = 0;
  for (int Y = Label.top(); Y <= Label.bottom(); ++Y)
    for (int X = Label.left(); X <= Label.right(); ++X) {
      const QRgb P = Shown.pixel(X, Y);
      if (qBlue(P) > 200 && qRed(P) < 40 && qGreen(P) < 40) {
        ++Letters;
        QVERIFY(std::abs(Saved.Y(X, Y) - LumaOf(Expected.pixel(X, Y))) > 40);
      }
    }
  QVERIFY2(Letters >= 20, qPrintable(QString::number(Letters)));
}

void TSaveWallpaperTest::QualityFromSlider_data() {
  QTest::addColumn<int>("Position");
  for (int Position = 5; Position <= 10; ++Position)
    QTest::addRow("%d", Position) << Position;
}

void TSaveWallpaperTest::QualityFromSlider() {
  QFETCH(int, Position);
  // Set through the control: Home goes to 5, each Right one up.
  FForm->QualityTrackBar->setFocus();
  QTest::keyClick(FForm->QualityTrackBar, Qt::Key_Home);
  for (int I = 5; I < Position; ++I)
    QTest::keyClick(FForm->QualityTrackBar, Qt::Key_Right);
  QCOMPARE(FForm->QualityTrackBar->Position(), Position);

  const QString File = FDir.filePath(QStringLiteral("quality%1.jpg").arg(Position));
  QVERIFY(Save(File));
  // The quality is the position times ten.
  QCOMPARE(WallpaperFileFaults(ReadJpegFacts(ReadBytes(File)), 480, 272, Position * 10),
           QStringList());
  const TPlanes Saved = DecodeFile(File);
  QCOMPARE(QSize(Saved.Width, Saved.Height), QSize(480, 272));
}

void TSaveWallpaperTest::CancelWritesNothing() {
  const QString Folder = FDir.filePath("cancel");
  QVERIFY(QDir().mkpath(Folder));
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Click(FForm->Panel, QPoint(20, 20));
  QVERIFY(NodesShown(*FForm, true));

  QVERIFY(Save(QString()));
  QCOMPARE(FSave->Runs.size(), 1);
  QCOMPARE(FSave->Runs[0].InitialDir, DefaultPictureFolder());
  QVERIFY(FSave->Runs[0].ProposedName.isEmpty());
  QVERIFY(FForm->FSavePath.isEmpty());
  // The nodes are hidden before the dialog opens, cancelled or not.
  QVERIFY(NodesShown(*FForm, false));

  QVERIFY(Save(Folder + "/kept.jpg"));
  const QStringList Before = FilesIn(Folder);
  QCOMPARE(Before, QStringList{"kept.jpg"});
  const QByteArray Kept = ReadBytes(Folder + "/kept.jpg");
  QVERIFY(Save(QString()));
  QCOMPARE(FilesIn(Folder), Before);
  QCOMPARE(ReadBytes(Folder + "/kept.jpg"), Kept);
  QCOMPARE(FForm->FSavePath, Folder + u'/');
  QCOMPARE(FSave->Runs[2].InitialDir, Folder + u'/');
  QVERIFY(FMessages.Shown.isEmpty());
}

void TSaveWallpaperTest::FolderAndProposedNameCarryOver() {
  const QString First = FDir.filePath("first"), Second = FDir.filePath("second");
  QVERIFY(QDir().mkpath(First));
  QVERIFY(QDir().mkpath(Second));

  QVERIFY(Save(First + "/a.jpg"));
  QCOMPARE(FForm->FSavePath, First + u'/');
  QVERIFY(Save(Second + "/b.jpg"));
  QCOMPARE(FSave->Runs[1].InitialDir, First + u'/');
  QCOMPARE(FSave->Runs[1].ProposedName, First + "/a.jpg");
  QCOMPARE(QDir(FSave->Runs[1].CurrentDir).canonicalPath(), QDir(First).canonicalPath());
  QCOMPARE(FForm->FSavePath, Second + u'/');

  QVERIFY(Save(QString()));
  QCOMPARE(FSave->Runs[2].InitialDir, Second + u'/');
  QCOMPARE(FSave->Runs[2].ProposedName, Second + "/b.jpg");
  QVERIFY(QFileInfo::exists(First + "/a.jpg"));
  QVERIFY(QFileInfo::exists(Second + "/b.jpg"));

  // A remembered folder that is gone does not stop the save.
  FForm->FSavePath = FDir.filePath("gone") + u'/';
  QVERIFY(Save(Second + "/c.jpg"));
  QCOMPARE(FSave->Runs[3].InitialDir, FDir.filePath("gone") + u'/');
  QCOMPARE(FForm->FSavePath, Second + u'/');
}

void TSaveWallpaperTest::UnwritableTarget_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<int>("Error");
  QTest::addRow("under a regular file") << "plain/wall.jpg" << ENOTDIR;
  QTest::addRow("missing folder") << "missing/wall.jpg" << ENOENT;
  QTest::addRow("a folder") << "folder.jpg" << EISDIR;
  QTest::addRow("read-only file") << "readonly.jpg" << EACCES;
}

void TSaveWallpaperTest::UnwritableTarget() {
  QFETCH(QString, Name);
  QFETCH(int, Error);
  const QString Folder = FDir.filePath(QStringLiteral("unwritable-%1").arg(Error));
  QVERIFY(QDir().mkpath(Folder));
  QVERIFY(WriteBytes(Folder + "/plain", "a regular file"));
  QVERIFY(QDir().mkpath(Folder + "/folder.jpg"));
  QVERIFY(WriteBytes(Folder + "/readonly.jpg", "old contents"));
  QVERIFY(QFile::setPermissions(Folder + "/readonly.jpg", QFile::ReadOwner | QFile::ReadGroup));

  QVERIFY(Save(Folder + "/good.jpg"));
  QCOMPARE(FForm->FSavePath, Folder + u'/');
  const QStringList Before = FilesIn(Folder);

  const QString Target = Folder + u'/' + Name;
  QVERIFY(!Save(Target));
  const QString Reason = QString::fromLocal8Bit(std::strerror(Error));
  QCOMPARE(FMessages.Shown,
           QStringList{QStringLiteral("Cannot create file \"%1\". %2.").arg(Target, Reason)});
  QCOMPARE(FForm->FSavePath, Folder + u'/');
  QCOMPARE(FilesIn(Folder), Before);
  QCOMPARE(ReadBytes(Folder + "/readonly.jpg"), QByteArray("old contents"));
  // The dialog still proposes what was confirmed, the failed name.
  QVERIFY(Save(QString()));
  QCOMPARE(FSave->Runs.last().ProposedName, Target);
}

void TSaveWallpaperTest::FailedNameProposedInFull() {
  // The first save fails: there is no save folder yet, and the working folder is another.
  const QString Working = FDir.filePath("proposal");
  QVERIFY(QDir().mkpath(Working));
  QDir::setCurrent(Working);
  const QString Target = FDir.filePath("missing/w.jpg");
  QVERIFY(!Save(Target));

  // Confirmed as it stands in Qt's dialog, the proposal is that name again: the same error,
  // and no wallpaper lands in the working folder.
  FSave->Typing = true;
  QVERIFY(!Save(QString()));
  const QString Message = QStringLiteral("Cannot create file \"%1\". %2.")
                              .arg(Target, QString::fromLocal8Bit(std::strerror(ENOENT)));
  QCOMPARE(FMessages.Shown, QStringList(2, Message));
  QCOMPARE(FilesIn(Working), QStringList());
  QVERIFY(FForm->FSavePath.isEmpty());
}

void TSaveWallpaperTest::ExistingFileReplacedWhenConfirmed_data() {
  QTest::addColumn<bool>("Replace");
  QTest::addRow("no") << false;
  QTest::addRow("yes") << true;
}

void TSaveWallpaperTest::ExistingFileReplacedWhenConfirmed() {
  QFETCH(bool, Replace);
  const QString Folder = FDir.filePath(QStringLiteral("existing-%1").arg(Replace));
  QVERIFY(QDir().mkpath(Folder));
  const QString File = Folder + "/photo.jpg";
  const QByteArray Photo(5000, 'x');
  QVERIFY(WriteBytes(File, Photo));
  FForm->FSavePath = Folder + u'/';

  // Typed without its extension, which the dialog adds: the question is about that file.
  FSave->Typing = true;
  FSave->Replace = Replace;
  QVERIFY(Save(QStringLiteral("photo")));
  QCOMPARE(FSave->Questions, QStringList{File});
  QCOMPARE(FilesIn(Folder), QStringList{"photo.jpg"});
  if (!Replace) {
    QCOMPARE(ReadBytes(File), Photo);
    return;
  }
  const TPlanes Saved = DecodeFile(File);
  QCOMPARE(QSize(Saved.Width, Saved.Height), QSize(480, 272));
  // The default wallpaper, as the frame shows it.
  const TDistance D = DistanceOf(Saved, CaptureFrame(*FForm->Panel), QRegion(0, 0, 480, 272));
  QVERIFY2(D.Luma <= Tolerance && D.Chroma <= Tolerance,
           qPrintable(QString("%1 %2").arg(D.Luma).arg(D.Chroma)));
}

void TSaveWallpaperTest::UndrawablePictureReportedNotSaved() {
  // Sound header and first scan; the second asks for an impossible band, which the decoder
  // meets only once the picture is first drawn.
  const QByteArray Damaged =
      WithScanBand(ReadBytes(TestData("jpeg/derived/testorig-progressive.jpg")), 1, 6, 5);
  QVERIFY(!Damaged.isEmpty());
  const QString PictureFile = FDir.filePath("damaged.jpg");
  QVERIFY(WriteBytes(PictureFile, Damaged));
  const QString Message = QStringLiteral("JPEG error #%1.").arg(JERR_BAD_PROGRESSION);

  // Opened, the picture is painted, and then, outside that paint, its error is reported once.
  QVERIFY(Open(PictureFile));
  FForm->Image->repaint();
  QCOMPARE(FMessages.Shown, QStringList());
  QTRY_COMPARE(FMessages.Shown, QStringList{Message});
  FForm->Image->repaint();
  QCoreApplication::processEvents();
  QCOMPARE(FMessages.Shown, QStringList{Message});
  // The box keeps the picture, which draws nothing over the white frame.
  QCOMPARE(FForm->Image->Picture()->ClassName(), "TJPEGImage");
  QImage White(480, 272, QImage::Format_RGB32);
  White.fill(Qt::white);
  QCOMPARE(RenderFrame(*FForm->Panel), White);

  // Saved: the same message, and the chosen file keeps what it held.
  const QString Target = FDir.filePath("earlier-wallpaper.jpg");
  QVERIFY(WriteBytes(Target, "an earlier wallpaper"));
  QVERIFY(!Save(Target));
  QCOMPARE(FMessages.Shown, QStringList(2, Message));
  QCOMPARE(ReadBytes(Target), QByteArray("an earlier wallpaper"));
  QVERIFY(FForm->FSavePath.isEmpty());
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TSaveWallpaperTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_savewallpaper.moc"
