// Loads the built shared library as a host program would, finds LumoMultiLines
// under its plain C name and formats a small text through it, with records
// laid out by hand as the public header describes them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "lumotext.h"

namespace {

using LumoMultiLinesFn = int32_t(LUMOTEXT_STDCALL *)(FormatRequest *, IndentSettings *,
                                                     FoldSettings *, HeaderSettings *);

class SharedLibrary {
public:
    SharedLibrary() : handle_(dlopen(LUMOTEXT_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {}
    ~SharedLibrary() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    SharedLibrary(const SharedLibrary &) = delete;
    SharedLibrary &operator=(const SharedLibrary &) = delete;
    void *handle() const { return handle_; }

private:
    void *handle_;
};

// Records filled field by field, without the library's preset fill: no
// indentation, word wrap and kinsoku off, no header block.
LumoRecords PlainRecords() {
    LumoRecords records{};
    records.indent.record_size = INDENT_SETTINGS_SIZE;
    records.fold.record_size = FOLD_SETTINGS_SIZE;
    records.fold.foldnum = 4;
    records.fold.foldnum_from_head = 4;
    records.header.record_size = HEADER_SETTINGS_SIZE;
    return records;
}

TEST(SharedLibrary, LumoMultiLinesByItsCName) {
    SharedLibrary library;
    ASSERT_NE(library.handle(), nullptr) << dlerror();
    dlerror();
    void *symbol = dlsym(library.handle(), "LumoMultiLines");
    ASSERT_NE(symbol, nullptr) << "no symbol LumoMultiLines: " << dlerror();
    LumoMultiLinesFn format = nullptr;
    static_assert(sizeof format == sizeof symbol, "function and data pointers differ in size");
    std::memcpy(&format, &symbol, sizeof format);

    LumoRecords records = PlainRecords();
    const char source[] = "abcdefghij\r\nxy\nklmnop";
    const std::string expected = "abcd\r\nefgh\r\nij\r\nxy\nklmn\nop\n";
    std::vector<char> output(64, '\xBD');
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.source = source;
    request.output = output.data();
    request.capacity = static_cast<uint32_t>(expected.size() + 1);
    request.tab_width = 8;
    request.display_width = 80;

    EXPECT_EQ(format(&request, &records.indent, &records.fold, &records.header), FORMAT_DONE);
    EXPECT_EQ(std::string(output.data()), expected);
    EXPECT_EQ(records.fold.foldnum, 4u);
    for (size_t i = expected.size() + 1; i < output.size(); ++i) {
        ASSERT_EQ(output[i], '\xBD') << "byte " << i << " written past the capacity";
    }

    // One byte short: result 8 and the empty string.
    request.capacity = static_cast<uint32_t>(expected.size());
    EXPECT_EQ(format(&request, &records.indent, &records.fold, &records.header),
              FORMAT_OUTPUT_TOO_SMALL);
    EXPECT_EQ(output[0], '\0');

    records.fold.foldnum = 0;
    EXPECT_EQ(format(&request, &records.indent, &records.fold, &records.header), FORMAT_FOLD_ZERO);
}

}  // namespace
