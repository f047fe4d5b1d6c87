// The wallpapers' names: the input's name without its extension, numbered where an earlier
// input of the same run has that name already.
#include "batch/options/outputnames.h"

#include <QTest>

class TBatchNamesTest : public QObject {
  Q_OBJECT
private slots:
  void Names_data();
  void Names();
};

void TBatchNamesTest::Names_data() {
  QTest::addColumn<QStringList>("Inputs");
  QTest::addColumn<QStringList>("Outputs"); // in the folder "out"
  QTest::addRow("distinct") << QStringList{"a/holiday.jpg", "beach.PNG", "/x/y/z.gif"}
                            << QStringList{"holiday.jpg", "beach.jpg", "z.jpg"};
  QTest::addRow("same name, other folders and extensions")
      << QStringList{"a/holiday.jpg", "b/holiday.png", "c/holiday.bmp"}
      << QStringList{"holiday.jpg", "holiday-2.jpg", "holiday-3.jpg"};
  QTest::addRow("a numbered name given as input")
      << QStringList{"a/holiday.jpg", "b/holiday.png", "b/holiday-2.gif", "c/holiday.bmp"}
      << QStringList{"holiday.jpg", "holiday-2.jpg", "holiday-2-2.jpg", "holiday-3.jpg"};
  QTest::addRow("the same file twice")
      << QStringList{"p.jpg", "p.jpg"} << QStringList{"p.jpg", "p-2.jpg"};
  QTest::addRow("only the last extension goes") << QStringList{"trip.2024.jpeg", "archive.tar.png"}
                                                << QStringList{"trip.2024.jpg", "archive.tar.jpg"};
  QTest::addRow("no extension") << QStringList{"README", "my.pictures/photo", "dot."}
                                << QStringList{"README.jpg", "photo.jpg", "dot.jpg"};
  QTest::addRow("case tells names apart")
      << QStringList{"Sea.jpg", "sea.jpg"} << QStringList{"Sea.jpg", "sea.jpg"};
}

void TBatchNamesTest::Names() {
  QFETCH(QStringList, Inputs);
  QFETCH(QStringList, Outputs);
  QStringList Expected;
  for (const QString &Name : Outputs)
    Expected << QStringLiteral("out/") + Name;
  QCOMPARE(WallpaperNames(Inputs, QStringLiteral("out")), Expected);
}

QTEST_GUILESS_MAIN(TBatchNamesTest)
#include "tst_batchnames.moc"
