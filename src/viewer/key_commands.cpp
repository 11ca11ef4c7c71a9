#include "viewer/key_commands.h"

#include "viewer/viewer_state.h"

namespace {
void refresh(const FrontEndActions& actions, int times) {
  for (int i = 0; i < times; ++i) actions.refreshBoth();
}
}  // namespace

bool handleViewerKey(ViewerKey key, const FrontEndActions& actions) {
  switch (key) {
    case ViewerKey::Escape:
      actions.quit();
      return true;
    case ViewerKey::Space:  // consumed, does nothing
      return true;
    case ViewerKey::MainLight:
      actions.switchLight(Light::Main, !toggleMainLight());
      refresh(actions, 2);
      return true;
    case ViewerKey::SideLight:
      actions.switchLight(Light::Side, !toggleSideLight());
      refresh(actions, 2);
      return true;
    case ViewerKey::Shade:
      cycleShade();
      refresh(actions, 2);
      return true;
    case ViewerKey::RampColour:
      cycleRampColour();
      refresh(actions, 2);
      return true;
    case ViewerKey::Logo:
      toggleLogo();
      refresh(actions, 1);
      return true;
    case ViewerKey::Pause:
      togglePause();
      refresh(actions, 1);
      return true;
    case ViewerKey::Report:
      // The blind test's halves must not be named while it runs.
      if (viewerState.blindTestRunning) return true;
      if (actions.printReport == nullptr) break;
      actions.printReport();
      return true;
    case ViewerKey::FullScreen:
      if (viewerState.blindTestRunning) return true;
      if (actions.toggleFullScreen == nullptr) break;
      actions.toggleFullScreen();
      return true;
    case ViewerKey::Left:
    case ViewerKey::Right:
      if (!viewerState.blindTestRunning || actions.pickHalf == nullptr) break;
      if (actions.pickHalf(key == ViewerKey::Right))
        actions.quit();
      else
        refresh(actions, 1);
      return true;
    case ViewerKey::Other:
      break;
  }
  return false;
}
