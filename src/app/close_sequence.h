#pragma once
// Closing must end the program whatever goes wrong on the way: each step of
// the close sequence runs guarded, and one that fails is traced while the
// steps after it still run.

#include <functional>

class TnrLogFile;

// Runs `step`. Anything it throws is traced as "closing: <what> failed:
// <reason>" and goes no further.
void runCloseStep(TnrLogFile* trace, const char* what, const std::function<void()>& step);
