#include "ui/win32_window.h"
#include "ui/window.h"

namespace sarvilax {

// A Windows session always has a desktop: the native window. Where none can
// be reached, the face itself draws nothing (see win32_window.h).
std::unique_ptr<Window> CreateWindowForThisProcess() { return std::make_unique<Win32Window>(); }

}  // namespace sarvilax
