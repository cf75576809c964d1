#pragma once

#include "zoZezo/Complex.h"
#include "zoZezo/OwnedList.h"
#include "zoZezo/Platform.h"

#include <concepts>
#include <span>
#include <string>
#include <string_view>

namespace zoZezo {

template <class Payload>
class TCollection;

// One named entry of a symbol table: a name and the two payload fields of its kind.
// Created with an owner it appends itself to the owner's list; destroyed, it leaves that list.
template <class Payload>
class TEntry : public Payload {
public:
    using Collection = TCollection<Payload>;

    TEntry(Collection* AOwner, std::string AName, Payload Data)
        : Payload(Data), Name(std::move(AName)), FOwner(AOwner) {
        if (FOwner) FOwner->Append(this);
    }
    ~TEntry() {
        if (FOwner) FOwner->Remove(this);
    }
    TEntry(const TEntry&) = delete;
    TEntry& operator=(const TEntry&) = delete;

    Collection* Owner() const { return FOwner; }

    // Copies the name and both payload fields from Source; the owner stays.
    void Assign(const TEntry& Source) {
        static_cast<Payload&>(*this) = Source;
        Name = Source.Name;
    }

    std::string Name;

private:
    Collection* FOwner;
};

// A symbol table: an owned, ordered list of entries looked up by name without regard to case.
// Names need not be unique; the first match wins.
template <class Payload>
class TCollection : public TOwnedList<TEntry<Payload>> {
public:
    using Entry = TEntry<Payload>;
    using TOwnedList<Entry>::TOwnedList;

    // Position of the first entry named Name (case-insensitive), or -1.
    [[nodiscard]] int IndexOf(std::string_view Name) const {
        const auto& List = this->Items();
        for (std::size_t I = 0; I < List.size(); ++I)
            if (SameName(List[I]->Name, Name)) return static_cast<int>(I);
        return -1;
    }

    // Copies Source's name and payload into the entry at I; does nothing when I is out of range.
    void Set(int I, const Entry& Source) {
        if (Entry* Target = this->Get(I)) Target->Assign(Source);
    }

    // Appends a new entry at position Count(). The tables below add one from its fields.
    Entry* Add(std::string Name, const Payload& Data) {
        return new Entry(this, std::move(Name), Data);
    }
};

// A function's callback receives its arguments in text order, the first argument first, and
// returns the result. One signature serves every arity: the engine passes the arguments in
// place on its value stack, so a call costs the same whatever the count, and a host function
// registered under several counts can tell them apart by Args.size().
using TFunctionCallback = TComplex (*)(std::span<const TComplex> Args);

// An operator's callback receives the left operand first.
using TOperatorCallback = TComplex (*)(const TComplex& Left, const TComplex& Right);

struct TConstantData {
    long double Re = 0; // real part of the value
    long double Im = 0; // imaginary part
};

struct TVariableData {
    long double* RePtr = nullptr; // host cell of the real part; null reads as 0
    long double* ImPtr = nullptr; // host cell of the imaginary part; null reads as 0
};

struct TFunctionData {
    int ParamCount = 0; // 0 to 4 are callable
    TFunctionCallback Callback = nullptr;
};

struct TOperatorData {
    int Priority = 0; // a smaller number binds tighter; equal ones group from the left
    TOperatorCallback Callback = nullptr;
};

using TConstant = TEntry<TConstantData>;
using TVariable = TEntry<TVariableData>;
using TFunction = TEntry<TFunctionData>;
using TOperator = TEntry<TOperatorData>;

// Named constants; also an equation's parameter table.
class TConstants : public TCollection<TConstantData> {
public:
    using TCollection::TCollection;
    // Appends the constant Re + Im·j.
    TConstant* Add(std::string Name, long double Re, long double Im = 0) {
        return TCollection::Add(std::move(Name), {Re, Im});
    }
    [[nodiscard]] TConstant* GetConstant(int I) const { return Get(I); }
    void SetConstant(int I, const TConstant& Source) { Set(I, Source); }
};

// Variables bound to cells the host owns and keeps alive.
class TVariables : public TCollection<TVariableData> {
public:
    using TCollection::TCollection;
    // Appends a variable that reads RePtr's cell as its real part and ImPtr's as its imaginary
    // part; a null cell reads as 0.
    TVariable* Add(std::string Name, long double* RePtr, long double* ImPtr = nullptr) {
        return TCollection::Add(std::move(Name), {RePtr, ImPtr});
    }
    [[nodiscard]] TVariable* GetVariable(int I) const { return Get(I); }
    void SetVariable(int I, const TVariable& Source) { Set(I, Source); }
};

// Functions of 0 to 4 arguments.
class TFunctions : public TCollection<TFunctionData> {
public:
    using TCollection::TCollection;
    // Appends a function of ParamCount parameters (0 to 4 are callable) that Callback computes.
    TFunction* Add(std::string Name, int ParamCount, TFunctionCallback Callback) {
        return TCollection::Add(std::move(Name), {ParamCount, Callback});
    }
    // A parameter count is a whole number: a fractional one is refused when compiling.
    TFunction* Add(std::string Name, std::floating_point auto ParamCount,
                   TFunctionCallback Callback) = delete;
    [[nodiscard]] TFunction* GetFunction(int I) const { return Get(I); }
    void SetFunction(int I, const TFunction& Source) { Set(I, Source); }
};

// Binary operators; Name is the symbol or word.
class TOperators : public TCollection<TOperatorData> {
public:
    using TCollection::TCollection;
    // Appends an operator of this priority (a smaller number binds tighter) that Callback
    // computes from the left and the right operand.
    TOperator* Add(std::string Name, int Priority, TOperatorCallback Callback) {
        return TCollection::Add(std::move(Name), {Priority, Callback});
    }
    // A priority is a whole number: a fractional one is refused when compiling.
    TOperator* Add(std::string Name, std::floating_point auto Priority,
                   TOperatorCallback Callback) = delete;
    [[nodiscard]] TOperator* GetOperator(int I) const { return Get(I); }
    void SetOperator(int I, const TOperator& Source) { Set(I, Source); }
};

} // namespace zoZezo
