// Runs a fuzz target over every file of a corpus folder, so that the ordinary build tests the
// cases kept in fuzz/corpus/<target>/ without libFuzzer.

#include "fuzz.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> files(std::filesystem::directory_iterator(argv[1]), {});
    std::ranges::sort(files);
    for (const auto &file : files) {
        // Exactly as long as the input, so that AddressSanitizer sees a read past its end.
        std::vector<uint8_t> bytes(std::filesystem::file_size(file));
        std::ifstream(file, std::ios::binary)
            .read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
        std::fprintf(stderr, "%s\n", file.c_str());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs passed\n", files.size());
    return files.empty() ? 1 : 0; // an empty corpus would test nothing
}
