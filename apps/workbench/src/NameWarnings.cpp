#include "NameWarnings.h"

#include <cctype>
#include <cstdlib>

namespace workbench {
namespace {

bool Same(char A, char B) {
    return std::tolower(static_cast<unsigned char>(A)) ==
           std::tolower(static_cast<unsigned char>(B));
}

bool Digit(char C) {
    return std::isdigit(static_cast<unsigned char>(C)) != 0;
}

// Whether Long is Short with one character more.
bool OneInserted(std::string_view Short, std::string_view Long) {
    std::size_t K = 0;
    while (K < Short.size() && Same(Short[K], Long[K]))
        ++K;
    for (; K < Short.size(); ++K)
        if (!Same(Short[K], Long[K + 1])) return false;
    return true;
}

bool NamePart(QChar C) {
    return C.isLetterOrNumber() || C == '_' || C == '.';
}

} // namespace

bool OneTypoApart(std::string_view A, std::string_view B) {
    if (std::min(A.size(), B.size()) < 3) return false;
    if (A.size() + 1 == B.size()) return OneInserted(A, B);
    if (B.size() + 1 == A.size()) return OneInserted(B, A);
    if (A.size() != B.size()) return false;
    std::size_t First = 0;
    while (First < A.size() && Same(A[First], B[First]))
        ++First;
    if (First == A.size()) return false; // the same name
    std::size_t Last = A.size() - 1;
    while (Same(A[Last], B[Last]))
        --Last;
    if (First == Last) return !(Digit(A[First]) && Digit(B[First]));
    return Last == First + 1 && Same(A[First], B[Last]) && Same(A[Last], B[First]);
}

std::vector<TNameWarning> NameWarnings(const zoZezo::TzoZezoEvaluator& Evaluator,
                                       const std::vector<TNameUse>& Variables) {
    std::vector<std::string_view> Known;
    for (const zoZezo::TEquation* Equation : Evaluator.Equations().Items())
        if (!Equation->FunctionName().empty()) Known.push_back(Equation->FunctionName());
    for (const zoZezo::TConstant* Constant : Evaluator.Constants().Items())
        Known.push_back(Constant->Name);
    std::vector<TNameWarning> Warnings;
    for (const TNameUse& Variable : Variables)
        for (std::string_view Name : Known)
            if (OneTypoApart(Variable.Name, Name)) {
                Warnings.push_back({QString::fromStdString(Variable.Name),
                                    QString::fromUtf8(Name.data(), Name.size()), Variable.Line});
                break;
            }
    return Warnings;
}

QList<int> NameOffsets(const QString& Line, const QString& Name) {
    QList<int> Offsets;
    for (qsizetype At = Line.indexOf(Name, 0, Qt::CaseInsensitive); At >= 0 && !Name.isEmpty();
         At = Line.indexOf(Name, At + Name.size(), Qt::CaseInsensitive)) {
        const qsizetype End = At + Name.size();
        if ((At == 0 || !NamePart(Line[At - 1])) && (End == Line.size() || !NamePart(Line[End])))
            Offsets << static_cast<int>(At);
    }
    return Offsets;
}

} // namespace workbench
