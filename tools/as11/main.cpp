// as11 command line: assembles SOURCE.asm into SOURCE.lst and SOURCE.s19
// beside it, and SOURCE.err when there are errors.
//
// Exit status: 0 without errors, 1 with assembly errors, 2 when the source
// cannot be read, an output file cannot be written, or the file names clash
// (an output would overwrite the source or another output).
//
// Outputs are written atomically (a failed write leaves the old file). A
// source that is not a regular file (a device, a pipe) gets no outputs
// beside it: it is assembled only when -l, -s and -e name all three, and
// like every source it is read up to MaxSourceBytes, so an endless input
// stops with a message. Outputs that are devices (-l /dev/null) are written
// in place and never removed.
#include "Assembler.h"
#include "SourceFile.h"
#include "link/FileOutput.h"

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
        "  2  bad usage, the source cannot be read or is larger than 16 MB, an\n"
        "     output cannot be written, or the names clash: an output would\n"
        "     overwrite the source or another output\n"
        "\n"
        "Outputs replace old files whole or not at all. A source that is not a\n"
        "regular file (a device or pipe) is assembled only when -l, -s and -e\n"
        "name all outputs.\n"
        "\n"
        "Example:\n"
        "  as11 prog.asm                   writes prog.lst and prog.s19\n"
        "  as11 -l out.lst -q prog.asm     the listing as out.lst, nothing printed\n";
}

// A stale output is removed only when it is a file (or a link): never a
// device such as /dev/null named as an output.
void removeIfExists(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(path, ec);
    if (fs::is_regular_file(st) || fs::is_symlink(st))
        fs::remove(path, ec);
}

// Two outputs may share a device (both to /dev/null), never a file.
bool sharedFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    const fs::file_status st = fs::status(a, ec);
    if (fs::exists(st) && !fs::is_regular_file(st))
        return false;
    return zelk::as11::sameFile(a, b);
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
    {
        std::error_code ec;
        const fs::file_status st = fs::status(sourcePath, ec);
        if (fs::exists(st) && !fs::is_regular_file(st) && !fs::is_directory(st) &&
            (listing.empty() || srec.empty() || errors.empty())) {
            std::cerr << "as11: " << source
                      << " is not a regular file; name all outputs with -l, -s and -e to assemble it\n";
            return 2;
        }
    }
    std::string text;
    {
        std::string error;
        if (!zelk::as11::readSourceFile(sourcePath, zelk::as11::MaxSourceBytes, text, error)) {
            std::cerr << "as11: cannot read " << source << ": " << error << "\n";
            return 2;
        }
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
    // Two outputs in one file would leave only the last one written (or, for
    // the error listing, remove the listing after a clean assembly).
    const struct {
        const char* option;
        const fs::path& path;
    } outputs[] = {{"-l", listingPath}, {"-s", srecPath}, {"-e", errorPath}};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = i + 1; j < 3; ++j)
            if (sharedFile(outputs[i].path, outputs[j].path)) {
                std::cerr << "as11: the " << outputs[i].option << " and " << outputs[j].option << " outputs ("
                          << outputs[i].path.string() << ", " << outputs[j].path.string()
                          << ") are one file; name different files\n";
                return 2;
            }

    zelk::as11::AssemblerOptions options;
    options.moduleName = sourcePath.filename().string();
    zelk::as11::AssemblyResult result = zelk::as11::assemble(text, options);

    int status = 0;
    auto writeFile = [&](const fs::path& p, const std::string& text) {
        const std::string error = zelk::writeFileAtomically(p, text);
        if (!error.empty()) {
            std::cerr << "as11: cannot write " << p.string() << ": " << error << "\n";
            status = 2;
        }
    };
    writeFile(listingPath, result.listing);
    if (result.ok()) {
        removeIfExists(errorPath);
        writeFile(srecPath, result.srecords);
    } else {
        // A program with errors is not offered for download.
        removeIfExists(srecPath);
        writeFile(errorPath, result.errorText());
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
