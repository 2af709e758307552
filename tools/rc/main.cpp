// pelrudo-rc: compiles a resource script into a C++ source that carries the module's resource table.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "RcCompiler.h"

namespace {

int Usage()
{
    std::cerr << "usage: pelrudo-rc SCRIPT.rc -o OUTPUT.cpp [-d DEPFILE]\n";
    return 2;
}

std::string Source(const std::string& script, const std::vector<RcResource>& resources)
{
    std::ostringstream out;
    out << "// Resources of " << script << ", compiled by pelrudo-rc.\n"
        << "#include \"platform/detail/ResourceTable.h\"\n\nnamespace {\n";
    for (std::size_t i = 0; i < resources.size(); ++i) {
        out << "const unsigned char r" << i << "[] = {";
        for (std::size_t b = 0; b < resources[i].data.size(); ++b)
            out << (b % 24 ? "" : "\n    ") << static_cast<unsigned>(resources[i].data[b]) << ',';
        if (resources[i].data.empty()) out << '0';
        out << "};\n";
    }
    out << "const PelrudoResource entries[] = {\n";
    for (std::size_t i = 0; i < resources.size(); ++i)
        out << "    {" << resources[i].type << "u, " << resources[i].id << "u, " << resources[i].language << "u, "
            << resources[i].data.size() << "u, r" << i << "},\n";
    if (resources.empty()) out << "    {0u, 0u, 0u, 0u, nullptr},\n";
    out << "};\n}  // namespace\n\n"
        << "extern \"C\" __attribute__((visibility(\"default\"), used)) const PelrudoResourceTable pelrudo_resources = {1u, "
        << resources.size() << "u, entries};\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv)
{
    std::string script, output, depfile;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "-o" || arg == "-d") && i + 1 < argc)
            (arg == "-o" ? output : depfile) = argv[++i];
        else if (script.empty())
            script = arg;
        else
            return Usage();
    }
    if (script.empty() || output.empty()) return Usage();

    std::ifstream in(script, std::ios::binary);
    if (!in) {
        std::cerr << script << ": cannot read\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::size_t slash = script.find_last_of('/');
    RcCompiler compiler(slash == std::string::npos ? "." : script.substr(0, slash));
    std::string error;
    if (!compiler.Compile(text.str(), &error)) {
        std::cerr << script << ": " << error << '\n';
        return 1;
    }
    std::ofstream out(output);
    out << Source(script, compiler.Resources());
    if (!out.flush()) {
        std::cerr << output << ": cannot write\n";
        return 1;
    }
    if (!depfile.empty()) {
        std::ofstream dep(depfile);
        dep << output << ": " << script;
        for (const std::string& input : compiler.Inputs()) dep << " \\\n  " << input;
        dep << '\n';
    }
    return 0;
}
