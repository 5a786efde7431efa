#include "StepLabels.h"

#include "Translation.h"
#include "ValueScales.h"

namespace caraudio::app {

namespace {

// Between the pattern and each argument; never in a pattern or a name typed
// in a field (control characters are refused there).
constexpr char kSeparator = '\x1f';
// A scene name is cut to this many characters, so the label stays within
// what the history keeps of it whatever the script.
constexpr int kMaxArgumentChars = 24;

}  // namespace

std::string StepLabel(const char* pattern, const QStringList& args) {
    std::string label = pattern;
    for (const QString& arg : args) label += kSeparator + arg.left(kMaxArgumentChars).toStdString();
    return label;
}

std::string ChannelStep(const char* pattern, int channel, int band) {
    QStringList args{QString::fromStdString(ChannelLabel(channel))};
    if (band >= 0) args << QString::number(band + 1);
    return StepLabel(pattern, args);
}

QString StepText(const std::string& label) {
    if (label.empty()) return Tr("steps", "Change");
    const QStringList parts = QString::fromStdString(label).split(QChar(kSeparator));
    QString text = Tr("steps", parts.front().toUtf8().constData());
    for (qsizetype i = 1; i < parts.size(); ++i) text = text.arg(parts[i]);
    return text;
}

QString SideLetter(EditSession::Side side) {
    return side == EditSession::Side::A ? QStringLiteral("A") : QStringLiteral("B");
}

QString TuningName(EditSession::Side side) {
    return Tr("steps", "Tuning %1").arg(SideLetter(side));
}

EditSession::Side OtherSide(EditSession::Side side) {
    return side == EditSession::Side::A ? EditSession::Side::B : EditSession::Side::A;
}

QString UndoTip(bool can, const std::string& label) {
    return can ? Tr("steps", "Undo: %1").arg(StepText(label)) : Tr("steps", "Nothing to undo");
}

QString RedoTip(bool can, const std::string& label) {
    return can ? Tr("steps", "Redo: %1").arg(StepText(label)) : Tr("steps", "Nothing to redo");
}

}  // namespace caraudio::app
