// Pelrudo, the desktop backup dialog: the program's one application object.
#include "backup/CBackupApp.h"

CBackupApp theApp;
