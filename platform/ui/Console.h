#pragma once
// The terminal the tools and the headless launcher print progress on.

namespace platform::ui
{

// True when standard error is a terminal (progress is then rewritten in place on one line).
bool StderrIsTerminal();

} // namespace platform::ui
