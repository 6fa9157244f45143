// What the fuzz targets share: a scratch folder for the files they write,
// the fuzzer's bytes as text and lines, and a check that stops the run.
#pragma once

#include "support/TextUtil.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace twfuzz {

// A folder of this process under the temporary folder (TMPDIR), removed when
// the process ends normally.
inline const std::filesystem::path& ScratchDir() {
    struct Dir {
        std::filesystem::path path;
        Dir() {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "tarnwick-fuzz-XXXXXX").string();
            if (!::mkdtemp(pattern.data())) {
                std::perror("mkdtemp");
                std::abort();
            }
            path = pattern;
        }
        ~Dir() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Dir dir;
    return dir.path;
}

inline std::string ScratchFile(const char* name) {
    return (ScratchDir() / name).string();
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        std::perror(path.c_str());
        std::abort();
    }
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

inline std::wstring Text(const std::uint8_t* data, std::size_t size) {
    return tw::FromUtf8(Bytes(data, size));
}

// The text cut at line feeds, a "\r" before one dropped: the lines a history
// file read gives.
inline std::vector<std::wstring> Lines(std::wstring_view text) {
    std::vector<std::wstring> out;
    std::size_t b = 0;
    while (b < text.size()) {
        std::size_t e = text.find(L'\n', b);
        if (e == std::wstring_view::npos)
            e = text.size();
        std::size_t end = e > b && text[e - 1] == L'\r' ? e - 1 : e;
        out.emplace_back(text.substr(b, end - b));
        b = e + 1;
    }
    return out;
}

} // namespace twfuzz

// A property the code promises does not hold for this input: the fuzzer
// keeps the input as a crash.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
