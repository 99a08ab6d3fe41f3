// as11 command line: assembles SOURCE.asm into SOURCE.lst and SOURCE.s19
// beside it, and SOURCE.err when there are errors.
//
// Exit status: 0 without errors, 1 with assembly errors, 2 when the source
// cannot be read, an output file cannot be written, or an output would
// overwrite the source.
#include "Assembler.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* versionText = "as11 1.0 (68HC11 assembler)";

void printHelp()
{
    std::cout <<
        "Usage: as11 [options] SOURCE\n"
        "Assembles a 68HC11 source file. Writes SOURCE.lst (listing) and SOURCE.s19\n"
        "(S-records) beside it, and SOURCE.err (one \"LINE: message\" per error) when\n"
        "there are errors; a stale SOURCE.err is removed, and no S-record file is\n"
        "written when there are errors.\n"
        "\n"
        "Options:\n"
        "  -l FILE, --listing FILE   listing file name\n"
        "  -s FILE, --srecords FILE  S-record file name\n"
        "  -e FILE, --errors FILE    error listing file name\n"
        "  -q, --quiet               print nothing on the terminal\n"
        "  -h, --help                show this text\n"
        "  -V, --version             show the version\n"
        "\n"
        "Numbers and addresses in the source:\n"
        "  $C000                hexadecimal\n"
        "  %11000000            binary\n"
        "  @140000              octal\n"
        "  49152                decimal: a bare number is decimal, so 8000 is $1F40\n"
        "  'A                   the character code ('A' also works)\n"
        "  *                    the location counter\n"
        "For example ORG $E000, LDAA #%00001111, LDX #@17, FDB START.\n"
        "\n"
        "Exit status:\n"
        "  0  no errors\n"
        "  1  assembly errors (SOURCE.err lists them; no S-record file)\n"
        "  2  bad usage, the source cannot be read, an output cannot be written,\n"
        "     or an output would overwrite the source\n"
        "\n"
        "Example:\n"
        "  as11 prog.asm                   writes prog.lst and prog.s19\n"
        "  as11 -l out.lst -q prog.asm     the listing as out.lst, nothing printed\n";
}

bool writeFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

void removeIfExists(const fs::path& path)
{
    std::error_code ec;
    fs::remove(path, ec);
}

} // namespace

int main(int argc, char** argv)
{
    std::string source, listing, srec, errors;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= argc) {
                std::cerr << "as11: option " << a << " needs a file name\n";
                std::exit(2);
            }
            target = argv[++i];
        };
        if (a == "-h" || a == "--help") {
            printHelp();
            return 0;
        }
        if (a == "-V" || a == "--version") {
            std::cout << versionText << "\n";
            return 0;
        }
        if (a == "-l" || a == "--listing")
            value(listing);
        else if (a == "-s" || a == "--srecords")
            value(srec);
        else if (a == "-e" || a == "--errors")
            value(errors);
        else if (a == "-q" || a == "--quiet")
            quiet = true;
        else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "as11: unknown option " << a << " (try --help)\n";
            return 2;
        } else if (source.empty())
            source = a;
        else {
            std::cerr << "as11: only one source file, please (try --help)\n";
            return 2;
        }
    }
    if (source.empty()) {
        std::cerr << "as11: no source file (try --help)\n";
        return 2;
    }

    fs::path sourcePath(source);
    std::string text;
    {
        std::error_code ec;
        if (fs::is_directory(sourcePath, ec)) {
            std::cerr << "as11: cannot read " << source << ": is a directory\n";
            return 2;
        }
        std::ifstream in(sourcePath, std::ios::binary);
        if (!in) {
            std::cerr << "as11: cannot read " << source << ": " << std::strerror(errno) << "\n";
            return 2;
        }
        std::ostringstream buffer;
        buffer << in.rdbuf();
        if (in.bad()) {
            std::cerr << "as11: cannot read " << source << "\n";
            return 2;
        }
        text = std::move(buffer).str();
    }

    // The base name is the source path up to the last '.' of its file name.
    fs::path base = sourcePath;
    base.replace_extension();
    auto beside = [&](const char* ext) { fs::path p = base; p += ext; return p; };
    fs::path listingPath = listing.empty() ? beside(".lst") : fs::path(listing);
    fs::path srecPath = srec.empty() ? beside(".s19") : fs::path(srec);
    fs::path errorPath = errors.empty() ? beside(".err") : fs::path(errors);

    // An output named like the source (a source called PROG.lst, or -l
    // naming the source) would replace the program by its own listing.
    for (const fs::path& out : {listingPath, srecPath, errorPath}) {
        std::error_code ec;
        if (fs::equivalent(out, sourcePath, ec)) {
            std::cerr << "as11: " << out.string() << " would overwrite the source; name the outputs with -l, -s, -e\n";
            return 2;
        }
    }

    zelk::as11::AssemblerOptions options;
    options.moduleName = sourcePath.filename().string();
    zelk::as11::AssemblyResult result = zelk::as11::assemble(text, options);

    int status = 0;
    auto failWrite = [&](const fs::path& p) {
        std::cerr << "as11: cannot write " << p.string() << ": " << std::strerror(errno) << "\n";
        status = 2;
    };
    if (!writeFile(listingPath, result.listing))
        failWrite(listingPath);
    if (result.ok()) {
        removeIfExists(errorPath);
        if (!writeFile(srecPath, result.srecords))
            failWrite(srecPath);
    } else {
        // A program with errors is not offered for download.
        removeIfExists(srecPath);
        if (!writeFile(errorPath, result.errorText()))
            failWrite(errorPath);
        if (!quiet)
            for (const auto& e : result.errors)
                std::cerr << source << ":" << e.line << ": " << e.message << "\n";
    }
    if (!quiet && !result.ok())
        std::cerr << source << ": " << result.lineCount << " lines, " << result.errors.size()
                  << (result.errors.size() == 1 ? " error\n" : " errors\n");
    if (status != 0)
        return status;
    return result.ok() ? 0 : 1;
}
