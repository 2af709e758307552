// Setup, the desktop launcher: the program's one application object.
#include "setup/CSetupApp.h"

CSetupApp theApp;
