// Replays fuzz inputs through a target's LLVMFuzzerTestOneInput without the
// fuzzing engine, so any compiler builds it and the test suite runs every
// stored corpus input (the sanitizer build included). Arguments are files or
// folders (every regular file in a folder, in name order). An argument that
// cannot be read, or a folder without inputs, fails the run: a lost corpus
// must not pass as an empty success.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

bool readWhole(const fs::path& file, std::vector<uint8_t>& bytes)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR_OR_FILE...\n", argv[0]);
        return 2;
    }
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        std::vector<fs::path> files;
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            for (const auto& entry : fs::directory_iterator(arg, ec))
                if (entry.is_regular_file(ec))
                    files.push_back(entry.path());
            if (ec) {
                std::fprintf(stderr, "%s: %s\n", argv[i], ec.message().c_str());
                return 2;
            }
            if (files.empty()) {
                std::fprintf(stderr, "%s: no inputs\n", argv[i]);
                return 2;
            }
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(arg);
        }
        for (const fs::path& f : files) {
            std::vector<uint8_t> bytes;
            if (!readWhole(f, bytes)) {
                std::fprintf(stderr, "%s: cannot read\n", f.string().c_str());
                return 2;
            }
            // An empty vector's data() may be null; the engine never passes null.
            static const uint8_t none = 0;
            LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return 0;
}
