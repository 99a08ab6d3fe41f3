// Cross-checks the decoder against an independent disassembler, GNU
// m68hc11-objdump: every defined opcode of the four pages, with varied
// operand bytes, must decode to the same instruction boundaries, the same
// mnemonic and the same operand numbers. The two syntaxes differ ("$12,X"
// against "0x12,x"), so numbers are compared, not texts. Skipped when the
// tool is not installed.
#include "code/Decoder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

using namespace zelk;

namespace {

constexpr int32_t origin = 0xC000;

struct Line {
    int32_t address = 0;
    std::string mnemonic;
    std::vector<long> numbers;
};

bool toolInstalled()
{
    return std::system("command -v m68hc11-objdump >/dev/null 2>&1") == 0;
}

std::string runCommand(const std::string& command)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

std::vector<long> numbersIn(const std::string& text, const std::regex& number)
{
    std::vector<long> v;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != std::sregex_iterator(); ++it)
        v.push_back(std::strtol((*it)[1].str().c_str(), nullptr, 16));
    return v;
}

// The objdump listing: "    c000:\t86 12       \tldaa\t#0x12"; lines of
// further code bytes only carry no mnemonic and are skipped.
std::vector<Line> parseObjdump(const std::string& listing)
{
    static const std::regex row(R"(^\s*([0-9a-f]+):\t[0-9a-f ]+\t(\S+)\s*(.*)$)");
    static const std::regex number("0x([0-9a-fA-F]+)");
    std::vector<Line> lines;
    size_t start = 0;
    while (start < listing.size()) {
        size_t end = listing.find('\n', start);
        if (end == std::string::npos)
            end = listing.size();
        std::string text = listing.substr(start, end - start);
        start = end + 1;
        std::smatch m;
        if (!std::regex_match(text, m, row))
            continue;
        Line l;
        l.address = static_cast<int32_t>(std::strtol(m[1].str().c_str(), nullptr, 16));
        l.mnemonic = m[2].str();
        for (char& c : l.mnemonic)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        // The shift-left family: objdump says ASL, the IDE shows LSL.
        if (l.mnemonic.rfind("ASL", 0) == 0)
            l.mnemonic.replace(0, 3, "LSL");
        std::string operands = m[3].str();
        // Branch targets come out as "0x0xc004".
        for (size_t p; (p = operands.find("0x0x")) != std::string::npos;)
            operands.erase(p, 2);
        l.numbers = numbersIn(operands, number);
        lines.push_back(l);
    }
    return lines;
}

} // namespace

TEST(ObjdumpCrossCheck, EveryDefinedOpcode)
{
    if (!toolInstalled())
        GTEST_SKIP() << "m68hc11-objdump is not installed";

    // Every table entry once, operand bytes varied per instruction.
    std::vector<uint8_t> image;
    int index = 0;
    for (const InstructionInfo& e : instructionSet()) {
        if (e.prefix)
            image.push_back(e.prefix);
        image.push_back(e.opcode);
        for (int k = 0; k < operandBytes(e.format); ++k)
            image.push_back(static_cast<uint8_t>(index * 37 + k * 11 + 5));
        ++index;
    }
    // Padding so the last instruction's window holds only defined bytes.
    std::vector<uint8_t> padded = image;
    padded.resize(image.size() + CodeWindow::Size, 0x01);

    std::string file = ::testing::TempDir() + "zelk_code_crosscheck.bin";
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        ASSERT_TRUE(out.good());
    }
    std::vector<Line> theirs =
        parseObjdump(runCommand("m68hc11-objdump -b binary -m m68hc11 --adjust-vma=0xc000 -D '" + file + "'"));
    std::remove(file.c_str());

    static const std::regex hexNumber(R"(\$([0-9A-F]+))");
    std::vector<Line> ours;
    for (size_t offset = 0; offset < image.size();) {
        CodeWindow w;
        w.base = origin + static_cast<int32_t>(offset);
        std::copy(padded.begin() + static_cast<long>(offset),
                  padded.begin() + static_cast<long>(offset) + CodeWindow::Size, w.bytes.begin());
        int32_t address = w.base;
        int16_t length = 0;
        std::string text;
        DisassembleOne(w, address, length, text);
        ASSERT_GT(length, 0);
        Line l;
        l.address = address;
        l.mnemonic = text.substr(0, text.find(' '));
        l.numbers = numbersIn(text, hexNumber);
        ours.push_back(l);
        offset += static_cast<size_t>(length);
    }

    ASSERT_EQ(ours.size(), instructionSet().size());
    ASSERT_EQ(theirs.size(), ours.size()) << "the two disassemblers split the code differently";
    for (size_t i = 0; i < ours.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "instruction " << i << " " << ours[i].mnemonic);
        EXPECT_EQ(theirs[i].address, ours[i].address);
        EXPECT_EQ(theirs[i].mnemonic, ours[i].mnemonic);
        EXPECT_EQ(theirs[i].numbers, ours[i].numbers);
    }
}
