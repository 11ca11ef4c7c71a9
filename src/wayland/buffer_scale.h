// Which buffer scale a window's surface takes for the outputs it stands on,
// and whether the compositor then shows its pixels one for one: a surface
// drawn at the largest scale among its outputs is never enlarged, and is
// shown 1:1 where every output under it has that same whole-number scale.
#pragma once

#include <vector>

namespace wayland {

struct OutputScale {
  int scale = 1;            // wl_output.scale, the whole number the compositor announces
  bool fractional = false;  // the output's logical size shows a scale that is not whole
};

struct BufferScale {
  int scale = 1;
  bool oneToOne = true;
};

// An output as the compositor describes it: its whole-number scale, its
// current mode in pixels and, where xdg-output tells it (0 where not), its
// size in logical pixels; a mode that is not the logical size times the
// scale (either way round, for a turned output; the logical size is rounded)
// means a fractional scale.
OutputScale outputScale(int scale, int modeWidth, int modeHeight, int logicalWidth,
                        int logicalHeight);

// For a surface on no output yet: scale 1, shown 1:1 as far as anyone knows.
BufferScale chooseBufferScale(const std::vector<OutputScale>& outputsUnderSurface);

}  // namespace wayland
