// A tiny library for the tests of LoadLibrary and GetProcAddress, with one export.
extern "C" int PelrudoModuleAnswer()
{
    return 42;
}
