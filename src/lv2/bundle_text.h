// The Turtle files of the plug-in's bundle, written from the instrument's
// own tables: the manifest, the plug-in's description, its editor's and its
// factory presets.
#pragma once

#include <string>

namespace vyrtal::lv2 {

std::string ManifestText();
std::string PluginText();
std::string UiText();
std::string PresetsText();

constexpr const char* kManifestFile = "manifest.ttl";
constexpr const char* kPluginFile = "vyrtal.ttl";
constexpr const char* kUiFile = "ui.ttl";
constexpr const char* kPresetsFile = "presets.ttl";

}  // namespace vyrtal::lv2
