// The application's error report: the full-stop rule, the innermost error, silence for an
// abort, and the program going on after an error escaped a handler.
#include "app/application.h"
#include "app/errorreport.h"
#include "app/seams.h"

#include <QTest>

#include <stdexcept>

namespace {

class TRecordingMessages : public TMessageSeam {
public:
  void ShowError(const QString &Caption, const QString &Text) override {
    Shown << (Caption + u'|' + Text);
  }
  QStringList Shown;
};

class TThrowingObject : public QObject {
public:
  bool event(QEvent *Event) override {
    if (Event->type() == QEvent::User)
      throw std::runtime_error("Cannot open file \"/tmp/x.png\". No such file or directory");
    return QObject::event(Event);
  }
};

} // namespace

class TErrorReportTest : public QObject {
  Q_OBJECT
private slots:
  void init();
  void cleanup();
  void FullStopRule_data();
  void FullStopRule();
  void InnermostErrorIsShown();
  void AbortIsSilent();
  void EscapedErrorIsReportedAndProgramGoesOn();

private:
  TRecordingMessages FMessages;
};

void TErrorReportTest::init() {
  FMessages.Shown.clear();
  SetMessageSeam(&FMessages);
}

void TErrorReportTest::cleanup() { SetMessageSeam(nullptr); }

void TErrorReportTest::FullStopRule_data() {
  QTest::addColumn<QString>("Message");
  QTest::addColumn<QString>("Shown");
  QTest::addRow("letter") << "Bitmap image is not valid" << "Bitmap image is not valid.";
  QTest::addRow("digit") << "JPEG error #53" << "JPEG error #53.";
  QTest::addRow("closing parenthesis") << "Unknown picture file extension (.tif)"
                                       << "Unknown picture file extension (.tif)";
  QTest::addRow("full stop") << "Done." << "Done.";
  QTest::addRow("exclamation mark") << "Stop!" << "Stop!";
  QTest::addRow("comma") << "a," << "a,";
  QTest::addRow("hyphen") << "a-" << "a-";
  QTest::addRow("slash is above the full stop") << "a/" << "a/.";
  QTest::addRow("quote") << "Cannot open file \"x\"" << "Cannot open file \"x\"";
  QTest::addRow("space") << "trailing " << "trailing ";
  QTest::addRow("empty") << "" << "";
  QTest::addRow("non-ASCII letter") << QString::fromUtf8("Datei \u00fc") << QString::fromUtf8("Datei \u00fc.");
}

void TErrorReportTest::FullStopRule() {
  QFETCH(QString, Message);
  QFETCH(QString, Shown);
  QCOMPARE(ErrorReportText(Message), Shown);
}

void TErrorReportTest::InnermostErrorIsShown() {
  RunHandler([] {
    try {
      throw std::runtime_error("Icon image is not valid");
    } catch (...) {
      std::throw_with_nested(std::runtime_error("Outer"));
    }
  });
  QCOMPARE(FMessages.Shown, QStringList{"Zelvane|Icon image is not valid."});
}

void TErrorReportTest::AbortIsSilent() {
  RunHandler([] { throw EAbort(); });
  QVERIFY(FMessages.Shown.isEmpty());
}

void TErrorReportTest::EscapedErrorIsReportedAndProgramGoesOn() {
  TThrowingObject Target;
  QEvent Event(QEvent::User);
  QVERIFY(!QCoreApplication::sendEvent(&Target, &Event));
  QCOMPARE(FMessages.Shown,
           QStringList{"Zelvane|Cannot open file \"/tmp/x.png\". No such file or directory."});
  QEvent Again(QEvent::User);
  QCoreApplication::sendEvent(&Target, &Again);
  QCOMPARE(FMessages.Shown.size(), 2);
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TErrorReportTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_errorreport.moc"
