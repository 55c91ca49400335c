// A program's lumo_options made into what a stream is built from: the
// records of the preset, the slot or the caller, in the text's encoding,
// with the fold column, tab width and the policies for lines, checked once.
#pragma once

#include <string>

#include "engine/binder.h"
#include "engine/formatter.h"
#include "lumo.h"

namespace lumo::engine {

// The options as the library reads them: the caller's, up to the size the
// caller's header knew, over the defaults.
bool ReadOptions(const lumo_options *given, lumo_options *options, std::string *error);

// Fills the setups from options; false, with *code (LUMO_ERR_*) and
// *error set, when an option is out of range or the slot cannot be loaded.
bool FormatSetupOf(const lumo_options &options, FormatterSetup *setup, int *code, std::string *error);
bool BindSetupOf(const lumo_options &options, BinderSetup *setup, int *code, std::string *error);

}  // namespace lumo::engine
