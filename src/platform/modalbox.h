#pragma once

#include "platform/messagebox.h"

#include <functional>

// A window of the start-up (the splash) stays on top of everything, so a box shown while it is
// up would be hidden behind it. Whoever shows such a window registers what clears the way; boxes
// that may come during the start-up are shown through here.

// Replaces the hook; an empty one clears nothing.
void SetBeforeModalBox(std::function<void()> hook);
// Runs the hook: for a box that is about to be shown elsewhere (by the caller's caller).
void ClearWayForModalBox();
// Clears the way, then shows the box through the services in force.
TBoxResult ShowModalBox(const TBoxRequest& request);
