#include "LineResults.h"

#include "NameWarnings.h"
#include "Outcome.h"
#include "TextPosition.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <exception>
#include <string_view>

namespace workbench {
namespace {

// The compile error of a name that nothing defines (see MathMsg).
constexpr int UndefinedIdentifier = 9;

bool NameStart(char C) {
    return std::isalpha(static_cast<unsigned char>(C)) || C == '_';
}

bool NameCharacter(char C) {
    return NameStart(C) || std::isdigit(static_cast<unsigned char>(C)) || C == '.';
}

// The name that the header of a line declares, read without compiling: after blanks and
// comments, a name followed by ':' or the opening parenthesis. Empty when there is none.
std::string HeaderName(std::string_view Line, const TSyntaxCharacters& Syntax) {
    std::size_t I = 0;
    for (int Depth = 0; I < Line.size(); ++I) {
        const char C = Line[I];
        if (C == Syntax.OpenComment)
            ++Depth;
        else if (C == Syntax.CloseComment && Depth > 0)
            --Depth;
        else if (Depth == 0 && C != ' ')
            break;
    }
    const std::size_t Start = I;
    if (I == Line.size() || !NameStart(Line[I])) return {};
    while (I < Line.size() && NameCharacter(Line[I]))
        ++I;
    const std::size_t End = I;
    while (I < Line.size() && Line[I] == ' ')
        ++I;
    if (I == Line.size() || (Line[I] != ':' && Line[I] != Syntax.OpenParentesis)) return {};
    return std::string(Line.substr(Start, End - Start));
}

// The evaluator that the lines compile on, with the cells of its variables.
class TLineEvaluator {
public:
    explicit TLineEvaluator(const TResultsJob& Job) {
        Job.Syntax.ApplyTo(FEvaluator);
        for (const TVariableCell& Cell : Job.Variables)
            Bind(Cell.Name, Cell.Re, Cell.Im);
        FEvaluator.OnAcceptLabel = [this](zoZezo::TEquation*, const std::string& Name,
                                          zoZezo::TLabelType Type, int& Position) {
            if (Type != zoZezo::ltVariable) return;
            if (TVariablesModel::DefinedElsewhere(FEvaluator, Name)) {
                Position = -1;
            } else if (const int Line = FaultyLine(Name); Line > 0) {
                Position = -1;
                FHidden = {Name, Line};
            } else if (Position < 0) {
                Position = Bind(Name, 0, 0);
            }
        };
    }

    zoZezo::TzoZezoEvaluator& Evaluator() { return FEvaluator; }

    // Compiles the next line. A line that does not compile keeps its name from the lines
    // below: they must not take it for a variable.
    void Add(const QString& Line, const TSyntaxCharacters& Syntax) {
        FHidden = {};
        zoZezo::TEquation* Equation = FEvaluator.Equations().Add(Line.toStdString());
        if (Equation->Check()) return;
        std::string Name = HeaderName(Equation->EquationStr(), Syntax);
        if (!Name.empty()) FFaulty.push_back({std::move(Name), FEvaluator.Equations().Count()});
    }

    // The name of a faulty line that the last line compiled met, and that line; 0 for none.
    const TNameUse& Hidden() const { return FHidden; }

    // The variables that the compiled code reads, in order of first use.
    std::vector<TNameUse> UsedVariables() const {
        std::vector<TNameUse> Used;
        const zoZezo::TVariables& Variables = FEvaluator.Variables();
        const auto& Equations = FEvaluator.Equations().Items();
        for (std::size_t K = 0; K < Equations.size(); ++K)
            for (const zoZezo::TInstruction& Step : Equations[K]->Instructions()) {
                if (Step.Kind != zoZezo::opVariable || !Variables.InRange(Step.Index)) continue;
                const std::string& Name = Variables.GetVariable(Step.Index)->Name;
                if (std::none_of(Used.begin(), Used.end(),
                                 [&](const TNameUse& Use) { return Use.Name == Name; }))
                    Used.push_back({Name, static_cast<int>(K) + 1});
            }
        return Used;
    }

private:
    int Bind(const std::string& Name, long double Re, long double Im) {
        long double* ReCell = &FCells.emplace_back(Re);
        long double* ImCell = &FCells.emplace_back(Im);
        FEvaluator.Variables().Add(Name, ReCell, ImCell);
        return FEvaluator.Variables().Count() - 1;
    }

    int FaultyLine(const std::string& Name) const {
        for (const TNameUse& Faulty : FFaulty)
            if (zoZezo::SameName(Faulty.Name, Name)) return Faulty.Line;
        return 0;
    }

    zoZezo::TzoZezoEvaluator FEvaluator;
    std::deque<long double> FCells; // a deque never moves its elements
    std::vector<TNameUse> FFaulty;  // the names of the lines that do not compile
    TNameUse FHidden;
};

TDefinition Definition(const zoZezo::TEquation& Equation, int Line,
                       const TSyntaxCharacters& Syntax) {
    TDefinition Defined{QString::fromStdString(Equation.FunctionName()), {}, false, Line};
    QStringList Parameters;
    for (const zoZezo::TConstant* Parameter : Equation.LocalConstants().Items())
        Parameters << QString::fromStdString(Parameter->Name);
    Defined.Called = !Parameters.isEmpty();
    Defined.Usage = Defined.Called ? Defined.Name + Syntax.OpenParentesis +
                                         Parameters.join(Syntax.Separator) + Syntax.CloseParentesis
                                   : Defined.Name;
    return Defined;
}

TResultRow CompileErrorRow(const zoZezo::TEquation& Equation, int Line, const TNameUse& Hidden) {
    TResultRow Row;
    Row.Kind = TResultRow::rkCompileError;
    Row.Line = Line;
    const std::string& Text = Equation.EquationStr();
    const auto Bytes = static_cast<std::size_t>(std::max(Equation.ErrorPos() - 1, 0));
    Row.Offset = static_cast<int>(QString::fromStdString(Text.substr(0, Bytes)).size());
    Row.Name = QString::fromStdString(Text).trimmed();
    Row.Text = CompileErrorText(Equation, Line);
    if (Hidden.Line > 0 && Equation.ErrorCode() == UndefinedIdentifier)
        Row.Text += QObject::tr(" %1 is line %2, which does not compile.")
                        .arg(QString::fromStdString(Hidden.Name))
                        .arg(Hidden.Line);
    return Row;
}

// Every equation that compiled calls only equations that compiled, so nothing here reaches
// ShowMessage.
TResultRow ValueRow(zoZezo::TEquation& Equation, int Line, char Imaginary) {
    TResultRow Row;
    Row.Line = Line;
    Row.Name = QString::fromStdString(Equation.FunctionName());
    try {
        Row.Value = Equation.ComputeC();
        Row.Text = FormatValue(Row.Value, Imaginary);
    } catch (const zoZezo::EzoZezoRunBudgetError& Error) {
        Row.Kind = TResultRow::rkComputeError;
        Row.Text = QObject::tr("The computation would run equations more than %1 times: they "
                               "call each other too often")
                       .arg(Error.Runs());
    } catch (const std::exception& Error) {
        Row.Kind = TResultRow::rkComputeError;
        Row.Text = QString::fromUtf8(Error.what());
    }
    return Row;
}

} // namespace

QString CompileErrorText(const zoZezo::TEquation& Equation, int Line) {
    const int Column = zezo::CharacterColumn(Equation.EquationStr(), Equation.ErrorPos());
    return QString("Error: %1 (position:%2,%3).")
        .arg(QString::fromStdString(Equation.ErrorMsg()))
        .arg(Line)
        .arg(Column);
}

std::optional<TLineResults> ComputeLineResults(const TResultsJob& Job, TResultsProgress& Progress) {
    TLineEvaluator Lines(Job);
    std::vector<TNameUse> Hidden; // per line
    for (const QString& Line : Job.Lines) {
        Lines.Add(Line, Job.Syntax);
        Hidden.push_back(Lines.Hidden());
    }
    TLineResults Results;
    const zoZezo::TEquations& Equations = Lines.Evaluator().Equations();
    for (int K = 0; K < Equations.Count(); ++K) {
        if (Progress.Stop) return std::nullopt;
        zoZezo::TEquation& Equation = *Equations.GetEquation(K);
        if (Equation.ErrorCode() == 0 && !Equation.FunctionName().empty())
            Results.Definitions.push_back(Definition(Equation, K + 1, Job.Syntax));
        if (Equation.ErrorCode() != 0)
            Results.Rows.push_back(
                CompileErrorRow(Equation, K + 1, Hidden[static_cast<std::size_t>(K)]));
        else if (IsValueEquation(Equation))
            Results.Rows.push_back(ValueRow(Equation, K + 1, Job.Syntax.Imaginary));
        ++Progress.Done;
    }
    const std::vector<TNameUse> Used = Lines.UsedVariables();
    for (const TNameUse& Use : Used)
        Results.Variables.push_back(Use.Name);
    Results.Warnings = NameWarnings(Lines.Evaluator(), Used);
    return Results;
}

} // namespace workbench
