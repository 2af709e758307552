// The shared class library's own translation unit; its code comes from the static components.
#include "pelrudo/pelrudo.h"
