// A library in the plug-in folder that exports no "_GetType", so it is no plug-in.
extern "C" int Unrelated()
{
    return 1;
}
