#include "settings/profileimage.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

const QByteArray Utf8Mark("\xEF\xBB\xBF");
const QByteArray Utf16LEMark("\xFF\xFE");
const QByteArray Utf16BEMark("\xFE\xFF");

#ifdef Q_OS_WIN
const QByteArray NativeLineBreak("\r\n");
#else
const QByteArray NativeLineBreak("\n");
#endif

// A byte-order mark inside the text (files joined together) counts as a blank. UTF-8 lines
// lose one at their start when they are decoded; without this, a UTF-16 file's line that
// starts with one would read differently once written back as UTF-8.
bool IsBlank(QChar C) { return C == u' ' || C == u'\t' || C == QChar(0xFEFF); }

QStringView TrimmedLeft(QStringView Line) {
  qsizetype I = 0;
  while (I < Line.size() && IsBlank(Line[I]))
    ++I;
  return Line.mid(I);
}

// "[name]" -> name. A missing closing bracket takes the rest of the line.
bool ParseSection(const QString &Line, QStringView &Name) {
  const QStringView Text = TrimmedLeft(Line);
  if (!Text.startsWith(u'['))
    return false;
  qsizetype Close = Text.indexOf(u']');
  if (Close < 0)
    Close = Text.size();
  Name = Text.mid(1, Close - 1).trimmed();
  return true;
}

// "key=value" -> key, value. Comments (";") and sections never hold a key.
bool ParseKey(const QString &Line, QStringView &Key, QStringView &Value) {
  const QStringView Text = TrimmedLeft(Line);
  if (Text.isEmpty() || Text.startsWith(u';') || Text.startsWith(u'['))
    return false;
  const qsizetype Equals = Text.indexOf(u'=');
  if (Equals <= 0)
    return false;
  Key = Text.left(Equals).trimmed();
  Value = Text.mid(Equals + 1).trimmed();
  return !Key.isEmpty();
}

bool SameName(QStringView A, QStringView B) {
  return A.compare(B, Qt::CaseInsensitive) == 0;
}

QString Chomp(QString Line) {
  if (Line.endsWith(u'\r'))
    Line.chop(1);
  return Line;
}

} // namespace

TProfileImage TProfileImage::FromBytes(const QByteArray &Data) {
  TProfileImage Image;
  Image.FLineBreak = NativeLineBreak;

  if (Data.startsWith(Utf16LEMark) || Data.startsWith(Utf16BEMark)) {
    // Everything is re-encoded as UTF-8 when written back, so no line keeps its bytes.
    QStringDecoder Decoder(Data.startsWith(Utf16LEMark) ? QStringConverter::Utf16LE
                                                        : QStringConverter::Utf16BE);
    const QString Text = Decoder(QByteArrayView(Data).sliced(2));
    const qsizetype FirstBreak = Text.indexOf(u'\n');
    if (FirstBreak >= 0)
      Image.FLineBreak = FirstBreak > 0 && Text[FirstBreak - 1] == u'\r' ? "\r\n" : "\n";
    QStringList Lines = Text.split(u'\n');
    if (Text.endsWith(u'\n'))
      Lines.removeLast();
    for (const QString &Line : Lines)
      Image.FLines.append({Chomp(Line)});
    return Image;
  }

  Image.FSource = Data; // shared, not copied
  QByteArrayView Body(Image.FSource);
  qsizetype Offset = 0;
  if (Body.startsWith(Utf8Mark)) {
    Image.FUtf8Mark = true;
    Offset = Utf8Mark.size();
    Body = Body.sliced(Offset);
  }
  const qsizetype FirstBreak = Body.indexOf('\n');
  if (FirstBreak >= 0)
    Image.FLineBreak = FirstBreak > 0 && Body[FirstBreak - 1] == '\r' ? "\r\n" : "\n";

  // A LF byte never occurs inside a UTF-8 sequence, so lines decode one by one.
  qsizetype Start = 0;
  while (Start < Body.size()) {
    qsizetype End = Body.indexOf('\n', Start);
    if (End < 0)
      End = Body.size();
    const qsizetype RawLength = std::min(End + 1, Body.size()) - Start;
    QByteArrayView Line = Body.sliced(Start, End - Start);
    if (Line.endsWith('\r'))
      Line.chop(1);
    Image.FLines.append({QString::fromUtf8(Line), Offset + Start, RawLength});
    Start = End + 1;
  }
  return Image;
}

QByteArray TProfileImage::ToBytes() const {
  QByteArray Out;
  if (FUtf8Mark)
    Out += Utf8Mark;
  const QByteArray &LineBreak = FLineBreak.isEmpty() ? NativeLineBreak : FLineBreak;
  for (const TLine &Line : FLines) {
    if (Line.RawStart >= 0) {
      const QByteArrayView Raw = QByteArrayView(FSource).sliced(Line.RawStart, Line.RawLength);
      Out += Raw;
      if (!Raw.endsWith('\n'))
        Out += LineBreak; // the last line of a file without a final line break
    } else {
      Out += Line.Text.toUtf8();
      Out += LineBreak;
    }
  }
  return Out;
}

qsizetype TProfileImage::FindSection(const QString &Section) const {
  QStringView Name;
  for (qsizetype I = 0; I < FLines.size(); ++I)
    if (ParseSection(FLines[I].Text, Name) && SameName(Name, Section))
      return I;
  return -1;
}

qsizetype TProfileImage::SectionEnd(qsizetype SectionLine) const {
  QStringView Name;
  for (qsizetype I = SectionLine + 1; I < FLines.size(); ++I)
    if (ParseSection(FLines[I].Text, Name))
      return I;
  return FLines.size();
}

std::optional<QString> TProfileImage::Value(const QString &Section, const QString &Key) const {
  const qsizetype First = FindSection(Section);
  if (First < 0)
    return std::nullopt;
  const qsizetype End = SectionEnd(First);
  QStringView LineKey, LineValue;
  for (qsizetype I = First + 1; I < End; ++I)
    if (ParseKey(FLines[I].Text, LineKey, LineValue) && SameName(LineKey, Key))
      return LineValue.toString();
  return std::nullopt;
}

void TProfileImage::SetValue(const QString &Section, const QString &Key, const QString &Value) {
  const QString NewLine = Key + u'=' + Value;
  const qsizetype First = FindSection(Section);
  if (First < 0) {
    FLines.append({u'[' + Section + u']'});
    FLines.append({NewLine});
    return;
  }

  const qsizetype End = SectionEnd(First);
  qsizetype LastFilled = First;
  QStringView LineKey, LineValue;
  for (qsizetype I = First + 1; I < End; ++I) {
    if (ParseKey(FLines[I].Text, LineKey, LineValue) && SameName(LineKey, Key)) {
      // An empty value is written over blanks after the "=": they read as empty, but a
      // person reading the file would take them for a value of blanks.
      if (LineValue != Value || (Value.isEmpty() && !FLines[I].Text.endsWith(u'=')))
        FLines[I] = {NewLine};
      return;
    }
    if (!FLines[I].Text.trimmed().isEmpty())
      LastFilled = I;
  }
  FLines.insert(LastFilled + 1, {NewLine});
}
