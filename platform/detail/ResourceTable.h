// ResourceTable: the layout of the resource table that pelrudo-rc emits into a module.
#pragma once

// Each module (program or shared object) that carries resources exports one table under this C name;
// FindResource looks it up with dlsym in the module's handle.
#define PELRUDO_RESOURCE_SYMBOL "pelrudo_resources"

extern "C" {
struct PelrudoResource {
    unsigned type;      // RT_ICON, RT_GROUP_ICON, RT_STRING, RT_DIALOG, RT_VERSION ...
    unsigned id;
    unsigned language;  // e.g. 2052
    unsigned size;
    const unsigned char* data;  // the platform's binary layout of the resource
};

struct PelrudoResourceTable {
    unsigned version;  // 1
    unsigned count;
    const PelrudoResource* entries;
};
}
