// What the editor window asks of the plug-in it edits. The window shows the
// values of its own mirror, which the plug-in's side fills; the one thing it
// sends back is each change made with the mouse, which the plug-in stores
// and reports to the host as automation.
#pragma once

class EditedPlugin {
 public:
  virtual ~EditedPlugin() = default;

  // Stores a parameter value (0..1) changed in the editor and tells the host.
  virtual void setParameterAutomated(int index, float value) = 0;
};
