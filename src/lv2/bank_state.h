// The instance's state as LV2 hosts keep it: every program's values and
// name, the current program, and the control port values the instance last
// applied, so that ports the host restores as they were change nothing.
#pragma once

#include <lv2/state/state.h>

#include <array>

#include "instrument/bank_snapshot.h"
#include "lv2/control_ports.h"
#include "lv2/urids.h"

namespace vyrtal::lv2 {

using ControlValues = std::array<float, kControlPorts.size()>;

struct SavedState {
  BankSnapshot bank;
  ControlValues controls{};
};

// Stores the four state properties, each plain and portable.
LV2_State_Status SaveState(const SavedState& state, LV2_State_Store_Function store, LV2_State_Handle handle,
                           const Urids& urids);

struct RestoreResult {
  LV2_State_Status status;
  const char* problem;  // why the state was refused; null on success
};

// Reads and checks every property before it writes any: on failure `state`
// is as it was.
RestoreResult RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, const Urids& urids,
                           SavedState& state);

}  // namespace vyrtal::lv2
