// A small VST 2 test host, built from this one source for Windows (as a
// real program that loads Vyrtal.dll with LoadLibrary) and for Linux (with
// dlopen), so that the two builds of the plug-in can be checked the same
// way and their renders compared.
//
//   dll_host check  PLUGIN            record and identity through `main`
//   dll_host render PLUGIN OUT.wav    a phrase over several factory programs
//   dll_host compare A.wav B.wav MIN  signal-to-noise ratio of B against A
//   dll_host editor PLUGIN MS [READY] (Windows) editors in real windows
//
// Every check prints "ok: ..." or "FAIL: ..."; the exit code is the number
// of failures (capped).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/vst2.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

int failures = 0;

void Check(bool condition, const std::string& what) {
  std::printf("%s: %s\n", condition ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!condition) ++failures;
}

constexpr int kSampleRate = 44100;
constexpr int kBlock = 256;

VstIntPtr VSTCALLBACK HostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
    case audioMasterVersion:
      return 2400;
    case audioMasterGetSampleRate:
      return kSampleRate;
    case audioMasterGetBlockSize:
      return kBlock;
    default:
      return 0;
  }
}

using MainProc = AEffect*(VSTCALLBACK*)(audioMasterCallback);

struct Library {
  void* handle = nullptr;
  MainProc main = nullptr;
  MainProc pluginMain = nullptr;

  explicit Library(const char* path) {
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(path);
    handle = module;
    if (module != nullptr) {
      main = reinterpret_cast<MainProc>(reinterpret_cast<void*>(GetProcAddress(module, "main")));
      pluginMain = reinterpret_cast<MainProc>(reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
    }
#else
    handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) {
      main = reinterpret_cast<MainProc>(dlsym(handle, "main"));
      pluginMain = reinterpret_cast<MainProc>(dlsym(handle, "VSTPluginMain"));
    }
#endif
  }
  ~Library() {
#if defined(_WIN32)
    if (handle != nullptr) FreeLibrary(static_cast<HMODULE>(handle));
#else
    if (handle != nullptr) dlclose(handle);
#endif
  }
};

VstIntPtr Dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
  return e->dispatcher(e, opcode, index, value, ptr, opt);
}

std::string Text(AEffect* e, VstInt32 opcode, VstInt32 index = 0) {
  char buffer[256] = {};
  Dispatch(e, opcode, index, 0, buffer);
  buffer[sizeof buffer - 1] = '\0';
  return buffer;
}

AEffect* Open(Library& lib) {
  if (lib.main == nullptr) return nullptr;
  AEffect* e = lib.main(HostCallback);
  if (e == nullptr) return nullptr;
  Dispatch(e, effOpen);
  Dispatch(e, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kSampleRate));
  Dispatch(e, effSetBlockSize, 0, kBlock);
  Dispatch(e, effMainsChanged, 0, 1);
  return e;
}

void Close(AEffect* e) {
  Dispatch(e, effMainsChanged, 0, 0);
  Dispatch(e, effClose);
}

int CheckCommand(const char* path) {
  Library lib(path);
  Check(lib.handle != nullptr, std::string("loads ") + path);
  if (lib.handle == nullptr) return 1;
  Check(lib.main != nullptr, "exports main");
  Check(lib.pluginMain != nullptr, "exports VSTPluginMain");
  if (lib.main == nullptr) return 1;
  Check(lib.main([](AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return 0; }) == nullptr,
        "main gives no instance to a host that answers version 0");
  AEffect* e = lib.main(HostCallback);
  Check(e != nullptr, "main gives an effect record");
  if (e == nullptr) return 1;
  Check(e->magic == FourCharCode('V', 's', 't', 'P'), "magic is 'VstP'");
  Check(e->numPrograms == 16, "16 programs (" + std::to_string(e->numPrograms) + ")");
  Check(e->numParams == 50, "50 parameters (" + std::to_string(e->numParams) + ")");
  Check(e->numInputs == 2, "2 inputs (" + std::to_string(e->numInputs) + ")");
  Check(e->numOutputs == 2, "2 outputs (" + std::to_string(e->numOutputs) + ")");
  Check(e->uniqueID == FourCharCode('V', 'y', 'r', 's'), "unique id 'Vyrs'");
  Check((e->flags & effFlagsIsSynth) != 0, "synth flag");
  Check((e->flags & effFlagsCanReplacing) != 0, "replacing flag");
  Check((e->flags & effFlagsHasEditor) != 0, "editor flag");
  Check(e->processReplacing != nullptr && e->process != nullptr, "process entry points");
  Dispatch(e, effOpen);
  const std::string name = Text(e, effGetEffectName);
  Check(name == "Vyrtal", "effect name \"" + name + "\"");
  std::printf("info: vendor \"%s\", product \"%s\", program 0 \"%s\"\n", Text(e, effGetVendorString).c_str(),
              Text(e, effGetProductString).c_str(), Text(e, effGetProgramNameIndexed, 0).c_str());
  // A second instance from the same library is independent of the first.
  AEffect* other = lib.pluginMain != nullptr ? lib.pluginMain(HostCallback) : nullptr;
  Check(other != nullptr && other != e, "VSTPluginMain gives a second, separate instance");
  if (other != nullptr) {
    Dispatch(other, effOpen);
    Dispatch(other, effSetProgram, 0, 5);
    Check(Dispatch(e, effGetProgram) == 0 && Dispatch(other, effGetProgram) == 5, "instances keep their own program");
    Dispatch(other, effClose);
  }
  Dispatch(e, effClose);
  return failures;
}

void SendNotes(AEffect* e, const std::vector<std::array<int, 3>>& messages) {
  std::vector<VstMidiEvent> midi(messages.size());
  std::vector<char> storage(sizeof(VstEvents) + messages.size() * sizeof(VstEvent*));
  auto* events = reinterpret_cast<VstEvents*>(storage.data());
  events->numEvents = static_cast<VstInt32>(messages.size());
  events->reserved = 0;
  VstEvent** entries = events->events;  // as many entries as the storage holds
  for (std::size_t i = 0; i < messages.size(); ++i) {
    VstMidiEvent& m = midi[i];
    std::memset(&m, 0, sizeof m);
    m.type = kVstMidiType;
    m.byteSize = sizeof m;
    m.midiData[0] = static_cast<char>(messages[i][0]);
    m.midiData[1] = static_cast<char>(messages[i][1]);
    m.midiData[2] = static_cast<char>(messages[i][2]);
    entries[i] = reinterpret_cast<VstEvent*>(&m);
  }
  Dispatch(e, effProcessEvents, 0, 0, events);
}

void WriteWav(const char* path, const std::vector<float>& interleaved) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return;
  auto u32 = [&](std::uint32_t v) { std::fwrite(&v, 4, 1, f); };
  auto u16 = [&](std::uint16_t v) { std::fwrite(&v, 2, 1, f); };
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(interleaved.size() * 4);
  std::fwrite("RIFF", 1, 4, f);
  u32(36 + dataBytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  u32(16);
  u16(3);  // IEEE float
  u16(2);
  u32(kSampleRate);
  u32(kSampleRate * 8);
  u16(8);
  u16(32);
  std::fwrite("data", 1, 4, f);
  u32(dataBytes);
  std::fwrite(interleaved.data(), 4, interleaved.size(), f);
  std::fclose(f);
}

bool ReadWav(const char* path, std::vector<float>& out) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  char header[44];
  bool ok = std::fread(header, 1, 44, f) == 44 && std::memcmp(header, "RIFF", 4) == 0;
  if (ok) {
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, header + 40, 4);
    out.resize(bytes / 4);
    ok = std::fread(out.data(), 4, out.size(), f) == out.size();
  }
  std::fclose(f);
  return ok;
}

// Renders blocks of silence in, writing the outputs after `frames` frames.
void Render(AEffect* e, int frames, std::vector<float>& out) {
  std::vector<float> inL(kBlock, 0.0f), inR(kBlock, 0.0f), outL(kBlock), outR(kBlock);
  float* inputs[2] = {inL.data(), inR.data()};
  float* outputs[2] = {outL.data(), outR.data()};
  while (frames > 0) {
    const int n = std::min(frames, kBlock);
    e->processReplacing(e, inputs, outputs, n);
    for (int i = 0; i < n; ++i) {
      out.push_back(outL[static_cast<std::size_t>(i)]);
      out.push_back(outR[static_cast<std::size_t>(i)]);
    }
    frames -= n;
  }
}

// The phrase: for each of several factory programs, a chord held, a
// melody over it, released, and a tail, each program as long.
constexpr int kPhrasePrograms[] = {0, 3, 7, 11, 14};

int RenderCommand(const char* path, const char* wavPath) {
  Library lib(path);
  AEffect* e = Open(lib);
  Check(e != nullptr, std::string("instance from ") + path);
  if (e == nullptr) return 1;
  std::vector<float> out;
  for (int program : kPhrasePrograms) {
    Dispatch(e, effSetProgram, 0, program);
    SendNotes(e, {{0x90, 48, 100}, {0x90, 55, 90}});
    Render(e, kSampleRate / 4, out);
    SendNotes(e, {{0x90, 64, 110}});
    Render(e, kSampleRate / 4, out);
    SendNotes(e, {{0x80, 64, 0}, {0x90, 67, 80}, {0xB0, 84, 90}});
    Render(e, kSampleRate / 4, out);
    SendNotes(e, {{0x80, 48, 0}, {0x80, 55, 0}, {0x80, 67, 0}});
    Render(e, kSampleRate / 4, out);
    std::printf("info: program %d \"%s\" rendered\n", program, Text(e, effGetProgramName).c_str());
  }
  Close(e);
  double energy = 0.0;
  bool finite = true;
  for (float s : out) {
    energy += static_cast<double>(s) * s;
    finite = finite && std::isfinite(s);
  }
  Check(finite, "render is finite");
  Check(energy > 1.0, "render is not silent (energy " + std::to_string(energy) + ")");
  WriteWav(wavPath, out);
  return failures;
}

int CompareCommand(const char* a, const char* b, double minimum) {
  std::vector<float> ref, test;
  Check(ReadWav(a, ref) && ReadWav(b, test), "reads both renders");
  Check(ref.size() == test.size() && !ref.empty(), "renders have the same length");
  if (failures != 0) return failures;
  // The whole render, then each program's part of it.
  constexpr std::size_t kParts = std::size(kPhrasePrograms);
  const std::size_t part = ref.size() / kParts;
  for (std::size_t k = 0; k <= kParts; ++k) {
    const std::size_t begin = k == 0 ? 0 : (k - 1) * part, end = k == 0 ? ref.size() : begin + part;
    double signal = 0.0, noise = 0.0, worst = 0.0;
    for (std::size_t i = begin; i < end; ++i) {
      const double d = static_cast<double>(test[i]) - ref[i];
      signal += static_cast<double>(ref[i]) * ref[i];
      noise += d * d;
      worst = std::max(worst, std::fabs(d));
    }
    const double snr = noise == 0.0 ? 999.0 : 10.0 * std::log10(signal / noise);
    const std::string what = k == 0 ? "SNR" : "program " + std::to_string(kPhrasePrograms[k - 1]) + " SNR";
    char line[160];
    std::snprintf(line, sizeof line, "%s %.1f dB (largest difference %.3g), at least %.0f dB", what.c_str(), snr,
                  worst, minimum);
    Check(snr >= minimum, line);
  }
  return failures;
}

#if defined(_WIN32)
struct EditorHost {
  HWND frame = nullptr;
  AEffect* effect = nullptr;
};

HWND MakeFrame(const char* title, int x, int y, int width, int height) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "VyrtalTestHostFrame";
    RegisterClassA(&wc);
    registered = true;
  }
  RECT rc{0, 0, width, height};
  AdjustWindowRect(&rc, WS_OVERLAPPEDWINDOW, FALSE);
  return CreateWindowA("VyrtalTestHostFrame", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, rc.right - rc.left,
                       rc.bottom - rc.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void Pump(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

std::string ClassOf(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

int EditorCommand(const char* path, int milliseconds, const char* readyFile) {
  Library lib(path);
  Check(lib.main != nullptr, "loads the plug-in");
  if (lib.main == nullptr) return 1;
  HMODULE module = static_cast<HMODULE>(lib.handle);
  EditorHost hosts[2];
  int x = 0;
  for (EditorHost& h : hosts) {
    h.effect = Open(lib);
    if (h.effect == nullptr) return 1;
    // The host sizes its window from the rectangle the editor gives once open.
    h.frame = MakeFrame("Vyrtal", x, 0, 463, 325);
    Check(h.frame != nullptr, "host window");
    Check(Dispatch(h.effect, effEditOpen, 0, 0, h.frame) == 1, "editor opens in the host's window");
    ERect* rect = nullptr;
    Dispatch(h.effect, effEditGetRect, 0, 0, &rect);
    const int width = rect != nullptr ? rect->right - rect->left : 0;
    const int height = rect != nullptr ? rect->bottom - rect->top : 0;
    Check(width == 463 && height == 325, "editor rectangle " + std::to_string(width) + "x" + std::to_string(height));
    x += 463 + 20;
  }
  HWND child = GetWindow(hosts[0].frame, GW_CHILD);
  Check(child != nullptr && (GetWindowLongA(child, GWL_STYLE) & WS_CHILD) != 0, "editor is a WS_CHILD window");
  const std::string className = child != nullptr ? ClassOf(child) : "";
  Check(className.rfind("VyrtalEditor.", 0) == 0, "window class \"" + className + "\"");
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  Check(GetClassInfoExA(module, className.c_str(), &info) != 0, "class registered against the plug-in's module");
  Check(GetClassInfoExA(GetModuleHandleA(nullptr), className.c_str(), &info) == 0,
        "class not registered against the host's module");
  Check(child != nullptr && ClassOf(GetWindow(hosts[1].frame, GW_CHILD)) == className,
        "both instances share the class");
  RECT client{};
  GetClientRect(child, &client);
  Check(client.right == 463 && client.bottom == 325, "editor client area 463x325");

  Pump(milliseconds / 2);
  // A press captures the mouse until its release.
  SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 60));
  Check(GetCapture() == child, "a press captures the mouse");
  SendMessageA(child, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-30), static_cast<WORD>(-40)));
  SendMessageA(child, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-30), static_cast<WORD>(-40)));
  Check(GetCapture() == nullptr, "the release frees the mouse");
  // A change from the host shows within the editor's timer.
  hosts[0].effect->setParameter(hosts[0].effect, 0, 0.9f);
  Pump(milliseconds / 2);
  if (readyFile != nullptr) {
    if (std::FILE* f = std::fopen(readyFile, "w")) std::fclose(f);
    // The caller takes its screenshot now.
    Pump(1500);
  }

  Dispatch(hosts[0].effect, effEditClose);
  Check(!IsWindow(child), "closing the editor destroys its window");
  Check(GetClassInfoExA(module, className.c_str(), &info) != 0, "class kept while another editor is open");
  Dispatch(hosts[1].effect, effEditClose);
  Check(GetClassInfoExA(module, className.c_str(), &info) == 0, "class unregistered when the last editor closes");
  // Opening again after that registers it anew.
  Check(Dispatch(hosts[1].effect, effEditOpen, 0, 0, hosts[1].frame) == 1, "editor opens again");
  Check(GetClassInfoExA(module, className.c_str(), &info) != 0, "class registered again");
  Pump(100);
  Dispatch(hosts[1].effect, effEditClose);
  for (EditorHost& h : hosts) {
    Close(h.effect);
    DestroyWindow(h.frame);
  }
  return failures;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  int result = -1;
  if (command == "check" && argc == 3) result = CheckCommand(argv[2]);
  if (command == "render" && argc == 4) result = RenderCommand(argv[2], argv[3]);
  if (command == "compare" && argc == 5) result = CompareCommand(argv[2], argv[3], std::atof(argv[4]));
#if defined(_WIN32)
  if (command == "editor" && (argc == 4 || argc == 5))
    result = EditorCommand(argv[2], std::atoi(argv[3]), argc == 5 ? argv[4] : nullptr);
#endif
  if (result < 0) {
    std::fprintf(stderr, "usage: dll_host check|render|compare|editor ...\n");
    return 100;
  }
  return std::min(result, 99);
}
