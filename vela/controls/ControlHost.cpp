#include "vela/ControlHost.h"

namespace Vela {

ControlHost::~ControlHost() = default;

}  // namespace Vela
