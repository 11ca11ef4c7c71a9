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
      actions.switchLight(0, toggleMainLight());
      refresh(actions, 2);
      return true;
    case ViewerKey::SideLight:
      actions.switchLight(1, toggleSideLight());
      refresh(actions, 2);
      return true;
    case ViewerKey::Shade:
      cycleShade();
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
      if (actions.printReport == nullptr) break;
      actions.printReport();
      return true;
    case ViewerKey::FullScreen:
      if (actions.toggleFullScreen == nullptr) break;
      actions.toggleFullScreen();
      return true;
    case ViewerKey::Other:
      break;
  }
  return false;
}
