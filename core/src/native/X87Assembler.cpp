#include "native/X87Assembler.h"

#include <cstring>

namespace zoZezo::x87 {

TAssembler::TLabel TAssembler::NewLabel() {
    FLabels.push_back(-1);
    return static_cast<TLabel>(FLabels.size() - 1);
}

void TAssembler::Bind(TLabel Label) {
    FLabels[static_cast<std::size_t>(Label)] = static_cast<std::ptrdiff_t>(FCode.size());
}

void TAssembler::Finish() {
    for (const TFixup& Fixup : FFixups) {
        const std::ptrdiff_t Target = FLabels[static_cast<std::size_t>(Fixup.Label)];
        const auto Rel =
            static_cast<std::int32_t>(Target - static_cast<std::ptrdiff_t>(Fixup.At + 4));
        std::memcpy(&FCode[Fixup.At], &Rel, 4);
    }
}

void TAssembler::Bytes32(std::uint32_t Value) {
    for (int K = 0; K < 4; ++K)
        Byte(static_cast<int>((Value >> (8 * K)) & 0xFF));
}

void TAssembler::Memory(int Reg, TGpr Base, std::int32_t Disp) {
    Byte(0x80 | (Reg << 3) | Base); // mod 10: disp32
    if (Base == rsp) Byte(0x24);    // SIB: base rsp, no index
    Bytes32(static_cast<std::uint32_t>(Disp));
}

void TAssembler::MovRegReg(TGpr To, TGpr From) {
    RexW();
    Pair(0x89, 0xC0 | (From << 3) | To);
}

void TAssembler::Load(TGpr To, TGpr Base, std::int32_t Disp) {
    RexW();
    Byte(0x8B);
    Memory(To, Base, Disp);
}

void TAssembler::Store(TGpr Base, std::int32_t Disp, TGpr From) {
    RexW();
    Byte(0x89);
    Memory(From, Base, Disp);
}

void TAssembler::MovImm(TGpr To, std::uint64_t Value) {
    RexW();
    Byte(0xB8 + To);
    Bytes32(static_cast<std::uint32_t>(Value));
    Bytes32(static_cast<std::uint32_t>(Value >> 32));
}

void TAssembler::Load16(TGpr To, TGpr Base, std::int32_t Disp) {
    Pair(0x0F, 0xB7);
    Memory(To, Base, Disp);
}

void TAssembler::Store16(TGpr Base, std::int32_t Disp, TGpr From) {
    Pair(0x66, 0x89);
    Memory(From, Base, Disp);
}

void TAssembler::StoreImm16(TGpr Base, std::int32_t Disp, std::uint16_t V) {
    Pair(0x66, 0xC7);
    Memory(0, Base, Disp);
    Byte(V & 0xFF);
    Byte(V >> 8);
}

void TAssembler::StoreImm32(TGpr Base, std::int32_t Disp, std::int32_t V) {
    Byte(0xC7);
    Memory(0, Base, Disp);
    Bytes32(static_cast<std::uint32_t>(V));
}

void TAssembler::CmpImm(TGpr R, std::int32_t Value) {
    RexW();
    Pair(0x81, 0xF8 | R);
    Bytes32(static_cast<std::uint32_t>(Value));
}

void TAssembler::CmpMem(TGpr Base, std::int32_t Disp, TGpr R) {
    RexW();
    Byte(0x39);
    Memory(R, Base, Disp);
}

void TAssembler::CmpMem32Imm(TGpr Base, std::int32_t Disp, std::int32_t V) {
    Byte(0x81);
    Memory(7, Base, Disp);
    Bytes32(static_cast<std::uint32_t>(V));
}

void TAssembler::Test(TGpr R) {
    RexW();
    Pair(0x85, 0xC0 | (R << 3) | R);
}

void TAssembler::SubRegReg(TGpr To, TGpr From) {
    RexW();
    Pair(0x29, 0xC0 | (From << 3) | To);
}

void TAssembler::CmpRegReg(TGpr A, TGpr B) {
    RexW();
    Pair(0x39, 0xC0 | (B << 3) | A);
}

void TAssembler::CmpMem8Imm(TGpr Base, std::int32_t Disp, std::uint8_t V) {
    Byte(0x80);
    Memory(7, Base, Disp);
    Byte(V);
}

void TAssembler::AddRsp(std::int32_t Bytes) {
    RexW();
    Pair(0x81, 0xC4);
    Bytes32(static_cast<std::uint32_t>(Bytes));
}

std::size_t TAssembler::SubRsp() {
    RexW();
    Pair(0x81, 0xEC);
    const std::size_t At = FCode.size();
    Bytes32(0);
    return At;
}

void TAssembler::PatchSubRsp(std::size_t At, std::int32_t Bytes) {
    std::memcpy(&FCode[At], &Bytes, 4);
}

void TAssembler::Lea(TGpr To, TGpr Base, std::int32_t Disp) {
    RexW();
    Byte(0x8D);
    Memory(To, Base, Disp);
}

void TAssembler::CallReg(TGpr R) {
    Pair(0xFF, 0xD0 | R);
}

void TAssembler::Jump(TLabel Label) {
    Byte(0xE9);
    FFixups.push_back({FCode.size(), Label});
    Bytes32(0);
}

void TAssembler::Jump(TCondition Condition, TLabel Label) {
    Pair(0x0F, 0x80 | Condition);
    FFixups.push_back({FCode.size(), Label});
    Bytes32(0);
}

void TAssembler::Set(TCondition Condition, TGpr Byte8) {
    Pair(0x0F, 0x90 | Condition);
    Byte(0xC0 | Byte8);
}

void TAssembler::AndBytes(TGpr To, TGpr From) {
    Pair(0x20, 0xC0 | (From << 3) | To);
}

void TAssembler::OrBytes(TGpr To, TGpr From) {
    Pair(0x08, 0xC0 | (From << 3) | To);
}

void TAssembler::XorBytes(TGpr To, TGpr From) {
    Pair(0x30, 0xC0 | (From << 3) | To);
}

void TAssembler::TestByte(TGpr R) {
    Pair(0x84, 0xC0 | (R << 3) | R);
}

void TAssembler::Fld(TGpr Base, std::int32_t Disp) {
    Byte(0xDB);
    Memory(5, Base, Disp);
}

void TAssembler::Fstp(TGpr Base, std::int32_t Disp) {
    Byte(0xDB);
    Memory(7, Base, Disp);
}

void TAssembler::Fnstcw(TGpr Base, std::int32_t Disp) {
    Byte(0xD9);
    Memory(7, Base, Disp);
}

void TAssembler::FldLiteral(long double Value) {
    Pair(0xDB, 0x2D); // fld tbyte [rip + disp32]
    FLiterals.push_back({FCode.size(), Value});
    Bytes32(0);
}

// The second bytes of the four operations in the D8 (st0 := st0 op st(i)) forms; the
// reversed forms of - and / follow each at +8. The DC and DE forms (st(i) := st(i) op st0)
// swap the two for - and /.
namespace {
constexpr int TopForm[] = {0xC0, 0xC8, 0xE0, 0xF0};
constexpr int TopFormReversed[] = {0xC0, 0xC8, 0xE8, 0xF8};
} // namespace

void TAssembler::ArithToTop(TArith Op, int I, bool Reversed) {
    Pair(0xD8, (Reversed ? TopFormReversed : TopForm)[Op] + I);
}

void TAssembler::ArithToOther(TArith Op, int I, bool Reversed, bool Pop) {
    Pair(Pop ? 0xDE : 0xDC, (Reversed ? TopForm : TopFormReversed)[Op] + I);
}

void TAssembler::EmitLiterals() {
    while (FCode.size() % 16 != 0)
        Byte(0xCC);
    for (const TLiteral& Literal : FLiterals) {
        const auto Rel = static_cast<std::int32_t>(FCode.size() - (Literal.At + 4));
        std::memcpy(&FCode[Literal.At], &Rel, 4);
        std::uint8_t Bytes[16] = {};
        std::memcpy(Bytes, &Literal.Value, 10);
        FCode.insert(FCode.end(), Bytes, Bytes + 16);
    }
}

} // namespace zoZezo::x87
