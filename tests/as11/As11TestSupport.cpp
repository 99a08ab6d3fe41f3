// Test helpers for as11 (see As11TestSupport.h).
#include "As11TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace as11test {

Image imageOf(const zelk::as11::AssemblyResult& r)
{
    Image img(65536, -1);
    for (const auto& seg : r.segments)
        for (size_t i = 0; i < seg.bytes.size(); ++i)
            img[(seg.address + i) & 0xFFFF] = seg.bytes[i];
    return img;
}

std::vector<uint8_t> bytesFrom(const zelk::as11::AssemblyResult& r, uint16_t start)
{
    Image img = imageOf(r);
    std::vector<uint8_t> out;
    for (uint32_t a = start; a < 65536 && img[a] >= 0; ++a)
        out.push_back(static_cast<uint8_t>(img[a]));
    return out;
}

std::vector<uint8_t> assembleBytes(const std::string& source, uint16_t start)
{
    return bytesFrom(zelk::as11::assemble(source), start);
}

long parseNumber(const std::string& t, bool isWord)
{
    if (t.empty())
        return -1;
    long v = 0;
    char c = t[0];
    auto isHex = [](char h) { return (h >= '0' && h <= '9') || (h >= 'A' && h <= 'F') || (h >= 'a' && h <= 'f'); };
    if (c >= '0' && c <= '9') {
        if (t.size() > 5)
            return -1;
        for (char d : t) {
            if (d < '0' || d > '9')
                return -1;
            v = v * 10 + (d - '0');
        }
    } else if (c == '$') {
        if (t.size() < 2 || t.size() > 5)
            return -1;
        for (size_t i = 1; i < t.size(); ++i) {
            if (!isHex(t[i]))
                return -1;
            char u = static_cast<char>(std::toupper(static_cast<unsigned char>(t[i])));
            v = v * 16 + (u <= '9' ? u - '0' : u - 'A' + 10);
        }
    } else if (c == '@') {
        if (t.size() < 2 || t.size() > 7)
            return -1;
        for (size_t i = 1; i < t.size(); ++i) {
            if (t[i] < '0' || t[i] > '7')
                return -1;
            v = v * 8 + (t[i] - '0');
        }
    } else if (c == '%') {
        if (t.size() < 2 || t.size() > 32)
            return -1;
        for (size_t i = 1; i < t.size(); ++i) {
            if (t[i] != '0' && t[i] != '1')
                return -1;
            v = v * 2 + (t[i] - '0');
        }
    } else {
        return -1;
    }
    if ((isWord && v > 65535) || (!isWord && v > 255))
        return -1;
    return v;
}

namespace {

std::string expandTabs(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '\t')
            out.append(9 - out.size() % 9, ' ');
        else
            out += c;
    }
    return out;
}

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

int hexByte(const std::string& two)
{
    return static_cast<int>(std::stoul(two, nullptr, 16));
}

} // namespace

std::vector<ListingEntry> readListing(const std::string& listing)
{
    std::vector<ListingEntry> out;
    std::istringstream in(listing);
    std::string raw;
    while (std::getline(in, raw)) {
        // Candidate test on the line as read (1-based columns in comments).
        const std::string& L = raw;
        if (L.size() < 28)
            continue;
        if (parseNumber(L.substr(0, 4), true) < 0)                    // cols 1-4
            continue;
        if (parseNumber("$" + upper(L.substr(5, 4)), true) < 0)       // cols 6-9
            continue;
        if (L[4] != ' ' || L.substr(24, 3) != "   ")                  // col 5, 25-27
            continue;
        if (L[9] != ' ' || L[12] != ' ' || L[15] != ' ' || L[18] != ' ' || L[21] != ' ')
            continue;
        std::string E = expandTabs(L);
        ListingEntry e;
        e.value = static_cast<int>(std::stoul(upper(E.substr(5, 4)), nullptr, 16));
        for (int k = 0; k < 5; ++k) {
            size_t col = 10 + 3 * static_cast<size_t>(k);
            if (E[col] != ' ') {
                e.code[static_cast<size_t>(e.codeLength)] = static_cast<uint8_t>(hexByte(E.substr(col, 2)));
                ++e.codeLength;
            }
        }
        size_t p = 0;
        if (E[27] != ' ') {
            size_t sp = E.find(' ', 27);
            if (sp != std::string::npos && sp > 27) {
                p = sp - 27;
                e.label = E.substr(27, p);
            }
        }
        std::string R = E.substr(27 + p);
        R.erase(0, R.find_first_not_of(' ') == std::string::npos ? R.size() : R.find_first_not_of(' '));
        std::string U = upper(R);
        if (U.rfind("FCB", 0) == 0 || U.rfind("FCC", 0) == 0 || U.rfind("FDB", 0) == 0 || U.rfind("FILL", 0) == 0)
            e.codeLength = 0;
        else
            e.source = E.substr(27);
        out.push_back(e);
    }
    return out;
}

std::vector<SRecord> parseSRecords(const std::string& text)
{
    std::vector<SRecord> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 10 || line[0] != 'S')
            continue;
        SRecord r;
        r.type = line[1];
        int count = hexByte(line.substr(2, 2));
        if (line.size() != static_cast<size_t>(4 + 2 * count))
            continue;
        unsigned sum = static_cast<unsigned>(count);
        std::vector<uint8_t> bytes;
        for (int i = 0; i < count; ++i) {
            int b = hexByte(line.substr(4 + 2 * static_cast<size_t>(i), 2));
            bytes.push_back(static_cast<uint8_t>(b));
            sum += static_cast<unsigned>(b);
        }
        r.checksumOk = (sum & 0xFF) == 0xFF;
        r.address = (static_cast<uint32_t>(bytes[0]) << 8) | bytes[1];
        r.data.assign(bytes.begin() + 2, bytes.end() - 1);
        out.push_back(r);
    }
    return out;
}

std::filesystem::path makeTempDir(const std::string& tag)
{
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (int i = 0; i < 100; ++i) {
        auto p = base / ("as11-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(rd() % 1000000));
        if (std::filesystem::create_directory(p))
            return p;
    }
    throw std::runtime_error("cannot create a temporary directory");
}

std::string readFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::filesystem::path& p, const std::string& text)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
}

int runCommand(const std::string& commandLine)
{
    int status = std::system(commandLine.c_str());
    if (status == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace as11test
