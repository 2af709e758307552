// How the base object reaches the running application's services without depending on the window layer.
#pragma once

class CLogFile;
class CLangPack;

namespace pelrudo::detail {

struct AppServices {
    CLogFile* logFile = nullptr;
    CLangPack* langPack = nullptr;
};

// Installed by CKelApp's code, which is in a program exactly when a CKelApp can be running. It answers
// the running application's services, or none when that application is not a CKelApp.
using AppServicesLookup = AppServices (*)();
extern AppServicesLookup g_runningAppServices;

}  // namespace pelrudo::detail
