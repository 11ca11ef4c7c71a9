#include "wayland/buffer_scale.h"

#include <cstdlib>

namespace wayland {

OutputScale outputScale(int scale, int modeWidth, int modeHeight, int logicalWidth,
                        int logicalHeight) {
  OutputScale output;
  output.scale = scale > 1 ? scale : 1;
  if (modeWidth > 0 && logicalWidth > 0 && logicalHeight > 0) {
    // The logical size is the mode divided by the scale and rounded.
    auto matches = [&](int logical, int mode) {
      return std::abs(logical * output.scale - mode) < output.scale;
    };
    const bool upright = matches(logicalWidth, modeWidth) && matches(logicalHeight, modeHeight);
    const bool turned = matches(logicalWidth, modeHeight) && matches(logicalHeight, modeWidth);
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
