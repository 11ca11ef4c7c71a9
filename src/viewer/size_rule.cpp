#include "viewer/size_rule.h"

WindowBox window10FollowingWindow8(const WindowBox& window8, const WindowBox& window10) {
  return {window10.left, window10.top, window8.width, window8.height};
}
