#pragma once

#include <QString>
#include <array>
#include <zoZezo/zoZezo.h>

class QSettings;

namespace workbench {

// The seven characters of the equation language's punctuation, as the user chose them: read
// from and applied to an evaluator, checked, and kept in the settings.
struct TSyntaxCharacters {
    struct TField {
        const char* Name; // the evaluator's property name
        char TSyntaxCharacters::*Member;
    };

    using TEvaluator = zoZezo::TzoZezoEvaluator;
    char DecimalPoint = TEvaluator::DefaultDecimalPoint;
    char Imaginary = TEvaluator::DefaultImaginary;
    char OpenParentesis = TEvaluator::DefaultOpenParentesis;
    char CloseParentesis = TEvaluator::DefaultCloseParentesis;
    char Separator = TEvaluator::DefaultSeparator;
    char OpenComment = TEvaluator::DefaultOpenComment;
    char CloseComment = TEvaluator::DefaultCloseComment;

    static const std::array<TField, 7>& Fields();

    static TSyntaxCharacters Of(const zoZezo::TzoZezoEvaluator& Evaluator);
    void ApplyTo(zoZezo::TzoZezoEvaluator& Evaluator) const;

    // Why the equation language could not work with these characters; empty when it can.
    // Each is one printable ASCII character, and no two are the same; the imaginary suffix is
    // a letter other than `e` (the exponent), the others are neither letters, digits, blanks
    // nor operator characters.
    QString Problem() const;

    // Reads the characters kept under "syntax/"; missing or unusable ones give the defaults.
    static TSyntaxCharacters Load(QSettings& Settings);
    void Save(QSettings& Settings) const;

    friend bool operator==(const TSyntaxCharacters&, const TSyntaxCharacters&) = default;
};

} // namespace workbench
