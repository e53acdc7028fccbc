// The names the LV2 side of the instrument goes by: the plug-in, its
// editor, its factory presets and the properties of its saved state.
#pragma once

namespace vyrtal::lv2 {

constexpr const char* kPluginUri = "urn:tollarinfx:vyrtal";
// A factory preset's URI is this followed by its program's name.
constexpr const char* kPresetUriPrefix = "urn:tollarinfx:vyrtal:preset:";

// State properties.
constexpr const char* kStateProgramUri = "urn:tollarinfx:vyrtal:state:program";    // atom:Int
constexpr const char* kStateValuesUri = "urn:tollarinfx:vyrtal:state:values";      // atom:String of numbers
constexpr const char* kStateNamesUri = "urn:tollarinfx:vyrtal:state:names";        // atom:Tuple of atom:String
constexpr const char* kStateControlsUri = "urn:tollarinfx:vyrtal:state:controls";  // atom:String of numbers

// The plug-in binary inside the bundle.
constexpr const char* kBinaryName = "vyrtal.so";

// The editor, an X11 UI in a binary of its own.
constexpr const char* kUiUri = "urn:tollarinfx:vyrtal:ui";
constexpr const char* kUiBinaryName = "vyrtal_ui.so";

}  // namespace vyrtal::lv2
