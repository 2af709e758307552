// The running application when it is a CKelApp by its run-time class.
#pragma once

class CKelApp;

namespace pelrudo::detail {

// Null when no application runs or it is not a CKelApp: such an application has no folder, name or services.
CKelApp* RunningKelApp();

}  // namespace pelrudo::detail
