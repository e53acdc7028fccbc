// The editor in a real X11 window: a virtual X server, `vyrtal edit` as the
// host, real pointer and key events from xdotool, and the screen read back.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <memory>
#include <thread>

#include "frame/vst2.h"
#include "x_session.h"

namespace {

using x_test::EditHost;
using x_test::VirtualDisplay;

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kLampGrey = 0x808080;

// Places of the pictures in the editor, which sits at the screen's top-left.
struct Box {
  int x, y, w, h;
  int cx() const { return x + w / 2; }
  int cy() const { return y + h / 2; }
};
constexpr Box kVibAmount{245, 35, 41, 41};
constexpr Box kVibSpeed{300, 35, 41, 41};
constexpr Box kTremAmount{355, 35, 41, 41};
constexpr Box kVowel{120, 35, 100, 30};
constexpr Box kPitchInertia{120, 75, 100, 30};
constexpr Box kTypeStrip{120, 15, 100, 16};
constexpr Box kDelayStrip{240, 175, 176, 16};
constexpr Box kDelayLamp{430, 175, 16, 16};
constexpr Box kChorusStrip{240, 255, 181, 16};
constexpr Box kChorusLamp{430, 255, 16, 16};
constexpr Box kCaptionStrip{15, 255, 206, 16};

std::string At(int x, int y) { return "mousemove " + std::to_string(x) + " " + std::to_string(y); }

class X11Editor : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("VYRTAL_BANK_EXPORT", (std::string("/tmp/vyrtal-x11-test-") + std::to_string(getpid())).c_str(), 1);
    unsetenv("VYRTAL_EDITOR_WINDOWS");
    display = std::make_unique<VirtualDisplay>();
  }
  static void TearDownTestSuite() { display.reset(); }

  void SetUp() override {
    ASSERT_TRUE(display->Running()) << "Xvfb did not start";
    host = std::make_unique<EditHost>(std::vector<std::string>{"--program", "0"});
    ASSERT_TRUE(host->Ready()) << "vyrtal edit did not open its editor";
    // The first paint comes with the first idle after the window is mapped.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }

  std::vector<std::uint32_t> Grab(const Box& b) const { return display->Grab(b.x, b.y, b.w, b.h); }

  static std::unique_ptr<VirtualDisplay> display;
  std::unique_ptr<EditHost> host;
};

std::unique_ptr<VirtualDisplay> X11Editor::display;

TEST_F(X11Editor, OpensAtItsDesignedSize) {
  EXPECT_EQ(host->lines.front().substr(host->lines.front().find("size")), "size 463x325");
  EXPECT_EQ(display->Pixel(kDelayLamp.cx(), kDelayLamp.cy()), kLampGrey);
  EXPECT_EQ(display->Pixel(5, 5), 0xFFFFFFu) << "white window background";
}

TEST_F(X11Editor, RelativeDialDragFollowsTheVerticalPosition) {
  const auto before = Grab(kVibAmount);
  // Press at the dial, drag up to 15 pixels above its top edge (local y -15).
  ASSERT_TRUE(display->Xdotool(At(kVibAmount.cx(), kVibAmount.cy()) + " mousedown 1 " +
                               At(kVibAmount.cx(), kVibAmount.y - 15) + " mouseup 1"));
  EXPECT_NEAR(host->NextAutomation(8), 0.3 + 30.0 / 300.0, 1e-6);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_NE(Grab(kVibAmount), before) << "the pointer moved";
}

TEST_F(X11Editor, CtrlPressOnAFreshWindowDragsByAngle) {
  // Straight left of the point (15, 15) of the dial picture.
  ASSERT_TRUE(display->Xdotool(At(kVibAmount.x + 15, kVibAmount.y + 15) + " keydown ctrl mousedown 1 " +
                               At(kVibAmount.x + 5, kVibAmount.y + 15) + " mouseup 1 keyup ctrl"));
  EXPECT_NEAR(host->NextAutomation(8), 0.3125, 1e-6);
}

TEST_F(X11Editor, SliderDragsAbsoluteAndFineAndFollowThePointerOutside) {
  ASSERT_TRUE(display->Xdotool(At(kVowel.x + 99, kVowel.cy()) + " mousedown 1"));
  EXPECT_NEAR(host->NextAutomation(2), 0.99, 1e-6);
  // Past the editor's right edge the drag still belongs to the slider.
  ASSERT_TRUE(display->Xdotool(At(600, kVowel.cy()) + " mouseup 1"));
  EXPECT_NEAR(host->NextAutomation(2), 1.0, 1e-6);
  // Shift: press-time value plus a thousandth of the pointer's position.
  ASSERT_TRUE(display->Xdotool(At(kPitchInertia.x + 10, kPitchInertia.cy()) + " keydown shift mousedown 1 " +
                               At(kPitchInertia.x + 60, kPitchInertia.cy()) + " mouseup 1 keyup shift"));
  EXPECT_NEAR(host->NextAutomation(3), 0.26, 1e-6);
}

TEST_F(X11Editor, TypeStripCyclesThroughTheThreeTypes) {
  const double expected[] = {0.33444816, 0.6688963, 0.0};
  auto last = Grab(kTypeStrip);
  for (double value : expected) {
    ASSERT_TRUE(display->Xdotool(At(kTypeStrip.cx(), kTypeStrip.cy()) + " click 1"));
    EXPECT_NEAR(host->NextAutomation(14), value, 1e-6);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto now = Grab(kTypeStrip);
    EXPECT_NE(now, last) << "the strip shows the new type";
    last = now;
  }
}

TEST_F(X11Editor, DelayAndChorusStripsSwitchTheirLamps) {
  ASSERT_TRUE(display->Xdotool(At(kDelayStrip.cx(), kDelayStrip.cy()) + " click 1"));
  EXPECT_NEAR(host->NextAutomation(19), 0.75376886, 1e-6);
  ASSERT_TRUE(display->Xdotool(At(kChorusStrip.cx(), kChorusStrip.cy()) + " click 1"));
  EXPECT_NEAR(host->NextAutomation(28), 0.75376886, 1e-6);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(display->Pixel(kDelayLamp.cx(), kDelayLamp.cy()), kRed);
  EXPECT_EQ(display->Pixel(kChorusLamp.cx(), kChorusLamp.cy()), kRed);
  ASSERT_TRUE(display->Xdotool(At(kDelayStrip.cx(), kDelayStrip.cy()) + " click 1"));
  EXPECT_NEAR(host->NextAutomation(19), 0.2512563, 1e-6);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(display->Pixel(kDelayLamp.cx(), kDelayLamp.cy()), kLampGrey);
}

TEST_F(X11Editor, DelayClickNeedsPressAndReleaseOnTheStrip) {
  ASSERT_TRUE(display->Xdotool(At(kDelayStrip.cx(), kDelayStrip.cy()) + " mousedown 1 " + At(5, 300) +
                               " mouseup 1"));
  EXPECT_LT(host->NextAutomation(19, 600), 0.0) << "released elsewhere: no switch";
}

TEST_F(X11Editor, HoverShowsTheControlInTheCaptionStrip) {
  const auto before = Grab(kCaptionStrip);
  ASSERT_TRUE(display->Xdotool(At(kTremAmount.cx(), kTremAmount.cy())));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_NE(Grab(kCaptionStrip), before);
}

TEST_F(X11Editor, HostAutomationRedrawsWithin300Milliseconds) {
  const auto before = Grab(kVibSpeed);
  const auto caption = Grab(kCaptionStrip);
  host->Send("set 9 0");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_NE(Grab(kVibSpeed), before);
  EXPECT_EQ(Grab(kCaptionStrip), caption) << "the caption strip stays as it was";
}

TEST_F(X11Editor, TwoOpensAndOneCloseLeaveTheWindowHidden) {
  EXPECT_EQ(display->ChildMapState(host->window), XCB_MAP_STATE_VIEWABLE);
  host->Send("open");
  host->Send("close");
  ASSERT_FALSE(host->WaitFor("done close", 2000).empty());
  EXPECT_EQ(display->ChildMapState(host->window), XCB_MAP_STATE_UNMAPPED);
  host->Send("open");
  ASSERT_FALSE(host->WaitFor("done open", 2000).empty());
  EXPECT_EQ(display->ChildMapState(host->window), XCB_MAP_STATE_VIEWABLE);
}

TEST_F(X11Editor, ClosingWithAPendingUpdateEndsCleanly) {
  host->Send("set 9 0.5");
  host->Send("close");
  ASSERT_FALSE(host->WaitFor("done close", 2000).empty());
  EXPECT_EQ(display->ChildMapState(host->window), -1) << "the editor's window is gone";
  host->Send("set 10 0.5");
  host->Send("quit");
  EXPECT_FALSE(host->WaitFor("closed", 2000).empty());
  EXPECT_EQ(host->Wait(2000), 0);
}

TEST_F(X11Editor, TheHostsWindowGoingFirstBreaksNothing) {
  // The host window (and with it the editor's) is destroyed behind the
  // plug-in's back; closing the editor afterwards must still end cleanly.
  ASSERT_TRUE(display->Xdotool("windowclose " + std::to_string(host->window)));
  EXPECT_FALSE(host->WaitFor("closed", 3000).empty());
  EXPECT_EQ(host->Wait(3000), 0);
}

// An instance of the built plug-in, made through its entry point for a host
// that answers only its version. The library stays loaded for the run.
AEffect* NewInstance() {
  void* library = dlopen(VYRTAL_SO_PATH, RTLD_NOW | RTLD_NODELETE);
  if (library == nullptr) return nullptr;
  auto main = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(library, "VSTPluginMain"));
  auto host = [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
    return opcode == audioMasterVersion ? 2400 : 0;
  };
  return main != nullptr ? main(host) : nullptr;
}

// Through the loaded plug-in: a display that is not there, or a parent that
// is not a window, gives no editor and the answer 0.
TEST(X11EditorOpen, WithoutADisplayOrAParentWindowAnswersZero) {
  setenv("VYRTAL_BANK_EXPORT", (std::string("/tmp/vyrtal-x11-open-") + std::to_string(getpid())).c_str(), 1);
  unsetenv("VYRTAL_EDITOR_WINDOWS");
  AEffect* effect = NewInstance();
  ASSERT_NE(effect, nullptr);
  const std::string display = getenv("DISPLAY") != nullptr ? getenv("DISPLAY") : "";
  setenv("DISPLAY", ":9876", 1);
  EXPECT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(0x400001), 0.0f), 0);
  VirtualDisplay server;
  ASSERT_TRUE(server.Running());
  EXPECT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(0x7777777), 0.0f), 0);
  ERect* rect = nullptr;
  effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.0f);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right, 665) << "no window was made";
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
}

// Through the loaded plug-in, with two real host windows: a second open
// with another parent leaves the editor in the first; when the host then
// destroys the first parent (and the editor's window with it), idling and
// closing end cleanly, and a fresh open lands in the second parent.
TEST(X11EditorOpen, ASecondParentAndTheFirstOneDestroyed) {
  setenv("VYRTAL_BANK_EXPORT", (std::string("/tmp/vyrtal-x11-parents-") + std::to_string(getpid())).c_str(), 1);
  unsetenv("VYRTAL_EDITOR_WINDOWS");
  VirtualDisplay server;
  ASSERT_TRUE(server.Running());
  xcb_connection_t* c = xcb_connect(server.name.c_str(), nullptr);
  ASSERT_EQ(xcb_connection_has_error(c), 0);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  auto makeParent = [&](std::int16_t x) {
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, x, 0, 480, 340, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(c, window);
    return window;
  };
  const xcb_window_t first = makeParent(0);
  const xcb_window_t second = makeParent(100);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // a round trip

  AEffect* effect = NewInstance();
  ASSERT_NE(effect, nullptr);
  auto dispatch = [effect](VstInt32 opcode, xcb_window_t parent = 0) {
    return effect->dispatcher(effect, opcode, 0, 0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent)),
                              0.0f);
  };

  EXPECT_EQ(dispatch(effEditOpen, first), 1);
  EXPECT_EQ(server.ChildMapState(first), XCB_MAP_STATE_VIEWABLE);
  EXPECT_EQ(dispatch(effEditOpen, second), 1);
  EXPECT_EQ(server.ChildMapState(first), XCB_MAP_STATE_VIEWABLE) << "the editor stays where it was made";
  EXPECT_EQ(server.ChildMapState(second), -1);

  xcb_destroy_window(c, first);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // a round trip
  for (int i = 0; i < 3; ++i) {
    effect->setParameter(effect, 9, 0.1f * static_cast<float>(i));
    EXPECT_EQ(dispatch(effEditIdle), 0);
  }
  EXPECT_EQ(dispatch(effEditClose), 0);
  EXPECT_EQ(dispatch(effEditClose), 0);

  EXPECT_EQ(dispatch(effEditOpen, second), 1);
  dispatch(effEditIdle);
  EXPECT_EQ(server.ChildMapState(second), XCB_MAP_STATE_VIEWABLE);
  EXPECT_EQ(dispatch(effEditClose), 0);
  EXPECT_EQ(server.ChildMapState(second), -1);
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  xcb_disconnect(c);
}

}  // namespace
