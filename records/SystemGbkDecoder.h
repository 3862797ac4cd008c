#pragma once
// The GBK decoder of the platform the program is built for; the build links exactly one
// definition (platform/WinGbkDecoder.cpp or records/IconvGbkDecoder.cpp).
#include <memory>

#include "records/IGbkDecoder.h"

namespace Tavrune {

std::shared_ptr<const IGbkDecoder> makeSystemGbkDecoder();

}  // namespace Tavrune
