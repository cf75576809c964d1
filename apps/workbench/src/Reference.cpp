#include "Reference.h"

#include "Outcome.h"

#include <QCoreApplication>
#include <QHash>

namespace workbench {
namespace {

// What a built-in name does.
struct TBuiltinHelp {
    const char* Name;
    const char* Help;
};

// A built-in function's parameters, separated by ';', and what it does.
struct TFunctionHelp {
    const char* Name;
    const char* Parameters;
    const char* Help;
};

const TFunctionHelp BuiltinFunctions[] = {
    {"Neg", "z", QT_TRANSLATE_NOOP("Reference", "the negative, -z")},
    {"Not", "x", QT_TRANSLATE_NOOP("Reference", "1 when x is 0, else 0")},
    {"Exp", "z", QT_TRANSLATE_NOOP("Reference", "e to the power z")},
    {"Sin", "z", QT_TRANSLATE_NOOP("Reference", "sine, z in radians")},
    {"Cos", "z", QT_TRANSLATE_NOOP("Reference", "cosine, z in radians")},
    {"Tan", "z", QT_TRANSLATE_NOOP("Reference", "tangent, z in radians")},
    {"If", "c;a;b", QT_TRANSLATE_NOOP("Reference", "a when c is not 0, else b")},
    {"Abs", "z", QT_TRANSLATE_NOOP("Reference", "the magnitude |z|")},
    {"Sqrt", "z", QT_TRANSLATE_NOOP("Reference", "the principal square root")},
    {"U", "x", QT_TRANSLATE_NOOP("Reference", "unit step: 1 when x >= 0, else 0")},
    {"Rect", "x", QT_TRANSLATE_NOOP("Reference", "pulse: 1 when |x| <= 0.5, else 0")},
    {"Sinc", "z", QT_TRANSLATE_NOOP("Reference", "sin(pi z)/(pi z), 1 at 0")},
    {"Ln", "z", QT_TRANSLATE_NOOP("Reference", "natural logarithm (principal value)")},
    {"Imp", "x", QT_TRANSLATE_NOOP("Reference", "impulse: 1 when x is 0 (within 1e-8), else 0")},
    {"Round", "x", QT_TRANSLATE_NOOP("Reference", "the nearest whole number, halves to even")},
    {"Int", "x", QT_TRANSLATE_NOOP("Reference", "the whole part, toward 0")},
    {"Odd", "x", QT_TRANSLATE_NOOP("Reference", "1 when Round(x) is odd, else 0")},
    {"Rand", "x", QT_TRANSLATE_NOOP("Reference", "a random number from 0 to x")},
    {"Cosh", "z", QT_TRANSLATE_NOOP("Reference", "hyperbolic cosine")},
    {"Sinh", "z", QT_TRANSLATE_NOOP("Reference", "hyperbolic sine")},
    {"Tanh", "z", QT_TRANSLATE_NOOP("Reference", "hyperbolic tangent")},
    {"Re", "z", QT_TRANSLATE_NOOP("Reference", "the real part")},
    {"Im", "z", QT_TRANSLATE_NOOP("Reference", "the imaginary part")},
    {"Diode", "x", QT_TRANSLATE_NOOP("Reference", "x when x > 0, else 0 (half-wave rectifier)")},
    {"Asin", "z", QT_TRANSLATE_NOOP("Reference", "inverse sine, in radians")},
    {"ACos", "z", QT_TRANSLATE_NOOP("Reference", "inverse cosine, in radians")},
    {"ATan", "z", QT_TRANSLATE_NOOP("Reference", "inverse tangent, in radians")},
};

const TBuiltinHelp BuiltinOperators[] = {
    {"^", QT_TRANSLATE_NOOP("Reference", "power; binds tightest")},
    {"*", QT_TRANSLATE_NOOP("Reference", "product")},
    {"/", QT_TRANSLATE_NOOP("Reference", "quotient")},
    {"\\", QT_TRANSLATE_NOOP("Reference", "remainder of the whole quotient: 7\\3 is 1")},
    {"+", QT_TRANSLATE_NOOP("Reference", "sum")},
    {"-", QT_TRANSLATE_NOOP("Reference", "difference")},
    {">", QT_TRANSLATE_NOOP("Reference", "1 when a is greater than b, else 0")},
    {"<", QT_TRANSLATE_NOOP("Reference", "1 when a is less than b, else 0")},
    {">=", QT_TRANSLATE_NOOP("Reference", "1 when a is greater than or equal to b")},
    {"<=", QT_TRANSLATE_NOOP("Reference", "1 when a is less than or equal to b")},
    {"<>", QT_TRANSLATE_NOOP("Reference", "1 when a and b differ, else 0")},
    {"=", QT_TRANSLATE_NOOP("Reference", "1 when a equals b, else 0")},
    {"and", QT_TRANSLATE_NOOP("Reference", "1 when both are not 0; binds loosest")},
    {"or", QT_TRANSLATE_NOOP("Reference", "1 when either is not 0")},
    {"xor", QT_TRANSLATE_NOOP("Reference", "1 when exactly one is not 0")},
};

const TBuiltinHelp BuiltinConstants[] = {
    {"e", QT_TRANSLATE_NOOP("Reference", "Euler's number, 2.71828...")},
    {"pi", QT_TRANSLATE_NOOP("Reference", "the circle's ratio, 3.14159...")},
};

template <class Help, std::size_t N>
const Help* Find(const Help (&Table)[N], const std::string& Name) {
    for (const Help& Entry : Table)
        if (Name == Entry.Name) return &Entry;
    return nullptr;
}

QString Translated(const char* Text) {
    return QCoreApplication::translate("Reference", Text);
}

} // namespace

std::vector<TReferenceEntry> ReferenceEntries(const zoZezo::TzoZezoEvaluator& Evaluator) {
    std::vector<TReferenceEntry> Entries;
    const QChar Open = QChar(Evaluator.OpenParentesis);
    const QChar Close = QChar(Evaluator.CloseParentesis);
    const QString Separator = QString(QChar(Evaluator.Separator)) + ' ';
    for (const zoZezo::TFunction* Function : Evaluator.Functions().Items()) {
        TReferenceEntry Entry{
            TReferenceEntry::rkFunction, QString::fromStdString(Function->Name), {}, {}};
        QStringList Parameters;
        if (const TFunctionHelp* Builtin = Find(BuiltinFunctions, Function->Name)) {
            Parameters = QString(Builtin->Parameters).split(';');
            Entry.Help = Translated(Builtin->Help);
        } else {
            for (int K = 0; K < Function->ParamCount; ++K)
                Parameters << QString(QChar('a' + K % 26));
            Entry.Help =
                QObject::tr("a function of %1 added by the program").arg(Function->ParamCount);
        }
        Entry.Usage = Entry.Name + Open + Parameters.join(Separator) + Close;
        Entries.push_back(Entry);
    }
    for (const zoZezo::TOperator* Operator : Evaluator.Operators().Items()) {
        TReferenceEntry Entry{
            TReferenceEntry::rkOperator, QString::fromStdString(Operator->Name), {}, {}};
        Entry.Usage = QString("a %1 b").arg(Entry.Name);
        const TBuiltinHelp* Builtin = Find(BuiltinOperators, Operator->Name);
        Entry.Help = Builtin ? Translated(Builtin->Help)
                             : QObject::tr("an operator added by the program, of level %1")
                                   .arg(Operator->Priority);
        Entries.push_back(Entry);
    }
    for (const zoZezo::TConstant* Constant : Evaluator.Constants().Items()) {
        TReferenceEntry Entry{
            TReferenceEntry::rkConstant, QString::fromStdString(Constant->Name), {}, {}};
        Entry.Usage = Entry.Name;
        const TBuiltinHelp* Builtin = Find(BuiltinConstants, Constant->Name);
        Entry.Help = Builtin
                         ? Translated(Builtin->Help)
                         : QObject::tr("a constant added by the program, %1")
                               .arg(FormatValue({Constant->Re, Constant->Im}, Evaluator.Imaginary));
        Entries.push_back(Entry);
    }
    return Entries;
}

} // namespace workbench
