#include "host/render_command.h"

#include <cmath>
#include <cstdio>
#include <iomanip>
#include <limits>

#include "host/host_error.h"
#include "host/midi_file.h"
#include "host/phrases.h"
#include "host/plugin_choice.h"
#include "host/plugin_session.h"
#include "host/progress_bar.h"
#include "host/render_engine.h"
#include "host/timeline.h"
#include "host/wav_writer.h"

namespace vyrtal::host {
namespace {

MidiSong LoadSong(const RenderArgs& args) {
  if (!args.midiFile.empty()) return ReadMidiFile(args.midiFile);
  auto phrase = MakePhrase(args.phrase);
  if (!phrase) {
    std::string names;
    for (auto name : PhraseNames()) names += (names.empty() ? "" : ", ") + std::string(name);
    throw HostError("no built-in phrase named '" + args.phrase + "' (there are " + names + ")");
  }
  return *phrase;
}

double Decibels(double level) { return level > 0.0 ? 20.0 * std::log10(level) : -std::numeric_limits<double>::infinity(); }

}  // namespace

void RunRender(const RenderArgs& args, std::ostream& out) {
  const SampleFormat format = ParseSampleFormat(args.format);
  std::vector<ParameterSetting> settings;
  for (const std::string& text : args.settings) settings.push_back(ParseParameterSetting(text));
  const Timeline timeline = MakeTimeline(LoadSong(args), args.sampleRate, args.tempo);

  auto library = std::make_shared<PluginLibrary>(args.plugin);
  PluginSession session = OpenSession(library, args.sampleRate, args.blockSize, args.verbose ? &out : nullptr);
  EffectInstance& fx = *session.instance;
  if (!args.program.empty()) fx.setProgram(ResolveProgram(fx, args.program));
  for (const ParameterSetting& setting : settings) ApplyParameterSetting(fx, setting);
  if (fx.numOutputs() < 1) throw HostError("the plug-in has no audio outputs to render");

  WavWriter writer(args.output, fx.numOutputs(), static_cast<int>(std::lround(args.sampleRate)), format);
  ProgressBar bar(stderr, !args.quiet);
  RenderOptions options;
  options.blockSize = args.blockSize;
  options.tailSeconds = args.tailSeconds;
  const RenderReport report = RenderTimeline(fx, *session.host, timeline, options, writer,
                                             [&bar](std::int64_t done, std::int64_t total) { bar.update(done, total); });
  bar.finish();
  writer.commit();

  if (args.verbose) {
    out << "blocks " << report.blocks << ", MIDI events " << report.events << ", tail " << report.tailFrames
        << " frames" << (report.tailLimited ? " (limit reached before silence)" : "") << "\n";
    out << "automation records " << session.host->automation().size() << "\n";
  }
  if (!args.quiet) {
    out << std::fixed << std::setprecision(1) << "wrote " << args.output << ": "
        << static_cast<double>(report.frames) / args.sampleRate << " s, " << fx.numOutputs() << " channels, "
        << std::lround(args.sampleRate) << " Hz, peak " << Decibels(writer.peak()) << " dBFS, RMS "
        << Decibels(writer.rms()) << " dBFS\n";
  }
}

}  // namespace vyrtal::host
