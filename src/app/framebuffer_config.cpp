#include "app/framebuffer_config.h"

#include <cstdlib>
#include <tuple>

namespace {

bool matches(const FramebufferConfig& config, const ColourRequest& request) {
  return config.windowCapable && config.doubleBuffered && config.rgba && config.visualDepth > 0 &&
         config.depthBits > 0 && config.redBits == request.colourBits &&
         config.greenBits == request.colourBits && config.blueBits == request.colourBits &&
         (request.alphaBits == anyAlpha || config.alphaBits == request.alphaBits);
}

// Smaller is better, compared element by element.
std::tuple<bool, bool, bool, int, int> rank(const FramebufferConfig& config, int screenDepth) {
  return {config.slow, config.visualDepth != screenDepth, !config.trueColour, config.alphaBits,
          std::abs(config.depthBits - 24)};
}

}  // namespace

int chooseFramebufferConfig(const std::vector<FramebufferConfig>& configs,
                            const ColourRequest& request, int screenDepth) {
  int best = -1;
  for (int i = 0; i < static_cast<int>(configs.size()); ++i) {
    if (!matches(configs[i], request)) continue;
    if (best < 0 || rank(configs[i], screenDepth) < rank(configs[best], screenDepth)) best = i;
  }
  return best;
}
