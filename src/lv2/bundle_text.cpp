#include "lv2/bundle_text.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "instrument/factory_programs.h"
#include "instrument/identity.h"
#include "lv2/control_ports.h"
#include "lv2/plugin_uris.h"
#include "lv2/port_names.h"

namespace vyrtal::lv2 {

namespace {

constexpr std::string_view kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix log: <http://lv2plug.in/ns/ext/log#> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// The audio ports, in port order after the event input.
struct AudioPort {
  const char* direction;
  const char* symbol;
  const char* name;
};
constexpr std::array<AudioPort, 4> kAudioPorts{{
    {"lv2:InputPort", "in_1", "In 1"},
    {"lv2:InputPort", "in_2", "In 2"},
    {"lv2:OutputPort", "out_l", "Out L"},
    {"lv2:OutputPort", "out_r", "Out R"},
}};

// Appends the pieces to the text, one after the other.
void Add(std::string& text, std::initializer_list<std::string_view> pieces) {
  for (const std::string_view piece : pieces) text.append(piece);
}

std::string Uri(std::string_view uri) {
  std::string text;
  Add(text, {"<", uri, ">"});
  return text;
}

// The shortest text that reads back as the same single-precision value.
std::string Number(float value) {
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  std::string number(text.data(), result.ptr);
  // Whole numbers get a decimal point, so that hosts read every value as a float.
  if (number.find_first_of(".e") == std::string::npos) number += ".0";
  return number;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      std::array<char, 8> escape{};
      std::snprintf(escape.data(), escape.size(), "\\u%04X", static_cast<unsigned>(c));
      out += escape.data();
      continue;
    }
    out += c;
  }
  out += '"';
  return out;
}

// A preset's URI: the prefix and the program's name, with anything but
// letters, digits, '-' and '_' written as '_'.
std::string PresetUri(std::string_view name) {
  std::string uri(kPresetUriPrefix);
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    uri += plain ? c : '_';
  }
  return Uri(uri);
}

std::string ControlPortText(std::size_t i, float defaultValue) {
  const ControlPort& port = kControlPorts[i];
  std::string text = "    [\n        a lv2:InputPort , lv2:ControlPort ;\n";
  Add(text, {"        lv2:index ", std::to_string(kFirstControlPort + i), " ;\n"});
  Add(text, {"        lv2:symbol ", Quoted(port.symbol), " ;\n"});
  Add(text, {"        lv2:name ", Quoted(ControlName(port.parameter)), " ;\n"});
  Add(text, {"        lv2:default ", Number(PortValue(port.range, defaultValue)), " ;\n"});
  text += "        lv2:minimum 0.0 ;\n        lv2:maximum 1.0";
  if (port.range == ControlRange::kToggle) text += " ;\n        lv2:portProperty lv2:toggled";
  if (port.range == ControlRange::kEnumeration) {
    text += " ;\n        lv2:portProperty lv2:enumeration ;\n        lv2:scalePoint";
    const auto choices = ExcitationChoices();
    for (std::size_t c = 0; c < choices.size(); ++c) {
      Add(text, {c == 0 ? " " : " ,\n            ", "[ rdfs:label ", Quoted(choices[c].label), " ; rdf:value ",
                 Number(choices[c].value), " ]"});
    }
  }
  text += "\n    ]";
  return text;
}

}  // namespace

std::string ManifestText() {
  const std::string plugin = Uri(kPluginUri);
  std::string text(kPrefixes);
  Add(text, {plugin, "\n    a lv2:Plugin , lv2:InstrumentPlugin ;\n"});
  Add(text, {"    lv2:binary <", kBinaryName, "> ;\n"});
  Add(text, {"    rdfs:seeAlso <", kPluginFile, "> , <", kUiFile, "> .\n"});
  for (const FactoryProgram& program : kFactoryPrograms) {
    Add(text, {"\n", PresetUri(program.name), "\n    a pset:Preset ;\n"});
    Add(text, {"    lv2:appliesTo ", plugin, " ;\n"});
    Add(text, {"    rdfs:seeAlso <", kPresetsFile, "> .\n"});
  }
  return text;
}

std::string PluginText() {
  std::string text(kPrefixes);
  Add(text, {Uri(kPluginUri), "\n    a lv2:Plugin , lv2:InstrumentPlugin ;\n"});
  Add(text, {"    doap:name ", Quoted(kProduct), " ;\n"});
  Add(text, {"    doap:maintainer [ foaf:name ", Quoted(kVendor), " ] ;\n"});
  text += "    lv2:requiredFeature urid:map ;\n";
  text += "    lv2:optionalFeature lv2:hardRTCapable , log:log , opts:options ;\n";
  text += "    opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n";
  text += "    lv2:extensionData state:interface ;\n";
  text += "    lv2:port [\n        a lv2:InputPort , atom:AtomPort ;\n";
  text += "        atom:bufferType atom:Sequence ;\n";
  text += "        atom:supports midi:MidiEvent , time:Position ;\n";
  text += "        lv2:designation lv2:control ;\n";
  Add(text, {"        lv2:index ", std::to_string(static_cast<std::uint32_t>(PortIndex::kEvents)), " ;\n"});
  text += "        lv2:symbol \"events\" ;\n        lv2:name \"Events\"\n    ]";
  for (std::size_t i = 0; i < kAudioPorts.size(); ++i) {
    const AudioPort& port = kAudioPorts[i];
    Add(text, {" , [\n        a ", port.direction, " , lv2:AudioPort ;\n"});
    if (std::string_view(port.direction) == "lv2:InputPort") text += "        lv2:portProperty lv2:connectionOptional ;\n";
    Add(text, {"        lv2:index ", std::to_string(static_cast<std::uint32_t>(PortIndex::kInput1) + i), " ;\n"});
    Add(text, {"        lv2:symbol ", Quoted(port.symbol), " ;\n"});
    Add(text, {"        lv2:name ", Quoted(port.name), "\n    ]"});
  }
  const FactoryProgram& defaults = kFactoryPrograms[0];
  for (std::size_t i = 0; i < kControlPorts.size(); ++i) {
    Add(text, {" ,\n", ControlPortText(i, defaults.values[static_cast<std::size_t>(kControlPorts[i].parameter)])});
  }
  text += " .\n";
  return text;
}

std::string UiText() {
  std::string text(kPrefixes);
  Add(text, {Uri(kPluginUri), "\n    ui:ui ", Uri(kUiUri), " .\n\n"});
  Add(text, {Uri(kUiUri), "\n    a ui:X11UI ;\n"});
  Add(text, {"    ui:binary <", kUiBinaryName, "> ;\n"});
  // It lives in the host's window and does its work in the host's idle
  // calls; its size is fixed.
  text += "    lv2:requiredFeature ui:parent ;\n";
  text += "    lv2:optionalFeature ui:idleInterface , ui:resize , ui:noUserResize , ui:fixedSize ;\n";
  text += "    lv2:extensionData ui:idleInterface .\n";
  return text;
}

std::string PresetsText() {
  std::string text(kPrefixes);
  for (const FactoryProgram& program : kFactoryPrograms) {
    Add(text, {PresetUri(program.name), "\n    a pset:Preset ;\n"});
    Add(text, {"    lv2:appliesTo ", Uri(kPluginUri), " ;\n"});
    Add(text, {"    rdfs:label ", Quoted(program.name), " ;\n"});
    text += "    lv2:port";
    for (std::size_t i = 0; i < kControlPorts.size(); ++i) {
      const ControlPort& port = kControlPorts[i];
      const float value = program.values[static_cast<std::size_t>(port.parameter)];
      Add(text, {i == 0 ? " " : " ,\n        ", "[ lv2:symbol ", Quoted(port.symbol), " ; pset:value ",
                 Number(PortValue(port.range, value)), " ]"});
    }
    text += " .\n\n";
  }
  return text;
}

}  // namespace vyrtal::lv2
