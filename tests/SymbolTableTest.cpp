// The symbol tables (TConstants, TVariables, TFunctions, TOperators) and the owned list under
// them: positions, lookup by name, copying entries, and who frees what.
#include "zoZezo/SymbolTable.h"

#include "zoZezo/zoZezo.h"

#include <gtest/gtest.h>
#include <span>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

std::vector<std::string> Names(const TConstants& Table) {
    std::vector<std::string> Result;
    for (const TConstant* Entry : Table.Items())
        Result.push_back(Entry->Name);
    return Result;
}

TComplex Zero(std::span<const TComplex>) {
    return {};
}
TComplex One(std::span<const TComplex>) {
    return Compl(1, 0);
}

} // namespace

TEST(SymbolTable, AddAppendsInOrder) {
    TConstants Table(nullptr);
    EXPECT_EQ(Table.Count(), 0);
    EXPECT_EQ(Table.Evaluator(), nullptr);
    TConstant* A = Table.Add("a", 1.0L, 2.0L);
    TConstant* B = Table.Add("b", 3.0L, 4.0L);
    TConstant* C = Table.Add("c", 5.0L, 6.0L);
    EXPECT_EQ(Table.Count(), 3);
    EXPECT_EQ(Names(Table), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Table.GetConstant(0), A);
    EXPECT_EQ(Table.GetConstant(1), B);
    EXPECT_EQ(Table.GetConstant(2), C);
    EXPECT_EQ(B->Owner(), &Table);
    EXPECT_EQ(B->Re, 3.0L);
    EXPECT_EQ(B->Im, 4.0L);
}

TEST(SymbolTable, DeleteMovesLaterEntriesDown) {
    TConstants Table(nullptr);
    for (const char* Name : {"a", "b", "c", "d"})
        Table.Add(Name, 0.0L, 0.0L);
    TConstant* C = Table.GetConstant(2);
    Table.Delete(1);
    EXPECT_EQ(Names(Table), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(Table.GetConstant(1), C);
    EXPECT_EQ(Table.IndexOf("d"), 2);
    Table.Delete(0);
    EXPECT_EQ(Names(Table), (std::vector<std::string>{"c", "d"}));
    Table.Delete(1);
    EXPECT_EQ(Names(Table), (std::vector<std::string>{"c"}));
}

TEST(SymbolTable, IndexOfIgnoresLetterCase) {
    TConstants Table(nullptr);
    for (const char* Name : {"Neg", "ACos", "Ärger", "Ωμέγα", "Жизнь", "ёлка", "Łódź"})
        Table.Add(Name, 0.0L, 0.0L);
    const std::vector<std::pair<const char*, int>> Cases = {
        {"neg", 0},     {"NEG", 0},   {"aCoS", 1},   {"ärger", 2}, {"ÄRGER", 2}, {"ωμέγα", 3},
        {"ΩΜΈΓΑ", 3},   {"жизнь", 4}, {"ЖИЗНЬ", 4},  {"ЁЛКА", 5},  {"łÓdŹ", 6},  {"Ne", -1},
        {"Negate", -1}, {"", -1},     {"Arger", -1}, // folding keeps the diacritics
    };
    for (const auto& [Name, Position] : Cases)
        EXPECT_EQ(Table.IndexOf(Name), Position) << Name;
}

TEST(SymbolTable, FirstOfDuplicateNamesWins) {
    TConstants Table(nullptr);
    TConstant* First = Table.Add("x", 1.0L, 0.0L);
    TConstant* Second = Table.Add("x", 2.0L, 0.0L);
    EXPECT_EQ(Table.Count(), 2);
    EXPECT_EQ(Table.IndexOf("X"), 0);
    EXPECT_EQ(Table.GetConstant(Table.IndexOf("x")), First);
    Table.Delete(0);
    EXPECT_EQ(Table.IndexOf("X"), 0); // now the former second entry
    EXPECT_EQ(Table.GetConstant(0), Second);
}

TEST(SymbolTable, EmptyTable) {
    TOperators Table(nullptr);
    EXPECT_EQ(Table.IndexOf("+"), -1);
    EXPECT_EQ(Table.GetOperator(0), nullptr);
    Table.Clear();
    EXPECT_EQ(Table.Count(), 0);
    Table.Delete(0);
    EXPECT_EQ(Table.Count(), 0);
}

TEST(SymbolTable, OutOfRangePositionsChangeNothing) {
    TConstants Table(nullptr);
    Table.Add("a", 1.0L, 2.0L);
    Table.Add("b", 3.0L, 4.0L);
    EXPECT_EQ(Table.GetConstant(-1), nullptr);
    EXPECT_EQ(Table.GetConstant(2), nullptr);
    EXPECT_EQ(Table.GetConstant(1000000), nullptr);
    Table.Delete(-1);
    Table.Delete(2);
    EXPECT_EQ(Names(Table), (std::vector<std::string>{"a", "b"}));

    TConstant Source(nullptr, "s", {9.0L, 9.0L});
    Table.SetConstant(2, Source);
    Table.SetConstant(-1, Source);
    EXPECT_EQ(Names(Table), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Table.GetConstant(0)->Re, 1.0L);
    EXPECT_EQ(Table.GetConstant(1)->Re, 3.0L);
}

TEST(SymbolTable, SetCopiesNameAndPayloadIntoTheSameObject) {
    TConstants Table(nullptr);
    Table.Add("a", 1.0L, 2.0L);
    TConstant* Target = Table.Add("b", 3.0L, 4.0L);
    TConstants Other(nullptr);
    TConstant* Source = Other.Add("c", 5.0L, 6.0L);

    Table.SetConstant(1, *Source);
    EXPECT_EQ(Table.GetConstant(1), Target); // the same object
    EXPECT_EQ(Target->Name, "c");
    EXPECT_EQ(Target->Re, 5.0L);
    EXPECT_EQ(Target->Im, 6.0L);
    EXPECT_EQ(Target->Owner(), &Table);
    EXPECT_EQ(Table.Count(), 2);
    // The source stays where it was, unchanged.
    EXPECT_EQ(Other.Count(), 1);
    EXPECT_EQ(Other.GetConstant(0), Source);
    EXPECT_EQ(Source->Owner(), &Other);
    EXPECT_EQ(Source->Name, "c");
}

TEST(SymbolTable, SetFromAFreeStandingEntry) {
    TFunctions Table(nullptr);
    TFunction* Target = Table.Add("f", 1, &Zero);
    const TFunction Source(nullptr, "g", {0, &One});
    EXPECT_EQ(Source.Owner(), nullptr);
    Table.SetFunction(0, Source);
    EXPECT_EQ(Table.GetFunction(0), Target);
    EXPECT_EQ(Target->Name, "g");
    EXPECT_EQ(Target->ParamCount, 0);
    EXPECT_EQ(Target->Callback, &One);
}

TEST(SymbolTable, SetVariableReadsThroughTheSourcesCells) {
    long double A = 1, B = 2, C = 3, D = 4;
    TVariables Table(nullptr);
    TVariable* Target = Table.Add("x", &A, &B);
    TVariables Other(nullptr);
    TVariable* Source = Other.Add("y", &C, &D);
    Table.SetVariable(0, *Source);
    EXPECT_EQ(Target->RePtr, &C);
    EXPECT_EQ(Target->ImPtr, &D);
    C = 30;
    EXPECT_EQ(*Table.GetVariable(0)->RePtr, 30.0L);
    EXPECT_NE(Target, Source); // two separate entries
    EXPECT_EQ(Other.Count(), 1);
}

TEST(SymbolTable, FreeingAnEntryDirectlyRemovesIt) {
    TConstants Table(nullptr);
    for (const char* Name : {"a", "b", "c", "d"})
        Table.Add(Name, 0.0L, 0.0L);
    TConstant* C = Table.GetConstant(2);
    TConstant* D = Table.GetConstant(3);
    delete Table.GetConstant(1);
    EXPECT_EQ(Table.Count(), 3);
    EXPECT_EQ(Names(Table), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(Table.GetConstant(1), C);
    EXPECT_EQ(Table.GetConstant(2), D);
    delete D; // the last one
    EXPECT_EQ(Names(Table), (std::vector<std::string>{"a", "c"}));
}

TEST(SymbolTable, FreeStandingEntryBelongsToNoTable) {
    TConstants Table(nullptr);
    {
        TConstant Free(nullptr, "free", {1.0L, 0.0L});
        EXPECT_EQ(Free.Owner(), nullptr);
        EXPECT_EQ(Table.Count(), 0);
    }
    EXPECT_EQ(Table.Count(), 0);
}

TEST(SymbolTable, ClearEmptiesTheTable) {
    TConstants Table(nullptr);
    for (int I = 0; I < 100; ++I)
        Table.Add("c" + std::to_string(I), I, 0);
    Table.Clear();
    EXPECT_EQ(Table.Count(), 0);
    EXPECT_EQ(Table.IndexOf("c0"), -1);
    Table.Add("again", 0.0L, 0.0L); // usable after Clear
    EXPECT_EQ(Table.IndexOf("AGAIN"), 0);
}

// A payload that records which entries are destroyed, to see the order of Clear.
namespace {
std::vector<int>& Destroyed() {
    static std::vector<int> Log;
    return Log;
}
struct TTracedData {
    int Id = 0;
    TTracedData(int AId) : Id(AId) {}
    TTracedData(const TTracedData&) = default;
    TTracedData& operator=(const TTracedData&) = default;
    ~TTracedData() { Destroyed().push_back(Id); }
};
} // namespace

TEST(SymbolTable, ClearFreesTheLastEntryFirst) {
    TCollection<TTracedData> Table(nullptr);
    Table.Add("a", 1);
    Table.Add("b", 2);
    Table.Add("c", 3);
    Destroyed().clear(); // forget the temporaries of Add
    Table.Clear();
    EXPECT_EQ(Destroyed(), (std::vector<int>{3, 2, 1}));
}

TEST(SymbolTable, DestroyingATableFreesItsEntries) {
    Destroyed().clear();
    {
        TCollection<TTracedData> Table(nullptr);
        Table.Add("a", 1);
        Table.Add("b", 2);
        Destroyed().clear();
    }
    EXPECT_EQ(Destroyed(), (std::vector<int>{2, 1}));
}

// Each table adds entries from its own fields; the imaginary cell and part are optional.
TEST(SymbolTable, TypedAdd) {
    TzoZezoEvaluator Evaluator;
    long double Re = 2, Im = 3;
    const TVariable& RealOnly = *Evaluator.Variables().Add("x", &Re);
    EXPECT_EQ(RealOnly.RePtr, &Re);
    EXPECT_EQ(RealOnly.ImPtr, nullptr);
    EXPECT_EQ(Evaluator.Variables().Add("z", &Re, &Im)->ImPtr, &Im);
    EXPECT_EQ(Evaluator.Variables().Add("n", &Re, nullptr)->ImPtr, nullptr);
    const TConstant& C = *Evaluator.Constants().Add("c", 1.5L);
    EXPECT_EQ(C.Re, 1.5L);
    EXPECT_EQ(C.Im, 0);
    const TFunction& F = *Evaluator.Functions().Add("f", 1, FnSin);
    EXPECT_EQ(F.ParamCount, 1);
    EXPECT_EQ(F.Callback, FnSin);
    EXPECT_EQ(Evaluator.Operators().Add("#", 2, OpAdd)->Priority, 2);
}

template <class Table, class Number, class Callback>
concept Addable = requires(Table& T, Number N, Callback C) {
    T.Add("g", N, C);
};
static_assert(Addable<TFunctions, int, TFunctionCallback>);
static_assert(!Addable<TFunctions, double, TFunctionCallback>, "a fractional parameter count");
static_assert(!Addable<TOperators, double, TOperatorCallback>, "a fractional priority");
