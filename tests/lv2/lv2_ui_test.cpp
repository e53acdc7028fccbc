// The editor as an LV2 UI, embedded as a host embeds it: found through the
// bundle's description, made inside a parent window of a private X server,
// idled, given the ports' values and driven with real pointer events.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lilv/lilv.h>
#include <lv2/ui/ui.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "editor/editor_screenshot.h"
#include "engine/parameter_choices.h"
#include "instrument/factory_programs.h"
#include "lilv_host.h"
#include "lv2/control_ports.h"
#include "lv2/plugin_uris.h"
#include "platform/virtual_display.h"

namespace {

using namespace vyrtal::lv2;

constexpr int kWidth = 463;
constexpr int kHeight = 325;

struct PortWrite {
  std::uint32_t port, size, protocol;
  float value;
};

// The UI's descriptor, from the binary the bundle names for it.
const LV2UI_Descriptor* FindDescriptor(lv2test::World& world) {
  if (world.Plugin() == nullptr) return nullptr;
  LilvUIs* uis = lilv_plugin_get_uis(world.Plugin());
  const LilvUI* ui = lilv_uis_get_by_uri(uis, world.Uri(kUiUri));
  const LV2UI_Descriptor* found = nullptr;
  if (ui != nullptr && lilv_ui_is_a(ui, world.Uri(LV2_UI__X11UI))) {
    char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
    void* library = path != nullptr ? dlopen(path, RTLD_NOW | RTLD_NODELETE) : nullptr;
    lilv_free(path);
    auto entry = library != nullptr ? reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"))
                                    : nullptr;
    for (std::uint32_t i = 0; entry != nullptr && entry(i) != nullptr && found == nullptr; ++i) {
      if (std::strcmp(entry(i)->URI, kUiUri) == 0) found = entry(i);
    }
  }
  lilv_uis_free(uis);
  return found;
}

class Lv2Ui : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    display = std::make_unique<x_test::VirtualDisplay>();
    world = std::make_unique<lv2test::World>();
    descriptor = FindDescriptor(*world);
  }
  static void TearDownTestSuite() {
    world.reset();
    display.reset();
  }

  void SetUp() override {
    ASSERT_TRUE(display->Running()) << "Xvfb did not start";
    ASSERT_NE(descriptor, nullptr) << "no X11 UI found through the bundle";
    connection = xcb_connect(display->name.c_str(), nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    parent = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, parent, screen->root, 0, 0, 500, 360, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(connection, parent);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));  // a round trip
  }

  void TearDown() override {
    if (handle != nullptr) descriptor->cleanup(handle);
    if (connection != nullptr) xcb_disconnect(connection);
  }

  // Instantiates the UI with the features a host embedding it offers.
  void Open() {
    parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent))};
    resize = {this, [](LV2UI_Feature_Handle self, int width, int height) {
                static_cast<Lv2Ui*>(self)->size = {width, height};
                return 0;
              }};
    resizeFeature = {LV2_UI__resize, &resize};
    idleFeature = {LV2_UI__idleInterface, nullptr};
    const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &idleFeature, nullptr};
    handle = descriptor->instantiate(descriptor, kPluginUri, "", &Lv2Ui::Write, this, &widget, features);
    ASSERT_NE(handle, nullptr);
    idle = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);
  }

  // The port values of a program, as the host sends them after instantiation.
  void SendPorts(const FactoryProgram& program) {
    for (std::size_t i = 0; i < kControlPorts.size(); ++i) {
      const ControlPort& port = kControlPorts[i];
      const float value = PortValue(port.range, program.values[static_cast<std::size_t>(port.parameter)]);
      descriptor->port_event(handle, kFirstControlPort + static_cast<std::uint32_t>(i), sizeof value, 0, &value);
    }
  }

  void IdleFor(int milliseconds) {
    const auto end = x_test::Clock::now() + std::chrono::milliseconds(milliseconds);
    while (x_test::Clock::now() < end) {
      EXPECT_EQ(idle->idle(handle), 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  static void Write(LV2UI_Controller self, std::uint32_t port, std::uint32_t size, std::uint32_t protocol,
                    const void* buffer) {
    PortWrite write{port, size, protocol, 0.0f};
    if (size == sizeof(float)) std::memcpy(&write.value, buffer, sizeof(float));
    static_cast<Lv2Ui*>(self)->writes.push_back(write);
  }

  static std::unique_ptr<x_test::VirtualDisplay> display;
  static std::unique_ptr<lv2test::World> world;
  static const LV2UI_Descriptor* descriptor;

  xcb_connection_t* connection = nullptr;
  xcb_window_t parent = 0;
  LV2_Feature parentFeature{}, resizeFeature{}, idleFeature{};
  LV2UI_Resize resize{};
  LV2UI_Handle handle = nullptr;
  LV2UI_Widget widget = nullptr;
  const LV2UI_Idle_Interface* idle = nullptr;
  std::pair<int, int> size{};
  std::vector<PortWrite> writes;
};

std::unique_ptr<x_test::VirtualDisplay> Lv2Ui::display;
std::unique_ptr<lv2test::World> Lv2Ui::world;
const LV2UI_Descriptor* Lv2Ui::descriptor = nullptr;

TEST_F(Lv2Ui, ShowsTheVst2EditorsPixelsForTheSamePortValues) {
  // A program with a type other than saw and both effects on, sent after the
  // UI first drew the "Default" program.
  const FactoryProgram* program = nullptr;
  for (const FactoryProgram& p : kFactoryPrograms) {
    const auto value = [&p](Param q) { return p.values[static_cast<std::size_t>(ParamIndex(q))]; };
    if (ExcitationType(value(Param::kOscType)) != OscType::kSaw && SwitchIsOn(value(Param::kDelaySwitch)) &&
        SwitchIsOn(value(Param::kChorusSwitch)) && program == nullptr) {
      program = &p;
    }
  }
  ASSERT_NE(program, nullptr);
  // The pointer away from the editor, whose caption strip follows it.
  ASSERT_TRUE(display->Xdotool("mousemove 600 390"));
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(size, std::make_pair(kWidth, kHeight)) << "the host is told the editor's size";
  EXPECT_EQ(display->ChildMapState(parent), XCB_MAP_STATE_VIEWABLE);
  EXPECT_NE(widget, nullptr);
  IdleFor(100);
  SendPorts(*program);
  IdleFor(300);  // the refresh runs every 200 ms
  const PixelImage expected = ComposeEditorPicture(program->values);
  ASSERT_EQ(expected.Width(), kWidth);
  EXPECT_TRUE(display->Grab(0, 0, kWidth, kHeight) == expected.Data()) << program->name;
  EXPECT_TRUE(writes.empty()) << "values from the host are not written back";
}

TEST_F(Lv2Ui, ADialDragAndASwitchArriveAsFloatPortWrites) {
  ASSERT_NO_FATAL_FAILURE(Open());
  SendPorts(kFactoryPrograms[0]);
  IdleFor(100);
  // The "Vib Amount" dial at (245, 35): pressed, dragged 30 pixels up.
  ASSERT_TRUE(display->Xdotool("mousemove 265 55 mousedown 1 mousemove 265 20 mouseup 1"));
  IdleFor(200);
  ASSERT_FALSE(writes.empty());
  const auto vibAmount = kFirstControlPort + static_cast<std::uint32_t>(ControlPortOf(ParamIndex(Param::kVibAmount)));
  for (const PortWrite& write : writes) {
    EXPECT_EQ(write.port, vibAmount);
    EXPECT_EQ(write.size, sizeof(float));
    EXPECT_EQ(write.protocol, 0u) << "ui:floatProtocol";
  }
  EXPECT_NEAR(writes.back().value, 0.3 + 30.0 / 300.0, 1e-6);

  // The "Delay Effects" strip switches the delay on: the toggle port gets 1.
  writes.clear();
  ASSERT_TRUE(display->Xdotool("mousemove 300 183 click 1"));
  IdleFor(200);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].port, kFirstControlPort + static_cast<std::uint32_t>(ControlPortOf(ParamIndex(Param::kDelaySwitch))));
  EXPECT_EQ(writes[0].value, 1.0f);
}

TEST_F(Lv2Ui, WithoutAParentOrADisplayThereIsNoUiAndNoHarm) {
  const LV2_Feature* none[] = {nullptr};
  LV2UI_Widget untouched = &untouched;
  EXPECT_EQ(descriptor->instantiate(descriptor, kPluginUri, "", &Lv2Ui::Write, this, &untouched, none), nullptr);
  EXPECT_EQ(descriptor->instantiate(descriptor, kPluginUri, "", nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(untouched, &untouched);

  const std::string name = display->name;
  setenv("DISPLAY", ":9876", 1);
  const LV2_Feature parentOnly{LV2_UI__parent, reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent))};
  const LV2_Feature* features[] = {&parentOnly, nullptr};
  EXPECT_EQ(descriptor->instantiate(descriptor, kPluginUri, "", &Lv2Ui::Write, this, &untouched, features), nullptr);
  setenv("DISPLAY", name.c_str(), 1);

  // Calls on no instance do nothing; the idle interface reports it gone.
  descriptor->cleanup(nullptr);
  const float value = 0.5f;
  descriptor->port_event(nullptr, kFirstControlPort, sizeof value, 0, &value);
  const auto* idleInterface = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
  ASSERT_NE(idleInterface, nullptr);
  EXPECT_NE(idleInterface->idle(nullptr), 0);
  EXPECT_EQ(descriptor->extension_data(nullptr), nullptr);
}

}  // namespace
