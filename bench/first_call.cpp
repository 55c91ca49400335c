// How long lumo_format's first call in a process takes against its later
// calls. The library reads its character data from constant tables and
// builds nothing at run time, so the first call should cost about what the
// later ones do: what it may pay more is the first touch of the pages of its
// code and tables. The text (the first BYTES bytes of whole lines of FILE) is
// read before anything is timed; each call formats it at fold column 70 in
// the encoding and rules given, and frees the result.
// Prints "first NS" and "later NS" (the median of the later calls), then the
// page faults (minor, the pages the call touched first) of each alike.
// Usage: first_call FILE BYTES CALLS [utf-8|sjis] [normal|classic]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lumo.h"

namespace {

std::string ReadLines(const char *path, size_t bytes) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() > bytes) {
        const size_t end = text.rfind('\n', bytes - 1);
        text.resize(end == std::string::npos ? bytes : end + 1);
    }
    return text;
}

long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

struct Call {
    long long ns = -1;  // negative when the call failed
    long faults = 0;
};

Call TimeCall(const std::string &text, const lumo_options &options) {
    char *out = nullptr;
    size_t length = 0;
    lumo_error error;
    const long faults = MinorFaults();
    const auto start = std::chrono::steady_clock::now();
    const int result = lumo_format(text.data(), text.size(), &options, &out, &length, &error);
    const auto stop = std::chrono::steady_clock::now();
    Call call;
    call.faults = MinorFaults() - faults;
    lumo_free(out);
    if (result != LUMO_OK) {
        std::fprintf(stderr, "first_call: lumo_format failed: %s\n", error.message);
        return call;
    }
    call.ns = std::chrono::duration_cast<std::chrono::nanoseconds>(stop - start).count();
    return call;
}

template <typename T>
T Median(std::vector<T> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: first_call FILE BYTES CALLS [utf-8|sjis] [normal|classic]\n");
        return 2;
    }
    const std::string text = ReadLines(argv[1], std::strtoull(argv[2], nullptr, 10));
    const int calls = std::atoi(argv[3]);
    if (text.empty() || calls < 2) {
        std::fprintf(stderr, "first_call: no text in %s, or fewer than 2 calls\n", argv[1]);
        return 2;
    }
    lumo_options options;
    lumo_options_init(&options);
    options.fold = 70;
    if (argc > 4 && std::strcmp(argv[4], "sjis") == 0) options.encoding = LUMO_CP932;
    if (argc > 5 && std::strcmp(argv[5], "classic") == 0) options.rules = LUMO_RULES_CLASSIC;

    const Call first = TimeCall(text, options);
    if (first.ns < 0) return 1;
    std::vector<long long> later_ns;
    std::vector<long> later_faults;
    for (int i = 1; i < calls; ++i) {
        const Call call = TimeCall(text, options);
        if (call.ns < 0) return 1;
        later_ns.push_back(call.ns);
        later_faults.push_back(call.faults);
    }
    std::printf("first %lld\nlater %lld\nfirst_faults %ld\nlater_faults %ld\nbytes %zu\n", first.ns,
                Median(later_ns), first.faults, Median(later_faults), text.size());
    return 0;
}
