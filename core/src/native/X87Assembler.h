#pragma once

// Encodes the few x86-64 instructions that native equation code is made of: x87 arithmetic on
// the register stack, 80-bit loads and stores, and the integer moves, compares and jumps of its
// guards. Jumps go to labels that may be bound later; Finish patches them.

#include <cstdint>
#include <vector>

namespace zoZezo::x87 {

enum TGpr : std::uint8_t { rax = 0, rcx = 1, rdx = 2, rbx = 3, rsp = 4, rsi = 6, rdi = 7 };

// Conditions of jumps and setcc, as the processor numbers them.
enum TCondition : std::uint8_t {
    ccBelow = 0x2,
    ccAboveEqual = 0x3,
    ccEqual = 0x4,
    ccNotEqual = 0x5,
    ccBelowEqual = 0x6,
    ccAbove = 0x7,
    ccParity = 0xA,
    ccNoParity = 0xB,
};

// The four arithmetic operations of the x87, and which operand is the left one.
enum TArith : std::uint8_t { faAdd, faMul, faSub, faDiv };

class TAssembler {
public:
    using TLabel = int;

    const std::vector<std::uint8_t>& Code() const { return FCode; }
    std::size_t Size() const { return FCode.size(); }

    TLabel NewLabel();
    void Bind(TLabel Label);
    // Patches every jump; call once, after every label is bound.
    void Finish();

    // --- integer part --------------------------------------------------------------------
    void Push(TGpr R) { Byte(0x50 + R); }
    void Pop(TGpr R) { Byte(0x58 + R); }
    void Ret() { Byte(0xC3); }
    void MovRegReg(TGpr To, TGpr From);                             // mov To, From
    void Load(TGpr To, TGpr Base, std::int32_t Disp);               // mov To, [Base + Disp]
    void Store(TGpr Base, std::int32_t Disp, TGpr From);            // mov [Base + Disp], From
    void MovImm(TGpr To, std::uint64_t Value);                      // mov To, imm64
    void Load16(TGpr To, TGpr Base, std::int32_t Disp);             // movzx To32, word [..]
    void Store16(TGpr Base, std::int32_t Disp, TGpr From);          // mov word [..], From16
    void StoreImm16(TGpr Base, std::int32_t Disp, std::uint16_t V); // mov word [..], V
    void StoreImm32(TGpr Base, std::int32_t Disp, std::int32_t V);  // mov dword [Base+Disp], V
    void CmpImm(TGpr R, std::int32_t Value);                        // cmp R, imm32
    void CmpMem(TGpr Base, std::int32_t Disp, TGpr R);              // cmp [Base + Disp], R
    void CmpMem32Imm(TGpr Base, std::int32_t Disp, std::int32_t V); // cmp dword [..], V
    void Test(TGpr R);                                              // test R, R
    void SubRegReg(TGpr To, TGpr From);                             // sub To, From
    void CmpRegReg(TGpr A, TGpr B);                                 // cmp A, B
    void CmpMem8Imm(TGpr Base, std::int32_t Disp, std::uint8_t V);  // cmp byte [..], V
    void AddRsp(std::int32_t Bytes);
    // sub rsp, Bytes, with the amount patched later through PatchSubRsp.
    std::size_t SubRsp();
    void PatchSubRsp(std::size_t At, std::int32_t Bytes);
    void Lea(TGpr To, TGpr Base, std::int32_t Disp);
    void CallReg(TGpr R);
    void Jump(TLabel Label);
    void Jump(TCondition Condition, TLabel Label);
    void Set(TCondition Condition, TGpr Byte8); // setcc on al, cl or dl
    void AndBytes(TGpr To, TGpr From);          // and To8, From8
    void OrBytes(TGpr To, TGpr From);
    void XorBytes(TGpr To, TGpr From);
    void TestByte(TGpr R); // test R8, R8

    // --- x87 part ------------------------------------------------------------------------
    void Fld(TGpr Base, std::int32_t Disp);    // fld tbyte [Base + Disp]
    void Fstp(TGpr Base, std::int32_t Disp);   // fstp tbyte [Base + Disp]
    void Fnstcw(TGpr Base, std::int32_t Disp); // fnstcw word [Base + Disp]
    // fld tbyte [rip + ...] of a literal kept after the code.
    void FldLiteral(long double Value);
    void FldSt(int I) { Pair(0xD9, 0xC0 + I); }
    void Fxch(int I) { Pair(0xD9, 0xC8 + I); }
    void FstpSt(int I) { Pair(0xDD, 0xD8 + I); }
    void Fldz() { Pair(0xD9, 0xEE); }
    void Fld1() { Pair(0xD9, 0xE8); }
    void Fchs() { Pair(0xD9, 0xE0); }
    void Fsqrt() { Pair(0xD9, 0xFA); }
    void Fucomip(int I) { Pair(0xDF, 0xE8 + I); }
    // st0 := st0 Op st(i), or st(i) Op st0 when Reversed.
    void ArithToTop(TArith Op, int I, bool Reversed);
    // st(i) := st(i) Op st0, or st0 Op st(i) when Reversed; pops st0 when Pop.
    void ArithToOther(TArith Op, int I, bool Reversed, bool Pop);

    // Lays out the literals after the code; call after the last instruction, before Finish.
    void EmitLiterals();

private:
    void Byte(int Value) { FCode.push_back(static_cast<std::uint8_t>(Value)); }
    void Pair(int First, int Second) {
        Byte(First);
        Byte(Second);
    }
    void Bytes32(std::uint32_t Value);
    void RexW() { Byte(0x48); }
    void Memory(int Reg, TGpr Base, std::int32_t Disp); // ModRM (+SIB) with disp32

    struct TFixup {
        std::size_t At; // the rel32 to patch
        TLabel Label;
    };
    struct TLiteral {
        std::size_t At; // the disp32 to patch
        long double Value;
    };
    std::vector<std::uint8_t> FCode;
    std::vector<std::ptrdiff_t> FLabels; // -1 until bound
    std::vector<TFixup> FFixups;
    std::vector<TLiteral> FLiterals;
};

} // namespace zoZezo::x87
