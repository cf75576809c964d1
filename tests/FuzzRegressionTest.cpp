// Replays every kept input of the fuzz targets: the seed corpus and the inputs that once
// broke something. A target aborts on a broken invariant, so a failing input fails its test.

#include "FuzzTargets.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct TTarget {
    const char* Name;
    int (*Entry)(const std::uint8_t*, std::size_t);
    const char* Kind; // "corpus" or "regressions"
};

const TTarget Targets[] = {
    {"compile", zoZezo::fuzz::FuzzCompile, "corpus"},
    {"compile", zoZezo::fuzz::FuzzCompile, "regressions"},
    {"compute", zoZezo::fuzz::FuzzCompute, "corpus"},
    {"compute", zoZezo::fuzz::FuzzCompute, "regressions"},
    {"native", zoZezo::fuzz::FuzzNative, "corpus"},
    {"native", zoZezo::fuzz::FuzzNative, "regressions"},
    {"tables", zoZezo::fuzz::FuzzTables, "corpus"},
    {"tables", zoZezo::fuzz::FuzzTables, "regressions"},
};

void PrintTo(const TTarget& Target, std::ostream* Out) {
    *Out << Target.Kind << '/' << Target.Name;
}

class FuzzInputs : public testing::TestWithParam<TTarget> {};

TEST_P(FuzzInputs, RunClean) {
    const TTarget& Target = GetParam();
    const fs::path Directory = fs::path(ZOZEZO_FUZZ_DIR) / Target.Kind / Target.Name;
    std::vector<fs::path> Files;
    if (fs::is_directory(Directory))
        for (const auto& Entry : fs::directory_iterator(Directory))
            if (Entry.is_regular_file()) Files.push_back(Entry.path());
    std::sort(Files.begin(), Files.end());
    // A target may have broken on nothing yet, but every target has its seeds.
    if (Files.empty() && std::string_view(Target.Kind) == "regressions")
        GTEST_SKIP() << "no inputs kept in " << Directory;
    ASSERT_FALSE(Files.empty()) << "no seeds in " << Directory;
    for (const fs::path& File : Files) {
        std::ifstream Stream(File, std::ios::binary);
        const std::vector<char> Bytes{std::istreambuf_iterator<char>(Stream), {}};
        // Named before the run: should the input crash the test, the log says which one.
        std::printf("replaying %s\n", File.c_str());
        std::fflush(stdout);
        EXPECT_EQ(Target.Entry(reinterpret_cast<const std::uint8_t*>(Bytes.data()), Bytes.size()),
                  0)
            << File;
    }
}

INSTANTIATE_TEST_SUITE_P(Kept, FuzzInputs, testing::ValuesIn(Targets),
                         [](const testing::TestParamInfo<TTarget>& Info) {
                             return std::string(Info.param.Name) + "_" + Info.param.Kind;
                         });

} // namespace
