// The outputs the compositor announces and the scale each window's buffer
// takes: a surface learns which outputs it stands on (wl_surface.enter and
// leave), each output its whole-number scale (wl_output.scale, version 2)
// and, through xdg-output where offered, its logical size, which shows a
// fractional scale. Each window is drawn at the largest scale under it, so
// the compositor shows it 1:1 on whole-number scales; where that is not
// possible the check's report says the compositor resamples.
#include <algorithm>
#include <string>
#include <vector>

#include "wayland/buffer_scale.h"
#include "wayland/wayland_front_end.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace wayland {

struct Output {
  uint32_t name = 0;
  wl_output* output = nullptr;
  zxdg_output_v1* xdgOutput = nullptr;
  int scale = 1, modeWidth = 0, modeHeight = 0, logicalWidth = 0, logicalHeight = 0;
  std::string connector;  // its name, which is the connector's ("DP-1")
};

namespace {

Output* outputOf(const void* data) {
  return const_cast<Output*>(static_cast<const Output*>(data));
}

void updateEveryWindow() {
  for (DisplayWindow* record : {&window10, &window8, &windowFull}) updateBufferScale(*record);
}

void outputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t) {}
void outputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
  outputOf(data)->modeWidth = width;
  outputOf(data)->modeHeight = height;
}
void outputDone(void*, wl_output*) {
  updateEveryWindow();
}
void outputScaleChanged(void* data, wl_output*, int32_t scale) {
  outputOf(data)->scale = scale;
}
void outputNamed(void* data, wl_output*, const char* name) {
  outputOf(data)->connector = name;
}
void outputDescription(void*, wl_output*, const char*) {}
const wl_output_listener outputListener = {outputGeometry,     outputMode,  outputDone,
                                           outputScaleChanged, outputNamed, outputDescription};

void logicalPosition(void*, zxdg_output_v1*, int32_t, int32_t) {}
void logicalSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
  outputOf(data)->logicalWidth = width;
  outputOf(data)->logicalHeight = height;
}
void logicalDone(void*, zxdg_output_v1*) {
  updateEveryWindow();
}
void logicalName(void* data, zxdg_output_v1*, const char* name) {
  outputOf(data)->connector = name;
}
void logicalDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener xdgOutputListener = {logicalPosition, logicalSize, logicalDone,
                                                   logicalName, logicalDescription};

void describeLogically(Output& output) {
  if (frontEnd.outputManager == nullptr || output.xdgOutput != nullptr) return;
  output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(frontEnd.outputManager, output.output);
  zxdg_output_v1_add_listener(output.xdgOutput, &xdgOutputListener, &output);
}

void surfaceEntered(void* data, wl_surface*, wl_output* output) {
  DisplayWindow& record = *static_cast<DisplayWindow*>(data);
  record.outputs.push_back(output);
  updateBufferScale(record);
}
void surfaceLeft(void* data, wl_surface*, wl_output* output) {
  DisplayWindow& record = *static_cast<DisplayWindow*>(data);
  record.outputs.erase(std::remove(record.outputs.begin(), record.outputs.end(), output),
                       record.outputs.end());
  updateBufferScale(record);
}
const wl_surface_listener surfaceListener = {surfaceEntered, surfaceLeft};

}  // namespace

void addOutput(wl_registry* registry, uint32_t name, uint32_t version) {
  if (version < 2) return;  // no scale before version 2
  Output* output = new Output;
  output->name = name;
  // Version 4 names the output; xdg-output names it for earlier ones.
  output->output = static_cast<wl_output*>(
      wl_registry_bind(registry, name, &wl_output_interface, version < 4 ? version : 4));
  wl_output_add_listener(output->output, &outputListener, output);
  describeLogically(*output);
  frontEnd.outputs.push_back(output);
}

void addOutputManager(wl_registry* registry, uint32_t name, uint32_t version) {
  // Version 2 names the output; version 3 would end its descriptions with
  // wl_output's done event, which version 2 of the output does not send.
  frontEnd.outputManager = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
      registry, name, &zxdg_output_manager_v1_interface, version < 2 ? version : 2));
  for (Output* output : frontEnd.outputs) describeLogically(*output);
}

void removeOutput(uint32_t name) {
  for (auto it = frontEnd.outputs.begin(); it != frontEnd.outputs.end(); ++it) {
    Output* output = *it;
    if (output->name != name) continue;
    for (DisplayWindow* record : {&window10, &window8, &windowFull})
      record->outputs.erase(
          std::remove(record->outputs.begin(), record->outputs.end(), output->output),
          record->outputs.end());
    if (output->xdgOutput != nullptr) zxdg_output_v1_destroy(output->xdgOutput);
    wl_output_destroy(output->output);
    delete output;
    frontEnd.outputs.erase(it);
    updateEveryWindow();
    return;
  }
}

void forgetOutputs() {
  for (Output* output : frontEnd.outputs) {
    if (output->xdgOutput != nullptr) zxdg_output_v1_destroy(output->xdgOutput);
    wl_output_destroy(output->output);
    delete output;
  }
  frontEnd.outputs.clear();
  if (frontEnd.outputManager != nullptr) zxdg_output_manager_v1_destroy(frontEnd.outputManager);
  frontEnd.outputManager = nullptr;
}

std::string outputName(wl_output* output) {
  for (const Output* known : frontEnd.outputs)
    if (known->output == output) return known->connector;
  return std::string();
}

wl_output* outputUnder(const DisplayWindow& record) {
  // libdecor binds the outputs too: the surface enters its objects as well.
  for (wl_output* output : record.outputs)
    for (const Output* known : frontEnd.outputs)
      if (known->output == output) return output;
  return nullptr;
}

bool outputSize(wl_output* output, int& width, int& height) {
  for (const Output* known : frontEnd.outputs) {
    if (known->output != output && !(output == nullptr && frontEnd.outputs.size() == 1)) continue;
    // xdg-output's logical size, which a fractional scale shapes too.
    const int scale = known->scale > 0 ? known->scale : 1;
    width = known->logicalWidth > 0 ? known->logicalWidth : known->modeWidth / scale;
    height = known->logicalHeight > 0 ? known->logicalHeight : known->modeHeight / scale;
    return width > 0 && height > 0;
  }
  return false;
}

void followOutputs(DisplayWindow& record) {
  // Where libdecor listens to the surface itself, it keeps its own listener.
  if (wl_proxy_get_listener(reinterpret_cast<wl_proxy*>(record.surface)) == nullptr)
    wl_surface_add_listener(record.surface, &surfaceListener, &record);
}

void updateBufferScale(DisplayWindow& record) {
  if (record.surface == nullptr) return;
  std::vector<OutputScale> under;
  for (const Output* output : frontEnd.outputs)
    if (std::find(record.outputs.begin(), record.outputs.end(), output->output) !=
        record.outputs.end())
      under.push_back(outputScale(output->scale, output->modeWidth, output->modeHeight,
                                  output->logicalWidth, output->logicalHeight));
  const BufferScale choice = chooseBufferScale(under);
  record.drawnOneToOne = choice.oneToOne;
  record.fractionalScale = false;
  for (const OutputScale& output : under) record.fractionalScale |= output.fractional;
  if (choice.scale == record.scale) return;
  // Both take effect with the next frame's commit.
  record.scale = choice.scale;
  wl_surface_set_buffer_scale(record.surface, record.scale);
  noteNewSize(record, record.width, record.height);  // within what the context can draw
  wl_egl_window_resize(record.eglWindow, record.width * record.scale, record.height * record.scale,
                       0, 0);
  record.needsPaint = record.shown;
}

}  // namespace wayland
