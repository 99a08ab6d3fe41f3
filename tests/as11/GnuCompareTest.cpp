// Differential test against the GNU 68HC11 assembler: every opcode of the
// instruction table in every addressing mode, and randomly generated whole
// programs, are written in both syntaxes; the bytes must agree. Skipped when
// the GNU tools are not installed.
#include "As11TestSupport.h"
#include "OpcodeIndex.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

using namespace zelk::as11;
using zelk::InstructionInfo;
using zelk::OperandFormat;

namespace {

const char* gnuAs = "/usr/bin/m68hc11-as";
const char* gnuLd = "/usr/bin/m68hc11-ld";
const char* gnuObjcopy = "/usr/bin/m68hc11-objcopy";

bool haveGnu()
{
    return std::filesystem::exists(gnuAs) && std::filesystem::exists(gnuLd) && std::filesystem::exists(gnuObjcopy);
}

// Assembles GNU source linked at $E000; returns the bytes from $E000.
std::vector<uint8_t> gnuBytes(const std::string& source, std::string& log)
{
    auto dir = as11test::makeTempDir("gnu");
    as11test::writeFile(dir / "p.s", source);
    std::string d = dir.string();
    std::string cmd = std::string(gnuAs) + " -o " + d + "/p.o " + d + "/p.s >" + d + "/log 2>&1 && " + gnuLd +
                      " -Ttext 0xE000 --entry=0xE000 -o " + d + "/p.elf " + d + "/p.o >>" + d + "/log 2>&1 && " +
                      gnuObjcopy + " -O binary " + d + "/p.elf " + d + "/p.bin >>" + d + "/log 2>&1";
    int status = as11test::runCommand(cmd);
    log = as11test::readFile(dir / "log");
    std::vector<uint8_t> out;
    if (status == 0) {
        std::string bin = as11test::readFile(dir / "p.bin");
        out.assign(bin.begin(), bin.end());
    }
    std::filesystem::remove_all(dir);
    return out;
}

std::string hex(int v, int digits)
{
    std::ostringstream s;
    s << std::uppercase << std::hex;
    s.width(digits);
    s.fill('0');
    s << v;
    return s.str();
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

struct Pair {
    std::string mine, gnu;
    void line(const std::string& label, const std::string& m, const std::string& g)
    {
        mine += label + " " + m + "\n";
        gnu += (label.empty() ? "" : label + ":") + "\t" + g + "\n";
    }
};

// Compares and, on a mismatch, names the first differing address.
void expectSameBytes(const Pair& p, const std::string& what)
{
    AssemblyResult r = assemble(p.mine);
    ASSERT_TRUE(r.ok()) << what << "\n" << r.errorText();
    std::vector<uint8_t> mine = as11test::bytesFrom(r, 0xE000);
    std::string log;
    std::vector<uint8_t> theirs = gnuBytes(p.gnu, log);
    ASSERT_FALSE(theirs.empty()) << what << ": GNU as failed:\n" << log;
    size_t n = std::min(mine.size(), theirs.size());
    for (size_t i = 0; i < n; ++i) {
        if (mine[i] != theirs[i]) {
            std::string near;
            std::istringstream in(r.listing);
            std::string l;
            while (std::getline(in, l))
                if (l.size() > 9 && l[4] == ' ' && l.substr(5, 4) <= hex(0xE000 + static_cast<int>(i), 4))
                    near = l;
            FAIL() << what << ": first difference at $" << hex(0xE000 + static_cast<int>(i), 4) << ": as11 "
                   << hex(mine[i], 2) << ", GNU " << hex(theirs[i], 2) << "\nnear: " << near;
        }
    }
    EXPECT_EQ(mine.size(), theirs.size()) << what;
}

// Operands for one table entry in both syntaxes. i picks among spellings.
void operands(const InstructionInfo& info, size_t i, const std::string& target, std::string& m, std::string& g)
{
    switch (info.format) {
    case OperandFormat::Inherent: m = g = ""; break;
    case OperandFormat::Immediate8: m = "#$5A"; g = "#0x5a"; break;
    case OperandFormat::Immediate16: m = "#$1234"; g = "#0x1234"; break;
    case OperandFormat::Direct: m = "$45"; g = "*0x45"; break;
    case OperandFormat::Extended: m = "$1234"; g = "0x1234"; break;
    case OperandFormat::IndexedX: m = "$12,X"; g = "0x12,x"; break;
    case OperandFormat::IndexedY: m = "$12,y"; g = "0x12,y"; break;
    case OperandFormat::BitDirect: m = i % 2 ? "$45 $5A" : "$45,#$5A"; g = "*0x45 #0x5a"; break;
    case OperandFormat::BitIndexedX: m = i % 2 ? "$12,X $5A" : "$12,X,#$5A"; g = "0x12,x #0x5a"; break;
    case OperandFormat::BitIndexedY: m = i % 2 ? "$12,Y $5A" : "$12,Y,#$5A"; g = "0x12,y #0x5a"; break;
    case OperandFormat::BitBranchDirect:
        m = (i % 2 ? "$45 $5A " : "$45,#$5A,") + target;
        g = "*0x45 #0x5a " + target;
        break;
    case OperandFormat::BitBranchIndexedX:
        m = (i % 2 ? "$12,X $5A " : "$12,X,#$5A,") + target;
        g = "0x12,x #0x5a " + target;
        break;
    case OperandFormat::BitBranchIndexedY:
        m = (i % 2 ? "$12,Y $5A " : "$12,Y,#$5A,") + target;
        g = "0x12,y #0x5a " + target;
        break;
    case OperandFormat::Relative: m = g = target; break;
    }
}

TEST(GnuCompare, EveryOpcodeInEveryMode)
{
    if (!haveGnu())
        GTEST_SKIP() << "GNU m68hc11 binutils not installed";
    auto table = zelk::instructionSet();
    ASSERT_GT(table.size(), 300u);
    Pair p;
    p.mine = " ORG $E000\n";
    for (size_t i = 0; i < table.size(); ++i) {
        const InstructionInfo& info = table[i];
        // Branch targets a few lines back or ahead, always within reach.
        std::string target = "L" + std::to_string(i >= 3 ? i - 3 : i + 3);
        std::string m, g;
        operands(info, i, target, m, g);
        std::string mn = info.mnemonic;
        p.line("L" + std::to_string(i), (i % 3 == 0 ? lower(mn) : mn) + " " + m, lower(mn) + " " + g);
    }
    for (size_t i = table.size(); i < table.size() + 4; ++i)
        p.line("L" + std::to_string(i), "NOP", "nop");
    expectSameBytes(p, "instruction table");
}

TEST(GnuCompare, AliasesAndForcedModes)
{
    if (!haveGnu())
        GTEST_SKIP() << "GNU m68hc11 binutils not installed";
    Pair p;
    p.mine = " ORG $E000\n";
    p.line("", "ASLA", "asla");
    p.line("", "ASLB", "aslb");
    p.line("", "ASLD", "asld");
    p.line("", "ASL $1234", "asl 0x1234");
    p.line("", "ASL 3,X", "asl 3,x");
    p.line("", "ASL 3,Y", "asl 3,y");
    p.line("BR1", "BHS BR1", "bhs BR1");
    p.line("", "BLO BR1", "blo BR1");
    p.line("", "LDAA >$12", "ldaa 0x12");
    p.line("", "STD <$80", "std *0x80");
    p.line("", "LDAA ,X", "ldaa 0,x");
    p.line("", "BSET ,Y $01", "bset 0,y #0x01");
    p.line("", "LDAA #-1", "ldaa #0xff");
    p.line("", "LDX #-2", "ldx #0xfffe");
    expectSameBytes(p, "aliases");
}

// A random program in both syntaxes: equates, labels, forward and backward
// references, every addressing mode, expressions and data.
Pair randomProgram(unsigned seed)
{
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto table = zelk::instructionSet();
    const int count = 300;
    Pair p;
    for (int v = 0; v < 8; ++v) {
        int value = 0x10 + pick(0xE0);
        p.mine += "V" + std::to_string(v) + " EQU $" + hex(value, 2) + "\n";
        p.gnu += "V" + std::to_string(v) + " = 0x" + hex(value, 2) + "\n";
    }
    p.mine += " ORG $E000\n";
    p.mine += "* generated program " + std::to_string(seed) + "\n";
    for (int i = 0; i < count; ++i) {
        const InstructionInfo& info = table[static_cast<size_t>(pick(static_cast<int>(table.size())))];
        std::string mn = info.mnemonic;
        std::string label = "L" + std::to_string(i);
        int near = std::max(0, std::min(count - 1, i + pick(9) - 4));
        std::string target = "L" + std::to_string(near);
        std::string anyLabel = "L" + std::to_string(pick(count));
        std::string var = "V" + std::to_string(pick(8));
        int b = pick(256);
        std::string m, g;
        switch (info.format) {
        case OperandFormat::Inherent: break;
        case OperandFormat::Immediate8:
            if (pick(3) == 0) { m = "#" + var + "+1"; g = "#" + var + "+1"; }
            else if (pick(2) == 0) { m = "#'A'"; g = "#'A"; }
            else { m = "#" + std::to_string(b); g = "#" + std::to_string(b); }
            break;
        case OperandFormat::Immediate16:
            if (pick(2)) { m = g = "#" + anyLabel; }
            else { m = "#$" + hex(b * 97, 4); g = "#0x" + hex(b * 97, 4); }
            break;
        case OperandFormat::Direct: m = var; g = "*" + var; break;
        case OperandFormat::Extended:
            if (pick(2)) { m = g = anyLabel; }
            else { m = anyLabel + "+2"; g = anyLabel + "+2"; }
            break;
        case OperandFormat::IndexedX: m = std::to_string(b) + ",X"; g = std::to_string(b) + ",x"; break;
        case OperandFormat::IndexedY: m = "$" + hex(b, 2) + ",y"; g = "0x" + hex(b, 2) + ",y"; break;
        case OperandFormat::BitDirect: m = var + " $" + hex(b, 2); g = "*" + var + " #0x" + hex(b, 2); break;
        case OperandFormat::BitIndexedX: m = std::to_string(b) + ",X,#1"; g = std::to_string(b) + ",x #1"; break;
        case OperandFormat::BitIndexedY: m = std::to_string(b) + ",Y %101"; g = std::to_string(b) + ",y #5"; break;
        case OperandFormat::BitBranchDirect:
            m = var + ",#$" + hex(b, 2) + "," + target;
            g = "*" + var + " #0x" + hex(b, 2) + " " + target;
            break;
        case OperandFormat::BitBranchIndexedX: m = "0,X $80 " + target; g = "0,x #0x80 " + target; break;
        case OperandFormat::BitBranchIndexedY: m = "1,Y $7F " + target; g = "1,y #0x7f " + target; break;
        case OperandFormat::Relative: m = g = target; break;
        }
        p.line(label, (pick(2) ? lower(mn) : mn) + (m.empty() ? "" : "\t" + m), lower(mn) + " " + g);
    }
    p.line("TABLE", "FCB 1,$FF,V1,'z'", ".byte 1,0xff,V1,'z");
    p.line("", "FDB L0,TABLE,$1234", ".word L0,TABLE,0x1234");
    p.line("", "FCC \"Hello, HC11\"", ".ascii \"Hello, HC11\"");
    p.line("", "FDB L" + std::to_string(count - 1), ".word L" + std::to_string(count - 1));
    return p;
}

TEST(GnuCompare, RandomWholePrograms)
{
    if (!haveGnu())
        GTEST_SKIP() << "GNU m68hc11 binutils not installed";
    for (unsigned seed = 1; seed <= 6; ++seed)
        expectSameBytes(randomProgram(seed), "program " + std::to_string(seed));
}

} // namespace
