// The pool of executable memory: pieces share pages until one runs, no page is ever writable
// and executable or writable again once executable (as /proc/self/maps shows the pages), freed
// chunks go back to the system, and the bound holds. Then the same through evaluators: the
// mappings stay few however equations are freed, and evaluators translate on many threads at
// once.

#include "native/ExecutableMemory.h"

#include "zoZezo/zoZezo.h"

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zoZezo;

namespace {

// The permissions /proc/self/maps shows for the page at Address ("r-xp"), "" when unmapped;
// and the count of its lines.
std::string PermissionsAt(const void* Address) {
    std::ifstream Maps("/proc/self/maps");
    const auto At = reinterpret_cast<std::uintptr_t>(Address);
    for (std::string Line; std::getline(Maps, Line);) {
        std::istringstream In(Line);
        std::uintptr_t Start = 0, End = 0;
        char Dash = 0;
        std::string Permissions;
        In >> std::hex >> Start >> Dash >> End >> Permissions;
        if (Start <= At && At < End) return Permissions;
    }
    return "";
}

int Mappings() {
    std::ifstream Maps("/proc/self/maps");
    int Count = 0;
    for (std::string Line; std::getline(Maps, Line);)
        ++Count;
    return Count;
}

// Whether some mapping of the process is writable and executable at once.
bool SomePageWritableAndExecutable() {
    std::ifstream Maps("/proc/self/maps");
    for (std::string Line; std::getline(Maps, Line);) {
        std::istringstream In(Line);
        std::string Range, Permissions;
        In >> Range >> Permissions;
        if (Permissions[1] == 'w' && Permissions[2] == 'x') return true;
    }
    return false;
}

// mov eax, Value; ret
std::vector<std::uint8_t> Returning(std::uint32_t Value) {
    std::vector<std::uint8_t> Code = {0xB8};
    for (int K = 0; K < 4; ++K)
        Code.push_back(static_cast<std::uint8_t>(Value >> (8 * K)));
    Code.push_back(0xC3);
    return Code;
}

int Called(const TExecutableMemory& Piece) {
    return reinterpret_cast<int (*)()>(const_cast<void*>(Piece.Start()))();
}

const std::size_t Page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));

std::uintptr_t PageOf(const TExecutableMemory& Piece) {
    return reinterpret_cast<std::uintptr_t>(Piece.Start()) / Page;
}

bool Available() {
    return TzoZezoEvaluator::NativeCodeAvailable();
}

} // namespace

TEST(ExecutableMemory, PiecesSharePagesUntilSealedAndNoPageIsEverWritableAndExecutable) {
    if (!Available()) GTEST_SKIP() << "no native code here";
    TCodePool Pool(4 * Page, 16 * Page);
    const auto A = Pool.Add(Returning(1)), B = Pool.Add(Returning(2));
    ASSERT_TRUE(A.Memory && B.Memory);
    EXPECT_EQ(PageOf(*B.Memory), PageOf(*A.Memory));
    EXPECT_EQ(PermissionsAt(A.Memory->Start()), "rw-p");
    ASSERT_TRUE(B.Memory->Seal());
    EXPECT_TRUE(A.Memory->Seal()) << "sealed with B";
    EXPECT_EQ(PermissionsAt(A.Memory->Start()), "r-xp");
    EXPECT_EQ(Called(*A.Memory) + Called(*B.Memory), 3);
    // the next piece goes to the next page, which stays writable until sealed in its turn
    const auto C = Pool.Add(Returning(4));
    EXPECT_EQ(PageOf(*C.Memory), PageOf(*A.Memory) + 1);
    EXPECT_EQ(PermissionsAt(C.Memory->Start()), "rw-p");
    EXPECT_EQ(PermissionsAt(A.Memory->Start()), "r-xp");
    EXPECT_FALSE(SomePageWritableAndExecutable());
    ASSERT_TRUE(C.Memory->Seal());
    EXPECT_EQ(Called(*C.Memory), 4);
    EXPECT_FALSE(SomePageWritableAndExecutable());
}

TEST(ExecutableMemory, FreedMemoryIsReusedOrUnmappedAndTheBoundHolds) {
    if (!Available()) GTEST_SKIP() << "no native code here";
    TCodePool Pool(Page, 2 * Page);
    // a piece that never ran leaves its place to the next one
    const void* First = Pool.Add(Returning(1)).Memory->Start();
    auto A = Pool.Add(Returning(1));
    EXPECT_EQ(A.Memory->Start(), First);
    ASSERT_TRUE(A.Memory->Seal()); // the one-page chunk is full now
    auto B = Pool.Add(Returning(2));
    ASSERT_TRUE(B.Memory && B.Memory->Seal());
    EXPECT_EQ(Pool.MappedBytes(), 2 * Page);
    const auto Refused = Pool.Add(Returning(3));
    EXPECT_FALSE(Refused.Memory);
    EXPECT_EQ(Refused.Refusal, TCodeRefusal::Bound);
    // freeing A's chunk unmaps it, which makes room
    const void* Gone = A.Memory->Start();
    A.Memory.reset();
    EXPECT_EQ(PermissionsAt(Gone), "");
    EXPECT_EQ(Pool.MappedBytes(), Page);
    const auto C = Pool.Add(Returning(3));
    ASSERT_TRUE(C.Memory && C.Memory->Seal());
    EXPECT_EQ(Called(*C.Memory), 3);
    EXPECT_EQ(Pool.Chunks(), 2u);
}

// Each evaluator translates every equation at its first computation and frees every other one
// after; with a mapping per piece of code, the mappings would grow with the equations kept.
TEST(ExecutableMemory, FreeingEveryOtherEquationKeepsTheMappingsFew) {
    if (!Available()) GTEST_SKIP() << "no native code here";
    TzoZezoEvaluator Evaluator;
    Evaluator.SetNativeMode(TNativeMode::Always);
    long double X = 0.5L;
    Evaluator.Variables().Add("x", &X);
    const int Before = Mappings();
    int Most = Before;
    TEquations& List = Evaluator.Equations();
    for (int Round = 0; Round < 3; ++Round) {
        for (int K = 0; K < 1000; ++K) {
            TEquation& Equation = *List.Add("r: x*" + std::to_string(K) + "+1");
            ASSERT_TRUE(Equation.Check());
            ASSERT_EQ(Equation.Compute(), X * K + 1);
            ASSERT_TRUE(Equation.HasNativeCode());
        }
        for (int K = List.Count() - 1; K >= 0; K -= 2)
            List.Delete(K);
        Most = std::max(Most, Mappings());
    }
    EXPECT_LT(Most - Before, 100) << "with " << List.Count() << " equations translated";
    EXPECT_FALSE(SomePageWritableAndExecutable());
}

TEST(ExecutableMemory, EvaluatorsTranslateOnManyThreadsAtOnce) {
    constexpr int Threads = 4, Lines = 300;
    std::vector<std::string> Failures(Threads);
    std::vector<std::thread> Running;
    for (int T = 0; T < Threads; ++T)
        Running.emplace_back([T, &Failures] {
            TzoZezoEvaluator Native, Interpreted;
            long double X = 0.25L * T;
            for (TzoZezoEvaluator* E : {&Native, &Interpreted})
                E->Variables().Add("x", &X);
            Native.SetNativeMode(T % 2 ? TNativeMode::Always : TNativeMode::Often);
            Interpreted.SetNativeMode(TNativeMode::Off);
            for (int K = 0; K < Lines; ++K) {
                const std::string Text = "r: (x+" + std::to_string(K) + ")*(x-1)/(x*x+1)";
                TEquation& A = *Native.Equations().Add(Text);
                TEquation& B = *Interpreted.Equations().Add(Text);
                for (int Run = 0; Run < 70; ++Run, X += 1)
                    if (A.Compute() != B.Compute()) Failures[T] = Text;
            }
        });
    for (std::thread& Thread : Running)
        Thread.join();
    for (const std::string& Failure : Failures)
        EXPECT_EQ(Failure, "");
}
