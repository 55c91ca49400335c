// Japanese texts in every encoding the tool reads, for the detection and
// conversion tests: the bundled sample and a corpus of Debian's Japanese
// manual pages (their UTF-8 sources), each converted by the system's iconv,
// which stands as the oracle. Characters an encoding lacks are dropped, as
// iconv -c drops them.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace lumo::cli::testing {

// The repository's file at path, found from this header's own place.
inline std::string RepositoryFile(const std::string &path) {
    std::string here = __FILE__;
    here.resize(here.rfind("/tests/cli/") + 1);
    std::ifstream in(here + path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline std::string Sample() { return RepositoryFile("examples/sample.txt"); }

// text converted by iconv; characters that the target lacks are left out.
inline std::string Iconv(const std::string &text, const char *from, const char *to) {
    const std::string target = std::string(to) + "//IGNORE";
    iconv_t cd = iconv_open(target.c_str(), from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv cannot convert " << from << " to " << to;
        return {};
    }
    std::string out(text.size() * 4 + 16, '\0');
    char *in_ptr = const_cast<char *>(text.data());
    size_t in_left = text.size();
    char *out_ptr = out.data();
    size_t out_left = out.size();
    while (in_left > 0) {
        if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1)) break;
        if (errno != EILSEQ) break;  // //IGNORE reports what it skipped at the end
    }
    iconv(cd, nullptr, nullptr, &out_ptr, &out_left);  // back to ASCII in ISO-2022-JP
    iconv_close(cd);
    out.resize(static_cast<size_t>(out_ptr - out.data()));
    return out;
}

// Up to count manual pages of manpages-ja in UTF-8, every step-th one; none
// where the package is missing.
inline std::vector<std::string> ManualPages(size_t count, size_t step) {
    std::vector<std::string> pages;
    FILE *list = popen("ls /usr/share/man/ja/man1/*.gz 2>/dev/null", "r");
    if (list == nullptr) return pages;
    std::vector<std::string> names;
    char line[4096];
    while (std::fgets(line, sizeof line, list) != nullptr) {
        std::string name(line);
        if (!name.empty() && name.back() == '\n') name.pop_back();
        names.push_back(name);
    }
    pclose(list);
    for (size_t i = 0; i < names.size() && pages.size() < count; i += step) {
        FILE *page = popen(("zcat '" + names[i] + "'").c_str(), "r");
        if (page == nullptr) continue;
        std::string text;
        size_t got;
        char block[65536];
        while ((got = std::fread(block, 1, sizeof block, page)) > 0) text.append(block, got);
        pclose(page);
        if (!text.empty()) pages.push_back(text);
    }
    return pages;
}

// Cuts text into pieces of random sizes from 1 to max_piece bytes.
inline std::vector<std::string> RandomPieces(const std::string &text, std::mt19937 *random, size_t max_piece) {
    std::vector<std::string> pieces;
    for (size_t at = 0; at < text.size();) {
        const size_t n = std::uniform_int_distribution<size_t>(1, max_piece)(*random);
        pieces.push_back(text.substr(at, n));
        at += n;
    }
    return pieces;
}

}  // namespace lumo::cli::testing
