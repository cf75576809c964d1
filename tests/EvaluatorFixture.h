#pragma once

#include "zoZezo/zoZezo.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

// An evaluator with the built-ins and the variables x and y bound to cells of the test.
class EvaluatorFixture : public ::testing::Test {
protected:
    EvaluatorFixture() {
        Evaluator.Variables().Add("x", &X, &XIm);
        Evaluator.Variables().Add("y", &Y, static_cast<long double*>(nullptr));
        Previous =
            zoZezo::SetMessageHandler([this](const std::string& Text) { Messages += Text + "|"; });
    }
    ~EvaluatorFixture() override { zoZezo::SetMessageHandler(Previous); }

    zoZezo::TEquation& Add(const std::string& Text) { return *Evaluator.Equations().Add(Text); }

    // Adds the text as a new equation and compiles it.
    zoZezo::TEquation& Compile(const std::string& Text) {
        auto& Equation = Add(Text);
        Equation.Check();
        return Equation;
    }

    // The code as a line of words: literals as numbers (imaginary ones with j), entries by name,
    // parameters as $name and equations as @name.
    std::string Describe(const zoZezo::TEquation& Equation) {
        std::ostringstream Out;
        for (const auto* I = Equation.FirstInstruction(); I; I = I->Next) {
            if (I != Equation.FirstInstruction()) Out << ' ';
            switch (I->Kind) {
            case zoZezo::opRealNum: Out << static_cast<double>(I->Value); break;
            case zoZezo::opImaginaryNum: Out << static_cast<double>(I->Value) << 'j'; break;
            case zoZezo::opOperator:
                Out << Evaluator.Operators().GetOperator(I->Index)->Name;
                break;
            case zoZezo::opConstant:
                Out << Evaluator.Constants().GetConstant(I->Index)->Name;
                break;
            case zoZezo::opVariable:
                Out << Evaluator.Variables().GetVariable(I->Index)->Name;
                break;
            case zoZezo::opLocalVar:
                Out << '$' << Equation.LocalConstants().GetConstant(I->Index)->Name;
                break;
            case zoZezo::opFunction:
                Out << Evaluator.Functions().GetFunction(I->Index)->Name;
                break;
            case zoZezo::opLocalFunction:
                Out << '@' << Evaluator.Equations().GetEquation(I->Index)->FunctionName();
                break;
            }
        }
        return Out.str();
    }

    // The value of a parameterless equation compiled from Text.
    zoZezo::TComplex Value(const std::string& Text) {
        auto& Equation = Compile(Text);
        EXPECT_EQ(Equation.ErrorCode(), 0) << Text << ": " << Equation.ErrorMsg();
        return Equation.ComputeC();
    }

    zoZezo::TzoZezoEvaluator Evaluator;
    long double X = 4, XIm = 0, Y = 2;
    std::string Messages;
    zoZezo::TMessageHandler Previous;
};
