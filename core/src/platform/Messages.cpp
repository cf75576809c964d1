#include "zoZezo/Platform.h"

#include <cstdio>
#include <utility>

namespace zoZezo {
namespace {

void WriteToStandardError(const std::string& Text) {
    std::fprintf(stderr, "%s\n", Text.c_str());
}

TMessageHandler& CurrentHandler() {
    static TMessageHandler Handler = WriteToStandardError;
    return Handler;
}

} // namespace

void ShowMessage(const std::string& Text) {
    CurrentHandler()(Text);
}

TMessageHandler SetMessageHandler(TMessageHandler Handler) {
    if (!Handler) Handler = WriteToStandardError;
    return std::exchange(CurrentHandler(), std::move(Handler));
}

} // namespace zoZezo
