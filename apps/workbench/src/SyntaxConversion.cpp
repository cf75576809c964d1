#include "SyntaxConversion.h"

#include <QStringList>

namespace workbench {
namespace {

bool Digit(QChar C) {
    return C >= '0' && C <= '9';
}

bool NameStart(QChar C) {
    return C.isLetter() || C == '_';
}

bool NamePart(QChar C) {
    return NameStart(C) || Digit(C) || C == '.';
}

// Reads one line under From and writes To's characters in it.
class TLineConversion {
public:
    TLineConversion(QString& Line, const TSyntaxCharacters& From, const TSyntaxCharacters& To,
                    int& Changed)
        : FLine(Line), FFrom(From), FTo(To), FChanged(Changed) {}

    void Run() {
        int Depth = 0; // of nested comments
        for (FAt = 0; FAt < FLine.size();) {
            const QChar C = FLine[FAt];
            if (C == FFrom.OpenComment) {
                ++Depth;
                Put(&TSyntaxCharacters::OpenComment);
            } else if (C == FFrom.CloseComment && Depth > 0) {
                --Depth;
                Put(&TSyntaxCharacters::CloseComment);
            } else if (Depth > 0) {
                ++FAt;
            } else if (NameStart(C)) {
                while (FAt < FLine.size() && NamePart(FLine[FAt]))
                    ++FAt;
            } else if (Digit(C) || (C == FFrom.DecimalPoint && Digit(Next()))) {
                Number();
            } else if (C == FFrom.OpenParentesis) {
                Put(&TSyntaxCharacters::OpenParentesis);
            } else if (C == FFrom.CloseParentesis) {
                Put(&TSyntaxCharacters::CloseParentesis);
            } else if (C == FFrom.Separator) {
                Put(&TSyntaxCharacters::Separator);
            } else {
                ++FAt;
            }
        }
    }

private:
    QChar Next() const { return FAt + 1 < FLine.size() ? FLine[FAt + 1] : QChar(); }

    // Digits, a decimal point, digits, an exponent, and the imaginary suffix.
    void Number() {
        Digits();
        if (FAt < FLine.size() && FLine[FAt] == FFrom.DecimalPoint) {
            Put(&TSyntaxCharacters::DecimalPoint);
            Digits();
        }
        if (FAt < FLine.size() && FLine[FAt] == 'e') {
            ++FAt;
            if (FAt < FLine.size() && (FLine[FAt] == '+' || FLine[FAt] == '-')) ++FAt;
            Digits();
        }
        if (FAt < FLine.size() && FLine[FAt] == FFrom.Imaginary &&
            !(FAt + 1 < FLine.size() && NamePart(FLine[FAt + 1])))
            Put(&TSyntaxCharacters::Imaginary);
    }

    void Digits() {
        while (FAt < FLine.size() && Digit(FLine[FAt]))
            ++FAt;
    }

    // Writes To's character for the part at FAt and moves on.
    void Put(char TSyntaxCharacters::*Part) {
        const QChar New(FTo.*Part);
        if (FLine[FAt] != New) {
            FLine[FAt] = New;
            ++FChanged;
        }
        ++FAt;
    }

    QString& FLine;
    const TSyntaxCharacters& FFrom;
    const TSyntaxCharacters& FTo;
    int& FChanged;
    qsizetype FAt = 0;
};

} // namespace

QString ConvertSyntax(const QString& Text, const TSyntaxCharacters& From,
                      const TSyntaxCharacters& To, int& Changed) {
    Changed = 0;
    QStringList Lines = Text.split('\n');
    for (QString& Line : Lines)
        TLineConversion(Line, From, To, Changed).Run();
    return Lines.join('\n');
}

} // namespace workbench
