// Drives the zezo program as a user does: arguments, standard input and files in; standard
// output, standard error and the exit status out.

#include "RunProgram.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using Args = std::vector<std::string>;
using json = nlohmann::ordered_json;

TRunResult Zezo(const Args& Arguments, std::string_view Input = {}) {
    return RunProgram(ZEZO_PATH, Arguments, Input);
}

std::string WriteTemp(const std::string& Name, const std::string& Content) {
    const auto Path = std::filesystem::path(testing::TempDir()) / Name;
    std::ofstream(Path, std::ios::binary) << Content;
    return Path.string();
}

std::vector<json> JsonLines(const std::string& Out) {
    std::vector<json> Lines;
    std::istringstream Stream(Out);
    for (std::string Line; std::getline(Stream, Line);)
        Lines.push_back(json::parse(Line));
    return Lines;
}

long double ReadBack(const json& Text) {
    return std::strtold(Text.get<std::string>().c_str(), nullptr);
}

struct TCase {
    Args Arguments;
    std::string Input;
    std::string Expected; // standard output, or a part of standard error where noted
    int Status;
};

TEST(ZezoUsage, RefusesBadUsageWithOneLineReason) {
    const std::vector<TCase> Cases = {
        {{}, "", "subcommand is required", 64},
        {{"check", "a", "b"}, "", "not expected: b", 64},
        {{"check", "--bogus"}, "", "--bogus", 64},
        {{"eval", "--digits", "0"}, "", "not in range 1 to 21", 64},
        {{"eval", "--digits", "22"}, "", "not in range 1 to 21", 64},
        {{"check", "--var", "x"}, "", "--var: 'x': expected NAME=VALUE", 64},
        {{"check", "--var", "x=1,abc"}, "", "'abc': not a number", 64},
        {{"check", "--var", "x= 1"}, "", "not a number", 64},
        {{"check", "--var", "2x=1"}, "", "'2x' is not a valid name", 64},
        {{"check", "--var", "x=1", "--var", "X=2"}, "", "variable 'X' is bound twice", 64},
        {{"check", "--const", "pi=3"}, "", "constant 'pi' already exists", 64},
        {{"check", "--seed", "-1"}, "", "--seed", 64},
        {{"sweep"}, "", "range is required", 64},
        {{"sweep", "t=0:1"}, "", "expected NAME=FROM:TO:STEP", 64},
        {{"sweep", "t=0:1:0"}, "", "the step must not be 0", 64},
        {{"sweep", "t=0:1:-1"}, "", "the step leads away from TO", 64},
        {{"sweep", "t=0:1:1e-9"}, "", "more than 1000000 steps", 64},
        {{"sweep", "t=0:1:0.5", "--var", "t=1"}, "", "variable 't' is bound twice", 64},
        {{"form", "--syntax", "Imaginary=ab"}, "", "takes exactly one character", 64},
        {{"form", "--syntax", "Nope=x"}, "", "no property \"Nope\"", 64},
        {{"check", "missing.zez"}, "", "cannot read 'missing.zez': No such file", 66},
        {{"check", "/"}, "", "cannot read '/': Is a directory", 66},
        {{"check", "--settings", "missing.json"}, "", "cannot read 'missing.json'", 66},
        {{"check", "--settings", WriteTemp("bad.json", "{")}, "", "malformed JSON", 64},
    };
    for (const auto& [Arguments, Input, Reason, Status] : Cases) {
        const auto Run = Zezo(Arguments, Input);
        SCOPED_TRACE(Run.Err);
        EXPECT_EQ(Run.Status, Status);
        EXPECT_TRUE(Run.Out.empty());
        EXPECT_EQ(Run.Err.rfind("zezo: ", 0), 0u);
        EXPECT_EQ(Run.Err.find('\n'), Run.Err.size() - 1);
        EXPECT_NE(Run.Err.find(Reason), std::string::npos);
    }
}

TEST(ZezoUsage, EveryCommandHasHelp) {
    for (const Args& Arguments : std::vector<Args>{{"--help"},
                                                   {"check", "--help"},
                                                   {"eval", "--help"},
                                                   {"sweep", "--help"},
                                                   {"form", "-h"}}) {
        const auto Run = Zezo(Arguments);
        EXPECT_EQ(Run.Status, 0);
        EXPECT_NE(Run.Out.find("Usage: zezo"), std::string::npos) << Arguments[0];
    }
}

TEST(ZezoCheck, ReportsFaultyLinesWithCharacterColumnAndCaret) {
    std::string Terms;
    for (int K = 0; K < 1000; ++K)
        Terms += "+1";
    const std::string LongLine = "y: 1" + Terms + "$" + Terms; // the $ is character 2005
    const std::vector<TCase> Cases = {
        {{}, "", "", 0},
        {{}, "a: 1\n\n{note}\nb(x): x*a", "", 0},
        {{},
         "a: 1\nb: 2+\nc: zz\n",
         "Error: Incomplete expression (position:2,6).\nb: 2+\n     ^\n",
         1},
        {{"--all"},
         "a: 1\nb: 2+\nc: zz\n",
         "Error: Incomplete expression (position:2,6).\nb: 2+\n     ^\n"
         "Error: Identifier not defined (position:3,6).\nc: zz\n     ^\n",
         1},
        {{}, "y: 2+\r\n", "Error: Incomplete expression (position:1,6).\ny: 2+\n     ^\n", 1},
        {{},
         "y: 1 {Ω} + zz",
         "Error: Identifier not defined (position:1,14).\ny: 1 {Ω} + zz\n             ^\n",
         1},
        {{},
         "y: {\t} zz",
         "Error: Identifier not defined (position:1,10).\ny: {\t} zz\n    \t    ^\n",
         1},
        {{},
         "y: \xff",
         "Error: Symbol not allowed in this position (position:1,4).\ny: \uFFFD\n   ^\n",
         1},
        {{},
         std::string("y: 1\0", 5),
         "Error: Invalid symbol in number (position:1,5).\ny: 1\uFFFD\n    ^\n",
         1},
        {{},
         LongLine,
         "Error: Invalid symbol in number (position:1,2005).\n..." + LongLine.substr(1954, 100) +
             "...\n" + std::string(53, ' ') + "^\n",
         1},
    };
    for (const auto& [Options, Input, Err, Status] : Cases) {
        Args Arguments{"check"};
        Arguments.insert(Arguments.end(), Options.begin(), Options.end());
        const auto Run = Zezo(Arguments, Input);
        EXPECT_EQ(Run.Err, Err);
        EXPECT_EQ(Run.Status, Status);
        EXPECT_EQ(Run.Out, "");
    }
}

// A line per named equation that compiled, or a "native" field in each JSON object, with the
// mode the environment names.
TEST(ZezoCheck, VerboseTellsWhetherEquationsRunNativeCode) {
    const std::string Input = "f(a): a*2\n{ a comment }\nq: If(1;2;3)\nr: 1+\n";
    setenv("ZOZEZO_NATIVE", "often", 1);
    const auto Run = Zezo({"check", "--verbose", "--all"}, Input);
    const auto Json = JsonLines(Zezo({"check", "--verbose", "--all", "--json"}, Input).Out);
    setenv("ZOZEZO_NATIVE", "off", 1);
    const auto Off = Zezo({"check", "--verbose"}, "f(a): a*2\n");
    unsetenv("ZOZEZO_NATIVE");
    if (Run.Out.find("no native code") != std::string::npos) GTEST_SKIP() << "no native code here";
    EXPECT_EQ(Run.Out, "1: f: interpreted until computed 64 times (0 so far), then native code\n"
                       "3: q: interpreted: translating it would decline: it calls a built-in "
                       "operator or function that native code leaves to the interpreter\n");
    EXPECT_EQ(Run.Status, 1);
    ASSERT_EQ(Json.size(), 4u);
    EXPECT_EQ(Json[1]["native"], "interpreted: translating it would decline: its code does not "
                                 "leave exactly one value");
    EXPECT_EQ(Json[3]["native"], "interpreted: not compiled without error");
    EXPECT_EQ(Off.Out, "1: f: interpreted: native code is off\n");
}

TEST(ZezoEval, PrintsTheValueOfEachEquationWithoutParameters) {
    const std::string ImaginaryI = WriteTemp(
        "i.json", Zezo({"form", "--syntax", "Imaginary=i", "--syntax", "Separator=,"}).Out);
    const std::vector<TCase> Cases = {
        {{}, "y: 1+2\nz: (1+2j)*3j\nc: 1-2j\nw: 2j*2j", "y = 3\nz = -6+3j\nc = 1-2j\nw = -4\n", 0},
        {{}, "f(x): x*x\n\n{comment}\ny: f(3)", "y = 9\n", 0},
        {{}, "n: 0/0\nm: 1+Sqrt(0/0)*1j", "n = NaN\nm = NaN\n", 0},
        {{"--digits", "3"}, "p: pi", "p = 3.14\n", 0},
        {{"--digits", "21"}, "y: 0.1", "y = 0.100000000000000000001\n", 0},
        {{"--var", "x=2", "--var", "z=1,-2"}, "y: x*x\nw: z", "y = 4\nw = 1-2j\n", 0},
        {{"--const", "k=3,4"}, "y: k", "y = 3+4j\n", 0},
        {{"--var", "x=2", "--const", "k=3", "-"}, "y: x*k", "y = 6\n", 0},
        {{"--settings", ImaginaryI}, "f(a,b): a*b\nz: f(2i,3)", "z = 0+6i\n", 0},
        {{}, "a: 1\nb: 2+\nc: 3", "a = 1\n", 1},
        {{"--all"}, "a: 1\nb: 2+\nc: 3", "a = 1\nc = 3\n", 1},
        {{}, "r: 1j > 0\ny: 5", "y = 5\n", 2},
    };
    for (const auto& [Options, Input, Out, Status] : Cases) {
        Args Arguments{"eval"};
        Arguments.insert(Arguments.end(), Options.begin(), Options.end());
        const auto Run = Zezo(Arguments, Input);
        EXPECT_EQ(Run.Out, Out) << Input;
        EXPECT_EQ(Run.Status, Status) << Input;
    }
    EXPECT_EQ(Zezo({"eval"}, "r: 1j > 0").Err, "r: Number must be real\n");
}

TEST(ZezoEval, SeedMakesRandRepeatable) {
    const auto Draw = [](const char* Seed) {
        return Zezo({"eval", "--seed", Seed}, "r: Rand(1000)").Out;
    };
    EXPECT_EQ(Draw("7"), Draw("7"));
    EXPECT_NE(Draw("7"), Draw("8"));
}

TEST(ZezoSweep, PrintsOneCsvRowPerStep) {
    const std::vector<TCase> Cases = {
        {{"t=0:1:0.25"}, "y: 2*t", "t,y\n0,0\n0.25,0.5\n0.5,1\n0.75,1.5\n1,2\n", 0},
        {{"t=1:0:-0.5"}, "y: t", "t,y\n1,1\n0.5,0.5\n0,0\n", 0},
        {{"t=5:5:1"}, "y: t", "t,y\n5,5\n", 0},
        {{"t=-1:1:1"}, "s: U(t)\nf(x): x\nz: t*1j", "t,s,z\n-1,0,-0-1j\n0,1,0\n1,1,0+1j\n", 0},
        {{"t=0:1:1"}, "t: 7\ny: t", "t,y\n0,0\n1,1\n", 0},
        {{"t=0:1:1"}, "r: t > 1j\ny: t", "t,r,y\n0,,0\n1,,1\n", 2},
        {{"t=0:1:1"}, "y: t+", "t\n0\n1\n", 1},
    };
    for (const auto& [Range, Input, Out, Status] : Cases) {
        const auto Run = Zezo({"sweep", Range[0]}, Input);
        EXPECT_EQ(Run.Out, Out) << Input;
        EXPECT_EQ(Run.Status, Status) << Input;
    }
    EXPECT_EQ(Zezo({"sweep", "t=0:1:1"}, "r: t > 1j").Err, "r: Number must be real\n");
    const auto Tenths = Zezo({"sweep", "t=0:2:0.1"}, "y: t").Out;
    EXPECT_NE(Tenths.find("\n0.3,0.3\n"), std::string::npos);
    EXPECT_TRUE(Tenths.ends_with("\n2,2\n"));
}

TEST(ZezoJson, CompileResultFieldByField) {
    const auto Run =
        Zezo({"check", "--json", "--all"}, "p(x): 3.5*x^2 - Sin(x) + 1.5e-3j\ny: 2+\xff");
    const auto Lines = JsonLines(Run.Out);
    ASSERT_EQ(Lines.size(), 2u);
    const json& P = Lines[0];
    std::vector<std::string> Keys;
    for (const auto& Item : P.items())
        Keys.push_back(Item.key());
    EXPECT_EQ(Keys, (std::vector<std::string>{"line", "text", "code", "pos", "message", "name",
                                              "params", "classes", "instrs"}));
    EXPECT_EQ(P["line"], 1);
    EXPECT_EQ(P["text"], "p(x): 3.5*x^2 - Sin(x) + 1.5e-3j");
    EXPECT_EQ(P["code"], 0);
    EXPECT_EQ(P["pos"], 0);
    EXPECT_EQ(P["message"], "Ok");
    EXPECT_EQ(P["name"], "p");
    EXPECT_EQ(P["params"], json({"x"}));
    EXPECT_EQ(P["classes"], "21211133312131112221211113333331");
    std::vector<int> Kinds;
    for (const auto& I : P["instrs"])
        Kinds.push_back(I[0]);
    EXPECT_EQ(Kinds, (std::vector<int>{0, 5, 0, 2, 2, 5, 6, 2, 1, 2}));
    EXPECT_EQ(P["instrs"][1], json({5, 0, nullptr}));
    EXPECT_EQ(P["instrs"][0][2], "3.5");
    EXPECT_EQ(ReadBack(P["instrs"][8][2]), 1.5e-3L);

    const json& Y = Lines[1];
    EXPECT_EQ(Y["text"], "y: 2+\uFFFD");
    EXPECT_EQ(Y["code"], 4);
    EXPECT_EQ(Y["pos"], 6);
    EXPECT_EQ(Y["message"], "Symbol not allowed in this position");
    EXPECT_EQ(Y["name"], "");
    EXPECT_EQ(Run.Status, 1);
    EXPECT_EQ(JsonLines(Zezo({"check", "--json"}, "a: 1\nb: +\nc: 1").Out).size(), 2u);
}

TEST(ZezoJson, EvalAddsValueOrError) {
    const auto Run = Zezo({"eval", "--json"}, "y: 0.1\nf(a): a\nr: 1j > 0\nz: 1-2j");
    const auto Lines = JsonLines(Run.Out);
    ASSERT_EQ(Lines.size(), 4u);
    EXPECT_EQ(ReadBack(Lines[0]["value"][0]), 0.1L);
    EXPECT_EQ(Lines[0]["value"][1], "0");
    EXPECT_FALSE(Lines[1].contains("value") || Lines[1].contains("error"));
    EXPECT_EQ(Lines[2]["error"], "Number must be real");
    EXPECT_FALSE(Lines[2].contains("value"));
    EXPECT_EQ(Lines[3]["value"], json({"1", "-2"}));
    EXPECT_EQ(Run.Err, "");
    EXPECT_EQ(Run.Status, 2);

    const auto Swept = JsonLines(Zezo({"sweep", "t=0:1:1", "--json"}, "y: 2*t\nr: t > 1j").Out);
    EXPECT_EQ(Swept[0]["values"], json::array({json{"0", "0"}, json{"2", "0"}}));
    EXPECT_EQ(Swept[1]["values"], json({nullptr, nullptr}));
}

TEST(ZezoForm, WritesOnlyChangedPropertiesAndReadsThemBack) {
    EXPECT_EQ(json::parse(Zezo({"form"}).Out)["properties"], json::object());
    const auto Form =
        json::parse(Zezo({"form", "--syntax", "OpenComment=[", "--syntax", "CloseComment=]"}).Out);
    EXPECT_EQ(Form["properties"], json({{"OpenComment", "["}, {"CloseComment", "]"}}));
    const auto Settings = WriteTemp("brackets.json", Form.dump());
    EXPECT_EQ(Zezo({"eval", "--settings", Settings}, "y: 2 [twice] * 3").Out, "y = 6\n");
}

TEST(ZezoInput, SurvivesHostileInput) {
    std::string Sum = "y: 1";
    for (int K = 0; K < 500000; ++K)
        Sum += "+1";
    EXPECT_EQ(Zezo({"eval"}, Sum).Out, "y = 500001\n");
    std::string Noise;
    for (int K = 0; K < 100000; ++K)
        Noise += static_cast<char>((K * 7919) % 256);
    for (const auto* Command : {"check", "eval"}) {
        const auto Run = Zezo({Command, "--all", "--json"}, Noise);
        EXPECT_EQ(Run.Status, 1);
        for (const auto& Line : JsonLines(Run.Out))
            EXPECT_TRUE(Line.contains("code"));
    }
}

TEST(ZezoExamples, EveryExampleChecksAndEvaluates) {
    int Count = 0;
    for (const auto& Entry : std::filesystem::directory_iterator(EXAMPLES_DIR)) {
        if (Entry.path().extension() != ".zez") continue;
        ++Count;
        for (const auto* Command : {"check", "eval"}) {
            const auto Run = Zezo({Command, Entry.path().string()});
            EXPECT_EQ(Run.Status, 0) << Entry.path() << Run.Err;
            EXPECT_EQ(Run.Err, "") << Entry.path();
        }
    }
    EXPECT_GE(Count, 3);
}

// e0: 1 and eK: e(K-1)+e(K-1): the line eK runs 2^(K+1)-1 equations.
std::string Doubling(int Last) {
    std::string Text = "e0: 1\n";
    for (int K = 1; K <= Last; ++K) {
        const std::string Before = "e" + std::to_string(K - 1);
        Text += "e" + std::to_string(K) + ": " + Before + "+" + Before + "\n";
    }
    return Text;
}

TEST(ZezoEval, RunBudgetIsAnOption) {
    const auto Default = Zezo({"eval", "--json"}, Doubling(20));
    ASSERT_EQ(Default.Status, 0) << Default.Err;
    EXPECT_EQ(ReadBack(JsonLines(Default.Out).back()["value"][0]), 1048576);

    const auto Lowered = Zezo({"eval", "--max-runs", "1000"}, Doubling(10));
    EXPECT_EQ(Lowered.Status, 2);
    EXPECT_NE(Lowered.Out.find("e8 = 256"), std::string::npos); // 511 runs fit
    EXPECT_EQ(Lowered.Err, "e9: the computation would run equations more than 1000 times; "
                           "raise the budget with --max-runs\n"
                           "e10: the computation would run equations more than 1000 times; "
                           "raise the budget with --max-runs\n");

    const auto Zero = Zezo({"eval", "--max-runs", "0"}, "a: 1");
    EXPECT_EQ(Zero.Status, 64);
    EXPECT_NE(Zero.Err.find("--max-runs"), std::string::npos);
}

} // namespace
