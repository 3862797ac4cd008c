#pragma once
// The few operating-system services the log and text conversion need. The Windows
// build implements them with Win32; host tests link a portable twin instead.
#include <string>

namespace Tavrune::PlatformBase {

}  // namespace Tavrune::PlatformBase
