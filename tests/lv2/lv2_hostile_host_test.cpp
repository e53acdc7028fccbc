// Hosts that call out of order or pass nothing: every entry takes a null
// handle, a missing feature, an unknown port, an unconnected port or a
// missing callback without harm.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lv2/state/state.h>

#include <array>

#include "lilv_host.h"
#include "support/loaded_plugin.h"

namespace {

TEST(Lv2HostileHost, NullsAndDisorderAreHarmless) {
  ScopedExportFile exportFile;
  lv2test::World world;
  ASSERT_NE(world.Plugin(), nullptr);
  char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_plugin_get_library_uri(world.Plugin())), nullptr);
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  lilv_free(path);
  ASSERT_NE(library, nullptr);
  auto entry = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(dlsym(library, "lv2_descriptor"));
  ASSERT_NE(entry, nullptr);
  const LV2_Descriptor* d = entry(0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(entry(1), nullptr);

  // Without urid:map there is no instance.
  EXPECT_EQ(d->instantiate(d, 48000.0, "", nullptr), nullptr);
  const std::array<const LV2_Feature*, 1> none{nullptr};
  EXPECT_EQ(d->instantiate(d, 48000.0, "", none.data()), nullptr);

  // A null handle reaches nothing.
  float sample = 0.0f;
  d->connect_port(nullptr, 0, &sample);
  d->activate(nullptr);
  d->run(nullptr, 64);
  d->deactivate(nullptr);
  d->cleanup(nullptr);
  EXPECT_EQ(d->extension_data(nullptr), nullptr);
  const auto* state = static_cast<const LV2_State_Interface*>(d->extension_data(LV2_STATE__interface));
  ASSERT_NE(state, nullptr);
  EXPECT_NE(state->save(nullptr, nullptr, nullptr, 0, nullptr), LV2_STATE_SUCCESS);
  EXPECT_NE(state->restore(nullptr, nullptr, nullptr, 0, nullptr), LV2_STATE_SUCCESS);

  // An instance run before activation with no port connected, at a nonsense
  // rate, told of ports it does not have, deactivated twice.
  const LV2_Feature map{LV2_URID__map, world.Urids().MapFeature()};
  const std::array<const LV2_Feature*, 2> features{&map, nullptr};
  LV2_Handle handle = d->instantiate(d, 0.0, "", features.data());
  ASSERT_NE(handle, nullptr);
  d->run(handle, 5000);
  d->connect_port(handle, 999, &sample);
  d->connect_port(handle, 1, nullptr);
  d->deactivate(handle);
  d->activate(handle);
  d->run(handle, 0);
  d->run(handle, 100);
  d->deactivate(handle);
  d->deactivate(handle);
  EXPECT_NE(state->save(handle, nullptr, nullptr, 0, nullptr), LV2_STATE_SUCCESS);
  EXPECT_NE(state->restore(handle, nullptr, nullptr, 0, nullptr), LV2_STATE_SUCCESS);
  d->cleanup(handle);
  dlclose(library);
}

}  // namespace
