#pragma once
// The class factory of KXShlExt: one object for the life of the module. Its own references do
// not keep the module loaded; LockServer does.

#include "shellext/com/com_base.h"

namespace kb::shellext {

kb::com::IClassFactory& KXShlExtFactory() noexcept;

}  // namespace kb::shellext
