#include "MemoFixture.h"

#include <QTest>
#include <QTextBlock>

namespace zoZezo::test {

std::vector<std::string>& Messages() {
    static std::vector<std::string> Texts;
    return Texts;
}

void CaptureMessages() {
    SetMessageHandler([](const std::string& Text) { Messages().push_back(Text); });
}

QTextCharFormat FormatAt(const QPlainTextEdit& Editor, int Line, int Offset) {
    const QTextBlock Block = Editor.document()->findBlockByNumber(Line);
    for (const auto& Range : Block.layout()->formats())
        if (Offset >= Range.start && Offset < Range.start + Range.length) return Range.format;
    return {};
}

QString FormatsOf(const QPlainTextEdit& Editor, int Line) {
    QStringList Parts;
    const QTextBlock Block = Editor.document()->findBlockByNumber(Line);
    for (const auto& Range : Block.layout()->formats())
        Parts << QStringLiteral("%1+%2:%3")
                     .arg(Range.start)
                     .arg(Range.length)
                     .arg(Range.format.foreground().color().name());
    return Parts.join(QLatin1Char(' '));
}

MemoTest::MemoTest() {
    Messages().clear();
    Memo.SetzoZezoEvaluator(&Evaluator);
    Memo.SetRefreshDelay(Delay);
    Memo.show();
}

void MemoTest::SetTextAndRebuild(const QString& Text) {
    Editor().setPlainText(Text);
    Memo.CheckEquations();
}

void MemoTest::Type(const QString& Text) {
    QTest::keyClicks(&Editor(), Text);
}

bool MemoTest::WaitForRebuilds(int Count, int TimeoutMs) {
    const auto Wanted = Evaluations.count() + Count;
    QElapsedTimer Clock;
    Clock.start();
    while (Evaluations.count() < Wanted && Clock.elapsed() < TimeoutMs)
        QTest::qWait(5);
    return Evaluations.count() >= Wanted;
}

} // namespace zoZezo::test
