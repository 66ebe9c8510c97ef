#include "tracewin/trace_resources.h"

namespace zur::platform {

const ModuleResources &libraryResources() {
  static constexpr ModuleResources resources{tracewin::kModuleName, tracewin::kLanguageFrench,
                                             tracewin::kMenus, tracewin::kDialogs,
                                             tracewin::kIcons};
  return resources;
}

}  // namespace zur::platform
