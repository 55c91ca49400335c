// lumo_options.slot: a setting slot of the settings store, loaded as the
// Windows-era GetWholeSetting loads it.
#include <gtest/gtest.h>

#include <string>

#include "engine/engine_support.h"
#include "settings/slots.h"
#include "support/temp_store.h"

namespace lumo_engine_test {
namespace {

class LumoSlot : public lumo_test::TempStore {};

// A slot of the settings store, loaded as the library loads it; a slot
// without settings names what failed.
TEST_F(LumoSlot, SlotsAreLoadedFromTheStore) {
    lumo_options o;
    lumo_options_init(&o);
    o.slot = 4;
    o.fold = 0;  // the slot's own
    lumo_error err;
    char *out = nullptr;
    EXPECT_EQ(lumo_format("a\n", 2, &o, &out, nullptr, &err), LUMO_ERR_SLOT);
    EXPECT_NE(std::string(err.message).find("slot 4"), std::string::npos) << err.message;
    int32_t detail = 0;
    ASSERT_EQ(lumo::DefaultWholeSetting(4, 1, "test", nullptr, &detail), 0);
    const std::string text = "件名\n\n本文はここから始まり折り返されます。本文はここから始まり折り返されます。\n";
    size_t n = 0;
    ASSERT_EQ(lumo_format(text.data(), text.size(), &o, &out, &n, &err), LUMO_OK) << err.message;
    EXPECT_EQ(std::string(out, n), Reference(text, PresetRecords(1, 70), LUMO_UTF8, 8).output);
    lumo_free(out);
}

}  // namespace
}  // namespace lumo_engine_test
