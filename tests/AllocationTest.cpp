// Computing allocates nothing, and compiled code costs one instruction record per instruction
// plus a class digit per character. Proved by counting: this executable replaces the global
// operator new and delete, which is why it is kept apart from the other tests.

#include "zoZezo/zoZezo.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <vector>

namespace {

std::size_t Allocations = 0;
std::size_t LiveBytes = 0;

// Every block carries its size in front, so that a free knows how much it gives back.
constexpr std::size_t Header = alignof(std::max_align_t);

void* Allocate(std::size_t Size) {
    auto* Block = static_cast<unsigned char*>(std::malloc(Header + Size));
    if (!Block) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(Block) = Size;
    ++Allocations;
    LiveBytes += Size;
    return Block + Header;
}

void Free(void* Pointer) noexcept {
    if (!Pointer) return;
    auto* Block = static_cast<unsigned char*>(Pointer) - Header;
    LiveBytes -= *reinterpret_cast<std::size_t*>(Block);
    std::free(Block);
}

} // namespace

void* operator new(std::size_t Size) {
    return Allocate(Size);
}
void* operator new[](std::size_t Size) {
    return Allocate(Size);
}
void operator delete(void* Pointer) noexcept {
    Free(Pointer);
}
void operator delete[](void* Pointer) noexcept {
    Free(Pointer);
}
void operator delete(void* Pointer, std::size_t) noexcept {
    Free(Pointer);
}
void operator delete[](void* Pointer, std::size_t) noexcept {
    Free(Pointer);
}

using namespace zoZezo;

namespace {

// A host function that the engine cannot run in place.
TComplex Twice(std::span<const TComplex> Args) {
    return {2 * Args[0].Re, 2 * Args[0].Im};
}

class AllocationTest : public ::testing::Test {
protected:
    AllocationTest() {
        Evaluator.Variables().Add("x", &X, &XIm);
        Evaluator.Variables().Add("y", &Y, static_cast<long double*>(nullptr));
        Evaluator.Functions().Add("Twice", 1, Twice);
    }

    TEquation& Compile(const std::string& Text) {
        TEquation& Equation = *Evaluator.Equations().Add(Text);
        EXPECT_TRUE(Equation.Check()) << Text << ": " << Equation.ErrorMsg();
        return Equation;
    }

    TzoZezoEvaluator Evaluator;
    long double X = 0.7L, XIm = 0, Y = 1.3L;
};

std::string Nested(int Groups) {
    std::string Text = "r: ";
    for (int K = 0; K < Groups; ++K)
        Text += "(1+";
    return Text + "x" + std::string(static_cast<std::size_t>(Groups), ')');
}

} // namespace

TEST_F(AllocationTest, ComputingAllocatesNothing) {
    Compile("f(a;b): a*b+1");
    Compile("g: f(x;y)^2");
    const std::vector<std::string> Texts = {
        "r: 2*x^2+Sin(x)",
        "r: (x+1)*(x-1)/(x*x+1)",
        "r: Exp(-x*x/2)*Cos(3*x)+Sqrt(x*x+y*y)-ATan(y)*Tan(x)",
        "r: 1+x+x^2+x^3+x^4+x^5+x^6+x^7+x^8+x^9+x^10+x^2.5",
        "r: x>0.5 and y<2 or x<>y xor x=y",
        "r: pi*x+e*y-2.5\\3",
        "r: (1+2j)*x^3-Sqrt(-x)+Ln(x)+Abs(1j)+Sin(x+1j)*Exp(1j)^2",
        "r: 2*f(x;3)-pi+g+If(x>1;g;-g)+Twice(x)",
        Nested(255),
    };
    std::vector<TEquation*> Equations;
    for (const std::string& Text : Texts)
        Equations.push_back(&Compile(Text));
    auto ComputeAll = [&] {
        for (TEquation* Equation : Equations) {
            (void)Equation->Compute();
            (void)Equation->ComputeC();
            const TComplex Args[] = {{1, 2}};
            (void)Equation->ComputeArgsC(Args);
        }
    };
    Evaluator.SetNativeMode(TNativeMode::Off);
    std::size_t Before = Allocations;
    for (int Round = 0; Round < 3; ++Round)
        ComputeAll();
    EXPECT_EQ(Allocations - Before, 0u) << "interpreted";
    // Native code is made at the first computation; computing again allocates nothing.
    Evaluator.SetNativeMode(TNativeMode::Always);
    ComputeAll();
    Before = Allocations;
    for (int Round = 0; Round < 3; ++Round)
        ComputeAll();
    EXPECT_EQ(Allocations - Before, 0u) << "native";
}

TEST_F(AllocationTest, CodeCostsOneRecordPerInstructionAndADigitPerCharacter) {
    std::string Text = "r: x";
    while (Text.size() < 100000)
        Text += "*1.5+Sin(y)/2-x";
    TEquation& Equation = *Evaluator.Equations().Add(Text);
    const std::size_t Before = LiveBytes;
    ASSERT_TRUE(Equation.Check());
    const std::size_t Instructions = Equation.Instructions().size();
    EXPECT_LE(LiveBytes - Before, Instructions * 32 + Text.size() + 256);
    EXPECT_EQ(sizeof(TInstruction), 32u);
}

// The stacks stay with the evaluator: once a computation has grown them, computing again at any
// depth allocates nothing, until the host gives the memory back.
TEST_F(AllocationTest, DeepChainsAllocateNothingOnceWarmedUp) {
    constexpr int Depth = 2000;
    std::vector<TEquation*> Chain{&Compile("e0: x")};
    for (int K = 1; K < Depth; ++K)
        Chain.push_back(&Compile("e" + std::to_string(K) + ": e" + std::to_string(K - 1) + "+1"));
    EXPECT_EQ(Evaluator.ComputeMemory(), 0u);
    EXPECT_EQ(Chain.back()->Compute(), X + Depth - 1); // warms up: 2000 frames
    EXPECT_GT(Evaluator.ComputeMemory(), 0u);
    for (TEquation* Equation : Chain) // and translates what the native mode translates
        (void)Equation->Compute();
    const std::size_t Before = Allocations;
    for (TEquation* Equation : Chain)
        (void)Equation->Compute();
    EXPECT_EQ(Chain.back()->Compute(), X + Depth - 1);
    EXPECT_EQ(Allocations - Before, 0u);
    Evaluator.ReleaseComputeMemory();
    EXPECT_EQ(Evaluator.ComputeMemory(), 0u);
    EXPECT_EQ(Chain[31]->Compute(), X + 31); // 32 frames fit without the heap
    EXPECT_EQ(Allocations - Before, 0u);
}
