#include "Document.h"

#include "Failure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fmt/format.h>
#include <memory>

namespace zezo {
namespace {

struct TCloser {
    void operator()(std::FILE* File) const { std::fclose(File); }
};

[[noreturn]] void CannotRead(const std::string& Path, int Error) {
    const std::string Name = Path == "-" ? "standard input" : fmt::format("'{}'", Path);
    throw TFailure(ExitNoInput, fmt::format("cannot read {}: {}", Name, std::strerror(Error)));
}

std::string ReadAll(std::FILE* File, const std::string& Path) {
    std::string Text;
    char Buffer[1 << 16];
    while (const std::size_t Count = std::fread(Buffer, 1, sizeof Buffer, File))
        Text.append(Buffer, Count);
    if (std::ferror(File)) CannotRead(Path, errno);
    return Text;
}

} // namespace

std::string ReadInput(const std::string& Path) {
    if (Path == "-") return ReadAll(stdin, Path);
    std::unique_ptr<std::FILE, TCloser> File(std::fopen(Path.c_str(), "rb"));
    if (!File) CannotRead(Path, errno);
    return ReadAll(File.get(), Path);
}

std::vector<std::string> SplitLines(std::string_view Text) {
    std::vector<std::string> Lines;
    while (!Text.empty()) {
        const auto End = Text.find('\n');
        std::string_view Line = Text.substr(0, End);
        if (Line.ends_with('\r')) Line.remove_suffix(1);
        Lines.emplace_back(Line);
        Text.remove_prefix(End == std::string_view::npos ? Text.size() : End + 1);
    }
    return Lines;
}

} // namespace zezo
