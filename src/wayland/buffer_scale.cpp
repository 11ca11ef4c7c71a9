#include "wayland/buffer_scale.h"

namespace wayland {

OutputScale outputScale(int scale, int modeWidth, int modeHeight, int logicalWidth,
                        int logicalHeight) {
  OutputScale output;
  output.scale = scale > 1 ? scale : 1;
  if (modeWidth > 0 && logicalWidth > 0 && logicalHeight > 0) {
    const bool upright =
        logicalWidth * output.scale == modeWidth && logicalHeight * output.scale == modeHeight;
    const bool turned =
        logicalWidth * output.scale == modeHeight && logicalHeight * output.scale == modeWidth;
    output.fractional = !upright && !turned;
  }
  return output;
}

BufferScale chooseBufferScale(const std::vector<OutputScale>& outputsUnderSurface) {
  BufferScale choice;
  for (const OutputScale& output : outputsUnderSurface)
    if (output.scale > choice.scale) choice.scale = output.scale;
  for (const OutputScale& output : outputsUnderSurface)
    if (output.fractional || output.scale != choice.scale) choice.oneToOne = false;
  return choice;
}

}  // namespace wayland
