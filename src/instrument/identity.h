// What the instrument calls itself and its maker, in every plug-in format.
#pragma once

constexpr const char* kEffectName = "Vyrtal";
constexpr const char* kVendor = "TollarinFx";
constexpr const char* kProduct = "Vyrtal";
