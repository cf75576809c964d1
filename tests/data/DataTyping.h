#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QString>

// Types Text into Editor at its caret as a user would, through the input method path (which,
// unlike QTest::keyClicks, takes any character, astral ones included).
inline void TypeInto(QPlainTextEdit& Editor, const QString& Text) {
    QInputMethodEvent Event;
    Event.setCommitString(Text);
    QApplication::sendEvent(&Editor, &Event);
}

// Replaces the whole text of Editor by typing over a selection of all of it.
inline void TypeOver(QPlainTextEdit& Editor, const QString& Text) {
    Editor.selectAll();
    TypeInto(Editor, Text);
}
