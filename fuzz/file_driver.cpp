// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzzers' main() outside libFuzzer: feeds each file named on the command line, and each file
// of each folder named (in name order), to LLVMFuzzerTestOneInput once. Each input's name is
// printed before it runs and "ok" after it, so a property that aborts, or a sanitizer's report,
// follows the name of the file that caused it. Exits 2 when a path cannot be read.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// The files a command-line path stands for: itself, or the regular files of the folder.
bool InputsOf(const fs::path& path, std::vector<fs::path>* inputs) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
        inputs->push_back(path);
        return true;
    }
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    if (error) return false;
    std::sort(files.begin(), files.end());
    inputs->insert(inputs->end(), files.begin(), files.end());
    return true;
}

bool Run(const fs::path& input) {
    std::ifstream file(input, std::ios::binary);
    if (!file) return false;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                     std::istreambuf_iterator<char>()};
    if (file.bad()) return false;
    std::fprintf(stderr, "%s (%zu bytes) ... ", input.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    std::fprintf(stderr, "ok\n");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!InputsOf(argv[i], &inputs)) {
            std::fprintf(stderr, "%s: cannot list the folder\n", argv[i]);
            return 2;
        }
    }
    for (const fs::path& input : inputs) {
        if (!Run(input)) {
            std::fprintf(stderr, "%s: cannot be read\n", input.c_str());
            return 2;
        }
    }
    std::fprintf(stderr, "%zu inputs, none failed\n", inputs.size());
    return 0;
}
