// Inputs of extreme size and shape: each computes correctly or gets a clear error, and the
// suite finishing in its usual time shows that none takes more than time linear in its size.

#include "zoZezo/zoZezo.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace zoZezo;

constexpr std::size_t HundredThousand = 100'000;

class ResourceBounds : public testing::Test {
protected:
    ResourceBounds() : FPrevious(SetMessageHandler([](const std::string&) {})) {
        Evaluator.Variables().Add("x", &X, nullptr);
    }
    ~ResourceBounds() override { SetMessageHandler(FPrevious); }

    TEquation& Compile(std::string Text) {
        TEquation& Equation = *Evaluator.Equations().Add(std::move(Text));
        Equation.Check();
        return Equation;
    }

    TzoZezoEvaluator Evaluator;
    long double X = 2;

private:
    TMessageHandler FPrevious;
};

// "f(p0;p1;...)" with Count parameters.
std::string Header(const std::string& Name, int Count) {
    std::string Text = Name + "(p0";
    for (int K = 1; K < Count; ++K)
        Text += ";p" + std::to_string(K);
    return Text + ")";
}

TEST_F(ResourceBounds, HeaderTakesAtMost255Parameters) {
    ASSERT_TRUE(Compile(Header("f", 255) + ": p254").Check());
    std::string Call = "g: f(0";
    for (int K = 1; K < 255; ++K)
        Call += ";" + std::to_string(K);
    EXPECT_EQ(Compile(Call + ")").Compute(), 254);
    for (int Count : {256, 100'000}) {
        const TEquation& TooWide = Compile(Header("h", Count) + ": p0");
        EXPECT_EQ(TooWide.ErrorCode(), 11) << Count;
        // at the character that ends the 256th parameter
        EXPECT_EQ(TooWide.ErrorPos(), static_cast<int>(Header("h", 256).size())) << Count;
    }
}

} // namespace
