// Helpers shared by the as11 tests: a memory image built from an assembly,
// an independent reader of the listing that follows the IDE's symbol-loading
// rules, S-record parsing, temporary directories and running programs.
#pragma once

#include "Assembler.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace as11test {

// 64 KB image; -1 marks a byte the program did not write.
using Image = std::vector<int>;
Image imageOf(const zelk::as11::AssemblyResult& r);
// Bytes from address start up to (not including) the first unwritten byte.
std::vector<uint8_t> bytesFrom(const zelk::as11::AssemblyResult& r, uint16_t start);
// Assembles and returns the bytes written from `start` on.
std::vector<uint8_t> assembleBytes(const std::string& source, uint16_t start = 0);

// One entry of the listing as the IDE's loader reads it.
struct ListingEntry {
    int value = 0;
    int codeLength = 0;
    std::array<uint8_t, 5> code{};
    std::string label;
    std::string source;
};
// The IDE's number syntax: decimal, $hex, %binary, @octal; -1 when invalid.
long parseNumber(const std::string& text, bool isWord);
std::vector<ListingEntry> readListing(const std::string& listing);

struct SRecord {
    char type = 0;
    uint32_t address = 0;
    std::vector<uint8_t> data;
    bool checksumOk = false;
};
std::vector<SRecord> parseSRecords(const std::string& text);

std::filesystem::path makeTempDir(const std::string& tag);
std::string readFile(const std::filesystem::path& p);
void writeFile(const std::filesystem::path& p, const std::string& text);
// Runs a shell command line; returns its exit status (-1 when it did not exit).
int runCommand(const std::string& commandLine);

} // namespace as11test
