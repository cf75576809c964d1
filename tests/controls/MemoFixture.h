#pragma once

#include "zoZezo/EquationMemo.h"

#include <QSignalSpy>
#include <QTextLayout>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zoZezo::test {

// Makes ShowMessage record its texts in Messages() instead of showing them.
void CaptureMessages();
std::vector<std::string>& Messages();

// The format the highlighter gave the character at Offset of Line, or an empty one.
QTextCharFormat FormatAt(const QPlainTextEdit& Editor, int Line, int Offset);
// The text of the formats over Line, one "offset:colour" per formatted unit, for comparisons.
QString FormatsOf(const QPlainTextEdit& Editor, int Line);

// A shown plain memo bound to an evaluator, with a short pause before rebuilds.
class MemoTest : public ::testing::Test {
protected:
    static constexpr int Delay = 30;

    MemoTest();

    QPlainTextEdit& Editor() { return *Memo.Editor(); }
    // Replaces the text and rebuilds at once, the way a pause would.
    void SetTextAndRebuild(const QString& Text);
    // Types ASCII text at the caret, as keystrokes.
    void Type(const QString& Text);
    // Waits until the memo has rebuilt Count times more than now; false on a timeout.
    bool WaitForRebuilds(int Count = 1, int TimeoutMs = 2000);

    TzoZezoEvaluator Evaluator;
    TovEquationMemo Memo;
    QSignalSpy Evaluations{&Memo, &TCustomovEquationMemo::OnEvaluate};
    QSignalSpy Changes{&Memo, &TCustomovEquationMemo::OnChange};
};

} // namespace zoZezo::test
