#include "zoZezo/Platform.h"

#include <cstdint>

namespace zoZezo {
namespace {

// Reads one code point of UTF-8 at Pos and advances Pos. A byte that does not start a valid
// sequence is returned as itself (with bit 31 set, so it never equals a real code point).
char32_t NextCodePoint(std::string_view S, std::size_t& Pos) {
    const auto Lead = static_cast<unsigned char>(S[Pos++]);
    if (Lead < 0x80) return Lead;
    const int Extra = Lead >= 0xF0 && Lead < 0xF5 ? 3 : Lead >= 0xE0 ? 2 : Lead >= 0xC2 ? 1 : -1;
    const char32_t Raw = 0x80000000u | Lead;
    if (Extra < 0 || Lead >= 0xF5 || Pos + static_cast<std::size_t>(Extra) > S.size()) return Raw;
    char32_t Code = Lead & (0x3Fu >> Extra);
    for (int K = 0; K < Extra; ++K) {
        const auto Next = static_cast<unsigned char>(S[Pos + static_cast<std::size_t>(K)]);
        if ((Next & 0xC0) != 0x80) return Raw;
        Code = (Code << 6) | (Next & 0x3Fu);
    }
    static constexpr char32_t Least[] = {0, 0x80, 0x800, 0x10000};
    if (Code < Least[Extra] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return Raw;
    Pos += static_cast<std::size_t>(Extra);
    return Code;
}

unsigned AsciiUpper(unsigned C) {
    return C >= 'a' && C <= 'z' ? C - 32 : C;
}

// Upper case of the letters of the European alphabets; everything else maps to itself.
char32_t UpperCodePoint(char32_t C) {
    if (C < 0x80) return AsciiUpper(C);
    if (C >= 0xE0 && C <= 0xFE && C != 0xF7) return C - 0x20; // Latin-1
    if (C == 0xFF) return 0x178;
    if (C >= 0x100 && C <= 0x17F) { // Latin Extended-A: alternating pairs
        const bool OddUpper = (C >= 0x139 && C <= 0x148) || (C >= 0x179 && C <= 0x17E);
        if (C == 0x131) return 'I';
        if (C == 0x17F) return 'S';
        if (C == 0x138 || C == 0x149) return C;
        return OddUpper ? (C % 2 == 0 ? C - 1 : C) : (C % 2 == 1 ? C - 1 : C);
    }
    if (C == 0x3C2) return 0x3A3;                  // final sigma
    if (C >= 0x3B1 && C <= 0x3CB) return C - 0x20; // Greek
    if (C == 0x3AC) return 0x386;                  // Greek with tonos: ά
    if (C >= 0x3AD && C <= 0x3AF) return C - 0x25; // έ ή ί
    if (C == 0x3CC) return 0x38C;                  // ό
    if (C == 0x3CD || C == 0x3CE) return C - 0x3F; // ύ ώ
    if (C >= 0x430 && C <= 0x44F) return C - 0x20; // Cyrillic
    if (C >= 0x450 && C <= 0x45F) return C - 0x50; // Cyrillic with marks
    return C;
}

void AppendUtf8(std::string& Out, char32_t C) {
    if (C & 0x80000000u) {
        Out += static_cast<char>(C & 0xFF);
    } else if (C < 0x80) {
        Out += static_cast<char>(C);
    } else if (C < 0x800) {
        Out += static_cast<char>(0xC0 | (C >> 6));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        Out += static_cast<char>(0xE0 | (C >> 12));
        Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (C >> 18));
        Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    }
}

int Sign(long Difference) {
    return (Difference > 0) - (Difference < 0);
}

} // namespace

std::string AnsiUpperCase(std::string_view S) {
    std::string Out;
    Out.reserve(S.size());
    for (std::size_t Pos = 0; Pos < S.size();)
        AppendUtf8(Out, UpperCodePoint(NextCodePoint(S, Pos)));
    return Out;
}

int AnsiCompareText(std::string_view A, std::string_view B) {
    std::size_t I = 0, J = 0;
    while (I < A.size() && J < B.size()) {
        const auto Ca = static_cast<unsigned char>(A[I]), Cb = static_cast<unsigned char>(B[J]);
        char32_t Ua, Ub;
        if ((Ca | Cb) < 0x80) { // the common case: two ASCII characters
            Ua = UpperCodePoint(Ca), Ub = UpperCodePoint(Cb), ++I, ++J;
        } else {
            Ua = UpperCodePoint(NextCodePoint(A, I)), Ub = UpperCodePoint(NextCodePoint(B, J));
        }
        if (Ua != Ub) return Ua < Ub ? -1 : 1;
    }
    return Sign(static_cast<long>(A.size() - I) - static_cast<long>(B.size() - J));
}

std::size_t NameHash(std::string_view Name) {
    std::size_t Hash = 14695981039346656037u; // FNV-1a over the code points AnsiCompareText sees
    for (std::size_t Pos = 0; Pos < Name.size();)
        Hash = (Hash ^ UpperCodePoint(NextCodePoint(Name, Pos))) * 1099511628211u;
    return Hash;
}

int CompareText(std::string_view A, std::string_view B) {
    const std::size_t N = A.size() < B.size() ? A.size() : B.size();
    for (std::size_t I = 0; I < N; ++I) {
        const auto Ua = AsciiUpper(static_cast<unsigned char>(A[I]));
        const auto Ub = AsciiUpper(static_cast<unsigned char>(B[I]));
        if (Ua != Ub) return Ua < Ub ? -1 : 1;
    }
    return Sign(static_cast<long>(A.size()) - static_cast<long>(B.size()));
}

} // namespace zoZezo
