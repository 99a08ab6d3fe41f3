// The 68HC11 instruction table and its per-page opcode index. Cycle counts
// are the E-clock counts of the M68HC11 reference manual; WAI and SWI count
// the 14 cycles up to the vector fetch.
#include "code/InstructionSet.h"
#include "code/OpcodeFacts.h"

#include <array>
#include <string_view>

namespace zelk {

namespace {

using F = OperandFormat;

// mnemonic, prefix, opcode, format, length, cycles — page order, each
// (prefix, opcode) once.
constexpr InstructionInfo table[] = {
    {"NOP", 0x00, 0x01, F::Inherent, 1, 2},
    {"IDIV", 0x00, 0x02, F::Inherent, 1, 41},
    {"FDIV", 0x00, 0x03, F::Inherent, 1, 41},
    {"LSRD", 0x00, 0x04, F::Inherent, 1, 3},
    {"LSLD", 0x00, 0x05, F::Inherent, 1, 3},
    {"TAP", 0x00, 0x06, F::Inherent, 1, 2},
    {"TPA", 0x00, 0x07, F::Inherent, 1, 2},
    {"INX", 0x00, 0x08, F::Inherent, 1, 3},
    {"DEX", 0x00, 0x09, F::Inherent, 1, 3},
    {"CLV", 0x00, 0x0A, F::Inherent, 1, 2},
    {"SEV", 0x00, 0x0B, F::Inherent, 1, 2},
    {"CLC", 0x00, 0x0C, F::Inherent, 1, 2},
    {"SEC", 0x00, 0x0D, F::Inherent, 1, 2},
    {"CLI", 0x00, 0x0E, F::Inherent, 1, 2},
    {"SEI", 0x00, 0x0F, F::Inherent, 1, 2},
    {"SBA", 0x00, 0x10, F::Inherent, 1, 2},
    {"CBA", 0x00, 0x11, F::Inherent, 1, 2},
    {"BRSET", 0x00, 0x12, F::BitBranchDirect, 4, 6},
    {"BRCLR", 0x00, 0x13, F::BitBranchDirect, 4, 6},
    {"BSET", 0x00, 0x14, F::BitDirect, 3, 6},
    {"BCLR", 0x00, 0x15, F::BitDirect, 3, 6},
    {"TAB", 0x00, 0x16, F::Inherent, 1, 2},
    {"TBA", 0x00, 0x17, F::Inherent, 1, 2},
    {"DAA", 0x00, 0x19, F::Inherent, 1, 2},
    {"ABA", 0x00, 0x1B, F::Inherent, 1, 2},
    {"BSET", 0x00, 0x1C, F::BitIndexedX, 3, 7},
    {"BCLR", 0x00, 0x1D, F::BitIndexedX, 3, 7},
    {"BRSET", 0x00, 0x1E, F::BitBranchIndexedX, 4, 7},
    {"BRCLR", 0x00, 0x1F, F::BitBranchIndexedX, 4, 7},
    {"BRA", 0x00, 0x20, F::Relative, 2, 3},
    {"BRN", 0x00, 0x21, F::Relative, 2, 3},
    {"BHI", 0x00, 0x22, F::Relative, 2, 3},
    {"BLS", 0x00, 0x23, F::Relative, 2, 3},
    {"BCC", 0x00, 0x24, F::Relative, 2, 3},
    {"BCS", 0x00, 0x25, F::Relative, 2, 3},
    {"BNE", 0x00, 0x26, F::Relative, 2, 3},
    {"BEQ", 0x00, 0x27, F::Relative, 2, 3},
    {"BVC", 0x00, 0x28, F::Relative, 2, 3},
    {"BVS", 0x00, 0x29, F::Relative, 2, 3},
    {"BPL", 0x00, 0x2A, F::Relative, 2, 3},
    {"BMI", 0x00, 0x2B, F::Relative, 2, 3},
    {"BGE", 0x00, 0x2C, F::Relative, 2, 3},
    {"BLT", 0x00, 0x2D, F::Relative, 2, 3},
    {"BGT", 0x00, 0x2E, F::Relative, 2, 3},
    {"BLE", 0x00, 0x2F, F::Relative, 2, 3},
    {"TSX", 0x00, 0x30, F::Inherent, 1, 3},
    {"INS", 0x00, 0x31, F::Inherent, 1, 3},
    {"PULA", 0x00, 0x32, F::Inherent, 1, 4},
    {"PULB", 0x00, 0x33, F::Inherent, 1, 4},
    {"DES", 0x00, 0x34, F::Inherent, 1, 3},
    {"TXS", 0x00, 0x35, F::Inherent, 1, 3},
    {"PSHA", 0x00, 0x36, F::Inherent, 1, 3},
    {"PSHB", 0x00, 0x37, F::Inherent, 1, 3},
    {"PULX", 0x00, 0x38, F::Inherent, 1, 5},
    {"RTS", 0x00, 0x39, F::Inherent, 1, 5},
    {"ABX", 0x00, 0x3A, F::Inherent, 1, 3},
    {"RTI", 0x00, 0x3B, F::Inherent, 1, 12},
    {"PSHX", 0x00, 0x3C, F::Inherent, 1, 4},
    {"MUL", 0x00, 0x3D, F::Inherent, 1, 10},
    {"WAI", 0x00, 0x3E, F::Inherent, 1, 14},
    {"SWI", 0x00, 0x3F, F::Inherent, 1, 14},
    {"NEGA", 0x00, 0x40, F::Inherent, 1, 2},
    {"COMA", 0x00, 0x43, F::Inherent, 1, 2},
    {"LSRA", 0x00, 0x44, F::Inherent, 1, 2},
    {"RORA", 0x00, 0x46, F::Inherent, 1, 2},
    {"ASRA", 0x00, 0x47, F::Inherent, 1, 2},
    {"LSLA", 0x00, 0x48, F::Inherent, 1, 2},
    {"ROLA", 0x00, 0x49, F::Inherent, 1, 2},
    {"DECA", 0x00, 0x4A, F::Inherent, 1, 2},
    {"INCA", 0x00, 0x4C, F::Inherent, 1, 2},
    {"TSTA", 0x00, 0x4D, F::Inherent, 1, 2},
    {"CLRA", 0x00, 0x4F, F::Inherent, 1, 2},
    {"NEGB", 0x00, 0x50, F::Inherent, 1, 2},
    {"COMB", 0x00, 0x53, F::Inherent, 1, 2},
    {"LSRB", 0x00, 0x54, F::Inherent, 1, 2},
    {"RORB", 0x00, 0x56, F::Inherent, 1, 2},
    {"ASRB", 0x00, 0x57, F::Inherent, 1, 2},
    {"LSLB", 0x00, 0x58, F::Inherent, 1, 2},
    {"ROLB", 0x00, 0x59, F::Inherent, 1, 2},
    {"DECB", 0x00, 0x5A, F::Inherent, 1, 2},
    {"INCB", 0x00, 0x5C, F::Inherent, 1, 2},
    {"TSTB", 0x00, 0x5D, F::Inherent, 1, 2},
    {"CLRB", 0x00, 0x5F, F::Inherent, 1, 2},
    {"NEG", 0x00, 0x60, F::IndexedX, 2, 6},
    {"COM", 0x00, 0x63, F::IndexedX, 2, 6},
    {"LSR", 0x00, 0x64, F::IndexedX, 2, 6},
    {"ROR", 0x00, 0x66, F::IndexedX, 2, 6},
    {"ASR", 0x00, 0x67, F::IndexedX, 2, 6},
    {"LSL", 0x00, 0x68, F::IndexedX, 2, 6},
    {"ROL", 0x00, 0x69, F::IndexedX, 2, 6},
    {"DEC", 0x00, 0x6A, F::IndexedX, 2, 6},
    {"INC", 0x00, 0x6C, F::IndexedX, 2, 6},
    {"TST", 0x00, 0x6D, F::IndexedX, 2, 6},
    {"JMP", 0x00, 0x6E, F::IndexedX, 2, 3},
    {"CLR", 0x00, 0x6F, F::IndexedX, 2, 6},
    {"NEG", 0x00, 0x70, F::Extended, 3, 6},
    {"COM", 0x00, 0x73, F::Extended, 3, 6},
    {"LSR", 0x00, 0x74, F::Extended, 3, 6},
    {"ROR", 0x00, 0x76, F::Extended, 3, 6},
    {"ASR", 0x00, 0x77, F::Extended, 3, 6},
    {"LSL", 0x00, 0x78, F::Extended, 3, 6},
    {"ROL", 0x00, 0x79, F::Extended, 3, 6},
    {"DEC", 0x00, 0x7A, F::Extended, 3, 6},
    {"INC", 0x00, 0x7C, F::Extended, 3, 6},
    {"TST", 0x00, 0x7D, F::Extended, 3, 6},
    {"JMP", 0x00, 0x7E, F::Extended, 3, 3},
    {"CLR", 0x00, 0x7F, F::Extended, 3, 6},
    {"SUBA", 0x00, 0x80, F::Immediate8, 2, 2},
    {"CMPA", 0x00, 0x81, F::Immediate8, 2, 2},
    {"SBCA", 0x00, 0x82, F::Immediate8, 2, 2},
    {"SUBD", 0x00, 0x83, F::Immediate16, 3, 4},
    {"ANDA", 0x00, 0x84, F::Immediate8, 2, 2},
    {"BITA", 0x00, 0x85, F::Immediate8, 2, 2},
    {"LDAA", 0x00, 0x86, F::Immediate8, 2, 2},
    {"EORA", 0x00, 0x88, F::Immediate8, 2, 2},
    {"ADCA", 0x00, 0x89, F::Immediate8, 2, 2},
    {"ORAA", 0x00, 0x8A, F::Immediate8, 2, 2},
    {"ADDA", 0x00, 0x8B, F::Immediate8, 2, 2},
    {"CPX", 0x00, 0x8C, F::Immediate16, 3, 4},
    {"BSR", 0x00, 0x8D, F::Relative, 2, 6},
    {"LDS", 0x00, 0x8E, F::Immediate16, 3, 3},
    {"XGDX", 0x00, 0x8F, F::Inherent, 1, 3},
    {"SUBA", 0x00, 0x90, F::Direct, 2, 3},
    {"CMPA", 0x00, 0x91, F::Direct, 2, 3},
    {"SBCA", 0x00, 0x92, F::Direct, 2, 3},
    {"SUBD", 0x00, 0x93, F::Direct, 2, 5},
    {"ANDA", 0x00, 0x94, F::Direct, 2, 3},
    {"BITA", 0x00, 0x95, F::Direct, 2, 3},
    {"LDAA", 0x00, 0x96, F::Direct, 2, 3},
    {"STAA", 0x00, 0x97, F::Direct, 2, 3},
    {"EORA", 0x00, 0x98, F::Direct, 2, 3},
    {"ADCA", 0x00, 0x99, F::Direct, 2, 3},
    {"ORAA", 0x00, 0x9A, F::Direct, 2, 3},
    {"ADDA", 0x00, 0x9B, F::Direct, 2, 3},
    {"CPX", 0x00, 0x9C, F::Direct, 2, 5},
    {"JSR", 0x00, 0x9D, F::Direct, 2, 5},
    {"LDS", 0x00, 0x9E, F::Direct, 2, 4},
    {"STS", 0x00, 0x9F, F::Direct, 2, 4},
    {"SUBA", 0x00, 0xA0, F::IndexedX, 2, 4},
    {"CMPA", 0x00, 0xA1, F::IndexedX, 2, 4},
    {"SBCA", 0x00, 0xA2, F::IndexedX, 2, 4},
    {"SUBD", 0x00, 0xA3, F::IndexedX, 2, 6},
    {"ANDA", 0x00, 0xA4, F::IndexedX, 2, 4},
    {"BITA", 0x00, 0xA5, F::IndexedX, 2, 4},
    {"LDAA", 0x00, 0xA6, F::IndexedX, 2, 4},
    {"STAA", 0x00, 0xA7, F::IndexedX, 2, 4},
    {"EORA", 0x00, 0xA8, F::IndexedX, 2, 4},
    {"ADCA", 0x00, 0xA9, F::IndexedX, 2, 4},
    {"ORAA", 0x00, 0xAA, F::IndexedX, 2, 4},
    {"ADDA", 0x00, 0xAB, F::IndexedX, 2, 4},
    {"CPX", 0x00, 0xAC, F::IndexedX, 2, 6},
    {"JSR", 0x00, 0xAD, F::IndexedX, 2, 6},
    {"LDS", 0x00, 0xAE, F::IndexedX, 2, 5},
    {"STS", 0x00, 0xAF, F::IndexedX, 2, 5},
    {"SUBA", 0x00, 0xB0, F::Extended, 3, 4},
    {"CMPA", 0x00, 0xB1, F::Extended, 3, 4},
    {"SBCA", 0x00, 0xB2, F::Extended, 3, 4},
    {"SUBD", 0x00, 0xB3, F::Extended, 3, 6},
    {"ANDA", 0x00, 0xB4, F::Extended, 3, 4},
    {"BITA", 0x00, 0xB5, F::Extended, 3, 4},
    {"LDAA", 0x00, 0xB6, F::Extended, 3, 4},
    {"STAA", 0x00, 0xB7, F::Extended, 3, 4},
    {"EORA", 0x00, 0xB8, F::Extended, 3, 4},
    {"ADCA", 0x00, 0xB9, F::Extended, 3, 4},
    {"ORAA", 0x00, 0xBA, F::Extended, 3, 4},
    {"ADDA", 0x00, 0xBB, F::Extended, 3, 4},
    {"CPX", 0x00, 0xBC, F::Extended, 3, 6},
    {"JSR", 0x00, 0xBD, F::Extended, 3, 6},
    {"LDS", 0x00, 0xBE, F::Extended, 3, 5},
    {"STS", 0x00, 0xBF, F::Extended, 3, 5},
    {"SUBB", 0x00, 0xC0, F::Immediate8, 2, 2},
    {"CMPB", 0x00, 0xC1, F::Immediate8, 2, 2},
    {"SBCB", 0x00, 0xC2, F::Immediate8, 2, 2},
    {"ADDD", 0x00, 0xC3, F::Immediate16, 3, 4},
    {"ANDB", 0x00, 0xC4, F::Immediate8, 2, 2},
    {"BITB", 0x00, 0xC5, F::Immediate8, 2, 2},
    {"LDAB", 0x00, 0xC6, F::Immediate8, 2, 2},
    {"EORB", 0x00, 0xC8, F::Immediate8, 2, 2},
    {"ADCB", 0x00, 0xC9, F::Immediate8, 2, 2},
    {"ORAB", 0x00, 0xCA, F::Immediate8, 2, 2},
    {"ADDB", 0x00, 0xCB, F::Immediate8, 2, 2},
    {"LDD", 0x00, 0xCC, F::Immediate16, 3, 3},
    {"LDX", 0x00, 0xCE, F::Immediate16, 3, 3},
    {"STOP", 0x00, 0xCF, F::Inherent, 1, 2},
    {"SUBB", 0x00, 0xD0, F::Direct, 2, 3},
    {"CMPB", 0x00, 0xD1, F::Direct, 2, 3},
    {"SBCB", 0x00, 0xD2, F::Direct, 2, 3},
    {"ADDD", 0x00, 0xD3, F::Direct, 2, 5},
    {"ANDB", 0x00, 0xD4, F::Direct, 2, 3},
    {"BITB", 0x00, 0xD5, F::Direct, 2, 3},
    {"LDAB", 0x00, 0xD6, F::Direct, 2, 3},
    {"STAB", 0x00, 0xD7, F::Direct, 2, 3},
    {"EORB", 0x00, 0xD8, F::Direct, 2, 3},
    {"ADCB", 0x00, 0xD9, F::Direct, 2, 3},
    {"ORAB", 0x00, 0xDA, F::Direct, 2, 3},
    {"ADDB", 0x00, 0xDB, F::Direct, 2, 3},
    {"LDD", 0x00, 0xDC, F::Direct, 2, 4},
    {"STD", 0x00, 0xDD, F::Direct, 2, 4},
    {"LDX", 0x00, 0xDE, F::Direct, 2, 4},
    {"STX", 0x00, 0xDF, F::Direct, 2, 4},
    {"SUBB", 0x00, 0xE0, F::IndexedX, 2, 4},
    {"CMPB", 0x00, 0xE1, F::IndexedX, 2, 4},
    {"SBCB", 0x00, 0xE2, F::IndexedX, 2, 4},
    {"ADDD", 0x00, 0xE3, F::IndexedX, 2, 6},
    {"ANDB", 0x00, 0xE4, F::IndexedX, 2, 4},
    {"BITB", 0x00, 0xE5, F::IndexedX, 2, 4},
    {"LDAB", 0x00, 0xE6, F::IndexedX, 2, 4},
    {"STAB", 0x00, 0xE7, F::IndexedX, 2, 4},
    {"EORB", 0x00, 0xE8, F::IndexedX, 2, 4},
    {"ADCB", 0x00, 0xE9, F::IndexedX, 2, 4},
    {"ORAB", 0x00, 0xEA, F::IndexedX, 2, 4},
    {"ADDB", 0x00, 0xEB, F::IndexedX, 2, 4},
    {"LDD", 0x00, 0xEC, F::IndexedX, 2, 5},
    {"STD", 0x00, 0xED, F::IndexedX, 2, 5},
    {"LDX", 0x00, 0xEE, F::IndexedX, 2, 5},
    {"STX", 0x00, 0xEF, F::IndexedX, 2, 5},
    {"SUBB", 0x00, 0xF0, F::Extended, 3, 4},
    {"CMPB", 0x00, 0xF1, F::Extended, 3, 4},
    {"SBCB", 0x00, 0xF2, F::Extended, 3, 4},
    {"ADDD", 0x00, 0xF3, F::Extended, 3, 6},
    {"ANDB", 0x00, 0xF4, F::Extended, 3, 4},
    {"BITB", 0x00, 0xF5, F::Extended, 3, 4},
    {"LDAB", 0x00, 0xF6, F::Extended, 3, 4},
    {"STAB", 0x00, 0xF7, F::Extended, 3, 4},
    {"EORB", 0x00, 0xF8, F::Extended, 3, 4},
    {"ADCB", 0x00, 0xF9, F::Extended, 3, 4},
    {"ORAB", 0x00, 0xFA, F::Extended, 3, 4},
    {"ADDB", 0x00, 0xFB, F::Extended, 3, 4},
    {"LDD", 0x00, 0xFC, F::Extended, 3, 5},
    {"STD", 0x00, 0xFD, F::Extended, 3, 5},
    {"LDX", 0x00, 0xFE, F::Extended, 3, 5},
    {"STX", 0x00, 0xFF, F::Extended, 3, 5},
    {"INY", 0x18, 0x08, F::Inherent, 2, 4},
    {"DEY", 0x18, 0x09, F::Inherent, 2, 4},
    {"BSET", 0x18, 0x1C, F::BitIndexedY, 4, 8},
    {"BCLR", 0x18, 0x1D, F::BitIndexedY, 4, 8},
    {"BRSET", 0x18, 0x1E, F::BitBranchIndexedY, 5, 8},
    {"BRCLR", 0x18, 0x1F, F::BitBranchIndexedY, 5, 8},
    {"TSY", 0x18, 0x30, F::Inherent, 2, 4},
    {"TYS", 0x18, 0x35, F::Inherent, 2, 4},
    {"PULY", 0x18, 0x38, F::Inherent, 2, 6},
    {"ABY", 0x18, 0x3A, F::Inherent, 2, 4},
    {"PSHY", 0x18, 0x3C, F::Inherent, 2, 5},
    {"NEG", 0x18, 0x60, F::IndexedY, 3, 7},
    {"COM", 0x18, 0x63, F::IndexedY, 3, 7},
    {"LSR", 0x18, 0x64, F::IndexedY, 3, 7},
    {"ROR", 0x18, 0x66, F::IndexedY, 3, 7},
    {"ASR", 0x18, 0x67, F::IndexedY, 3, 7},
    {"LSL", 0x18, 0x68, F::IndexedY, 3, 7},
    {"ROL", 0x18, 0x69, F::IndexedY, 3, 7},
    {"DEC", 0x18, 0x6A, F::IndexedY, 3, 7},
    {"INC", 0x18, 0x6C, F::IndexedY, 3, 7},
    {"TST", 0x18, 0x6D, F::IndexedY, 3, 7},
    {"JMP", 0x18, 0x6E, F::IndexedY, 3, 4},
    {"CLR", 0x18, 0x6F, F::IndexedY, 3, 7},
    {"CPY", 0x18, 0x8C, F::Immediate16, 4, 5},
    {"XGDY", 0x18, 0x8F, F::Inherent, 2, 4},
    {"CPY", 0x18, 0x9C, F::Direct, 3, 6},
    {"SUBA", 0x18, 0xA0, F::IndexedY, 3, 5},
    {"CMPA", 0x18, 0xA1, F::IndexedY, 3, 5},
    {"SBCA", 0x18, 0xA2, F::IndexedY, 3, 5},
    {"SUBD", 0x18, 0xA3, F::IndexedY, 3, 7},
    {"ANDA", 0x18, 0xA4, F::IndexedY, 3, 5},
    {"BITA", 0x18, 0xA5, F::IndexedY, 3, 5},
    {"LDAA", 0x18, 0xA6, F::IndexedY, 3, 5},
    {"STAA", 0x18, 0xA7, F::IndexedY, 3, 5},
    {"EORA", 0x18, 0xA8, F::IndexedY, 3, 5},
    {"ADCA", 0x18, 0xA9, F::IndexedY, 3, 5},
    {"ORAA", 0x18, 0xAA, F::IndexedY, 3, 5},
    {"ADDA", 0x18, 0xAB, F::IndexedY, 3, 5},
    {"CPY", 0x18, 0xAC, F::IndexedY, 3, 7},
    {"JSR", 0x18, 0xAD, F::IndexedY, 3, 7},
    {"LDS", 0x18, 0xAE, F::IndexedY, 3, 6},
    {"STS", 0x18, 0xAF, F::IndexedY, 3, 6},
    {"CPY", 0x18, 0xBC, F::Extended, 4, 7},
    {"LDY", 0x18, 0xCE, F::Immediate16, 4, 4},
    {"LDY", 0x18, 0xDE, F::Direct, 3, 5},
    {"STY", 0x18, 0xDF, F::Direct, 3, 5},
    {"SUBB", 0x18, 0xE0, F::IndexedY, 3, 5},
    {"CMPB", 0x18, 0xE1, F::IndexedY, 3, 5},
    {"SBCB", 0x18, 0xE2, F::IndexedY, 3, 5},
    {"ADDD", 0x18, 0xE3, F::IndexedY, 3, 7},
    {"ANDB", 0x18, 0xE4, F::IndexedY, 3, 5},
    {"BITB", 0x18, 0xE5, F::IndexedY, 3, 5},
    {"LDAB", 0x18, 0xE6, F::IndexedY, 3, 5},
    {"STAB", 0x18, 0xE7, F::IndexedY, 3, 5},
    {"EORB", 0x18, 0xE8, F::IndexedY, 3, 5},
    {"ADCB", 0x18, 0xE9, F::IndexedY, 3, 5},
    {"ORAB", 0x18, 0xEA, F::IndexedY, 3, 5},
    {"ADDB", 0x18, 0xEB, F::IndexedY, 3, 5},
    {"LDD", 0x18, 0xEC, F::IndexedY, 3, 6},
    {"STD", 0x18, 0xED, F::IndexedY, 3, 6},
    {"LDY", 0x18, 0xEE, F::IndexedY, 3, 6},
    {"STY", 0x18, 0xEF, F::IndexedY, 3, 6},
    {"LDY", 0x18, 0xFE, F::Extended, 4, 6},
    {"STY", 0x18, 0xFF, F::Extended, 4, 6},
    {"CPD", 0x1A, 0x83, F::Immediate16, 4, 5},
    {"CPD", 0x1A, 0x93, F::Direct, 3, 6},
    {"CPD", 0x1A, 0xA3, F::IndexedX, 3, 7},
    {"CPY", 0x1A, 0xAC, F::IndexedX, 3, 7},
    {"CPD", 0x1A, 0xB3, F::Extended, 4, 7},
    {"LDY", 0x1A, 0xEE, F::IndexedX, 3, 6},
    {"STY", 0x1A, 0xEF, F::IndexedX, 3, 6},
    {"CPD", 0xCD, 0xA3, F::IndexedY, 3, 7},
    {"CPX", 0xCD, 0xAC, F::IndexedY, 3, 7},
    {"LDX", 0xCD, 0xEE, F::IndexedY, 3, 6},
    {"STX", 0xCD, 0xEF, F::IndexedY, 3, 6},
};

constexpr int tableSize = static_cast<int>(sizeof table / sizeof table[0]);

// Page number of a prefix byte: 0 page 1, 1 $18, 2 $1A, 3 $CD, -1 none.
constexpr int pageOf(uint8_t prefix)
{
    switch (prefix) {
    case 0x00: return 0;
    case 0x18: return 1;
    case 0x1A: return 2;
    case 0xCD: return 3;
    default: return -1;
    }
}

using PageIndex = std::array<std::array<int16_t, 256>, 4>;

// Table position of each (page, opcode), -1 where the page leaves it
// undefined. Built by the compiler, so a lookup is two array indexes.
constexpr PageIndex buildIndex()
{
    PageIndex index{};
    for (auto& page : index)
        page.fill(-1);
    for (int i = 0; i < tableSize; ++i) {
        const InstructionInfo& e = table[i];
        index[static_cast<size_t>(pageOf(e.prefix))][e.opcode] = static_cast<int16_t>(i);
    }
    return index;
}

constexpr PageIndex pageIndex = buildIndex();

// Checks the table once at compile time: a known prefix, a length that
// matches the operand format, and no (prefix, opcode) listed twice.
constexpr bool tableIsConsistent()
{
    for (int i = 0; i < tableSize; ++i) {
        const InstructionInfo& e = table[i];
        if (pageOf(e.prefix) < 0)
            return false;
        if (e.length != (e.prefix ? 2 : 1) + operandBytes(e.format))
            return false;
        if (pageIndex[static_cast<size_t>(pageOf(e.prefix))][e.opcode] != i)
            return false;
    }
    return true;
}
static_assert(tableIsConsistent(), "instruction table: bad prefix, length or duplicate opcode");

// How an entry moves the program counter, from its mnemonic and format.
constexpr Flow flowOf(const InstructionInfo& e)
{
    std::string_view m = e.mnemonic;
    if (m == "BSR" || m == "JSR")
        return Flow::Call;
    if (m == "JMP")
        return Flow::Jump;
    if (m == "RTS")
        return Flow::ReturnSub;
    if (m == "RTI")
        return Flow::ReturnInt;
    if (m == "BRSET")
        return Flow::BitBranchSet;
    if (m == "BRCLR")
        return Flow::BitBranchClear;
    if (e.format == OperandFormat::Relative)
        return Flow::Branch;
    return Flow::None;
}

// Whether an entry pushes or pulls, from its mnemonic: the same names on
// every page (PSHY and PULY live on $18, JSR has an entry there too).
constexpr bool usesStack(const InstructionInfo& e)
{
    constexpr std::string_view names[] = {"PSHA", "PSHB", "PSHX", "PSHY", "PULA", "PULB", "PULX",
                                          "PULY", "RTS",  "RTI",  "BSR",  "JSR",  "SWI",  "WAI"};
    for (std::string_view n : names)
        if (e.mnemonic == n)
            return true;
    return false;
}

constexpr std::array<std::array<OpcodeFacts, 256>, 4> buildFacts()
{
    std::array<std::array<OpcodeFacts, 256>, 4> facts{};
    for (size_t page = 0; page < 4; ++page)
        for (auto& f : facts[page])
            f = page == 0 ? OpcodeFacts{OperandFormat::Inherent, 1, 2, Flow::None, false}
                          : OpcodeFacts{OperandFormat::Inherent, 2, 0, Flow::None, false};
    for (const InstructionInfo& e : table)
        facts[static_cast<size_t>(pageOf(e.prefix))][e.opcode] = {e.format, e.length, e.cycles, flowOf(e), usesStack(e)};
    return facts;
}

constexpr std::array<uint8_t, 256> buildPrefixPage()
{
    std::array<uint8_t, 256> pages{};
    pages[0x18] = 1;
    pages[0x1A] = 2;
    pages[0xCD] = 3;
    return pages;
}

// The branch conditions of $20-$2F over the flags C, V, Z, N.
constexpr bool branchCondition(int code, bool c, bool v, bool z, bool n)
{
    switch (code) {
    case 0x0: return true;                      // BRA
    case 0x1: return false;                     // BRN
    case 0x2: return !(c || z);                 // BHI
    case 0x3: return c || z;                    // BLS
    case 0x4: return !c;                        // BCC
    case 0x5: return c;                         // BCS
    case 0x6: return !z;                        // BNE
    case 0x7: return z;                         // BEQ
    case 0x8: return !v;                        // BVC
    case 0x9: return v;                         // BVS
    case 0xA: return !n;                        // BPL
    case 0xB: return n;                         // BMI
    case 0xC: return n == v;                    // BGE
    case 0xD: return n != v;                    // BLT
    case 0xE: return !(n != v || z);            // BGT
    default: return n != v || z;                // BLE
    }
}

constexpr std::array<uint16_t, 16> buildBranchConditions()
{
    std::array<uint16_t, 16> masks{};
    for (int code = 0; code < 16; ++code)
        for (int f = 0; f < 16; ++f)
            if (branchCondition(code, f & 1, f & 2, f & 4, f & 8))
                masks[static_cast<size_t>(code)] = static_cast<uint16_t>(masks[static_cast<size_t>(code)] | 1 << f);
    return masks;
}

} // namespace

constexpr std::array<std::array<OpcodeFacts, 256>, 4> opcodeFacts = buildFacts();
constexpr std::array<uint8_t, 256> prefixPage = buildPrefixPage();
constexpr std::array<uint16_t, 16> branchConditions = buildBranchConditions();

std::span<const InstructionInfo> instructionSet()
{
    return {table, static_cast<size_t>(tableSize)};
}

const InstructionInfo* findInstruction(uint8_t prefix, uint8_t opcode)
{
    int page = pageOf(prefix);
    if (page < 0)
        return nullptr;
    int16_t i = pageIndex[static_cast<size_t>(page)][opcode];
    return i < 0 ? nullptr : &table[i];
}

} // namespace zelk
