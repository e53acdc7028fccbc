// vyrtal: a command-line VST 2 host. Sub-commands info, render, bench, edit and screenshot.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "host/bench_command.h"
#include "host/edit_command.h"
#include "host/host_error.h"
#include "host/info_command.h"
#include "host/phrases.h"
#include "host/plugin_choice.h"
#include "host/render_command.h"
#include "host/screenshot_command.h"

namespace {

constexpr int kExitBadInput = 2;

std::string PhraseList() {
  std::string names;
  for (auto name : vyrtal::host::PhraseNames()) names += (names.empty() ? "" : ", ") + std::string(name);
  return names;
}

// Every sub-command works on one plug-in, by default the Vyrtal.so beside
// vyrtal.
void AddPluginOption(CLI::App* command, std::string& plugin, const std::string& defaultPlugin) {
  plugin = defaultPlugin;
  command->add_option("--plugin", plugin, "VST 2 plug-in library (default: Vyrtal.so beside vyrtal)");
}

// The program a sub-command plays or shows.
void AddProgramOption(CLI::App* command, std::string& program, const std::string& verb) {
  command->add_option("--program", program, "Program to " + verb + ", by number or name");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vyrtal::host;
  CLI::App app{"vyrtal: plays Linux VST 2 instruments from the command line"};
  app.require_subcommand(1);
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return std::string("vyrtal: ") + e.what() + " (try --help)\n";
  });
  const std::string defaultPlugin = DefaultPluginPath();

  InfoArgs info;
  CLI::App* infoCommand = app.add_subcommand("info", "Show a plug-in's identity, parameters and programs");
  AddPluginOption(infoCommand, info.plugin, defaultPlugin);
  infoCommand->add_flag("-v,--verbose", info.verbose, "Show the plug-in's requests to the host");

  RenderArgs render;
  CLI::App* renderCommand = app.add_subcommand("render", "Render a MIDI file or a built-in phrase to a WAV file");
  AddPluginOption(renderCommand, render.plugin, defaultPlugin);
  AddProgramOption(renderCommand, render.program, "play");
  renderCommand->add_option("--set", render.settings, "Set a parameter first, INDEX=VALUE with VALUE in 0..1")
      ->take_all();
  auto* midiOption = renderCommand->add_option("--midi", render.midiFile, "Standard MIDI File to play");
  auto* phraseOption =
      renderCommand->add_option("--phrase", render.phrase, "Built-in phrase to play: " + PhraseList());
  midiOption->excludes(phraseOption);
  renderCommand->add_option("--tempo", render.tempo, "Tempo in BPM (of a MIDI file: until its first tempo event)")
      ->check(CLI::Range(1.0, 1000.0));
  renderCommand->add_option("--rate", render.sampleRate, "Sample rate in Hz")->check(CLI::Range(8000.0, 384000.0));
  renderCommand->add_option("--block", render.blockSize, "Largest block in samples")->check(CLI::Range(1, 65536));
  renderCommand->add_option("--tail", render.tailSeconds,
                            "Seconds to render after the last event (default: until half a second below -90 dBFS)")
      ->check(CLI::Range(0.0, 600.0));
  renderCommand->add_option("--format", render.format, "WAV sample format")
      ->check(CLI::IsMember({"f32", "s16", "s24"}));
  renderCommand->add_option("-o,--output", render.output, "WAV file to write")->required();
  renderCommand->add_flag("-q,--quiet", render.quiet, "No progress bar, no summary");
  renderCommand->add_flag("-v,--verbose", render.verbose, "Show the plug-in's requests and render details");

  BenchArgs bench;
  CLI::App* benchCommand = app.add_subcommand("bench", "Time a fixed six-voice workload");
  AddPluginOption(benchCommand, bench.plugin, defaultPlugin);
  AddProgramOption(benchCommand, bench.program, "play");
  benchCommand->add_option("--seconds", bench.seconds, "Length of the workload")->check(CLI::Range(0.1, 600.0));
  benchCommand->add_option("--runs", bench.runs, "Renders to take the median of")->check(CLI::Range(1, 100));
  benchCommand->add_option("--rate", bench.sampleRate, "Sample rate in Hz")->check(CLI::Range(8000.0, 384000.0));
  benchCommand->add_option("--block", bench.blockSize, "Block size in samples")->check(CLI::Range(1, 65536));
  benchCommand->add_flag("-v,--verbose", bench.verbose, "Show every run");

  EditArgs edit;
  CLI::App* editCommand = app.add_subcommand("edit", "Open a plug-in's editor in a window, printing its automation");
  AddPluginOption(editCommand, edit.plugin, defaultPlugin);
  AddProgramOption(editCommand, edit.program, "show");
  editCommand->add_option("--seconds", edit.seconds, "Close after this many seconds (default: when closed)")
      ->check(CLI::Range(0.0, 86400.0));

  ScreenshotArgs shot;
  CLI::App* shotCommand =
      app.add_subcommand("screenshot", "Draw Vyrtal's editor for a program, without a display, as PNG");
  AddPluginOption(shotCommand, shot.plugin, defaultPlugin);
  AddProgramOption(shotCommand, shot.program, "show");
  shotCommand->add_option("-o,--output", shot.output, "PNG file to write")->required();

  try {
    app.parse(argc, argv);
    if (renderCommand->parsed() && render.midiFile.empty() && render.phrase.empty())
      throw HostError("render needs --midi FILE or --phrase NAME");
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : kExitBadInput;
  } catch (const HostError& e) {
    std::cerr << "vyrtal: " << e.what() << "\n";
    return kExitBadInput;
  }

  try {
    if (infoCommand->parsed()) RunInfo(info, std::cout);
    if (renderCommand->parsed()) RunRender(render, std::cout);
    if (benchCommand->parsed()) RunBench(bench, std::cout);
    if (editCommand->parsed()) RunEdit(edit, std::cout);
    if (shotCommand->parsed()) RunScreenshot(shot, std::cout);
  } catch (const HostError& e) {
    std::cout.flush();
    std::cerr << "vyrtal: " << e.what() << "\n";
    return kExitBadInput;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "vyrtal: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
