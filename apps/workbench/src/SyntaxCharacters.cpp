#include "SyntaxCharacters.h"

#include <QSettings>
#include <cctype>
#include <cstring>

namespace workbench {

const std::array<TSyntaxCharacters::TField, 7>& TSyntaxCharacters::Fields() {
    static const std::array<TField, 7> List{{
        {"DecimalPoint", &TSyntaxCharacters::DecimalPoint},
        {"Imaginary", &TSyntaxCharacters::Imaginary},
        {"OpenParentesis", &TSyntaxCharacters::OpenParentesis},
        {"CloseParentesis", &TSyntaxCharacters::CloseParentesis},
        {"Separator", &TSyntaxCharacters::Separator},
        {"OpenComment", &TSyntaxCharacters::OpenComment},
        {"CloseComment", &TSyntaxCharacters::CloseComment},
    }};
    return List;
}

TSyntaxCharacters TSyntaxCharacters::Of(const zoZezo::TzoZezoEvaluator& Evaluator) {
    return {Evaluator.DecimalPoint,    Evaluator.Imaginary, Evaluator.OpenParentesis,
            Evaluator.CloseParentesis, Evaluator.Separator, Evaluator.OpenComment,
            Evaluator.CloseComment};
}

void TSyntaxCharacters::ApplyTo(zoZezo::TzoZezoEvaluator& Evaluator) const {
    Evaluator.DecimalPoint = DecimalPoint;
    Evaluator.Imaginary = Imaginary;
    Evaluator.OpenParentesis = OpenParentesis;
    Evaluator.CloseParentesis = CloseParentesis;
    Evaluator.Separator = Separator;
    Evaluator.OpenComment = OpenComment;
    Evaluator.CloseComment = CloseComment;
}

QString TSyntaxCharacters::Problem() const {
    static const char* const OperatorCharacters = "+-*/\\^<>=";
    for (const TField& Field : Fields()) {
        const unsigned char C = static_cast<unsigned char>(this->*Field.Member);
        if (C <= ' ' || C > '~') return QString("%1 must be one visible character").arg(Field.Name);
        const bool Letter = std::isalpha(C) != 0;
        if (Field.Member == &TSyntaxCharacters::Imaginary) {
            if (!Letter || C == 'e' || C == 'E')
                return QString("%1 must be a letter other than e").arg(Field.Name);
        } else if (Letter || std::isdigit(C) || C == '_' || std::strchr(OperatorCharacters, C)) {
            return QString("%1 must not be a letter, a digit, '_' or an operator").arg(Field.Name);
        }
        for (const TField& Other : Fields())
            if (&Other != &Field && this->*Other.Member == this->*Field.Member)
                return QString("%1 and %2 must differ").arg(Field.Name, Other.Name);
    }
    return {};
}

TSyntaxCharacters TSyntaxCharacters::Load(QSettings& Settings) {
    TSyntaxCharacters Loaded;
    Settings.beginGroup("syntax");
    for (const TField& Field : Fields()) {
        const QString Text = Settings.value(Field.Name).toString();
        if (Text.size() == 1 && Text[0].unicode() < 128)
            Loaded.*Field.Member = static_cast<char>(Text[0].unicode());
    }
    Settings.endGroup();
    return Loaded.Problem().isEmpty() ? Loaded : TSyntaxCharacters();
}

void TSyntaxCharacters::Save(QSettings& Settings) const {
    Settings.beginGroup("syntax");
    for (const TField& Field : Fields())
        Settings.setValue(Field.Name, QString(QChar(this->*Field.Member)));
    Settings.endGroup();
}

} // namespace workbench
